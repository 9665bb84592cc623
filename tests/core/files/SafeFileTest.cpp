#include "core/files/SafeFile.h"

#include <csignal>
#include <filesystem>

#include <sys/resource.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempDir.h"

namespace {

size_t EntriesIn(const std::string& folder) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++n;
  return n;
}

}  // namespace

TEST(WriteFileReplacingTest, WritesNewAndReplacesOldFiles) {
  TTempDir dir;
  const std::string path = dir.File("a.vlf");
  std::string message;
  ASSERT_TRUE(WriteFileReplacing(path, "first", message)) << message;
  EXPECT_EQ(ReadFileBytes(path), "first");
  ASSERT_TRUE(WriteFileReplacing(path, "second\r\n", message)) << message;
  EXPECT_EQ(ReadFileBytes(path), "second\r\n");
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST(WriteFileReplacingTest, KeepsPermissionsAndWritesThroughLinks) {
  TTempDir dir;
  const std::string path = dir.File("a.vlf");
  WriteFileBytes(path, "old");
  chmod(path.c_str(), 0640);
  std::filesystem::create_symlink(path, dir.File("link.vlf"));
  std::string message;
  ASSERT_TRUE(WriteFileReplacing(dir.File("link.vlf"), "new", message)) << message;
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.vlf")));
  EXPECT_EQ(ReadFileBytes(path), "new");
  struct stat st {};
  stat(path.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(WriteFileReplacingTest, RefusesReadOnlyFilesFoldersAndMissingFolders) {
  TTempDir dir;
  std::string message;
  EXPECT_FALSE(WriteFileReplacing(dir.File("missing/a.vlf"), "x", message));
  EXPECT_EQ(message, kCannotOpenForWriting);

  const std::string readOnly = dir.File("ro.vlf");
  WriteFileBytes(readOnly, "keep");
  chmod(readOnly.c_str(), 0444);
  message.clear();
  EXPECT_FALSE(WriteFileReplacing(readOnly, "x", message));
  EXPECT_EQ(message, kCannotOpenForWriting);
  EXPECT_EQ(ReadFileBytes(readOnly), "keep");

  const std::string folder = dir.File("locked");
  std::filesystem::create_directory(folder);
  chmod(folder.c_str(), 0555);
  message.clear();
  EXPECT_FALSE(WriteFileReplacing(folder + "/a.vlf", "x", message));
  EXPECT_EQ(message, kCannotOpenForWriting);
  EXPECT_EQ(EntriesIn(folder), 0u);

  message.clear();
  EXPECT_FALSE(WriteFileReplacing(dir.Path(), "x", message));
  EXPECT_EQ(message, kCannotOpenForWriting);
}

TEST(WriteFileReplacingTest, AFailedWriteKeepsThePreviousFile) {
  TTempDir dir;
  const std::string path = dir.File("a.vlf");
  WriteFileBytes(path, "previous content");
  std::string message;
  {
    TFileSizeLimit limit(1000);
    EXPECT_FALSE(WriteFileReplacing(path, std::string(5000, 'x'), message));
  }
  EXPECT_EQ(message.rfind("Operating System could not write the whole file, maybe the disk is full (", 0), 0u)
      << message;
  EXPECT_EQ(ReadFileBytes(path), "previous content");
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST(WriteFileReplacingTest, DevicesAreWrittenInPlace) {
  std::string message;
  EXPECT_TRUE(WriteFileReplacing("/dev/null", "x", message)) << message;
  if (std::filesystem::exists("/dev/full")) {
    EXPECT_FALSE(WriteFileReplacing("/dev/full", "x", message));
    EXPECT_NE(message.find("maybe the disk is full"), std::string::npos);
  }
}

TEST(ReadWholeFileTest, ReadsRefusesAndReports) {
  TTempDir dir;
  std::string content;
  EXPECT_EQ(ReadWholeFile(dir.File("none"), content), TReadResult::CannotOpen);
  EXPECT_EQ(ReadWholeFile(dir.Path(), content), TReadResult::CannotOpen);
  WriteFileBytes(dir.File("a"), "abc\r\ndef");
  ASSERT_EQ(ReadWholeFile(dir.File("a"), content), TReadResult::Ok);
  EXPECT_EQ(content, "abc\r\ndef");
  // A sparse file larger than the bound is refused without reading it.
  std::filesystem::resize_file(dir.File("a"), kMaxReadableFileSize + 1);
  EXPECT_EQ(ReadWholeFile(dir.File("a"), content), TReadResult::TooLarge);
  EXPECT_EQ(ReadWholeFile("/dev/zero", content), TReadResult::TooLarge);
}
