// Runs velmora-cli as a user would and checks its output, files and exit codes.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/colour/TColorPalette1DItem.h"
#include "tests/cli/CliRunner.h"
#include "tests/support/TempDir.h"

namespace {

uint32_t Le32(const std::string& bytes, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
  return v;
}

float DepthAt(const std::string& raw, uint32_t height, uint32_t x, uint32_t y) {
  const uint32_t bits = Le32(raw, 20 + 4 * (static_cast<size_t>(x) * height + y));
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

// The default fractal file with the texts of some elements replaced, e.g. {"MaxCycle", "9"}.
std::string DefaultWith(const std::vector<std::pair<std::string, std::string>>& texts) {
  std::string bytes = ReadFileBytes(VELMORA_TEST_DATA "/default.vlf");
  for (const auto& [element, text] : texts) {
    const size_t start = bytes.find("<" + element + ">") + element.size() + 2;
    bytes.replace(start, bytes.find("</" + element + ">") - start, text);
  }
  return bytes;
}

// A project file with the given Window elements; its first Window is on line 8, column 9.
std::string Project(const std::string& windows) {
  return "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
         "<!DOCTYPE Project SYSTEM \"Project.dtd\">\r\n\r\n"
         "<Project>\r\n<Version>1.0</Version>\r\n<NoNameCounter>3</NoNameCounter>\r\n"
         "<Frame><Left>0</Left><Top>0</Top><Width>600</Width><Height>400</Height><Normal />"
         "</Frame>\r\n" +
         windows + "</Project>\r\n";
}

// A Window element with the given Wave element and name.
std::string Window(const std::string& wave, const std::string& name) {
  return "<Window>" + wave + "<Name>" + name +
         "</Name><Left>1</Left><Top>2</Top><Width>300</Width><Height>200</Height><Normal />"
         "</Window>\r\n";
}

}  // namespace

TEST(CliTest, NewCheckAndResave) {
  TTempDir dir;
  TRun run = Cli("new a.vlf", dir);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(ReadFileBytes(dir.File("a.vlf")), ReadFileBytes(VELMORA_TEST_DATA "/default.vlf"));
  run = Cli("check a.vlf", dir);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "OK\n");
  run = Cli("resave a.vlf b.vlf", dir);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(ReadFileBytes(dir.File("b.vlf")), ReadFileBytes(dir.File("a.vlf")));

  WriteFileBytes(dir.File("p.CP1"), ReadFileBytes(VELMORA_TEST_DATA "/palette.cp1"));
  run = Cli("check p.CP1", dir);
  EXPECT_EQ(run.out, "OK\n") << run.err;
  run = Cli("resave p.CP1 q.cp1", dir);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(ReadFileBytes(dir.File("q.cp1")), ReadFileBytes(dir.File("p.CP1")));
}

TEST(CliTest, PalettesOfOtherProgramsAreCheckedAndConverted) {
  TTempDir dir;
  WriteFileBytes(dir.File("a.gpl"), "GIMP Palette\nName: Three\n255 0 0 Red\n0 255 0\n0 0 255\n");
  WriteFileBytes(dir.File("g.GGR"),
                 "GIMP Gradient\nName: Step\n1\n0 0.5 1 0 0 0 1 1 1 1 1 5 0 0 0\n");
  std::string map;
  for (int i = 0; i < 256; ++i) map += std::to_string(i) + " 0 " + std::to_string(255 - i) + "\r\n";
  WriteFileBytes(dir.File("m.map"), map);
  for (const char* file : {"a.gpl", "g.GGR", "m.map"}) {
    const TRun run = Cli(std::string("check ") + file, dir);
    EXPECT_EQ(run.exitCode, 0) << file << run.err;
    EXPECT_EQ(run.out, "OK\n") << file;
  }

  // GIMP palette to map: 256 colours sampled along the palette.
  TRun run = Cli("resave a.gpl b.map", dir);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string b = ReadFileBytes(dir.File("b.map"));
  EXPECT_EQ(std::count(b.begin(), b.end(), '\n'), 256);
  EXPECT_EQ(b.substr(0, 12), "255   0   0\n");
  EXPECT_EQ(b.substr(b.size() - 12), "  0   0 255\n");

  // Through a native file and back: the same colours.
  ASSERT_EQ(Cli("resave a.gpl c.cp1", dir).exitCode, 0);
  ASSERT_EQ(Cli("resave c.cp1 d.gpl", dir).exitCode, 0);
  EXPECT_EQ(ReadFileBytes(dir.File("d.gpl")),
            "GIMP Palette\nName: d\nColumns: 16\n"
            "# Velmora palette: 3 colours evenly spaced from 0 to 1\n"
            "255   0   0\n  0 255   0\n  0   0 255\n");
  ASSERT_EQ(Cli("resave m.map m.cp1", dir).exitCode, 0);
  ASSERT_EQ(Cli("resave m.cp1 again.MAP", dir).exitCode, 0);
  ASSERT_EQ(Cli("resave m.map m.map.gpl", dir).exitCode, 0);
  std::string lf = map;
  for (std::size_t at; (at = lf.find('\r')) != std::string::npos;) lf.erase(at, 1);
  const std::string again = ReadFileBytes(dir.File("again.MAP"));
  EXPECT_EQ(again.size(), 256u * 12u);
  for (int i = 0; i < 256; i += 51) {
    char line[16];
    std::snprintf(line, sizeof line, "%3d %3d %3d\n", i, 0, 255 - i);
    EXPECT_EQ(again.substr(static_cast<std::size_t>(i) * 12, 12), line) << i;
  }
  ASSERT_EQ(Cli("resave g.GGR g.cp1", dir).exitCode, 0);
  EXPECT_NE(ReadFileBytes(dir.File("g.cp1")).find("<UseColorAfter />"), std::string::npos);

  // What each side takes, and the messages of a bad file.
  run = Cli("resave a.gpl out.ggr", dir);
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.err.rfind("velmora-cli: a palette is written as a .cp1, .gpl or .map file, not "
                          "as \"out.ggr\": .ggr is read only\n",
                          0),
            0u)
      << run.err;
  EXPECT_EQ(Cli("resave a.gpl out.vlf", dir).exitCode, 2);
  // A name of no known kind (a device, say) takes the program's own palette file.
  ASSERT_EQ(Cli("resave a.gpl out.txt", dir).exitCode, 0);
  TColorPalette1DItem fromText(0x000000, 0x000000);
  std::string message;
  ASSERT_EQ(fromText.LoadFromFile(dir.File("out.txt"), message), TXMLReadStatus::Ok) << message;
  EXPECT_EQ(fromText.ColorAt(0.5), MakeColor(0, 255, 0));
  ASSERT_EQ(Cli("new f.vlf", dir).exitCode, 0);
  run = Cli("resave f.vlf f.gpl", dir);
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(
      run.err.rfind("velmora-cli: a fractal is written as a .vlf file, not as \"f.gpl\"\n", 0), 0u)
      << run.err;
  EXPECT_FALSE(FileExists(dir.File("f.gpl")));

  WriteFileBytes(dir.File("bad.map"), "0 0 0\r\n\r\n1 300 2\r\n");
  for (const char* command : {"check bad.map", "resave bad.map bad.cp1"}) {
    run = Cli(command, dir);
    EXPECT_EQ(run.exitCode, 1) << command;
    EXPECT_EQ(run.err,
              "Cannot read the file: \"bad.map\", line 3: \"300\" is not a whole number from 0 "
              "to 255.\n")
        << command;
  }
  EXPECT_FALSE(FileExists(dir.File("bad.cp1")));
  run = Cli("check missing.ggr", dir);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(
      run.err,
      "Cannot read the file: \"missing.ggr\", the file does not exist or cannot be opened.\n");
}

TEST(CliTest, CheckPrintsTheApplicationsMessage) {
  TTempDir dir;
  TRun run = Cli("check missing.vlf", dir);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Cannot read the file: \"missing.vlf\", the file does not exist or cannot be opened.\n");
  EXPECT_EQ(run.out, "");

  std::string bytes = ReadFileBytes(VELMORA_TEST_DATA "/default.vlf");
  bytes.replace(bytes.find("<MaxDepth>200<"), 14, "<MaxDepth>0<");
  WriteFileBytes(dir.File("bad.vlf"), bytes);
  run = Cli("check bad.vlf", dir);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err,
            "Cannot read the file: \"bad.vlf\", In MaxDepth: Value must be positive and more than 0. "
            "At line 52, column 15.\n");

  // A soft assertion is shown and does not change the outcome.
  bytes = ReadFileBytes(VELMORA_TEST_DATA "/default.vlf");
  bytes.replace(bytes.find("<Version>1.0<"), 13, "<Version>9.9<");
  WriteFileBytes(dir.File("v.vlf"), bytes);
  run = Cli("check v.vlf", dir);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "OK\n");
  EXPECT_NE(run.err.find(": Condition \"version == \"1.0\"\"failed!\n"), std::string::npos) << run.err;
}

TEST(CliTest, RawWritesTheResultStore) {
  TTempDir dir;
  ASSERT_EQ(Cli("new a.vlf", dir).exitCode, 0);
  TRun run = Cli("raw a.vlf a.raw --threads 1", dir);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string raw = ReadFileBytes(dir.File("a.raw"));
  ASSERT_EQ(raw.size(), 20u + 250u * 250u * 8u);
  EXPECT_EQ(raw.substr(0, 8), "VELMRAW1");
  EXPECT_EQ(Le32(raw, 8), 250u);
  EXPECT_EQ(Le32(raw, 12), 250u);
  EXPECT_EQ(Le32(raw, 16), 250u);
  EXPECT_EQ(DepthAt(raw, 250, 125, 125), static_cast<float>(-4.0 / 200));
  EXPECT_EQ(Le32(raw, 20 + 250 * 250 * 4 + 4 * (125 * 250 + 125)), 3u);
  EXPECT_NEAR(DepthAt(raw, 250, 0, 0), 0.01039, 1e-5);

  // Every thread count gives the same bytes; whole depths differ.
  run = Cli("raw a.vlf b.raw --threads 2", dir);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(ReadFileBytes(dir.File("b.raw")), raw);
  run = Cli("raw a.vlf c.raw --cont 1", dir);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(DepthAt(ReadFileBytes(dir.File("c.raw")), 250, 0, 0), static_cast<float>(4.0 / 200));
}

TEST(CliTest, HugeGridsAreRefused) {
  TTempDir dir;
  std::string bytes = ReadFileBytes(VELMORA_TEST_DATA "/default.vlf");
  bytes.replace(bytes.find("<XResolution>250<"), 17, "<XResolution>2000000000<");
  WriteFileBytes(dir.File("huge.vlf"), bytes);
  const TRun run = Cli("raw huge.vlf a.raw", dir);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err.rfind("Cannot compute \"huge.vlf\": ", 0), 0u) << run.err;
  EXPECT_FALSE(FileExists(dir.File("a.raw")));
}

TEST(CliTest, BenchReportsEachRunAndTheMedian) {
  TTempDir dir;
  ASSERT_EQ(Cli("new a.vlf", dir).exitCode, 0);
  const TRun run = Cli("bench a.vlf --repeat 2 --scalar", dir);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  // --scalar is one thread on the plain loop, whatever vector units there are.
  EXPECT_NE(run.out.find(", 1 thread, scalar\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("run 1: "), std::string::npos);
  EXPECT_NE(run.out.find("run 2: "), std::string::npos);
  EXPECT_NE(run.out.find("median: "), std::string::npos);
  EXPECT_NE(run.out.find(" FormulaStep evaluations, "), std::string::npos);
  EXPECT_NE(run.out.find(" G iterations/s"), std::string::npos);
  EXPECT_NE(run.out.find(" Mpixel/s"), std::string::npos);
}

TEST(CliTest, UsageErrorsExitWithTwo) {
  TTempDir dir;
  EXPECT_EQ(Cli("", dir).exitCode, 2);
  EXPECT_EQ(Cli("frobnicate", dir).exitCode, 2);
  EXPECT_EQ(Cli("check", dir).exitCode, 2);
  EXPECT_EQ(Cli("check a.txt", dir).exitCode, 2);
  EXPECT_EQ(Cli("raw a.vlf b.raw --threads 0", dir).exitCode, 2);
  EXPECT_EQ(Cli("raw a.vlf b.raw --cont 2", dir).exitCode, 2);
  EXPECT_EQ(Cli("raw a.vlf b.raw --size 2x2", dir).exitCode, 2);
  for (const char* band : {"0/3", "4/3", "3", "1/0", "a/b", "1/3/4"}) {
    EXPECT_EQ(Cli(std::string("render a.vlf b.png --band ") + band, dir).exitCode, 2) << band;
  }
  EXPECT_EQ(Cli("render a.vlf b.jpg --band 1/2", dir).exitCode, 2);
  EXPECT_EQ(Cli("assemble out.png", dir).exitCode, 2);
  EXPECT_EQ(Cli("assemble out.jpg b1.png", dir).exitCode, 2);
  const TRun help = Cli("--help", dir);
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("usage: velmora-cli COMMAND", 0), 0u);
}

TEST(CliTest, CheckReadsProjectsAndTheFilesOfTheirWindows) {
  TTempDir dir;
  ASSERT_EQ(Cli("new a.vlf", dir).exitCode, 0);
  std::filesystem::create_directory(dir.File("sTempSaveFiles"));
  WriteFileBytes(dir.File("sTempSaveFiles/savedProjectWindowFile0.wav"), ReadFileBytes(dir.File("a.vlf")));
  WriteFileBytes(dir.File("s.tkp"),
                 Project(Window("<Wave><File>" + dir.File("a.vlf") + "</File></Wave>", "A") +
                         Window("<Wave><TempFile>0</TempFile></Wave>", "A")));
  TRun run = Cli("check s.tkp", dir);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "OK\n");
  // The duplicate name is reported as the application reports it, and is not fatal.
  EXPECT_EQ(run.err, "When opening file \"\" from project, a window with name \"A\" already exists\n");

  WriteFileBytes(dir.File("t.tkp"), Project(Window("<Wave><File>" + dir.File("gone.vlf") + "</File></Wave>", "B")));
  run = Cli("check t.tkp", dir);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Cannot read the file: \"" + dir.File("gone.vlf") +
                         "\", the file does not exist or cannot be opened.\n"
                         "Cannot read the file: \"t.tkp\", At line 8, column 9.\n");
}

TEST(CliTest, CheckRefusesWhatTheApplicationCannotCompute) {
  // Files that load but that the application refuses to compute, with the message it shows.
  TTempDir dir;
  WriteFileBytes(dir.File("large.vlf"),
                 DefaultWith({{"XResolution", "20000"}, {"YResolution", "20000"}}));
  TRun run = Cli("check large.vlf", dir);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "Cannot compute the fractal: A grid of 20000 x 20000 pixels is too large: at most "
            "268435456 pixels can be computed.\n");

  WriteFileBytes(dir.File("cycles.vlf"), DefaultWith({{"MaxCycle", "2000000"}}));
  run = Cli("check cycles.vlf", dir);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "Cannot compute the fractal: Max Cycles to Detect must lie between 0 and 1000000.\n");

  // A project's window, from its file or from a temp copy, is refused as one that cannot be read.
  WriteFileBytes(dir.File("f.tkp"),
                 Project(Window("<Wave><File>" + dir.File("cycles.vlf") + "</File></Wave>", "F")));
  run = Cli("check f.tkp", dir);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "Cannot compute the fractal: Max Cycles to Detect must lie between 0 and 1000000.\n"
            "Cannot read the file: \"f.tkp\", At line 8, column 9.\n");

  std::filesystem::create_directory(dir.File("tTempSaveFiles"));
  WriteFileBytes(dir.File("tTempSaveFiles/savedProjectWindowFile0.wav"),
                 ReadFileBytes(dir.File("large.vlf")));
  WriteFileBytes(dir.File("t.tkp"), Project(Window("<Wave><TempFile>0</TempFile></Wave>", "T")));
  run = Cli("check t.tkp", dir);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "Cannot compute the fractal: A grid of 20000 x 20000 pixels is too large: at most "
            "268435456 pixels can be computed.\n"
            "Cannot read the file: \"t.tkp\", At line 8, column 25.\n");  // at the TempFile
}

TEST(CliTest, BandsRenderedApartAssembleIntoTheSingleRender) {
  TTempDir dir;
  ASSERT_EQ(Cli("new a.vlf", dir).exitCode, 0);
  TRun run = Cli("render a.vlf whole.png --size 90x70 --aa 2", dir);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  for (int k = 1; k <= 3; ++k) {
    run = Cli("render a.vlf b" + std::to_string(k) + ".png --size 90x70 --aa 2 --threads 1 --band " +
                  std::to_string(k) + "/3",
              dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
  }
  run = Cli("assemble joined.png b3.png b1.png b2.png", dir);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(ReadFileBytes(dir.File("joined.png")), ReadFileBytes(dir.File("whole.png")));
  // The assembled picture carries the fractal as the single render does.
  EXPECT_EQ(Cli("check joined.png", dir).out, "OK\n");

  run = Cli("assemble out.png b1.png b3.png", dir);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "Cannot assemble \"out.png\": Band 2 of 3 is missing: the picture cannot be "
                     "put together without it.\n");
  EXPECT_FALSE(FileExists(dir.File("out.png")));
  run = Cli("render a.vlf b.png --size 90x2 --band 1/3", dir);
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.err.rfind("velmora-cli: a picture of 2 rows has at most 2 bands\n", 0), 0u) << run.err;
}

TEST(CliTest, HelpAndVersionAnswerWithoutWork) {
  TTempDir dir;
  TRun run = Cli("--version", dir);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "velmora-cli 1.0\n");
  run = Cli("--help", dir);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find("--version"), std::string::npos);
#ifdef VELMORA_GUI_PROGRAM
  // The program answers before it looks for a display, so this runs anywhere.
  const std::string gui = std::string("QT_QPA_PLATFORM=none ") + Quote(VELMORA_GUI_PROGRAM);
  FILE* pipe = popen((gui + " --version").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char line[64] = {};
  ASSERT_NE(fgets(line, sizeof line, pipe), nullptr);
  EXPECT_EQ(pclose(pipe), 0);
  EXPECT_STREQ(line, "velmora 1.0\n");
  pipe = popen((gui + " --help").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  ASSERT_NE(fgets(line, sizeof line, pipe), nullptr);
  EXPECT_EQ(pclose(pipe), 0);
  EXPECT_STREQ(line, "usage: velmora [FILE]...\n");
#endif
}
