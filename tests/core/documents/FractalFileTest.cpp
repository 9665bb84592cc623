#include "core/documents/FractalFile.h"

#include <gtest/gtest.h>

#include "core/colour/TVoldViewProps.h"
#include "core/fractal/TFractProps.h"
#include "core/xml/TXMLItem.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/TempDir.h"

namespace {

std::string DefaultFileBytes() { return ReadFileBytes(VELMORA_TEST_DATA "/default.vlf"); }

// The default file with one text replaced.
std::string DefaultFileWith(const std::string& from, const std::string& to) {
  std::string bytes = DefaultFileBytes();
  const auto at = bytes.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return bytes.replace(at, from.size(), to);
}

struct TLoaded {
  TXMLReadStatus status;
  std::string message;
  TVoldViewProps settings;
  TFractProps props;
};

TLoaded Load(const TTempDir& dir, const std::string& bytes) {
  WriteFileBytes(dir.File("f.vlf"), bytes);
  TLoaded r;
  r.status = LoadFractalFile(dir.File("f.vlf"), r.settings, r.props, r.message);
  return r;
}

}  // namespace

TEST(FractalFileTest, DefaultsAreWrittenByteForByte) {
  TTempDir dir;
  ASSERT_TRUE(SaveFractalFile(dir.File("a.vlf"), TVoldViewProps(), TFractProps()));
  EXPECT_EQ(ReadFileBytes(dir.File("a.vlf")), DefaultFileBytes());
  const auto document = BuildFractalDocument(TVoldViewProps(), TFractProps());
  std::vector<std::string> children;
  for (const TXMLItem* c = document->GetFirst(); c != nullptr; c = c->Next()) children.push_back(c->GetElement());
  EXPECT_EQ(children, (std::vector<std::string>{"Version", "View", "FractalView", "Fractal"}));
}

TEST(FractalFileTest, RecordsRoundTripThroughTheFile) {
  TTempDir dir;
  TVoldViewProps settings;
  settings.UsePalBackgroundInside = true;
  settings.PalOutside.Insert(0.5, 0x123456);
  settings.CursorColor.SetValue(0x00FF00);
  TFractProps props;
  props.Map = MapC;
  props.Formula = 12;
  props.MaxCycle.SetValue(0);
  props.Top.SetValue(0.3);
  ASSERT_TRUE(SaveFractalFile(dir.File("a.vlf"), settings, props));
  TVoldViewProps settingsBack;
  TFractProps propsBack;
  std::string message;
  ASSERT_EQ(LoadFractalFile(dir.File("a.vlf"), settingsBack, propsBack, message), TXMLReadStatus::Ok) << message;
  EXPECT_EQ(settingsBack, settings);
  EXPECT_EQ(propsBack, props);
}

TEST(FractalFileTest, LoadsFilesWithLineFeedsOnly) {
  TTempDir dir;
  std::string bytes = DefaultFileBytes();
  std::string lf;
  for (char c : bytes)
    if (c != '\r') lf += c;
  const TLoaded r = Load(dir, lf);
  EXPECT_EQ(r.status, TXMLReadStatus::Ok) << r.message;
}

TEST(FractalFileTest, EachFailureGivesItsMessage) {
  TTempDir dir;
  TVoldViewProps settings;
  TFractProps props;
  std::string message = "old";
  EXPECT_EQ(LoadFractalFile(dir.File("missing.vlf"), settings, props, message), TXMLReadStatus::CannotOpen);
  EXPECT_EQ(LoadFailureReason(TXMLReadStatus::CannotOpen, message), kFileCannotBeOpened);

  // InnerDist is on line 54; its ">" is at column 15, so the value starts at 16.
  TLoaded r = Load(dir, DefaultFileWith("<InnerDist>0.0001<", "<InnerDist>1.5<"));
  EXPECT_EQ(r.status, TXMLReadStatus::Failed);
  EXPECT_EQ(r.message, "In InnerDist: Value must be less than 1. At line 54, column 16.");

  r = Load(dir, DefaultFileWith("<Formula>z^2+c<", "<Formula>z^2 + c<"));
  EXPECT_EQ(r.message, "Unknown Formula: 'z^2 + c' At line 56, column 14.");

  r = Load(dir, DefaultFileWith("</MaxDepth>", "</MaxDeph>"));
  EXPECT_EQ(r.message,
            "end of element \"MaxDeph\" does not match begin of element \"MaxDepth\", at line 52, column 27.");

  r = Load(dir, DefaultFileWith("<View />", "<View a=\"1\"/>"));
  EXPECT_EQ(r.message, "unexpected 'a' found in line 6, column 9.");

  r = Load(dir, DefaultFileWith("<Strength>2.5<", "<Strength>-1<"));
  EXPECT_EQ(r.message, "In Strength: Value must be positive and more than 0. At line 10, column 17.");
  // The view settings read before the bad value keep what the file said.
  EXPECT_EQ(r.settings.SensOutside, SensHigh);
}

TEST(FractalFileTest, ContentInMemoryLoadsAsTheFileDoes) {
  TTempDir dir;
  const std::string outerOnItsBound =
      DefaultFileWith("<OuterCircle>1000<", "<OuterCircle>1.0000000000000002<");
  for (const std::string& bytes :
       {DefaultFileBytes(), DefaultFileWith("<MapZ />", "<MapC />"), outerOnItsBound,
        DefaultFileWith("</MaxDepth>", "</MaxDeph>"), std::string()}) {
    const TLoaded fromFile = Load(dir, bytes);
    TLoaded fromBytes;
    fromBytes.status = LoadFractalBytes(bytes, fromBytes.settings, fromBytes.props, fromBytes.message);
    EXPECT_EQ(fromBytes.status, fromFile.status);
    EXPECT_EQ(fromBytes.message, fromFile.message);
    EXPECT_EQ(fromBytes.settings, fromFile.settings);
    EXPECT_EQ(fromBytes.props, fromFile.props);
  }
}

TEST(FractalFileTest, ValuesThatWouldBeSavedOntoTheirBoundAreRefused) {
  // Saved with 15 digits they would read back as 1, and the saved file be refused.
  TTempDir dir;
  TLoaded r = Load(dir, DefaultFileWith("<OuterCircle>1000<", "<OuterCircle>1.0000000000000002<"));
  EXPECT_EQ(r.status, TXMLReadStatus::Failed);
  EXPECT_EQ(r.message, "In OuterCircle: Value must be more than 1. At line 53, column 18.");
  r = Load(dir, DefaultFileWith("<InnerDist>0.0001<", "<InnerDist>0.9999999999999999<"));
  EXPECT_EQ(r.message, "In InnerDist: Value must be less than 1. At line 54, column 16.");
  // What a file may hold near a bound is saved so that it reads back as it was.
  r = Load(dir, DefaultFileWith("<OuterCircle>1000<", "<OuterCircle>1.00000000000001<"));
  ASSERT_EQ(r.status, TXMLReadStatus::Ok) << r.message;
  ASSERT_TRUE(SaveFractalFile(dir.File("again.vlf"), r.settings, r.props));
  TLoaded again;
  again.status = LoadFractalFile(dir.File("again.vlf"), again.settings, again.props, again.message);
  EXPECT_EQ(again.status, TXMLReadStatus::Ok) << again.message;
  EXPECT_EQ(again.props, r.props);
}

TEST(FractalFileTest, AnotherVersionIsReportedAndReadAnyway) {
  TTempDir dir;
  TRecordingSink sink;
  const TLoaded r = Load(dir, DefaultFileWith("<Version>1.0<", "<Version>2.0<"));
  EXPECT_EQ(r.status, TXMLReadStatus::Ok);
  ASSERT_EQ(sink.Messages().size(), 2u);
  for (const TRecordedMessage& m : sink.Messages()) {
    EXPECT_EQ(m.title, "Assertion failed");
    EXPECT_NE(m.text.find("In unitfract line "), std::string::npos);
    EXPECT_NE(m.text.find(": Condition \"version == \"1.0\"\"failed!"), std::string::npos);
  }
}

TEST(FractalFileTest, AFailedSaveShowsItsMessageAndKeepsTheOldFile) {
  TTempDir dir;
  TRecordingSink sink;
  EXPECT_FALSE(SaveFractalFile(dir.File("no/such/folder.vlf"), TVoldViewProps(), TFractProps()));
  EXPECT_EQ(sink.Messages(),
            (std::vector<TRecordedMessage>{
                {"Cannot save Fractal File: Operating System cannot open file for writing, maybe the "
                 "file is readonly..",
                 "FileError", TMessageIcon::Information}}));
}
