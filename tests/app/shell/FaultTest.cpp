// Faults from outside: full disks, read-only files and folders, folders that vanish, files
// replaced under the program. Each ends in a clear message with the user's work intact.
#include <csignal>
#include <filesystem>

#include <sys/resource.h>
#include <sys/stat.h>

#include "tests/app/shell/MainFormFixture.h"
#include "tests/support/FileSizeLimit.h"

namespace {

using TFaultTest = TMainFormFixture;

// Lets this process write files of at most a few bytes, as a full disk would.
class TDiskFull : public TFileSizeLimit {
 public:
  TDiskFull() : TFileSizeLimit(100) {}
};

}  // namespace

TEST_F(TFaultTest, AFullDiskKeepsTheFileAndTheChangeMark) {
  TMDIChildWave* window = Open(DefaultFile("a.vlf"));
  ASSERT_NE(window, nullptr);
  const std::string before = ReadFileBytes(dir.File("a.vlf"));
  TFractProps props = window->View()->GetFractProps();
  props.MaxDepth.SetValue(99);
  window->View()->SetFractProps(props);
  window->unitWave()->SetChanged();
  {
    TDiskFull full;
    EXPECT_FALSE(form->SaveDocument(window->unitWave()));
  }
  EXPECT_EQ(ReadFileBytes(dir.File("a.vlf")), before);
  EXPECT_TRUE(window->unitWave()->NeedsSave());
  ASSERT_EQ(sink.Messages().size(), 1u);
  EXPECT_EQ(sink.Messages()[0].title, "FileError");
  EXPECT_NE(sink.Messages()[0].text.find("maybe the disk is full"), std::string::npos);
  // Once there is room again the same command saves.
  EXPECT_TRUE(form->SaveDocument(window->unitWave()));
  EXPECT_NE(ReadFileBytes(dir.File("a.vlf")).find("<MaxDepth>99<"), std::string::npos);
}

TEST_F(TFaultTest, ReadOnlyFilesAndFoldersAreRefused) {
  TMDIChildWave* window = Open(DefaultFile("a.vlf"));
  ASSERT_NE(window, nullptr);
  window->unitWave()->SetChanged();
  chmod(dir.File("a.vlf").c_str(), 0444);
  EXPECT_FALSE(form->SaveDocument(window->unitWave()));
  EXPECT_EQ(sink.Messages().back().text,
            "Cannot save Fractal File: Operating System cannot open file for writing, maybe the file is readonly..");
  EXPECT_TRUE(window->unitWave()->NeedsSave());

  const std::string locked = dir.File("locked");
  std::filesystem::create_directory(locked);
  chmod(locked.c_str(), 0555);
  chosenFiles = {locked + "/b.vlf"};
  EXPECT_FALSE(form->SaveDocumentAs(window->unitWave()));
  EXPECT_FALSE(FileExists(locked + "/b.vlf"));
  EXPECT_TRUE(window->unitWave()->NeedsSave());
}

TEST_F(TFaultTest, AFolderThatVanishesBeforeTheWrite) {
  form->DuplicateWaveExecute();  // nothing active
  TMDIChildWave* window = Open(DefaultFile("a.vlf"));
  ASSERT_NE(window, nullptr);
  form->DuplicateWaveExecute();
  TMDIChildWave* fresh = form->ActiveFractalWindow();
  const std::string folder = dir.File("gone");
  std::filesystem::create_directory(folder);
  // The dialog chose a file in the folder; the folder is removed before the write.
  SetFileDialogHandler([&](const TFileDialogSpec&) {
    std::filesystem::remove_all(folder);
    return std::vector<std::string>{folder + "/b.vlf"};
  });
  EXPECT_FALSE(form->SaveDocumentAs(fresh->unitWave()));
  EXPECT_TRUE(fresh->unitWave()->NeedsSave());
  EXPECT_EQ(sink.Messages().back().title, "FileError");
  // The close question still protects the work.
  answer = TAnswer::Cancel;
  fresh->SubWindow()->close();
  EXPECT_EQ(form->ChildWindows().size(), 2u);
}

TEST_F(TFaultTest, AFileReplacedByGarbageBetweenTwoOpens) {
  const std::string path = DefaultFile("a.vlf");
  TMDIChildWave* first = Open(path);
  ASSERT_NE(first, nullptr);
  WriteFileBytes(path, "<?xml?>\r\n<!x>\r\n<UnitFractal>&garbage;</UnitFractal>\r\n");
  EXPECT_EQ(form->OpenFractalFile(path, ""), nullptr);
  ASSERT_EQ(sink.Messages().size(), 1u);
  EXPECT_EQ(sink.Messages()[0].text,
            "Cannot read the file: \"" + path +
                "\", unexpected text \"&garbage;\", expect begin of element \"Version\". at line 3, column 23.");
  EXPECT_EQ(form->ChildWindows().size(), 1u);
  EXPECT_EQ(form->ChildWindows()[0], first);
  EXPECT_EQ(first->View()->GetFractProps().MaxDepth.GetValue(), 200);
}
