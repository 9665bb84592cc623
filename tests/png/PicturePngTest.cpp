#include "png/PicturePng.h"

#include <atomic>
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "core/colour/TVoldViewProps.h"
#include "core/documents/FractalFile.h"
#include "core/documents/PictureFractal.h"
#include "core/fractal/TFractProps.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempDir.h"

namespace {

size_t EntriesIn(const std::string& folder) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++n;
  return n;
}

TFractProps Record() {
  TFractProps props;
  props.XResolution.SetValue(60);
  props.YResolution.SetValue(45);
  return props;
}

std::vector<uint32_t> ReadPixels(const std::string& path) {
  TPngReader reader;
  std::string error;
  EXPECT_TRUE(reader.Open(path, error)) << error;
  std::vector<uint32_t> argb(static_cast<size_t>(reader.Width()) *
                             static_cast<size_t>(reader.Height()));
  EXPECT_TRUE(reader.ReadRows(argb.data(), reader.Height(), error)) << error;
  return argb;
}

class TPicturePngTest : public testing::Test {
 protected:
  // Renders band k of count of the 60 x 45 picture with 2 x 2 samples into name.
  bool Render(const std::string& name, int32_t k, int32_t count, const TFractProps& props,
              std::string& error) {
    return RenderPicturePng(props, settings, {k, count, 60, 45, 2}, name != "whole.png",
                            FractalFileText(settings, props), 2, {}, dir.File(name), error);
  }

  TTempDir dir;
  TVoldViewProps settings;
};

}  // namespace

TEST_F(TPicturePngTest, APngHoldsTheRenderedPictureAndItsFractal) {
  std::string error;
  ASSERT_TRUE(Render("whole.png", 1, 1, Record(), error)) << error;
  std::vector<uint32_t> expected;
  ASSERT_TRUE(RenderPicture(Record(), settings, {60, 45, 2}, 1, {}, expected, error));
  EXPECT_EQ(ReadPixels(dir.File("whole.png")), expected);
  std::string fractal;
  ASSERT_TRUE(ExtractFractal(ReadFileBytes(dir.File("whole.png")), fractal, error)) << error;
  EXPECT_EQ(fractal, FractalFileText(settings, Record()));
  // A whole picture is no band.
  TPngReader reader;
  ASSERT_TRUE(reader.Open(dir.File("whole.png"), error));
  EXPECT_EQ(reader.Text(kBandChunkKeyword), nullptr);
}

TEST_F(TPicturePngTest, BandsOfAnyCountAssembleToTheBytesOfOneRender) {
  std::string error;
  ASSERT_TRUE(Render("whole.png", 1, 1, Record(), error)) << error;
  const std::string whole = ReadFileBytes(dir.File("whole.png"));
  for (int32_t count : {1, 2, 3, 7}) {
    std::vector<std::string> bands;
    // Given in reverse order: the bands say where they belong.
    for (int32_t k = count; k >= 1; --k) {
      const std::string name = "band" + std::to_string(k) + "of" + std::to_string(count) + ".png";
      ASSERT_TRUE(Render(name, k, count, Record(), error)) << error;
      bands.push_back(dir.File(name));
    }
    ASSERT_TRUE(AssembleBands(bands, dir.File("joined.png"), error)) << count << ": " << error;
    EXPECT_EQ(ReadFileBytes(dir.File("joined.png")), whole) << count << " bands";
  }
  // A band is itself a picture of its rows.
  TPngReader reader;
  ASSERT_TRUE(reader.Open(dir.File("band3of7.png"), error));
  EXPECT_EQ(reader.Height(), 7);  // rows 12 .. 18
  ASSERT_NE(reader.Text(kBandChunkKeyword), nullptr);
  EXPECT_EQ(*reader.Text(kBandChunkKeyword), "3/7 60x45 2");
}

TEST_F(TPicturePngTest, MissingTwiceGivenAndForeignBandsAreRefusedBeforeAnythingIsWritten) {
  std::string error;
  for (int32_t k = 1; k <= 3; ++k) {
    ASSERT_TRUE(Render("b" + std::to_string(k) + ".png", k, 3, Record(), error)) << error;
  }
  TFractProps other = Record();
  other.MaxDepth.SetValue(99);
  ASSERT_TRUE(Render("other2.png", 2, 3, other, error));
  ASSERT_TRUE(Render("whole.png", 1, 1, Record(), error));
  ASSERT_TRUE(RenderPicturePng(Record(), settings, {2, 4, 60, 45, 2}, true,
                               FractalFileText(settings, Record()), 1, {}, dir.File("four.png"),
                               error));
  const std::string b1 = dir.File("b1.png");
  const std::string b2 = dir.File("b2.png");
  const std::string b3 = dir.File("b3.png");
  const std::string out = dir.File("out.png");
  EXPECT_FALSE(AssembleBands({b1, b3}, out, error));
  EXPECT_EQ(error, "Band 2 of 3 is missing: the picture cannot be put together without it.");
  EXPECT_FALSE(AssembleBands({b1, b2, b3, b2}, out, error));
  EXPECT_EQ(error, "The band \"" + b2 + "\" cannot be used: band 2 is given twice, also as \"" +
                       b2 + "\".");
  EXPECT_FALSE(AssembleBands({b1, dir.File("other2.png"), b3}, out, error));
  EXPECT_EQ(error, "The band \"" + dir.File("other2.png") +
                       "\" cannot be used: it belongs to another picture than \"" + b1 + "\".");
  EXPECT_FALSE(AssembleBands({b1, b2, dir.File("four.png")}, out, error));
  EXPECT_EQ(error, "The band \"" + dir.File("four.png") +
                       "\" cannot be used: it belongs to another picture than \"" + b1 + "\".");
  EXPECT_FALSE(AssembleBands({b1, dir.File("whole.png"), b3}, out, error));
  EXPECT_EQ(error, "The band \"" + dir.File("whole.png") +
                       "\" cannot be used: it is not a band of a Velmora picture.");
  EXPECT_FALSE(AssembleBands({b1, dir.File("missing.png")}, out, error));
  EXPECT_EQ(error, "The band \"" + dir.File("missing.png") +
                       "\" cannot be used: it cannot be opened (No such file or directory).");
  // A band damaged in its pixels is found while the picture is written; nothing is left.
  const std::string bytes = ReadFileBytes(b2);
  WriteFileBytes(dir.File("cut2.png"), bytes.substr(0, bytes.size() - 40));
  EXPECT_FALSE(AssembleBands({b1, dir.File("cut2.png"), b3}, out, error));
  EXPECT_EQ(error.rfind("The band \"" + dir.File("cut2.png") +
                            "\" cannot be used: it is a damaged PNG picture (",
                        0),
            0u)
      << error;
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_FALSE(AssembleBands({}, out, error));
  EXPECT_EQ(error, "No bands were given.");
}

TEST_F(TPicturePngTest, AStopOrAFullDiskLeavesNoFileBehind) {
  std::string error = "untouched";
  const std::string path = dir.File("a.png");
  std::atomic<int> asked{0};
  TPictureCallbacks callbacks;
  callbacks.stopRequested = [&] { return asked.fetch_add(1) >= 3; };
  EXPECT_FALSE(RenderPicturePng(Record(), settings, {1, 1, 60, 45, 2}, false, "x", 2, callbacks, path,
                                error));
  EXPECT_EQ(error, "");
  EXPECT_EQ(EntriesIn(dir.Path()), 0u);

  WriteFileBytes(path, "old");
  TFractProps large = Record();
  {
    const TFileSizeLimit disk(3000);
    EXPECT_FALSE(RenderPicturePng(large, settings, {1, 1, 400, 300, 1}, false, "x", 2, {}, path, error));
  }
  EXPECT_EQ(error.rfind("Operating System could not write the whole file, maybe the disk is full", 0),
            0u)
      << error;
  EXPECT_EQ(ReadFileBytes(path), "old");
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);

  EXPECT_FALSE(RenderPicturePng(Record(), settings, {4, 3, 60, 45, 1}, true, "x", 1, {}, path, error));
  EXPECT_EQ(error, "A picture of 45 rows has no band 4 of 3.");
}

TEST(BandTextTest, OnlyWellFormedDescriptionsOfPossibleBandsAreRead) {
  TBandInfo info;
  ASSERT_TRUE(ParseBandText("3/7 60x45 2", info));
  EXPECT_EQ(info.band, 3);
  EXPECT_EQ(info.count, 7);
  EXPECT_EQ(info.width, 60);
  EXPECT_EQ(info.height, 45);
  EXPECT_EQ(info.samples, 2);
  EXPECT_EQ(BandText(info), "3/7 60x45 2");
  for (const char* bad : {"", "3/7 60x45", "3/7 60x45 2 ", "8/7 60x45 2", "0/7 60x45 2",
                          "3/7 60x45 5", "3/7 0x45 2", "3/70 60x45 2", "3/7 65536x45 2",
                          "3/7 60x45 2x"}) {
    EXPECT_FALSE(ParseBandText(bad, info)) << bad;
  }
}
