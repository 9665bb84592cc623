#include "core/documents/ProjectFile.h"

#include <filesystem>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "core/xml/TXMLItem.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/TempDir.h"

namespace {

// A reader that records what the project asks for; documents "open" when their file is
// listed as readable.
class TRecordingReader : public TProjectReader {
 public:
  void SetNoNameCounter(int32_t value) override { log.push_back("counter " + std::to_string(value)); }
  void SetFrameValue(int index, int32_t value) override {
    log.push_back("frame " + std::to_string(index) + " " + std::to_string(value));
  }
  void SetFrameState(int state) override { log.push_back("frame state " + std::to_string(state)); }
  bool OpenWindow(const std::string& file, const std::string& tempPath) override {
    log.push_back("open " + file + (tempPath.empty() ? "" : " from " + tempPath));
    return !file.ends_with("/unreadable.vlf");
  }
  bool NameInUse(const std::string& name) override {
    return std::find(names.begin(), names.end(), name) != names.end();
  }
  bool ApplyWindow(const std::string& name, const TXMLItem* first, std::string& message,
                   int32_t& line, int32_t& column) override {
    int state = 0;
    const bool ok = ReadGeometry(
        first, [&](int i, int32_t v) { log.push_back("window " + std::to_string(i) + " " + std::to_string(v)); },
        state, message, line, column);
    if (ok) names.push_back(name);
    log.push_back("name '" + name + "'");
    return ok;
  }
  void LastName(const std::string& name) override { log.push_back("last '" + name + "'"); }

  std::vector<std::string> log;
  std::vector<std::string> names;
};

const char* kHeader =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<!DOCTYPE Project SYSTEM \"Project.dtd\">\r\n\r\n";

std::string Project(const std::string& version, const std::string& windows,
                    const std::string& width = "700") {
  return std::string(kHeader) + "<Project>\r\n  <Version>" + version +
         "</Version>\r\n  <NoNameCounter>7</NoNameCounter>\r\n  <Frame>\r\n    <Left>10</Left>\r\n"
         "    <Top>20</Top>\r\n    <Width>" + width + "</Width>\r\n    <Height>400</Height>\r\n"
         "    <Maximized />\r\n  </Frame>\r\n" + windows + "</Project>\r\n";
}

std::string Window(const std::string& document, const std::string& name, const std::string& width = "300") {
  return "  <Window>\r\n    " + document + "\r\n" + (name.empty() ? "" : "    <Name>" + name + "</Name>\r\n") +
         "    <Left>1</Left>\r\n    <Top>2</Top>\r\n    <Width>" + width +
         "</Width>\r\n    <Height>200</Height>\r\n    <Normal />\r\n  </Window>\r\n";
}

}  // namespace

TEST(TProjectPathsTest, CopiesLiveInAFolderNamedAfterTheProject) {
  TProjectPaths paths;
  EXPECT_FALSE(paths.Split(""));
  ASSERT_TRUE(paths.Split("session.tkp"));
  EXPECT_EQ(paths.Folder(), ".");
  EXPECT_EQ(paths.TempDirectory(), "./sessionTempSaveFiles");
  ASSERT_TRUE(paths.Split("/home/me/my.pics/session.tkp"));
  EXPECT_EQ(paths.Folder(), "/home/me/my.pics");
  EXPECT_EQ(paths.TempDirectory(), "/home/me/my.pics/sessionTempSaveFiles");
  EXPECT_EQ(paths.NewCopy(0), "/home/me/my.pics/sessionTempSaveFiles/newProjectWindowFile0.wav");
  EXPECT_EQ(paths.SavedCopy(12, ".tkm"), "/home/me/my.pics/sessionTempSaveFiles/savedProjectWindowFile12.tkm");
  ASSERT_TRUE(paths.Split("/p/plain"));
  EXPECT_EQ(paths.TempDirectory(), "/p/plainTempSaveFiles");
  ASSERT_TRUE(paths.Split("/top.tkp"));
  EXPECT_EQ(paths.Folder(), "/");
  EXPECT_EQ(paths.TempDirectory(), "/topTempSaveFiles");
}

TEST(TProjectPathsTest, RotationReplacesTheSavedCopiesByTheNewOnes) {
  TTempDir dir;
  TProjectPaths paths;
  std::string error;
  ASSERT_TRUE(paths.Split(dir.File("s.tkp")));
  ASSERT_TRUE(paths.EnsureTempDirectory(error));
  ASSERT_TRUE(paths.EnsureTempDirectory(error));  // an existing folder is fine
  for (int k : {0, 1, 2}) WriteFileBytes(paths.SavedCopy(k), "old" + std::to_string(k));
  WriteFileBytes(paths.SavedCopy(1, ".tkw"), "old1w");
  WriteFileBytes(paths.SavedCopy(4), "beyond a gap");
  WriteFileBytes(paths.NewCopy(0), "new0");
  WriteFileBytes(paths.NewCopy(1, ".tkm"), "new1m");
  ASSERT_TRUE(paths.CheckCopiesReplaceable(2, error)) << error;

  // The new copies take the saved names first; the saved names never go missing meanwhile.
  ASSERT_TRUE(paths.PromoteNewCopies(2, error)) << error;
  EXPECT_EQ(ReadFileBytes(paths.SavedCopy(0)), "new0");
  EXPECT_EQ(ReadFileBytes(paths.SavedCopy(1, ".tkm")), "new1m");
  EXPECT_FALSE(FileExists(paths.SavedCopy(1)));  // stems of new copies keep only those
  EXPECT_FALSE(FileExists(paths.SavedCopy(1, ".tkw")));
  EXPECT_FALSE(FileExists(paths.NewCopy(0)));
  EXPECT_EQ(ReadFileBytes(paths.SavedCopy(2)), "old2");

  ASSERT_TRUE(paths.DeleteSavedCopies(2, error)) << error;
  EXPECT_FALSE(FileExists(paths.SavedCopy(2)));
  EXPECT_TRUE(FileExists(paths.SavedCopy(4)));  // the scan stops at the first gap
  EXPECT_EQ(ReadFileBytes(paths.SavedCopy(0)), "new0");
  EXPECT_EQ(error, "");

  // A failed save leaves no new copy behind, even after a copy that was never written.
  WriteFileBytes(paths.NewCopy(1), "half");
  paths.DiscardNewCopies(2);
  EXPECT_FALSE(FileExists(paths.NewCopy(1)));
}

TEST(TProjectPathsTest, FoldersThatAreMissingOrCannotBeMadeAreReported) {
  TTempDir dir;
  WriteFileBytes(dir.File("sTempSaveFiles"), "a file in the way");
  WriteFileBytes(dir.File("plain"), "a file, not a folder");
  TProjectPaths paths;
  std::string error;
  ASSERT_TRUE(paths.Split(dir.File("s.tkp")));
  EXPECT_TRUE(paths.CheckFolder(error));
  EXPECT_FALSE(paths.EnsureTempDirectory(error));
  EXPECT_EQ(error, "the folder \"" + dir.File("sTempSaveFiles") +
                       "\" for the temp copies cannot be made: a file of that name is in the way");

  ASSERT_TRUE(paths.Split(dir.File("missing/s.tkp")));
  EXPECT_FALSE(paths.CheckFolder(error));
  EXPECT_EQ(error, "the folder \"" + dir.File("missing") + "\" does not exist");
  EXPECT_FALSE(paths.EnsureTempDirectory(error));
  EXPECT_EQ(error, "the folder \"" + dir.File("missing/sTempSaveFiles") +
                       "\" for the temp copies cannot be made: No such file or directory");

  ASSERT_TRUE(paths.Split(dir.File("plain/s.tkp")));
  EXPECT_FALSE(paths.CheckFolder(error));
  EXPECT_EQ(error, "\"" + dir.File("plain") + "\" is not a folder");
  ASSERT_TRUE(paths.Split(dir.File("plain/sub/s.tkp")));
  EXPECT_FALSE(paths.CheckFolder(error));
  EXPECT_EQ(error,
            "the folder \"" + dir.File("plain/sub") + "\" cannot be reached: Not a directory");
}

TEST(TProjectPathsTest, ACopyThatIsAFolderIsFoundBeforeAnythingChanges) {
  TTempDir dir;
  TProjectPaths paths;
  std::string error;
  ASSERT_TRUE(paths.Split(dir.File("s.tkp")));
  ASSERT_TRUE(paths.EnsureTempDirectory(error));
  auto makeFolder = [](const std::string& path) {
    std::filesystem::create_directory(path);
    WriteFileBytes(path + "/inside", "keeps the folder from being empty");
  };
  for (int k : {0, 1, 2}) WriteFileBytes(paths.SavedCopy(k), "old" + std::to_string(k));
  WriteFileBytes(paths.NewCopy(0), "new0");

  // A saved copy to be replaced, one to be deleted beside a new one, one beyond the new ones.
  std::filesystem::remove(paths.SavedCopy(0));
  makeFolder(paths.SavedCopy(0));
  EXPECT_FALSE(paths.CheckCopiesReplaceable(1, error));
  EXPECT_EQ(error,
            "the old copy \"" + paths.SavedCopy(0) + "\" cannot be replaced: it is a folder");
  EXPECT_FALSE(paths.PromoteNewCopies(1, error));
  EXPECT_EQ(error,
            "the old copy \"" + paths.SavedCopy(0) + "\" cannot be replaced: Is a directory");
  EXPECT_EQ(ReadFileBytes(paths.NewCopy(0)), "new0");
  EXPECT_FALSE(paths.DeleteSavedCopies(0, error));
  EXPECT_EQ(error, "the old copy \"" + paths.SavedCopy(0) + "\" cannot be deleted: Is a directory");
  std::filesystem::remove_all(paths.SavedCopy(0));
  WriteFileBytes(paths.SavedCopy(0), "old0");

  makeFolder(paths.SavedCopy(0, ".tkm"));
  EXPECT_FALSE(paths.CheckCopiesReplaceable(1, error));
  EXPECT_EQ(error, "the old copy \"" + paths.SavedCopy(0, ".tkm") +
                       "\" cannot be deleted: it is a folder");
  std::filesystem::remove_all(paths.SavedCopy(0, ".tkm"));

  std::filesystem::remove(paths.SavedCopy(2));
  makeFolder(paths.SavedCopy(2));
  EXPECT_FALSE(paths.CheckCopiesReplaceable(1, error));
  EXPECT_EQ(error, "the old copy \"" + paths.SavedCopy(2) + "\" cannot be deleted: it is a folder");
  std::filesystem::remove_all(paths.SavedCopy(2));

  makeFolder(paths.NewCopy(1));
  EXPECT_FALSE(paths.CheckCopiesReplaceable(2, error));
  EXPECT_EQ(error, "the new copy \"" + paths.NewCopy(1) + "\" is a folder");

  // None of the checks changed a copy.
  for (int k : {0, 1}) EXPECT_EQ(ReadFileBytes(paths.SavedCopy(k)), "old" + std::to_string(k));
  EXPECT_EQ(ReadFileBytes(paths.NewCopy(0)), "new0");
  EXPECT_TRUE(paths.CheckCopiesReplaceable(1, error)) << error;
}

TEST(ReadProjectTest, WindowsAreReadInFileOrder) {
  TTempDir dir;
  TRecordingSink sink;
  const std::string project =
      Project("1.0", Window("<Wave>\r\n      <File>a.vlf</File>\r\n    </Wave>", "Julia") +
                         Window("<Wave />", "Skipped") +
                         Window("<Music>\r\n      <File>song.wav</File>\r\n    </Music>", "") +
                         Window("<Wave>\r\n      <File>b.vlf</File>\r\n      <TempFile>3</TempFile>\r\n    </Wave>",
                                "Julia"));
  WriteFileBytes(dir.File("s.tkp"), project);
  TRecordingReader reader;
  std::string error;
  ASSERT_EQ(ReadProject(dir.File("s.tkp"), reader, error), TProjectReadResult::Read) << error;
  const std::string temp = dir.File("sTempSaveFiles/savedProjectWindowFile3.wav");
  EXPECT_EQ(reader.log, (std::vector<std::string>{
                            "counter 7", "frame 0 10", "frame 1 20", "frame 2 700", "frame 3 400",
                            "frame state 2", "open " + dir.File("a.vlf"), "window 0 1",
                            "window 1 2", "window 2 300", "window 3 200", "name 'Julia'",
                            "open " + dir.File("b.vlf") + " from " + temp, "window 0 1",
                            "window 1 2", "window 2 300", "window 3 200", "name ''", "last ''"}));
  EXPECT_EQ(sink.Messages(),
            (std::vector<TRecordedMessage>{{"When opening file \"" + dir.File("b.vlf") +
                                                "\" from project, a window with name "
                                                "\"Julia\" already exists",
                                            "Error", TMessageIcon::Information}}));
}

TEST(ReadProjectTest, RelativeFilesAreTakenFromTheProjectsFolder) {
  EXPECT_EQ(ProjectWindowFile("/data/tour/tour.tkp", "julia.vlf"), "/data/tour/julia.vlf");
  EXPECT_EQ(ProjectWindowFile("tour/tour.tkp", "sub/julia.vlf"), "tour/sub/julia.vlf");
  EXPECT_EQ(ProjectWindowFile("/top.tkp", "julia.vlf"), "/julia.vlf");
  EXPECT_EQ(ProjectWindowFile("/data/tour/tour.tkp", "/home/me/julia.vlf"), "/home/me/julia.vlf");
  // A project in the current folder, and a window without a file.
  EXPECT_EQ(ProjectWindowFile("tour.tkp", "julia.vlf"), "julia.vlf");
  EXPECT_EQ(ProjectWindowFile("/data/tour/tour.tkp", ""), "");
}

TEST(ReadProjectTest, FailuresStopTheReadWithTheirPosition) {
  TTempDir dir;
  TRecordingReader reader;
  std::string error;
  EXPECT_EQ(ReadProject(dir.File("none.tkp"), reader, error), TProjectReadResult::CannotOpen);

  WriteFileBytes(dir.File("v.tkp"), Project("2.0", ""));
  EXPECT_EQ(ReadProject(dir.File("v.tkp"), reader, error), TProjectReadResult::Failed);
  EXPECT_EQ(error, "the project file has the version \"2.0\", and this program reads only version 1.0.");
  EXPECT_TRUE(reader.log.empty());

  // A bad Width fails after Left and Top were applied.
  WriteFileBytes(dir.File("w.tkp"), Project("1.0", Window("<Wave><File>a.vlf</File></Wave>", "", "wide")));
  EXPECT_EQ(ReadProject(dir.File("w.tkp"), reader, error), TProjectReadResult::Failed);
  EXPECT_EQ(error, "In Width: Value must be positive and more than 0. At line 18, column 12.")
      << error;
  ASSERT_GE(reader.log.size(), 3u);
  EXPECT_EQ(reader.log[reader.log.size() - 3], "window 0 1");
  EXPECT_EQ(reader.log[reader.log.size() - 2], "window 1 2");

  WriteFileBytes(dir.File("u.tkp"), Project("1.0", Window("<Wave><File>unreadable.vlf</File></Wave>", "")));
  EXPECT_EQ(ReadProject(dir.File("u.tkp"), reader, error), TProjectReadResult::Failed);
  EXPECT_EQ(error, " At line 14, column 11.");

  WriteFileBytes(dir.File("t.tkp"), Project("1.0", Window("<Wave><TempFile>../../x</TempFile></Wave>", "")));
  EXPECT_EQ(ReadProject(dir.File("t.tkp"), reader, error), TProjectReadResult::Failed);
  EXPECT_EQ(error, "In TempFile: \"../../x\" is not the number of a temp copy. At line 15, column 21.");

  WriteFileBytes(dir.File("g.tkp"), Project("1.0", "  <Window><Wave /></Window>\r\n"));
  EXPECT_EQ(ReadProject(dir.File("g.tkp"), reader, error), TProjectReadResult::Failed);
  EXPECT_EQ(error, "unexpected end of element \"Window\", expect begin of element \"Left\". at line 14, column 27.");
}

TEST(ReadProjectTest, ContentInMemoryReadsAsTheFileDoes) {
  TTempDir dir;
  TRecordingSink sink;
  const std::string windows =
      Window("<Wave>\r\n      <File>a.vlf</File>\r\n    </Wave>", "Julia") +
      Window("<Wave>\r\n      <File>b.vlf</File>\r\n      <TempFile>3</TempFile>\r\n    </Wave>", "");
  for (const std::string& bytes : {Project("1.0", windows), Project("1.0", windows, "0"),
                                   Project("2.0", windows), std::string("<Project>")}) {
    WriteFileBytes(dir.File("s.tkp"), bytes);
    TRecordingReader fileReader;
    std::string fileError;
    const TProjectReadResult fromFile = ReadProject(dir.File("s.tkp"), fileReader, fileError);
    TRecordingReader bytesReader;
    std::string bytesError;
    EXPECT_EQ(ReadProjectBytes(bytes, dir.File("s.tkp"), bytesReader, bytesError), fromFile);
    EXPECT_EQ(bytesError, fileError);
    EXPECT_EQ(bytesReader.log, fileReader.log);
  }
}

TEST(ReadProjectTest, OnlyTheProjectsOwnVersionCounts) {
  // A Version element after the Project element used to pass the check in its place, and
  // the Project's own version then stopped the program.
  TTempDir dir;
  const std::string refused =
      "the project file has the version \"2.0\", and this program reads only version 1.0.";
  for (const std::string& bytes : {Project("2.0", "") + "<Version>1.0</Version>\r\n",
                                   Project("1.0", "") + "<Version>2.0</Version>\r\n"}) {
    WriteFileBytes(dir.File("v.tkp"), bytes);
    TRecordingReader reader;
    std::string error;
    EXPECT_EQ(ReadProject(dir.File("v.tkp"), reader, error), TProjectReadResult::Failed);
    EXPECT_EQ(error, refused);
    EXPECT_EQ(ReadProjectBytes(bytes, dir.File("v.tkp"), reader, error), TProjectReadResult::Failed);
    EXPECT_EQ(error, refused);
    EXPECT_TRUE(reader.log.empty());
    std::unique_ptr<TXMLComplexElement> root;
    EXPECT_EQ(ReadProjectTreeBytes(bytes, root, error), TXMLReadStatus::Failed);
    EXPECT_EQ(root, nullptr);
  }
}
