#include "png/PngStream.h"


#include <filesystem>
#include <vector>

#include <gtest/gtest.h>
#include <png.h>

#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempDir.h"

namespace {

size_t EntriesIn(const std::string& folder) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++n;
  return n;
}

// A picture whose every pixel differs from its neighbours, so that filters and the
// conversion of channels are all seen.
std::vector<uint32_t> Pattern(int32_t width, int32_t height) {
  std::vector<uint32_t> argb;
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x)
      argb.push_back(0xFF000000u | uint32_t(x * 37 + y) << 16 | uint32_t(y * 11) << 8 |
                     uint32_t(x ^ y));
  return argb;
}

bool Write(const std::string& path, const std::vector<uint32_t>& argb, int32_t width,
           int32_t height, const std::vector<int32_t>& pieces, std::string& error) {
  TPngWriter writer;
  if (!writer.Begin(path, width, height, {{"Velmora fractal", "<x>\xE9</x>"}, {"Other", ""}},
                    TPngEncoding(), error)) {
    return false;
  }
  int32_t row = 0;
  for (int32_t rows : pieces) {
    if (!writer.WriteRows(argb.data() + row * width, rows, error)) return false;
    row += rows;
  }
  return writer.Finish(error);
}

}  // namespace

TEST(PngStreamTest, RowsWrittenInAnyPiecesReadBackWithTheirTexts) {
  TTempDir dir;
  const std::vector<uint32_t> argb = Pattern(23, 17);
  std::string error;
  ASSERT_TRUE(Write(dir.File("a.png"), argb, 23, 17, {17}, error)) << error;
  ASSERT_TRUE(Write(dir.File("b.png"), argb, 23, 17, {1, 5, 0, 11}, error)) << error;
  // The same rows make the same bytes, however they were handed over.
  EXPECT_EQ(ReadFileBytes(dir.File("a.png")), ReadFileBytes(dir.File("b.png")));

  TPngReader reader;
  ASSERT_TRUE(reader.Open(dir.File("b.png"), error)) << error;
  EXPECT_EQ(reader.Width(), 23);
  EXPECT_EQ(reader.Height(), 17);
  ASSERT_NE(reader.Text("Velmora fractal"), nullptr);
  EXPECT_EQ(*reader.Text("Velmora fractal"), "<x>\xE9</x>");
  ASSERT_NE(reader.Text("Other"), nullptr);
  EXPECT_EQ(reader.Text("None"), nullptr);
  std::vector<uint32_t> back(argb.size());
  ASSERT_TRUE(reader.ReadRows(back.data(), 10, error));
  ASSERT_TRUE(reader.ReadRows(back.data() + 10 * 23, 7, error));
  EXPECT_EQ(back, argb);
  EXPECT_FALSE(reader.ReadRows(back.data(), 1, error));
}

TEST(PngStreamTest, AnUnfinishedOrRefusedPictureLeavesTheOldFileAndNothingElse) {
  TTempDir dir;
  const std::string path = dir.File("a.png");
  WriteFileBytes(path, "old");
  const std::vector<uint32_t> argb = Pattern(40, 30);
  std::string error;
  {
    TPngWriter writer;
    ASSERT_TRUE(writer.Begin(path, 40, 30, {}, TPngEncoding(), error));
    ASSERT_TRUE(writer.WriteRows(argb.data(), 10, error));
    EXPECT_FALSE(writer.Finish(error));
    EXPECT_EQ(error, "The PNG picture lacks 20 of its 30 rows.");
    EXPECT_FALSE(writer.WriteRows(argb.data(), 20, error));
  }
  {
    TPngWriter writer;
    ASSERT_TRUE(writer.Begin(path, 40, 30, {}, TPngEncoding(), error));
    EXPECT_FALSE(writer.WriteRows(argb.data(), 31, error));
    EXPECT_EQ(error, "The PNG picture has only 30 rows.");
  }
  {
    // Abandoned half-way.
    TPngWriter writer;
    ASSERT_TRUE(writer.Begin(path, 40, 30, {}, TPngEncoding(), error));
    ASSERT_TRUE(writer.WriteRows(argb.data(), 10, error));
  }
  EXPECT_EQ(ReadFileBytes(path), "old");
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);

  TPngWriter writer;
  EXPECT_FALSE(writer.Begin(path, 65536, 1, {}, TPngEncoding(), error));
  EXPECT_EQ(error, "A PNG picture of 65536 x 1 pixels cannot be written: each side takes 1 to 65535 "
                   "pixels.");
  EXPECT_FALSE(writer.Begin(dir.File("no/such/folder.png"), 4, 4, {}, TPngEncoding(), error));
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST(PngStreamTest, AFullDiskIsToldAndLeavesTheOldFile) {
  TTempDir dir;
  const std::string path = dir.File("a.png");
  WriteFileBytes(path, "old");
  // Noise does not compress: the picture is far larger than the disk's room.
  std::vector<uint32_t> argb(300 * 300);
  uint32_t seed = 1;
  for (uint32_t& p : argb) p = (seed = seed * 1664525u + 1013904223u);
  std::string error;
  bool written = true;
  {
    const TFileSizeLimit disk(20000);
    TPngWriter writer;
    written = writer.Begin(path, 300, 300, {}, TPngEncoding(), error) &&
              writer.WriteRows(argb.data(), 300, error) && writer.Finish(error);
  }
  EXPECT_FALSE(written);
  EXPECT_EQ(error.rfind("Operating System could not write the whole file, maybe the disk is full", 0),
            0u)
      << error;
  EXPECT_EQ(ReadFileBytes(path), "old");
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST(PngStreamTest, TheReaderRefusesWhatIsNoEightBitRgbPicture) {
  TTempDir dir;
  std::string error;
  TPngReader reader;
  EXPECT_FALSE(reader.Open(dir.File("missing.png"), error));
  EXPECT_EQ(error, "it cannot be opened (No such file or directory).");
  WriteFileBytes(dir.File("text.png"), "just some text, long enough");
  EXPECT_FALSE(reader.Open(dir.File("text.png"), error));
  EXPECT_EQ(error, "it is not a PNG picture.");
  // A grey picture, as other programs write them.
  png_image grey{};
  grey.version = PNG_IMAGE_VERSION;
  grey.width = 3;
  grey.height = 2;
  grey.format = PNG_FORMAT_GRAY;
  const unsigned char pixels[6] = {0, 50, 100, 150, 200, 250};
  ASSERT_TRUE(png_image_write_to_file(&grey, dir.File("grey.png").c_str(), 0, pixels, 0, nullptr));
  EXPECT_FALSE(reader.Open(dir.File("grey.png"), error));
  EXPECT_EQ(error, "it is not an 8-bit RGB picture without interlacing.");

  // A picture cut short in its pixels.
  const std::vector<uint32_t> argb = Pattern(64, 64);
  ASSERT_TRUE(Write(dir.File("a.png"), argb, 64, 64, {64}, error));
  std::string bytes = ReadFileBytes(dir.File("a.png"));
  WriteFileBytes(dir.File("cut.png"), bytes.substr(0, bytes.size() / 2));
  ASSERT_TRUE(reader.Open(dir.File("cut.png"), error)) << error;
  std::vector<uint32_t> back(argb.size());
  EXPECT_FALSE(reader.ReadRows(back.data(), 64, error));
  EXPECT_EQ(error.rfind("it is a damaged PNG picture (", 0), 0u) << error;
  // A damaged header.
  bytes[20] = '\x7F';
  WriteFileBytes(dir.File("bad.png"), bytes);
  EXPECT_FALSE(reader.Open(dir.File("bad.png"), error));
  EXPECT_EQ(error.rfind("it is a damaged PNG picture (", 0), 0u) << error;
}
