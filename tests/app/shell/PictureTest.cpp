// Pictures that carry their fractal open as that fractal, in a window of its own.
#include "core/fractal/TFractArray.h"
#include "tests/app/shell/MainFormFixture.h"
#include "tests/support/TinyPng.h"

namespace {

using TPictureTest = TMainFormFixture;

}  // namespace

TEST_F(TPictureTest, APictureOpensItsFractalAsANewDocument) {
  std::string bytes = ReadFileBytes(VELMORA_TEST_DATA "/default.vlf");
  bytes.replace(bytes.find("<MaxDepth>200<"), 14, "<MaxDepth>123<");
  WriteFileBytes(dir.File("a.vlf"), bytes);
  WriteFileBytes(dir.File("a.PNG"), TinyPngCarrying(bytes));

  dialogTitles.clear();
  chosenFiles = {dir.File("a.PNG")};
  form->FileOpenFractalExecute();
  TMDIChildWave* window = form->ActiveFractalWindow();
  ASSERT_NE(window, nullptr);
  WaitForComputation(window);
  EXPECT_EQ(window->unitWave()->Name(), "NONAME1");
  EXPECT_EQ(window->unitWave()->FileName(), "");
  EXPECT_EQ(window->View()->GetFractProps().MaxDepth.GetValue(), 123);
  EXPECT_EQ(window->View()->GetFractArray()->ColumnsDone(), 250);
  EXPECT_TRUE(window->unitWave()->NeedsSave());
  // Saved as a fractal file, it is the file the picture was made from.
  chosenFiles = {dir.File("b.vlf")};
  ASSERT_TRUE(form->SaveDocumentAs(window->unitWave()));
  EXPECT_EQ(ReadFileBytes(dir.File("b.vlf")), bytes);

  // The command line opens a picture the same way.
  form->HandleCommandLine({dir.File("a.PNG")});
  EXPECT_EQ(form->ChildWindows().size(), 2u);
  EXPECT_EQ(form->ActiveFractalWindow()->unitWave()->Name(), "NONAME2");
  EXPECT_TRUE(sink.Messages().empty());
  WaitForComputation(form->ActiveFractalWindow());
}

TEST_F(TPictureTest, APictureWithoutAGoodFractalOpensNothingAndSaysWhy) {
  std::string damaged = TinyPngCarrying(ReadFileBytes(VELMORA_TEST_DATA "/default.vlf"));
  damaged[70] ^= 0x01;
  WriteFileBytes(dir.File("damaged.png"), damaged);
  WriteFileBytes(dir.File("other.png"), TinyPng());
  WriteFileBytes(dir.File("garbage.png"), TinyPngCarrying("<?xml version=\"1.0\"?>\r\n<nothing/>\r\n"));
  chosenFiles = {dir.File("damaged.png"), dir.File("other.png"), dir.File("garbage.png")};
  form->FileOpenFractalExecute();
  EXPECT_TRUE(form->ChildWindows().empty());
  ASSERT_EQ(sink.Messages().size(), 3u);
  EXPECT_EQ(sink.Messages()[0].text,
            "Cannot read the file: \"" + dir.File("damaged.png") +
                "\", the picture's fractal is damaged: its check sum does not match.");
  EXPECT_EQ(sink.Messages()[0].title, "File Error");
  EXPECT_EQ(sink.Messages()[1].text, "Cannot read the file: \"" + dir.File("other.png") +
                                         "\", the picture holds no fractal.");
  EXPECT_EQ(sink.Messages()[2].text.rfind("Cannot read the file: \"" + dir.File("garbage.png"), 0),
            0u);
  EXPECT_EQ(form->NoNameCounter, 0);
}
