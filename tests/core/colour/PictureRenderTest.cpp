#include "core/colour/PictureRender.h"

#include <algorithm>
#include <atomic>
#include <vector>

#include <gtest/gtest.h>

#include "core/canvas/ArgbRows.h"
#include "core/colour/FractalColouring.h"
#include "core/colour/TVoldViewProps.h"
#include "core/fractal/StripScheduler.h"
#include "core/fractal/TFractArray.h"
#include "core/fractal/TFractProps.h"

namespace {

// The default Julia set on a small grid: outside cells of many depths, inside cells with
// cycles of length 3.
TFractProps Small(int32_t width, int32_t height) {
  TFractProps props;
  props.XResolution.SetValue(width);
  props.YResolution.SetValue(height);
  return props;
}

// The colours a view gives the cells of props, computed at one pixel a cell.
std::vector<uint32_t> ViewColours(const TFractProps& props, const TVoldViewProps& settings) {
  const int32_t w = props.XResolution.GetValue();
  const int32_t h = props.YResolution.GetValue();
  TFractArray results(w, h);
  uint64_t steps = 0;
  std::string error;
  EXPECT_TRUE(ComputeInStrips(props, results, 1, {}, steps, error));
  std::vector<uint32_t> pixels(static_cast<size_t>(w) * static_cast<size_t>(h));
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      pixels[static_cast<size_t>(y * w + x)] = ToOpaqueArgb(CellColor(
          results.GetDepth(x, y), results.GetCycle(x, y), settings, props.MaxCycle.GetValue()));
  return pixels;
}

}  // namespace

TEST(PictureRenderTest, LinearLightAveragesKeepFlatColoursAndBlendEdges) {
  // Black and white average to half the light, which sRGB writes as 188, not 128.
  const uint32_t blackWhite[] = {0xFF000000u, 0xFFFFFFFFu};
  EXPECT_EQ(AverageArgb(blackWhite, 2), 0xFFBCBCBCu);
  // Every channel value comes back from linear light as itself.
  for (int v = 0; v < 256; ++v)
    EXPECT_EQ(LinearToSrgb(SrgbToLinear(static_cast<uint8_t>(v))), v) << v;
  const uint32_t flat[] = {0xFF123456u, 0xFF123456u, 0xFF123456u};
  EXPECT_EQ(AverageArgb(flat, 3), 0xFF123456u);
  // Channels are averaged each on its own.
  const uint32_t redBlue[] = {0xFFFF0000u, 0xFF0000FFu};
  EXPECT_EQ(AverageArgb(redBlue, 2), 0xFFBC00BCu);
}

TEST(PictureRenderTest, OneSampleAtTheGridsSizeIsTheViewsPicture) {
  const TFractProps props = Small(37, 29);
  TVoldViewProps settings;
  std::vector<uint32_t> picture;
  std::string error;
  for (int32_t threads : {1, 3}) {
    ASSERT_TRUE(RenderPicture(props, settings, {37, 29, 1}, threads, {}, picture, error)) << error;
    EXPECT_EQ(picture, ViewColours(props, settings)) << threads << " threads";
  }
  // Another size is the same fractal on another grid.
  ASSERT_TRUE(RenderPicture(props, settings, {50, 20, 1}, 2, {}, picture, error));
  EXPECT_EQ(picture, ViewColours(Small(50, 20), settings));
}

TEST(PictureRenderTest, SamplesAverageTheCellsOfAFinerGrid) {
  const TFractProps props = Small(24, 24);
  TVoldViewProps settings;
  std::vector<uint32_t> picture;
  std::string error;
  ASSERT_TRUE(RenderPicture(props, settings, {24, 24, 3}, 2, {}, picture, error)) << error;
  // Each pixel is the average of its 3 x 3 cells of the grid three times as fine.
  const std::vector<uint32_t> fine = ViewColours(Small(72, 72), settings);
  int blended = 0;
  for (int32_t y = 0; y < 24; ++y) {
    for (int32_t x = 0; x < 24; ++x) {
      uint32_t block[9];
      for (int32_t j = 0; j < 3; ++j)
        for (int32_t i = 0; i < 3; ++i) block[j * 3 + i] = fine[static_cast<size_t>((y * 3 + j) * 72 + x * 3 + i)];
      const uint32_t pixel = picture[static_cast<size_t>(y * 24 + x)];
      ASSERT_EQ(pixel, AverageArgb(block, 9)) << x << ", " << y;
      bool uniform = true;
      for (uint32_t c : block) uniform = uniform && c == block[0];
      // A flat block stays its colour; an edge gets a colour none of its cells has.
      if (uniform) {
        EXPECT_EQ(pixel, block[0]);
      } else {
        bool among = false;
        for (uint32_t c : block) among = among || c == pixel;
        blended += !among;
      }
    }
  }
  EXPECT_GT(blended, 20);
}

TEST(PictureRenderTest, SizesAndRecordsThatCannotBeRenderedAreRefused) {
  std::vector<uint32_t> picture;
  std::string error;
  TVoldViewProps settings;
  EXPECT_FALSE(RenderPicture(Small(10, 10), settings, {0, 10, 1}, 1, {}, picture, error));
  EXPECT_EQ(error, "A picture of 0 x 10 pixels cannot be made: each side takes 1 to 65535 pixels.");
  EXPECT_FALSE(RenderPicture(Small(10, 10), settings, {10, 10, 5}, 1, {}, picture, error));
  EXPECT_EQ(error, "A picture takes 1 to 4 samples per pixel in each direction, not 5.");
  EXPECT_FALSE(RenderPicture(Small(10, 10), settings, {65536, 10, 1}, 1, {}, picture, error));
  EXPECT_EQ(error, "A picture of 65536 x 10 pixels cannot be made: each side takes 1 to 65535 pixels.");
  const auto sink = [](const uint32_t*, int32_t, int32_t, std::string&) { return true; };
  EXPECT_FALSE(RenderPictureRows(Small(10, 10), settings, {10, 10, 1}, 5, 11, 1, {}, sink, error));
  EXPECT_EQ(error, "The rows 5 to 11 do not lie within the 10 rows of the picture.");
  TFractProps props = Small(10, 10);
  props.MaxCycle.SetValue(2000000);
  EXPECT_FALSE(RenderPicture(props, settings, {10, 10, 1}, 1, {}, picture, error));
  EXPECT_EQ(error, "Max Cycles to Detect must lie between 0 and 1000000.");
}

TEST(PictureRenderTest, AStopRequestEndsTheWorkWithoutAPicture) {
  std::vector<uint32_t> picture;
  std::string error = "untouched";
  std::atomic<int> asked{0};
  TPictureCallbacks callbacks;
  callbacks.stopRequested = [&] { return asked.fetch_add(1) >= 2; };
  EXPECT_FALSE(RenderPicture(Small(64, 64), TVoldViewProps(), {64, 64, 2}, 2, callbacks, picture,
                             error));
  EXPECT_EQ(error, "");
  EXPECT_TRUE(picture.empty());
}

TEST(PictureRenderTest, BandsOfAnyHeightMakeTheSamePictureAsOneBand) {
  // Cycles and fractional depths, so that every kind of cell is in the picture.
  TFractProps props = Small(41, 31);
  props.MaxCycle.SetValue(3);
  TVoldViewProps settings;
  for (int32_t samples : {1, 2}) {
    const TPictureSize size{41, 31, samples};
    std::vector<uint32_t> whole;
    std::string error;
    ASSERT_TRUE(RenderPicture(props, settings, size, 2, {}, whole, error)) << error;
    // Bands of one row, of 4 rows with a last band of 3, of rows 7 to 23 only.
    for (const int64_t bandCells : {int64_t{41} * samples * samples, int64_t{41} * 16 * samples * samples / 4}) {
      for (const auto& [first, last] : {std::pair{0, 31}, std::pair{7, 23}}) {
        std::vector<uint32_t> got;
        std::vector<int32_t> bands;
        const auto sink = [&](const uint32_t* argb, int32_t firstRow, int32_t rows, std::string&) {
          EXPECT_EQ(firstRow, first + static_cast<int32_t>(got.size() / 41));
          got.insert(got.end(), argb, argb + 41 * rows);
          bands.push_back(rows);
          return true;
        };
        std::vector<double> shares;
        TPictureCallbacks callbacks;
        callbacks.progress = [&](double share) { shares.push_back(share); };
        ASSERT_TRUE(RenderPictureRows(props, settings, size, first, last, 2, callbacks, sink, error,
                                      bandCells))
            << error;
        EXPECT_TRUE(std::equal(got.begin(), got.end(), whole.begin() + first * 41,
                               whole.begin() + last * 41))
            << samples << " samples, " << bandCells << " cells a band";
        EXPECT_EQ(got.size(), static_cast<size_t>((last - first) * 41));
        EXPECT_EQ(bands.front(), PictureBandRows(size, bandCells));
        // The share grows to the whole and never back.
        ASSERT_FALSE(shares.empty());
        EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()));
        EXPECT_DOUBLE_EQ(shares.back(), 1.0);
      }
    }
  }
}

TEST(PictureRenderTest, BandBoundsSplitTheRowsIntoHeightsThatDifferByOne) {
  int32_t first = 0;
  int32_t last = 0;
  int32_t next = 0;
  for (int32_t k = 1; k <= 7; ++k) {
    PictureBandBounds(100, k, 7, first, last);
    EXPECT_EQ(first, next);
    EXPECT_TRUE(last - first == 14 || last - first == 15) << k;
    next = last;
  }
  EXPECT_EQ(next, 100);
  PictureBandBounds(65535, 3, 3, first, last);
  EXPECT_EQ(last, 65535);
  // The band a budget allows: at least a row, at most the picture.
  EXPECT_EQ(PictureBandRows({1000, 500, 2}, 40000), 10);
  EXPECT_EQ(PictureBandRows({65535, 65535, 4}, 100), 1);
  EXPECT_EQ(PictureBandRows({10, 5, 1}), 5);
}

TEST(PictureRenderTest, ASinkThatFailsEndsTheWorkWithItsMessage) {
  std::string error;
  int calls = 0;
  const auto sink = [&](const uint32_t*, int32_t, int32_t, std::string& text) {
    ++calls;
    text = "disk full";
    return false;
  };
  EXPECT_FALSE(RenderPictureRows(Small(20, 20), TVoldViewProps(), {20, 20, 1}, 0, 20, 1, {}, sink,
                                 error, 20 * 4));
  EXPECT_EQ(error, "disk full");
  EXPECT_EQ(calls, 1);
}
