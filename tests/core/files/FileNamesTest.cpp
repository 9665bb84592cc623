#include "core/files/FileNames.h"

#include <gtest/gtest.h>

TEST(PathOfPathFileTest, SplitsAtTheLastSeparator) {
  std::string path = "old", file = "old", message;
  ASSERT_TRUE(PathOfPathFile("/home/me/pics/julia.vlf", path, file, message));
  EXPECT_EQ(path, "/home/me/pics");
  EXPECT_EQ(file, "julia.vlf");
  ASSERT_TRUE(PathOfPathFile("/julia.vlf", path, file, message));
  EXPECT_EQ(path, "");
  EXPECT_EQ(file, "julia.vlf");
  ASSERT_TRUE(PathOfPathFile("pics/", path, file, message));
  EXPECT_EQ(path, "pics");
  EXPECT_EQ(file, "");
  EXPECT_EQ(message, "");
}

TEST(PathOfPathFileTest, BareNameFailsAndKeepsTheOutputs) {
  std::string path = "p", file = "f", message;
  EXPECT_FALSE(PathOfPathFile("julia.vlf", path, file, message));
  EXPECT_EQ(message, "Function PathOfPathFile: PathFile (\"julia.vlf\") has no path\".");
  EXPECT_EQ(path, "p");
  EXPECT_EQ(file, "f");
}

TEST(NameOfFileTest, SplitsAtTheLastDot) {
  std::string name, extension, message = "untouched";
  EXPECT_TRUE(NameOfFile("archive.tar.gz", name, extension, message));
  EXPECT_EQ(name, "archive.tar");
  EXPECT_EQ(extension, "gz");
  EXPECT_TRUE(NameOfFile("README", name, extension, message));
  EXPECT_EQ(name, "README");
  EXPECT_EQ(extension, "");
  // The whole text is seen: a dot in a folder name splits there.
  EXPECT_TRUE(NameOfFile("my.pics/julia", name, extension, message));
  EXPECT_EQ(name, "my");
  EXPECT_EQ(extension, "pics/julia");
  EXPECT_EQ(message, "untouched");
}

TEST(LowerExtensionTest, TakesTheFileNamesLastDotInAnyCase) {
  EXPECT_EQ(LowerExtension("/home/me/Pictures.v2/Julia.Big.PNG"), "png");
  EXPECT_EQ(LowerExtension("archive.tar.gz"), "gz");
  // A dot in a folder's name is no extension of the file.
  EXPECT_EQ(LowerExtension("/home/me/my.fractals/README"), "");
  EXPECT_EQ(LowerExtension("trailing."), "");
}
