#include "core/report/ErrorReporter.h"

#include <gtest/gtest.h>

#include "core/report/Assert.h"
#include "tests/support/RecordingSink.h"

TEST(ErrorReporterTest, CatalogueTextsTitlesAndIcons) {
  TRecordingSink sink;
  ErrorReporter.WindowNameExists("NONAME1");
  ErrorReporter.ProjectWindowNameExists("/p/a.vlf", "Julia");
  ErrorReporter.CannotReadFile("a.vlf", "no such thing");
  ErrorReporter.CannotReadFile("b.vlf", "");
  ErrorReporter.InputError("In Left: Input has no value.");
  const std::vector<TRecordedMessage> expected = {
      {"A window with name \"NONAME1\" already exists.", "Error", TMessageIcon::Information},
      {"When opening file \"/p/a.vlf\" from project, a window with name \"Julia\" already exists",
       "Error", TMessageIcon::Information},
      {"Cannot read the file: \"a.vlf\", no such thing", "File Error", TMessageIcon::Error},
      {"Cannot read the file: \"b.vlf\", ", "File Error", TMessageIcon::Error},
      {"In Left: Input has no value.", "Input Error", TMessageIcon::Information},
  };
  EXPECT_EQ(sink.Messages(), expected);
}

TEST(ErrorReporterTest, SoftAssertionReportsAndReturns) {
  TRecordingSink sink;
  ErrorReporter.AssertionFailed("xmlVersion->GetElement() == \"Version\"", "unitfract", 64);
  ASSERT_EQ(sink.Messages().size(), 1u);
  EXPECT_EQ(sink.Messages()[0].text,
            "In unitfract line 64: Condition \"xmlVersion->GetElement() == \"Version\"\"failed!");
  EXPECT_EQ(sink.Messages()[0].title, "Assertion failed");
  int reached = 0;
  VELMORA_SOFT_ASSERT(reached == 1, "reached == 1", "unitfract");
  ++reached;
  EXPECT_EQ(reached, 1);
  EXPECT_EQ(sink.Messages().size(), 2u);
}

TEST(ErrorReporterTest, SinkIsRestoredAfterRecording) {
  {
    TRecordingSink outer;
    {
      TRecordingSink inner;
      ErrorReporter.InputError("inner");
      EXPECT_EQ(inner.Texts(), std::vector<std::string>{"inner"});
    }
    ErrorReporter.InputError("outer");
    EXPECT_EQ(outer.Texts(), std::vector<std::string>{"outer"});
  }
  EXPECT_NE(dynamic_cast<TStderrSink*>(&ErrorReporter.Sink()), nullptr);
}

TEST(HardAssertionDeathTest, ReportsConditionFileAndLineThenEnds) {
  EXPECT_DEATH(VELMORA_ASSERT(1 + 1 == 3, "SavedCursor == crDefault"),
               "Assertion failed: SavedCursor == crDefault, file .*ErrorReporterTest.cpp, line [0-9]+");
}

TEST(CoreLayerTest, IncludesNoQtHeader) {
  // The core builds and is tested without a display; nothing in it may reach for Qt.
  const std::string root = VELMORA_SOURCE_DIR "/src/core";
  ASSERT_EQ(system(("grep -rlE '#include *<Q' " + root + " > /dev/null").c_str()) == 0, false);
}
