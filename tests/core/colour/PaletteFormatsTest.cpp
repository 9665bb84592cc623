#include "core/colour/PaletteFormats.h"

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/colour/TColorPalette1DItem.h"
#include "core/documents/FractalFile.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/TempDir.h"

namespace {

constexpr TColor kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kWhite = 0xFFFFFF,
                 kBlack = 0x000000;

TColor Grey(uint8_t level) { return MakeColor(level, level, level); }

// The stops as "position:RRGGBB", with "/RRGGBB" for a used after colour.
std::string Stops(const TColorPalette1DItem& palette) {
  std::string out;
  for (const TColorPalette1DItem* s = &palette; s != nullptr; s = s->GetNext()) {
    char text[64];
    std::snprintf(text, sizeof text, "%s%.17g:%02X%02X%02X", out.empty() ? "" : " ",
                  s->GetDPosition(), ColorRed(s->GetColorBefore()), ColorGreen(s->GetColorBefore()),
                  ColorBlue(s->GetColorBefore()));
    out += text;
    if (s->GetUseColorAfter()) {
      std::snprintf(text, sizeof text, "/%02X%02X%02X", ColorRed(s->GetColorAfter()),
                    ColorGreen(s->GetColorAfter()), ColorBlue(s->GetColorAfter()));
      out += text;
    }
  }
  return out;
}

std::vector<const TColorPalette1DItem*> StopList(const TColorPalette1DItem& palette) {
  std::vector<const TColorPalette1DItem*> stops;
  for (const TColorPalette1DItem* s = &palette; s != nullptr; s = s->GetNext()) stops.push_back(s);
  return stops;
}

// Begins at 0, ends at 1, positions strictly ascending in between.
void ExpectWellFormed(const TColorPalette1DItem& palette) {
  const auto stops = StopList(palette);
  ASSERT_GE(stops.size(), 2u);
  EXPECT_EQ(stops.front()->GetDPosition(), 0.0);
  EXPECT_EQ(stops.back()->GetDPosition(), 1.0);
  EXPECT_FALSE(stops.front()->GetUseColorAfter());
  EXPECT_FALSE(stops.back()->GetUseColorAfter());
  for (std::size_t i = 1; i < stops.size(); ++i) {
    EXPECT_LT(stops[i - 1]->GetDPosition(), stops[i]->GetDPosition()) << i;
  }
}

std::string RgbLineForTest(int r, int g, int b) {
  char text[24];
  std::snprintf(text, sizeof text, "%3d %3d %3d\n", r, g, b);
  return text;
}

int CountLines(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// A palette that is not what any test reads, to see that failures leave it alone.
TColorPalette1DItem Untouched() {
  TColorPalette1DItem palette(0x123456, 0x654321);
  palette.Insert(0.5, 0xABCDEF);
  return palette;
}

using TReader = bool (*)(const std::string&, TColorPalette1DItem&, std::string&);

// Reads bytes expecting a refusal with message; the palette must stay as it was.
void ExpectRefused(TReader read, const std::string& bytes, const std::string& expected) {
  TColorPalette1DItem palette = Untouched();
  std::string message;
  EXPECT_FALSE(read(bytes, palette, message)) << bytes;
  EXPECT_EQ(message, expected) << bytes;
  EXPECT_EQ(palette, Untouched()) << bytes;
}

std::string Map(int lines, const std::string& end = "\n") {
  std::string text;
  for (int i = 0; i < lines; ++i) {
    text += std::to_string(i % 256) + " " + std::to_string(255 - i % 256) + " 7" + end;
  }
  return text;
}

}  // namespace

// Formats by name ----------------------------------------------------------------------------

TEST(PaletteFormatsTest, FormatByExtensionInAnyCase) {
  EXPECT_EQ(PaletteFormatOf("a/b.cp1"), TPaletteFormat::Native);
  EXPECT_EQ(PaletteFormatOf("b.CP1"), TPaletteFormat::Native);
  EXPECT_EQ(PaletteFormatOf("/x.y/Fire.Gpl"), TPaletteFormat::Gpl);
  EXPECT_EQ(PaletteFormatOf("Sunset.GGR"), TPaletteFormat::Ggr);
  EXPECT_EQ(PaletteFormatOf("chroma.map"), TPaletteFormat::Map);
  EXPECT_EQ(PaletteFormatOf("chroma.map.txt"), TPaletteFormat::Unknown);
  EXPECT_EQ(PaletteFormatOf("dir.map/file"), TPaletteFormat::Unknown);
  EXPECT_EQ(PaletteFormatOf("gpl"), TPaletteFormat::Unknown);
  EXPECT_TRUE(PaletteFormatReadable(TPaletteFormat::Ggr));
  EXPECT_FALSE(PaletteFormatReadable(TPaletteFormat::Unknown));
  EXPECT_TRUE(PaletteFormatWritable(TPaletteFormat::Gpl));
  EXPECT_TRUE(PaletteFormatWritable(TPaletteFormat::Map));
  EXPECT_TRUE(PaletteFormatWritable(TPaletteFormat::Native));
  EXPECT_FALSE(PaletteFormatWritable(TPaletteFormat::Ggr));
  EXPECT_FALSE(PaletteFormatWritable(TPaletteFormat::Unknown));
}

// GIMP palettes ------------------------------------------------------------------------------

TEST(PaletteFormatsTest, GplColoursBecomeEvenlySpacedStops) {
  TColorPalette1DItem palette(kBlack, kWhite);
  std::string message;
  ASSERT_TRUE(
      ReadGplPalette("GIMP Palette\nName: Three\nColumns: 3\n#\n# comment\n"
                     "255   0   0\tRed\n"
                     "  0 255   0 Bright green\n"
                     "\n"
                     "0 0 255\n",
                     palette, message))
      << message;
  EXPECT_EQ(Stops(palette), "0:FF0000 0.5:00FF00 1:0000FF");
  EXPECT_EQ(palette.ColorAt(0.0), kRed);
  EXPECT_EQ(palette.ColorAt(0.5), kGreen);
  EXPECT_EQ(palette.ColorAt(1.0), kBlue);
  EXPECT_EQ(palette.ColorAt(0.25), MakeColor(127, 127, 0));
  EXPECT_EQ(palette.ColorAt(0.75), MakeColor(0, 127, 127));
}

TEST(PaletteFormatsTest, GplWithCrLfAndOneColour) {
  TColorPalette1DItem palette(kBlack, kWhite);
  std::string message;
  ASSERT_TRUE(ReadGplPalette("\xEF\xBB\xBFGIMP Palette\r\nName: One\r\n10 20 30 only\r\n", palette,
                             message))
      << message;
  EXPECT_EQ(Stops(palette), "0:0A141E 1:0A141E");
  EXPECT_EQ(palette.ColorAt(0.3), MakeColor(10, 20, 30));

  ASSERT_TRUE(ReadGplPalette("GIMP Palette\r\n1 2 3\r\n4 5 6\r\n7 8 9", palette, message));
  EXPECT_EQ(Stops(palette), "0:010203 0.5:040506 1:070809");
}

TEST(PaletteFormatsTest, GplRefusalsNameTheLineAndLeaveThePaletteAlone) {
  ExpectRefused(ReadGplPalette, "",
                "line 1: a GIMP palette begins with the line \"GIMP Palette\".");
  ExpectRefused(ReadGplPalette, "GIMP Gradient\n0 0 0\n",
                "line 1: a GIMP palette begins with the line \"GIMP Palette\".");
  ExpectRefused(ReadGplPalette, "GIMP Palette\nName: Empty\n# nothing\n",
                "line 3: the palette ends without a colour.");
  ExpectRefused(ReadGplPalette, "GIMP Palette\nName: x\n1 2 3\n4 256 6 too much\n",
                "line 4: \"256\" is not a whole number from 0 to 255.");
  ExpectRefused(ReadGplPalette, "GIMP Palette\n1 2 3\n\n\n4 5\n",
                "line 5: a colour needs three numbers (red, green and blue), this line has 2.");
  ExpectRefused(ReadGplPalette, "GIMP Palette\n1 2 3\r\nColumns: 4\r\n",
                "line 3: \"Columns:\" is not a whole number from 0 to 255.");
  ExpectRefused(ReadGplPalette, "GIMP Palette\n-1 2 3\n",
                "line 2: \"-1\" is not a whole number from 0 to 255.");
  ExpectRefused(ReadGplPalette, "GIMP Palette\n1.5 2 3\n",
                "line 2: \"1.5\" is not a whole number from 0 to 255.");
}

// The requirement of the GIMP palette writer: a palette written as .gpl and read back has the
// colour it had at every one of its stops' positions.
TEST(PaletteFormatsTest, Cp1ToGplToCp1KeepsTheColourAtEveryStop) {
  TTempDir dir;
  TColorPalette1DItem original(kRed, kBlack);
  original.Insert(0.3, kGreen);
  TColorPalette1DItem* step = original.Insert(0.5, kBlue);
  step->SetUseColorAfter(true);
  step->SetColorAfter(kWhite);
  original.Insert(0.625, MakeColor(10, 200, 30));
  original.Insert(0.9, MakeColor(33, 66, 99));
  ASSERT_TRUE(original.SaveToFile(dir.File("in.cp1")));

  TColorPalette1DItem palette(kBlack, kWhite);
  std::string message;
  ASSERT_EQ(LoadPaletteFile(dir.File("in.cp1"), palette, message), TXMLReadStatus::Ok) << message;
  ASSERT_TRUE(SavePaletteFile(dir.File("mid.gpl"), palette));
  TColorPalette1DItem fromGpl(kBlack, kWhite);
  ASSERT_EQ(LoadPaletteFile(dir.File("mid.gpl"), fromGpl, message), TXMLReadStatus::Ok) << message;
  ASSERT_TRUE(SavePaletteFile(dir.File("out.cp1"), fromGpl));
  TColorPalette1DItem back(kBlack, kWhite);
  ASSERT_EQ(LoadPaletteFile(dir.File("out.cp1"), back, message), TXMLReadStatus::Ok) << message;

  for (const TColorPalette1DItem* s : StopList(original)) {
    EXPECT_EQ(back.ColorAt(s->GetDPosition()), original.ColorAt(s->GetDPosition()))
        << "at " << s->GetDPosition();
  }
  // The grid of tenths and eighths (40 divisions), refined for the hard step to 280; the
  // step then spans one division.
  const std::string gpl = ReadFileBytes(dir.File("mid.gpl"));
  EXPECT_EQ(gpl.rfind("GIMP Palette\nName: mid\n", 0), 0u) << gpl.substr(0, 80);
  EXPECT_EQ(StopList(back).size(), 281u);
  for (int i = 0; i <= 280; ++i) {
    EXPECT_EQ(fromGpl.ColorAt(i / 280.0), original.ColorAt(i / 280.0)) << i;
  }
  EXPECT_EQ(fromGpl.ColorAt(140 / 280.0), kBlue);
  EXPECT_GE(ColorBlue(fromGpl.ColorAt(141 / 280.0)), 240);
  EXPECT_GE(ColorRed(fromGpl.ColorAt(141 / 280.0)), 240);
}

TEST(PaletteFormatsTest, GplOfEvenlySpacedStopsIsTheStops) {
  // The default palette: two colours.
  const TColorPalette1DItem twoStops(kBlack, kWhite);
  EXPECT_EQ(WriteGplPalette(twoStops, "Two"),
            "GIMP Palette\nName: Two\nColumns: 16\n"
            "# Velmora palette: 2 colours evenly spaced from 0 to 1\n"
            "  0   0   0\n255 255 255\n");

  // Stops the editor makes by halving, and stops typed in decimals.
  TColorPalette1DItem halves(kRed, kBlue);
  halves.Insert(0.5, kGreen);
  halves.Insert(0.25, kWhite);
  halves.Insert(0.375, kBlack);
  std::string message;
  TColorPalette1DItem back(kBlack, kWhite);
  ASSERT_TRUE(ReadGplPalette(WriteGplPalette(halves, "h"), back, message)) << message;
  EXPECT_EQ(StopList(back).size(), 9u);
  for (const TColorPalette1DItem* s : StopList(halves)) {
    EXPECT_EQ(back.ColorAt(s->GetDPosition()), halves.ColorAt(s->GetDPosition()));
  }

  // A palette read from a GIMP palette is written as it was read.
  TColorPalette1DItem five(kBlack, kWhite);
  const std::string text = "GIMP Palette\n1 2 3\n40 50 60\n7 8 9\n100 110 120\n255 0 255\n";
  ASSERT_TRUE(ReadGplPalette(text, five, message));
  ASSERT_TRUE(ReadGplPalette(WriteGplPalette(five, "five"), back, message));
  EXPECT_EQ(back, five);
}

// A .cp1 file keeps 15 significant digits of a position, so that a third comes back a
// little off; the writers still find the stops on their grid and take their colours.
TEST(PaletteFormatsTest, GplAndMapComeBackUnchangedThroughACp1File) {
  TTempDir dir, out;
  const std::string gpl =
      "GIMP Palette\nName: thirds\nColumns: 16\n"
      "# Velmora palette: 4 colours evenly spaced from 0 to 1\n"
      "200 100  50\n  0   0   0\n255 254 253\n  1   2   3\n";
  WriteFileBytes(dir.File("thirds.gpl"), gpl);
  std::string map;
  for (int i = 0; i < 256; ++i) {
    map += RgbLineForTest((i * 37) % 256, 255 - i, (i * i) % 256);
  }
  WriteFileBytes(dir.File("m.map"), map);
  std::string message;
  for (const char* name : {"thirds.gpl", "m.map"}) {
    const std::string stem = std::string(name).substr(0, std::string(name).find('.'));
    TColorPalette1DItem palette(kBlack, kWhite);
    ASSERT_EQ(LoadPaletteFile(dir.File(name), palette, message), TXMLReadStatus::Ok) << message;
    ASSERT_TRUE(SavePaletteFile(dir.File(stem + ".cp1"), palette));
    TColorPalette1DItem fromCp1(kBlack, kWhite);
    ASSERT_EQ(LoadPaletteFile(dir.File(stem + ".cp1"), fromCp1, message), TXMLReadStatus::Ok);
    EXPECT_NE(fromCp1, palette) << "positions rounded in the .cp1 file";
    ASSERT_TRUE(SavePaletteFile(out.File(name), fromCp1));
    EXPECT_EQ(ReadFileBytes(out.File(name)), ReadFileBytes(dir.File(name))) << name;
  }
}

TEST(PaletteFormatsTest, GplOfStopsOffEveryGridIsSampledFinely) {
  TColorPalette1DItem palette(kBlack, kWhite);
  palette.Insert(0.123456789, kRed);
  const std::string gpl = WriteGplPalette(palette, "odd");
  EXPECT_EQ(CountLines(gpl), 4 + kGplFallbackDivisions + 1);
  TColorPalette1DItem back(kBlack, kWhite);
  std::string message;
  ASSERT_TRUE(ReadGplPalette(gpl, back, message)) << message;
  // Close to the stop, not exact: the colour changes by less than a level per division.
  const TColor at = back.ColorAt(0.123456789);
  EXPECT_NEAR(ColorRed(at), 255, 1);
  EXPECT_NEAR(ColorGreen(at), 0, 1);
  EXPECT_NEAR(ColorBlue(at), 0, 1);
}

// The writers walk the chain once for all their samples; the colours are ColorAt's.
TEST(PaletteFormatsTest, WritersSampleAsColorAtDoesInLinearTime) {
  TColorPalette1DItem palette(kRed, kBlue);
  TColorPalette1DItem* step = palette.Insert(0.3, kGreen);
  step->SetUseColorAfter(true);
  step->SetColorAfter(kWhite);
  palette.Insert(0.7, MakeColor(1, 2, 3));
  std::string expected;
  for (int i = 0; i < 256; ++i) {
    const TColor c = palette.ColorAt(i / 255.0);
    expected += RgbLineForTest(ColorRed(c), ColorGreen(c), ColorBlue(c));
  }
  EXPECT_EQ(WriteMapPalette(palette), expected);

  // The largest exact GIMP palette: 65537 colours, written back as read.
  std::string gpl =
      "GIMP Palette\nName: big\nColumns: 16\n"
      "# Velmora palette: 65537 colours evenly spaced from 0 to 1\n";
  for (int i = 0; i <= kGplMaxExactDivisions; ++i) {
    gpl += RgbLineForTest(i % 256, (i / 256) % 256, (i * 7) % 256);
  }
  TColorPalette1DItem big(kBlack, kWhite);
  std::string message;
  ASSERT_TRUE(ReadGplPalette(gpl, big, message)) << message;
  EXPECT_EQ(WriteGplPalette(big, "big"), gpl);
}

// Fractint maps -------------------------------------------------------------------------------

TEST(PaletteFormatsTest, MapOf256ColoursIsAStopPerColour) {
  std::string text;
  for (int i = 0; i < 256; ++i) {
    text += std::to_string(i) + " " + std::to_string(255 - i) + " " + std::to_string(i / 2) +
            (i == 3 ? "   the fourth colour, a comment\n" : "\n");
  }
  TColorPalette1DItem palette(kBlack, kWhite);
  std::string message;
  ASSERT_TRUE(ReadMapPalette(text, palette, message)) << message;
  const auto stops = StopList(palette);
  ASSERT_EQ(stops.size(), 256u);
  for (int i = 0; i < 256; ++i) {
    const TColor expected = MakeColor(static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                      static_cast<uint8_t>(i / 2));
    EXPECT_EQ(stops[i]->GetDPosition(), i / 255.0);
    EXPECT_EQ(palette.ColorAt(i / 255.0), expected) << i;
  }
  // Written back as it was read (the writer pads the numbers).
  const std::string written = WriteMapPalette(palette);
  EXPECT_EQ(CountLines(written), 256);
  EXPECT_EQ(written.substr(0, 24), "  0 255   0\n  1 254   0\n");
  TColorPalette1DItem again(kBlack, kWhite);
  ASSERT_TRUE(ReadMapPalette(written, again, message));
  EXPECT_EQ(again, palette);
}

TEST(PaletteFormatsTest, MapLineEndsAndBlankLines) {
  TColorPalette1DItem lf(kBlack, kWhite), crlf(kBlack, kWhite), blank(kBlack, kWhite);
  std::string message;
  ASSERT_TRUE(ReadMapPalette(Map(256, "\n"), lf, message)) << message;
  ASSERT_TRUE(ReadMapPalette(Map(256, "\r\n"), crlf, message)) << message;
  std::string withBlanks =
      "\n  \r\n" + Map(100, "\r\n") + "\t\n" + Map(256, "\n").substr(Map(100, "\n").size());
  ASSERT_TRUE(ReadMapPalette(withBlanks, blank, message)) << message;
  EXPECT_EQ(crlf, lf);
  EXPECT_EQ(blank, lf);
  EXPECT_EQ(StopList(lf).size(), 256u);
  // No end after the last line.
  TColorPalette1DItem open(kBlack, kWhite);
  std::string text = Map(256);
  text.pop_back();
  ASSERT_TRUE(ReadMapPalette(text, open, message)) << message;
  EXPECT_EQ(open, lf);
}

TEST(PaletteFormatsTest, ShorterMapsAreSpreadOverThePalette) {
  TColorPalette1DItem palette(kBlack, kWhite);
  std::string message;
  ASSERT_TRUE(ReadMapPalette("0 0 0\n255 255 255\n0 0 255\n", palette, message)) << message;
  EXPECT_EQ(Stops(palette), "0:000000 0.5:FFFFFF 1:0000FF");
  EXPECT_EQ(palette.ColorAt(0.25), Grey(127));

  ASSERT_TRUE(ReadMapPalette("9 8 7", palette, message)) << message;
  EXPECT_EQ(Stops(palette), "0:090807 1:090807");

  ASSERT_TRUE(ReadMapPalette(Map(100), palette, message)) << message;
  const auto stops = StopList(palette);
  ASSERT_EQ(stops.size(), 100u);
  EXPECT_EQ(stops[33]->GetDPosition(), 33 / 99.0);
  EXPECT_EQ(stops[33]->GetColorBefore(), MakeColor(33, 222, 7));
}

TEST(PaletteFormatsTest, LongerMapsGiveTheirFirst256Colours) {
  TColorPalette1DItem first(kBlack, kWhite), longer(kBlack, kWhite), trailer(kBlack, kWhite);
  std::string message;
  ASSERT_TRUE(ReadMapPalette(Map(256), first, message));
  ASSERT_TRUE(ReadMapPalette(Map(300), longer, message)) << message;
  EXPECT_EQ(longer, first);
  // What follows the 256th colour is not read at all, as in Fractint.
  ASSERT_TRUE(ReadMapPalette(Map(256) + "Made by hand, 1993\n999 x\n", trailer, message))
      << message;
  EXPECT_EQ(trailer, first);
}

TEST(PaletteFormatsTest, MapRefusalsNameTheLineAndLeaveThePaletteAlone) {
  ExpectRefused(ReadMapPalette, "", "line 1: the map ends without a colour.");
  ExpectRefused(ReadMapPalette, "\n\r\n  \n", "line 3: the map ends without a colour.");
  ExpectRefused(ReadMapPalette, Map(6) + "1 2 256\n",
                "line 7: \"256\" is not a whole number from 0 to 255.");
  ExpectRefused(ReadMapPalette, Map(6, "\r\n") + "1 2 1000\r\n",
                "line 7: \"1000\" is not a whole number from 0 to 255.");
  ExpectRefused(ReadMapPalette, "0 0 0\n\n1 x 2\n",
                "line 3: \"x\" is not a whole number from 0 to 255.");
  ExpectRefused(ReadMapPalette, "0 0 0\n12a 0 0\n",
                "line 2: \"12a\" is not a whole number from 0 to 255.");
  ExpectRefused(ReadMapPalette, "0 0 0\n-3 0 0\n",
                "line 2: \"-3\" is not a whole number from 0 to 255.");
  ExpectRefused(ReadMapPalette, "0 0 0\n1 2\n3 4 5\n",
                "line 2: a colour needs three numbers (red, green and blue), this line has 2.");
  ExpectRefused(ReadMapPalette, Map(255) + "99999999999999999999 0 0\n",
                "line 256: \"99999999999999999999\" is not a whole number from 0 to 255.");
}

// GIMP gradients ------------------------------------------------------------------------------

TEST(PaletteFormatsTest, GgrLinearSegmentsMapExactlyAndBoundariesMakeHardSteps) {
  // Red to blue, then (a hard step) green to white.
  const std::string ggr =
      "GIMP Gradient\nName: Two parts\n2\n"
      "0.000000 0.250000 0.500000 1.000000 0.000000 0.000000 1.000000 0.000000 0.000000 "
      "1.000000 1.000000 0 0\n"
      "0.500000 0.750000 1.000000 0.000000 1.000000 0.000000 0.500000 1.000000 1.000000 "
      "1.000000 1.000000 0 0 0 0\n";
  TColorPalette1DItem palette(kBlack, kWhite);
  std::string message;
  ASSERT_TRUE(ReadGgrPalette(ggr, palette, message)) << message;
  EXPECT_EQ(Stops(palette), "0:FF0000 0.5:0000FF/00FF00 1:FFFFFF");
  EXPECT_EQ(palette.ColorAt(0.0), kRed);
  EXPECT_EQ(palette.ColorAt(0.25), MakeColor(127, 0, 127));
  EXPECT_EQ(palette.ColorAt(0.5), kBlue);
  EXPECT_EQ(palette.ColorAt(0.75), MakeColor(127, 255, 127));
  EXPECT_EQ(palette.ColorAt(1.0), kWhite);

  // The same with CR LF, without the name line (old files) and with blank lines at the end.
  std::string old = ggr;
  old.erase(old.find("Name:"), std::string("Name: Two parts\n").size());
  for (std::size_t at = 0; (at = old.find('\n', at)) != std::string::npos; at += 2) {
    old.replace(at, 1, "\r\n");
  }
  TColorPalette1DItem fromOld(kBlack, kWhite);
  ASSERT_TRUE(ReadGgrPalette(old + "\r\n\r\n", fromOld, message)) << message;
  EXPECT_EQ(fromOld, palette);
}

TEST(PaletteFormatsTest, GgrStepAndOffCentreMiddlesMapExactly) {
  TColorPalette1DItem palette(kBlack, kWhite);
  std::string message;
  // Step blending: black up to the middle, white from there.
  ASSERT_TRUE(
      ReadGgrPalette("GIMP Gradient\nName: Step\n1\n"
                     "0 0.3 1 0 0 0 1 1 1 1 1 5 0 0 0\n",
                     palette, message))
      << message;
  EXPECT_EQ(Stops(palette), "0:000000 0.29999999999999999:000000/FFFFFF 1:FFFFFF");
  EXPECT_EQ(palette.ColorAt(0.2), kBlack);
  // (ColorAt truncates its mix: between two white stops it may give 254.)
  EXPECT_GE(ColorRed(palette.ColorAt(0.31)), 254);
  EXPECT_EQ(palette.ColorAt(1.0), kWhite);
  // In HSV too: a step has no colours between its two.
  ASSERT_TRUE(ReadGgrPalette("GIMP Gradient\n1\n0 0.3 1 1 0 0 1 0 0 1 1 5 1\n", palette, message));
  EXPECT_EQ(Stops(palette), "0:FF0000 0.29999999999999999:FF0000/0000FF 1:0000FF");

  // Linear with the middle off the centre: half way at the middle, straight on either side.
  ASSERT_TRUE(ReadGgrPalette("GIMP Gradient\n1\n0 0.25 1 0 0 0 1 1 1 1 1 0 0\n", palette, message))
      << message;
  EXPECT_EQ(Stops(palette), "0:000000 0.25:808080 1:FFFFFF");
  EXPECT_EQ(palette.ColorAt(0.125), Grey(64));

  // A middle at the left end: the half-way colour starts right there.
  ASSERT_TRUE(ReadGgrPalette("GIMP Gradient\n1\n0 0 1 0 0 0 1 1 1 1 1 0 0\n", palette, message));
  EXPECT_EQ(Stops(palette), "0:808080 1:FFFFFF");

  // A segment of no width between two others is a hard step.
  ASSERT_TRUE(
      ReadGgrPalette("GIMP Gradient\n3\n"
                     "0 0.25 0.5 0 0 0 1 1 0 0 1 0 0\n"
                     "0.5 0.5 0.5 0 1 0 1 0 1 0 1 0 0\n"
                     "0.5 0.75 1 0 0 1 1 1 1 1 1 0 0\n",
                     palette, message))
      << message;
  EXPECT_EQ(Stops(palette), "0:000000 0.5:FF0000/0000FF 1:FFFFFF");
}

TEST(PaletteFormatsTest, GgrCurvesAreFollowedBySampledStops) {
  struct TCase {
    int blend;
    double (*curve)(double);
  };
  const TCase cases[] = {
      {2,
       [](double x) { return (std::sin(-std::numbers::pi / 2 + std::numbers::pi * x) + 1) / 2; }},
      {3, [](double x) { return std::sqrt(1 - (x - 1) * (x - 1)); }},
      {4, [](double x) { return 1 - std::sqrt(1 - x * x); }},
      {1, [](double x) { return x; }},  // curved with the middle at the centre: a straight line
  };
  for (const TCase& c : cases) {
    const std::string ggr = "GIMP Gradient\nName: Curve\n1\n0 0.5 1 0 0 0 1 1 1 1 1 " +
                            std::to_string(c.blend) + " 0 0 0\n";
    TColorPalette1DItem palette(kRed, kRed);
    std::string message;
    ASSERT_TRUE(ReadGgrPalette(ggr, palette, message)) << message;
    ExpectWellFormed(palette);
    const auto stops = StopList(palette);
    if (c.blend != 1) {
      EXPECT_GE(stops.size(), 5u) << c.blend;
    }
    EXPECT_LE(stops.size(), 66u) << c.blend;
    // Every stop has the curve's colour, rounded.
    for (const TColorPalette1DItem* s : stops) {
      const double level = 255 * c.curve(s->GetDPosition());
      EXPECT_EQ(s->GetColorBefore(), Grey(static_cast<uint8_t>(std::lround(level))))
          << c.blend << " at " << s->GetDPosition();
    }
    // Between them the straight lines stay near the curve (the spheres are steep at one end).
    for (int i = 0; i <= 1000; ++i) {
      const double x = i / 1000.0;
      const double tolerance = (c.blend == 3 && x < 0.05) || (c.blend == 4 && x > 0.95) ? 12 : 2.5;
      EXPECT_NEAR(ColorRed(palette.ColorAt(x)), 255 * c.curve(x), tolerance)
          << c.blend << " at " << x;
    }
  }
}

TEST(PaletteFormatsTest, GgrHsvSegmentsTurnTheHue) {
  TColorPalette1DItem palette(kBlack, kWhite);
  std::string message;
  // Red to blue counter-clockwise passes green, clockwise magenta.
  ASSERT_TRUE(ReadGgrPalette("GIMP Gradient\n1\n0 0.5 1 1 0 0 1 0 0 1 1 0 1\n", palette, message))
      << message;
  ExpectWellFormed(palette);
  EXPECT_EQ(palette.ColorAt(0.0), kRed);
  EXPECT_EQ(palette.ColorAt(0.5), kGreen);
  EXPECT_EQ(palette.ColorAt(1.0), kBlue);
  EXPECT_EQ(palette.ColorAt(0.25), MakeColor(255, 255, 0));
  ASSERT_TRUE(ReadGgrPalette("GIMP Gradient\n1\n0 0.5 1 1 0 0 1 0 0 1 1 0 2\n", palette, message))
      << message;
  EXPECT_EQ(palette.ColorAt(0.5), MakeColor(255, 0, 255));
  EXPECT_EQ(palette.ColorAt(1.0), kBlue);
}

TEST(PaletteFormatsTest, GgrSmallDriftIsPutRight) {
  TColorPalette1DItem palette(kBlack, kWhite);
  std::string message;
  ASSERT_TRUE(
      ReadGgrPalette("GIMP Gradient\nName: Drift\n2\n"
                     "0.0000004 0.25 0.5000004 0 0 0 1 1 0 0 1 0 0\n"
                     "0.4999996 0.75 1.0000008 0 0 1 1 1 1 1 1 0 0\n",
                     palette, message))
      << message;
  EXPECT_EQ(Stops(palette), "0:000000 0.50000040000000001:FF0000/0000FF 1:FFFFFF");
  ASSERT_TRUE(
      ReadGgrPalette("GIMP Gradient\n1\n0 0.5 0.9999995 0 0 0 1 1 1 1 1 0 0\n", palette, message))
      << message;
  EXPECT_EQ(Stops(palette), "0:000000 1:FFFFFF");
}

TEST(PaletteFormatsTest, GgrRefusalsNameTheLineAndLeaveThePaletteAlone) {
  const std::string head = "GIMP Gradient\nName: Bad\n";
  const std::string good = "0 0.5 1 0 0 0 1 1 1 1 1 0 0\n";
  ExpectRefused(ReadGgrPalette, "GIMP Palette\n",
                "line 1: a GIMP gradient begins with the line \"GIMP Gradient\".");
  ExpectRefused(ReadGgrPalette, head,
                "line 3: the number of segments must be a whole number from 1 up.");
  ExpectRefused(ReadGgrPalette, head + "0\n",
                "line 3: the number of segments must be a whole number from 1 up.");
  ExpectRefused(ReadGgrPalette, head + "two\n" + good,
                "line 3: the number of segments must be a whole number from 1 up.");
  ExpectRefused(ReadGgrPalette, head + "2\n" + good,
                "line 5: the file ends after 1 of its 2 segments.");
  ExpectRefused(ReadGgrPalette, head + "1\n" + good + "0 0 0\n",
                "line 5: the file has more lines than its 1 segments.");
  ExpectRefused(ReadGgrPalette, head + "1\n0 0.5 1 0 0 0 1 1 1 1 1 0\n",
                "line 4: a segment is 13 or 15 numbers (positions, colours, blending, "
                "colouring), this line has 12.");
  ExpectRefused(ReadGgrPalette, head + "1\n0 0.5 1 0 0 0 1 1 1 1 1 0 0 0\n",
                "line 4: a segment is 13 or 15 numbers (positions, colours, blending, "
                "colouring), this line has 14.");
  ExpectRefused(ReadGgrPalette, head + "1\n0 0.5 1 0 0 zero 1 1 1 1 1 0 0\n",
                "line 4: \"zero\" is not a number.");
  ExpectRefused(ReadGgrPalette, head + "1\n0 0.5 1 0 0 nan 1 1 1 1 1 0 0\n",
                "line 4: \"nan\" is not a number.");
  ExpectRefused(ReadGgrPalette, head + "1\n0 0.5 1 0 0 0 1 1 1 1 1 6 0\n",
                "line 4: the blending function 6 is unknown (0 to 5).");
  ExpectRefused(ReadGgrPalette, head + "1\n0 0.5 1 0 0 0 1 1 1 1 1 0 3\n",
                "line 4: the colouring type 3 is unknown (0 to 2).");
  ExpectRefused(ReadGgrPalette, head + "1\n0 0.5 1 0 0 0 1 1 1 1 1 0 0 0 5\n",
                "line 4: the endpoint colour type 5 is unknown (0 to 4).");
  ExpectRefused(ReadGgrPalette, head + "1\n0 0.5 1 0 0 0 1 1 1 1 1 -1 0\n",
                "line 4: \"-1\" is not a type number.");
  ExpectRefused(ReadGgrPalette, head + "1\n0 0.5 1 0 0 1.5 1 1 1 1 1 0 0\n",
                "line 4: the colour value 1.5 is outside 0 to 1.");
  ExpectRefused(ReadGgrPalette, head + "1\n0.1 0.5 1 0 0 0 1 1 1 1 1 0 0\n",
                "line 4: the first segment starts at 0.1, not at 0.");
  ExpectRefused(ReadGgrPalette, head + "1\n0 0.5 0.9 0 0 0 1 1 1 1 1 0 0\n",
                "line 4: the last segment ends at 0.9, not at 1.");
  ExpectRefused(ReadGgrPalette,
                head + "2\n0 0.25 0.5 0 0 0 1 1 1 1 1 0 0\n" + "0.6 0.8 1 0 0 0 1 1 1 1 1 0 0\n",
                "line 5: the segment starts at 0.6, not where the one before it ends (0.5).");
  ExpectRefused(ReadGgrPalette, head + "1\n0 0.7 0.5 0 0 0 1 1 1 1 1 0 0\n",
                "line 4: the positions 0, 0.7, 0.5 must be in order (left, middle, right) "
                "within 0 to 1.");
  ExpectRefused(ReadGgrPalette, head + "1\n0 0.5 1.5 0 0 0 1 1 1 1 1 0 0\n",
                "line 4: the positions 0, 0.5, 1.5 must be in order (left, middle, right) "
                "within 0 to 1.");
}

// Files ----------------------------------------------------------------------------------------

TEST(PaletteFormatsTest, FilesLoadByTheirExtension) {
  TTempDir dir;
  WriteFileBytes(dir.File("a.GPL"), "GIMP Palette\n1 2 3\n4 5 6\n");
  WriteFileBytes(dir.File("a.map"), "1 2 3\n4 5 6\n");
  WriteFileBytes(dir.File("a.ggr"), "GIMP Gradient\n1\n0 0.5 1 0 0 0 1 1 1 1 1 0 0\n");
  WriteFileBytes(dir.File("a.txt"), "1 2 3\n4 5 6\n");
  ASSERT_TRUE(TColorPalette1DItem(kRed, kBlue).SaveToFile(dir.File("a.cp1")));
  TColorPalette1DItem palette = Untouched();
  std::string message;
  ASSERT_EQ(LoadPaletteFile(dir.File("a.GPL"), palette, message), TXMLReadStatus::Ok);
  EXPECT_EQ(Stops(palette), "0:010203 1:040506");
  ASSERT_EQ(LoadPaletteFile(dir.File("a.map"), palette, message), TXMLReadStatus::Ok);
  EXPECT_EQ(Stops(palette), "0:010203 1:040506");
  ASSERT_EQ(LoadPaletteFile(dir.File("a.ggr"), palette, message), TXMLReadStatus::Ok);
  EXPECT_EQ(Stops(palette), "0:000000 1:FFFFFF");
  ASSERT_EQ(LoadPaletteFile(dir.File("a.cp1"), palette, message), TXMLReadStatus::Ok);
  EXPECT_EQ(Stops(palette), "0:FF0000 1:0000FF");

  // Refusals leave the palette alone, the native file's too.
  palette = Untouched();
  EXPECT_EQ(LoadPaletteFile(dir.File("a.txt"), palette, message), TXMLReadStatus::Failed);
  EXPECT_EQ(message, "the file is not a palette file (.cp1, .gpl, .ggr or .map).");
  EXPECT_EQ(LoadPaletteFile(dir.File("none.map"), palette, message), TXMLReadStatus::CannotOpen);
  EXPECT_EQ(message, "");
  EXPECT_EQ(LoadFailureReason(TXMLReadStatus::CannotOpen, message), kFileCannotBeOpened);
  WriteFileBytes(dir.File("bad.map"), "1 2 3\n\n4 5 x\n");
  EXPECT_EQ(LoadPaletteFile(dir.File("bad.map"), palette, message), TXMLReadStatus::Failed);
  EXPECT_EQ(ErrorReporter.CannotReadFileText(dir.File("bad.map"), message),
            "Cannot read the file: \"" + dir.File("bad.map") +
                "\", line 3: \"x\" is not a whole number from 0 to 255.");
  WriteFileBytes(dir.File("bad.cp1"),
                 "<UnitColorPalette1D><Version>1.0</Version><ColorPalette1D>"
                 "<BeginColor>000000</BeginColor><ColorPalette1DItem>"
                 "<Position>0.5</Position><ColorBefore>zz</ColorBefore>");
  EXPECT_EQ(LoadPaletteFile(dir.File("bad.cp1"), palette, message), TXMLReadStatus::Failed);
  EXPECT_EQ(palette, Untouched());

  // The same in memory.
  ASSERT_EQ(LoadPaletteBytes("7 7 7", TPaletteFormat::Map, palette, message), TXMLReadStatus::Ok);
  EXPECT_EQ(Stops(palette), "0:070707 1:070707");
}

TEST(PaletteFormatsTest, FilesSaveByTheirExtension) {
  TTempDir dir;
  TRecordingSink sink;
  TColorPalette1DItem palette(kBlack, kWhite);
  palette.Insert(0.5, kRed);
  ASSERT_TRUE(SavePaletteFile(dir.File("p.map"), palette));
  EXPECT_EQ(ReadFileBytes(dir.File("p.map")), WriteMapPalette(palette));
  ASSERT_TRUE(SavePaletteFile(dir.File("My palette.v2.GPL"), palette));
  EXPECT_EQ(ReadFileBytes(dir.File("My palette.v2.GPL")),
            WriteGplPalette(palette, "My palette.v2"));
  ASSERT_TRUE(SavePaletteFile(dir.File("p.cp1"), palette));
  TColorPalette1DItem back(kBlack, kBlack);
  std::string message;
  ASSERT_EQ(back.LoadFromFile(dir.File("p.cp1"), message), TXMLReadStatus::Ok);
  EXPECT_EQ(back, palette);
  EXPECT_TRUE(sink.Messages().empty());

  EXPECT_FALSE(SavePaletteFile(dir.File("p.ggr"), palette));
  EXPECT_FALSE(SavePaletteFile(dir.File("p.txt"), palette));
  EXPECT_FALSE(FileExists(dir.File("p.ggr")));
  const TRecordedMessage refused{
      "Cannot save Color Palette File: palettes are written as .cp1, .gpl or .map files.",
      "FileError", TMessageIcon::Information};
  EXPECT_EQ(sink.Messages(), (std::vector<TRecordedMessage>{refused, refused}));
  sink.Clear();

  EXPECT_FALSE(SavePaletteFile(dir.File("missing/p.gpl"), palette));
  const TRecordedMessage cannotOpen{
      "Cannot save Color Palette File: Operating System cannot open file for writing, maybe "
      "the file is readonly..",
      "FileError", TMessageIcon::Information};
  EXPECT_EQ(sink.Messages(), std::vector<TRecordedMessage>{cannotOpen});
  sink.Clear();

  // A write that fails half-way (a full disk) leaves the old file as it was.
  const std::string old = ReadFileBytes(dir.File("p.map"));
  TColorPalette1DItem other(kBlue, kGreen);
  {
    const TFileSizeLimit disk(100);
    EXPECT_FALSE(SavePaletteFile(dir.File("p.map"), other));
  }
  EXPECT_EQ(ReadFileBytes(dir.File("p.map")), old);
  ASSERT_EQ(sink.Messages().size(), 1u);
  EXPECT_EQ(sink.Messages()[0].text.rfind("Cannot save Color Palette File: ", 0), 0u);
}
