#include "core/xml/XMLWriter.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "core/xml/TDTDItem.h"
#include "core/xml/TXMLItem.h"
#include "tests/core/xml/XMLTestHelpers.h"
#include "tests/support/TempDir.h"

using namespace dtd;

namespace {

const std::string kCannotOpen =
    "Operating System cannot open file for writing, maybe the file is readonly.";

// A palette-like document with a group, an empty group, and texts that look like markup.
std::unique_ptr<TXMLComplexElement> SampleTree() {
  auto root = std::make_unique<TXMLComplexElement>("UnitColorPalette1D");
  root->Add(std::make_unique<TXMLStringElement>("Version", "1.0"));
  auto* palette = root->Add(std::make_unique<TXMLComplexElement>("ColorPalette1D"));
  palette->Add(std::make_unique<TXMLStringElement>("Name", "50% & &amp; %s \xe9"));
  palette->Add(std::make_unique<TXMLComplexElement>("MapC"));
  root->Add(std::make_unique<TXMLComplexElement>("Stops"));
  return root;
}

std::unique_ptr<TDTDItem> SampleGrammar() {
  return Compound(
      "UnitColorPalette1D",
      Concat(Attribute("Version"),
             Compound("ColorPalette1D", Concat(Attribute("Name"), Compound("MapC", Empty()))),
             Compound("Stops", RepeatMin0(Attribute("Stop")))));
}

TEST(XMLWriterTest, DocumentBytes) {
  EXPECT_EQ(XMLDocumentText(*SampleTree()),
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
            "<!DOCTYPE UnitColorPalette1D SYSTEM \"UnitColorPalette1D.dtd\">\r\n"
            "\r\n"
            "<UnitColorPalette1D>\r\n"
            "  <Version>1.0</Version>\r\n"
            "  <ColorPalette1D>\r\n"
            "    <Name>50% & &amp; %s \xe9</Name>\r\n"
            "    <MapC />\r\n"
            "  </ColorPalette1D>\r\n"
            "  <Stops />\r\n"
            "</UnitColorPalette1D>\r\n");
  TXMLComplexElement alone("R");
  alone.Add(std::make_unique<TXMLStringElement>("Text", ""));
  EXPECT_EQ(XMLDocumentText(alone),
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
            "<!DOCTYPE R SYSTEM \"R.dtd\">\r\n\r\n<R>\r\n  <Text></Text>\r\n</R>\r\n");

  TTempDir dir;
  std::string message;
  ASSERT_TRUE(SaveToFile(*SampleTree(), dir.File("a.cp1"), message));
  EXPECT_EQ(ReadFileBytes(dir.File("a.cp1")), XMLDocumentText(*SampleTree()));
}

TEST(XMLWriterTest, WrittenTreesReadBack) {
  TTempDir dir;
  std::string message;
  ASSERT_TRUE(SaveToFile(*SampleTree(), dir.File("a.cp1"), message));
  std::unique_ptr<TXMLComplexElement> root;
  ASSERT_EQ(ReadXMLFile(dir.File("a.cp1"), *SampleGrammar(), nullptr, root, message),
            TXMLReadStatus::Ok)
      << message;
  EXPECT_EQ(Dump(*root->GetFirst()), Dump(*SampleTree()));

  // An empty text is written, but the reader refuses it.
  auto tree = SampleTree();
  auto* stops = static_cast<TXMLComplexElement*>(tree->GetLast());
  stops->Add(std::make_unique<TXMLStringElement>("Stop", ""));
  EXPECT_EQ(ReadXMLBytes(XMLDocumentText(*tree), *SampleGrammar(), nullptr, root, message),
            TXMLReadStatus::Failed);
  EXPECT_EQ(message, "unexpected end of element \"Stop\", expect text, at line 11, column 10.");
}

TEST(XMLWriterTest, RefusedTargetsAreLeftAlone) {
  TTempDir dir;
  std::string message;
  EXPECT_FALSE(SaveToFile(*SampleTree(), dir.File("missing/a.cp1"), message));
  EXPECT_EQ(message, kCannotOpen);
  EXPECT_FALSE(FileExists(dir.File("missing")));

  // The write bits are what counts, also for a user who could write anyway.
  const std::string readOnly = dir.File("old.cp1");
  WriteFileBytes(readOnly, "old bytes");
  ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
  message.clear();
  EXPECT_FALSE(SaveToFile(*SampleTree(), readOnly, message));
  EXPECT_EQ(message, kCannotOpen);
  EXPECT_EQ(ReadFileBytes(readOnly), "old bytes");
}

TEST(XMLWriterTest, AFailedWriteKeepsThePreviousFile) {
  TTempDir dir;
  const std::string path = dir.File("a.vlf");
  WriteFileBytes(path, "old bytes");
  auto tree = SampleTree();
  for (int i = 0; i < 200; ++i) tree->Add(std::make_unique<TXMLStringElement>("Stop", "0.5"));

  // Files may grow to 1 KiB only; the signal that would end the program is ignored.
  rlimit previous{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
  rlimit small = previous;
  small.rlim_cur = 1024;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const auto previousHandler = ::signal(SIGXFSZ, SIG_IGN);
  std::string message;
  const bool saved = SaveToFile(*tree, path, message);
  ::signal(SIGXFSZ, previousHandler);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &previous), 0);

  EXPECT_FALSE(saved);
  EXPECT_EQ(message,
            "Operating System could not write the whole file, maybe the disk is full (File too "
            "large).");
  EXPECT_EQ(ReadFileBytes(path), "old bytes");
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    EXPECT_EQ(entry.path().filename(), "a.vlf");
    ++files;
  }
  EXPECT_EQ(files, 1);
}

}  // namespace
