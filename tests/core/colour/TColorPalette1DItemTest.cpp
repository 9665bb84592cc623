#include "core/colour/TColorPalette1DItem.h"

#include <string>

#include <gtest/gtest.h>

#include "core/xml/TXMLItem.h"
#include "core/xml/XMLWriter.h"
#include "tests/core/xml/XMLTestHelpers.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/TempDir.h"

namespace {

constexpr TColor kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kWhite = 0xFFFFFF;

// The stops as "position:before" and, with UseColorAfter, "/after".
std::string Stops(const TColorPalette1DItem& palette) {
  std::string out;
  for (const TColorPalette1DItem* s = &palette; s != nullptr; s = s->GetNext()) {
    out += (out.empty() ? "" : " ") + s->GetPosition().ToText() + ":" +
           unitColor(s->GetColorBefore()).ToText();
    if (s->GetUseColorAfter()) out += "/" + unitColor(s->GetColorAfter()).ToText();
  }
  return out;
}

// text with every " line <digits>:" written " line #:".
std::string WithoutLineNumbers(const std::string& text) {
  std::string out;
  const std::string mark = " line ";
  size_t at = 0;
  for (size_t found; (found = text.find(mark, at)) != std::string::npos;) {
    size_t end = found + mark.size();
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    const bool number = end > found + mark.size() && end < text.size() && text[end] == ':';
    out += text.substr(at, found - at) + (number ? " line #:" : mark);
    at = number ? end + 1 : found + mark.size();
  }
  return out + text.substr(at);
}

// The soft assertions of the palette with their line numbers taken out.
std::vector<std::string> Assertions(const TRecordingSink& sink) {
  std::vector<std::string> texts;
  for (const TRecordedMessage& m : sink.Messages()) {
    EXPECT_EQ(m.title, "Assertion failed");
    texts.push_back(WithoutLineNumbers(m.text));
  }
  return texts;
}
std::string Soft(const std::string& condition) {
  return "In Grafisch/DColorPalette1D line #: Condition \"" + condition + "\"failed!";
}

std::string PaletteFile(const std::string& items, const std::string& version = "1.0") {
  return "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
         "<!DOCTYPE UnitColorPalette1D SYSTEM \"UnitColorPalette1D.dtd\">\r\n\r\n"
         "<UnitColorPalette1D>\r\n  <Version>" +
         version +
         "</Version>\r\n"
         "  <ColorPalette1D>\r\n    <BeginColor>000000</BeginColor>\r\n" +
         items +
         "    <EndColor>FFFFFF</EndColor>\r\n  </ColorPalette1D>\r\n</UnitColorPalette1D>\r\n";
}
std::string Item(const std::string& position, const std::string& before, bool use = false) {
  return "    <ColorPalette1DItem>\r\n      <Position>" + position +
         "</Position>\r\n"
         "      <ColorBefore>" +
         before + "</ColorBefore>\r\n" + (use ? "      <UseColorAfter />\r\n" : "") +
         "      <ColorAfter>00FF00</ColorAfter>\r\n    </ColorPalette1DItem>\r\n";
}

}  // namespace

TEST(TColorPalette1DItemTest, NewPaletteAndMixBetweenStops) {
  TColorPalette1DItem palette(0x000000, kWhite);
  EXPECT_EQ(Stops(palette), "0:000000 1:FFFFFF");
  EXPECT_EQ(palette.GetLast(), palette.GetNext());
  EXPECT_EQ(palette.GetNext()->GetStoredColorAfter(), 0u);
  EXPECT_EQ(palette.ColorAt(0.5), 0x7F7F7Fu);
  EXPECT_EQ(palette.ColorAt(-0.5), 0x000000u);
  EXPECT_EQ(palette.ColorAt(1.0), kWhite);
}

TEST(TColorPalette1DItemTest, AfterColourMakesAHardStep) {
  TRecordingSink sink;
  TColorPalette1DItem palette(0x000000, kWhite);
  TColorPalette1DItem* stop = palette.Insert(0.5, kRed);
  stop->SetColorAfter(kBlue);  // not used yet: reported, stored all the same
  EXPECT_EQ(Assertions(sink), std::vector<std::string>{Soft("UseColorAfter")});
  EXPECT_EQ(stop->GetColorAfter(), kRed);
  stop->SetUseColorAfter(true);
  EXPECT_EQ(palette.ColorAt(0.25), 0x00007Fu);
  EXPECT_EQ(palette.ColorAt(0.5), kRed);
  EXPECT_EQ(palette.ColorAt(0.5 + 1e-9), kBlue);
  EXPECT_EQ(palette.ColorAt(0.75), 0xFF7F7Fu);
}

TEST(TColorPalette1DItemTest, CopiesAreDeepAndAssignmentKeepsThePosition) {
  TColorPalette1DItem source(0x000000, kWhite);
  source.Insert(0.5, kRed);
  TColorPalette1DItem copy(source);
  EXPECT_EQ(copy, source);
  copy.GetNext()->SetColorBefore(kGreen);
  EXPECT_EQ(Stops(source), "0:000000 0.5:0000FF 1:FFFFFF");

  TColorPalette1DItem inner(unitFactorPosMoreLess1(0.3), kBlue, kGreen, true);
  inner = source;
  EXPECT_EQ(Stops(inner), "0.3:000000 0.5:0000FF 1:FFFFFF");
  const TColorPalette1DItem& alias = inner;
  inner = alias;
  inner = *inner.GetNext();  // from its own chain
  EXPECT_EQ(Stops(inner), "0.3:0000FF 1:FFFFFF");
}

TEST(TColorPalette1DItemTest, LongChainsAreCopiedComparedAndDestroyedWithoutRecursion) {
  constexpr int kStops = 500'000;
  auto palette = std::make_unique<TColorPalette1DItem>(0x000000, kWhite);
  // Descending positions each land right after the begin stop.
  for (int i = kStops; i > 0; --i) palette->Insert(0.9 * i / (kStops + 1), kRed);
  auto copy = std::make_unique<TColorPalette1DItem>(*palette);
  EXPECT_TRUE(*copy == *palette);
  EXPECT_EQ(copy->ColorAt(1.0), kWhite);
  copy.reset();
  palette.reset();
}

TEST(TColorPalette1DItemTest, ChainEditing) {
  TRecordingSink sink;
  TColorPalette1DItem palette(0x000000, kWhite);
  TColorPalette1DItem* half = palette.Insert(0.5, kRed);
  TColorPalette1DItem* quarter = palette.Insert(0.25, kGreen);
  palette.Insert(0.75, kBlue);
  EXPECT_EQ(Stops(palette), "0:000000 0.25:00FF00 0.5:0000FF 0.75:FF0000 1:FFFFFF");
  EXPECT_EQ(palette.Predecessor(half), quarter);
  EXPECT_EQ(palette.Predecessor(&palette), nullptr);
  EXPECT_TRUE(palette.PositionExists(0.5, quarter));
  EXPECT_FALSE(palette.PositionExists(0.5, half));

  quarter->SetPosition(unitFactorPosMoreLess1(0.9));
  palette.Reposition(quarter);
  EXPECT_EQ(Stops(palette), "0:000000 0.5:0000FF 0.75:FF0000 0.9:00FF00 1:FFFFFF");
  half->SetPosition(unitFactorPosMoreLess1(0.1));
  palette.Reposition(half);
  EXPECT_EQ(palette.Delete(palette.GetNext()->GetNext()), half);
  EXPECT_EQ(Stops(palette), "0:000000 0.1:0000FF 0.9:00FF00 1:FFFFFF");
  EXPECT_TRUE(sink.Messages().empty());

  // Refused: the begin and end stops, a stop of another palette, an equal position.
  TColorPalette1DItem other(0x000000, kWhite);
  EXPECT_EQ(palette.Delete(&palette), nullptr);
  EXPECT_EQ(palette.Delete(palette.GetLast()), nullptr);
  EXPECT_EQ(palette.Delete(other.Insert(0.5, kRed)), nullptr);
  palette.Insert(0.9, kRed);
  EXPECT_EQ(Stops(palette), "0:000000 0.1:0000FF 0.9:00FF00 0.9:0000FF 1:FFFFFF");
  const std::string inner = "current->GetDPosition() > 0 && current->GetDPosition() < 1";
  EXPECT_EQ(Assertions(sink), (std::vector<std::string>{Soft(inner), Soft(inner),
                                                        Soft("NextColorPalette1DItem != NULL"),
                                                        Soft("position > Position")}));
}

TEST(TColorPalette1DItemTest, DeletingTheOnlyInnerStopLeavesTwoStops) {
  TColorPalette1DItem palette(0x000000, kWhite);
  EXPECT_EQ(palette.Delete(palette.Insert(0.5, kRed)), &palette);
  EXPECT_EQ(palette, TColorPalette1DItem(0x000000, kWhite));
}

TEST(TColorPalette1DItemTest, WrittenContentAndRoundTrip) {
  TColorPalette1DItem palette(0x000000, kWhite);
  palette.Insert(0.5, kRed)->SetUseColorAfter(true);
  palette.GetNext()->SetColorAfter(kBlue);
  // An unused after colour is stored and comes back.
  TColorPalette1DItem* unused = palette.Insert(0.75, kGreen);
  unused->SetUseColorAfter(true);
  unused->SetColorAfter(0x123456);
  unused->SetUseColorAfter(false);

  TXMLComplexElement xml("ColorPalette1D");
  palette.WriteXML(xml);
  EXPECT_EQ(Dump(xml),
            "ColorPalette1D(BeginColor=000000 ColorPalette1DItem(Position=0.5 ColorBefore=0000FF "
            "UseColorAfter() ColorAfter=FF0000) ColorPalette1DItem(Position=0.75 "
            "ColorBefore=00FF00 ColorAfter=123456) EndColor=FFFFFF)");
  TColorPalette1DItem read(kRed, kRed);
  read.Insert(0.1, kRed);
  std::string message;
  int32_t line = 0, column = 0;
  EXPECT_TRUE(read.ReadXML(xml, message, line, column));
  EXPECT_EQ(read, palette);
}

TEST(TColorPalette1DItemTest, FileOrderIsKeptAndColorAtStaysSafe) {
  TTempDir dir;
  TColorPalette1DItem palette(0x000000, kWhite);
  std::string message;
  WriteFileBytes(dir.File("desc.cp1"), PaletteFile(Item("0.7", "0000FF") + Item("0.3", "FF0000")));
  ASSERT_EQ(palette.LoadFromFile(dir.File("desc.cp1"), message), TXMLReadStatus::Ok);
  EXPECT_EQ(Stops(palette), "0:000000 0.7:0000FF 0.3:FF0000 1:FFFFFF");
  EXPECT_EQ(palette.ColorAt(0.35), 0x00007Fu);  // black to red over 0..0.7
  EXPECT_EQ(palette.ColorAt(0.8), MixColors(kBlue, kWhite, (0.8 - 0.3) / (1 - 0.3)));

  // Two stops at one position: a step without width, never a division by zero.
  WriteFileBytes(dir.File("dup.cp1"),
                 PaletteFile(Item("0.5", "0000FF") + Item("50 %", "FF0000", true)));
  ASSERT_EQ(palette.LoadFromFile(dir.File("dup.cp1"), message), TXMLReadStatus::Ok);
  EXPECT_EQ(Stops(palette), "0:000000 0.5:0000FF 50 %:FF0000/00FF00 1:FFFFFF");
  EXPECT_EQ(palette.ColorAt(0.5), kRed);
  EXPECT_EQ(palette.ColorAt(0.5 + 1e-9), kGreen);
  TRecordingSink sink;
  TColorPalette1DItem atBegin(0x000000, kWhite);
  atBegin.Insert(0.0, kRed);
  EXPECT_EQ(atBegin.ColorAt(0.0), kRed);
  EXPECT_EQ(Assertions(sink), std::vector<std::string>{Soft("position > Position")});
}

TEST(TColorPalette1DItemTest, RefusedValueEndsTheChainAndColorAtStaysSafe) {
  TTempDir dir;
  TRecordingSink sink;
  TColorPalette1DItem palette(kRed, kRed);
  std::string message;
  WriteFileBytes(dir.File("bad.cp1"), PaletteFile(Item("0.4", "0000FF") + Item("1.5", "FF0000")));
  EXPECT_EQ(palette.LoadFromFile(dir.File("bad.cp1"), message), TXMLReadStatus::Failed);
  EXPECT_EQ(message, "In Position: Value must be less than 1. At line 14, column 17.");
  EXPECT_EQ(Stops(palette), "0:000000 0.4:0000FF");
  EXPECT_EQ(palette.ColorAt(0.2), 0x00007Fu);
  EXPECT_EQ(palette.ColorAt(0.9), kRed);
  EXPECT_EQ(Assertions(sink), std::vector<std::string>{Soft("NextColorPalette1DItem != NULL")});

  WriteFileBytes(dir.File("hex.cp1"), PaletteFile(Item("0.4", "12G4")));
  EXPECT_EQ(palette.LoadFromFile(dir.File("hex.cp1"), message), TXMLReadStatus::Failed);
  EXPECT_EQ(message, "In ColorBefore: Invalid Hexdecimal value: \"12G4\". At line 10, column 20.");
}

TEST(TColorPalette1DItemTest, PaletteFileBytesAndSaveFailure) {
  TTempDir dir;
  TRecordingSink sink;
  const TColorPalette1DItem palette(0x000000, 0xFF8000);
  ASSERT_TRUE(palette.SaveToFile(dir.File("p.cp1")));
  EXPECT_EQ(ReadFileBytes(dir.File("p.cp1")),
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
            "<!DOCTYPE UnitColorPalette1D SYSTEM \"UnitColorPalette1D.dtd\">\r\n"
            "\r\n"
            "<UnitColorPalette1D>\r\n"
            "  <Version>1.0</Version>\r\n"
            "  <ColorPalette1D>\r\n"
            "    <BeginColor>000000</BeginColor>\r\n"
            "    <EndColor>FF8000</EndColor>\r\n"
            "  </ColorPalette1D>\r\n"
            "</UnitColorPalette1D>\r\n");
  EXPECT_FALSE(palette.SaveToFile(dir.File("missing/p.cp1")));
  const TRecordedMessage expected{
      "Cannot save Color Palette File: Operating System cannot open file for writing, maybe "
      "the file is readonly..",
      "FileError", TMessageIcon::Information};
  EXPECT_EQ(sink.Messages(), std::vector<TRecordedMessage>{expected});
}

TEST(TColorPalette1DItemTest, LoadFailuresLeaveThePaletteAlone) {
  TTempDir dir;
  TColorPalette1DItem palette(kRed, kBlue);
  const TColorPalette1DItem before(palette);
  std::string message = "old";
  EXPECT_EQ(palette.LoadFromFile(dir.File("none.cp1"), message), TXMLReadStatus::CannotOpen);
  EXPECT_EQ(message, "");

  std::string text = PaletteFile("");
  WriteFileBytes(dir.File("lex.cp1"),
                 text.replace(text.find("<BeginColor>"), 12, "<BeginColor x>"));
  EXPECT_EQ(palette.LoadFromFile(dir.File("lex.cp1"), message), TXMLReadStatus::Failed);
  EXPECT_EQ(message, "unexpected 'x' found in line 7, column 17.");

  text = PaletteFile("");
  WriteFileBytes(dir.File("end.cp1"), text.erase(text.find("    <EndColor>"), 33));
  EXPECT_EQ(palette.LoadFromFile(dir.File("end.cp1"), message), TXMLReadStatus::Failed);
  EXPECT_EQ(message,
            "unexpected end of element \"ColorPalette1D\", expect begin of element "
            "\"EndColor\". at line 8, column 19.");
  EXPECT_EQ(palette, before);
}

TEST(TColorPalette1DItemTest, ContentInMemoryLoadsAsTheFileDoes) {
  TTempDir dir;
  for (const std::string& bytes :
       {PaletteFile(Item("0.25", "00FF00") + Item("1/2", "0000FF", true)),
        PaletteFile(Item("0.75", "0000FF") + Item("0.25", "00FF00")), PaletteFile(Item("1.5", "FF")),
        PaletteFile(Item("0.5", "red")), std::string("<UnitColorPalette1D>")}) {
    WriteFileBytes(dir.File("p.cp1"), bytes);
    TColorPalette1DItem fromFile(kRed, kBlue);
    std::string fileMessage;
    const TXMLReadStatus fileStatus = fromFile.LoadFromFile(dir.File("p.cp1"), fileMessage);
    TColorPalette1DItem fromBytes(kRed, kBlue);
    std::string bytesMessage;
    EXPECT_EQ(fromBytes.LoadFromBytes(bytes, bytesMessage), fileStatus);
    EXPECT_EQ(bytesMessage, fileMessage);
    EXPECT_EQ(Stops(fromBytes), Stops(fromFile));
  }
}

TEST(TColorPalette1DItemTest, PositionsThatWouldBeSavedOntoTheEndAreRefused) {
  // 0.9999999999999999 would be saved as 1, and the saved file be refused.
  TColorPalette1DItem palette(kRed, kBlue);
  std::string message;
  EXPECT_EQ(palette.LoadFromBytes(PaletteFile(Item("0.9999999999999999", "0000FF")), message),
            TXMLReadStatus::Failed);
  EXPECT_EQ(message, "In Position: Value must be less than 1. At line 9, column 17.");
  ASSERT_EQ(palette.LoadFromBytes(PaletteFile(Item("0.999999999999999", "0000FF")), message),
            TXMLReadStatus::Ok)
      << message;
  const std::string saved = XMLDocumentText(*palette.BuildFileDocument());
  TColorPalette1DItem again(kRed, kBlue);
  ASSERT_EQ(again.LoadFromBytes(saved, message), TXMLReadStatus::Ok) << message;
  EXPECT_EQ(again, palette);
}

TEST(TColorPalette1DItemTest, OtherVersionIsReportedTwiceAndRead) {
  TTempDir dir;
  TRecordingSink sink;
  TColorPalette1DItem palette(kRed, kBlue);
  std::string message;
  WriteFileBytes(dir.File("v2.cp1"), PaletteFile(Item("0.5", "0000FF"), "2.0"));
  EXPECT_EQ(palette.LoadFromFile(dir.File("v2.cp1"), message), TXMLReadStatus::Ok);
  EXPECT_EQ(Stops(palette), "0:000000 0.5:0000FF 1:FFFFFF");
  EXPECT_EQ(Assertions(sink),
            (std::vector<std::string>{Soft("version == \"1.0\""), Soft("version == \"1.0\"")}));
}

TEST(TColorPalette1DItemTest, ExtraChildOfAStopIsReported) {
  TRecordingSink sink;
  TXMLComplexElement xml("ColorPalette1D");
  xml.Add(std::make_unique<TXMLStringElement>("BeginColor", "0"));
  auto* item = xml.Add(std::make_unique<TXMLComplexElement>("ColorPalette1DItem"));
  for (const char* name : {"Position", "ColorBefore", "ColorAfter", "Extra"}) {
    item->Add(std::make_unique<TXMLStringElement>(name, name[0] == 'P' ? "0.5" : "FF"));
  }
  xml.Add(std::make_unique<TXMLStringElement>("EndColor", "FF"));
  TColorPalette1DItem palette(kRed, kBlue);
  std::string message;
  int32_t line = 0, column = 0;
  EXPECT_TRUE(palette.ReadXML(xml, message, line, column));
  EXPECT_EQ(Assertions(sink), std::vector<std::string>{Soft("xmlNone == NULL")});
}
