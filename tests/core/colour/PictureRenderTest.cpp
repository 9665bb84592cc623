#include "core/colour/PictureRender.h"

#include <atomic>
#include <vector>

#include <gtest/gtest.h>

#include "core/canvas/ArgbRows.h"
#include "core/colour/FractalColouring.h"
#include "core/colour/TVoldViewProps.h"
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
  EXPECT_FALSE(RenderPicture(Small(10, 10), settings, {20000, 20000, 1}, 1, {}, picture, error));
  EXPECT_EQ(error, "A grid of 20000 x 20000 pixels is too large: at most 268435456 pixels can be "
                   "computed.");
  TFractProps props = Small(10, 10);
  props.MaxCycle.SetValue(2000000);
  EXPECT_FALSE(RenderPicture(props, settings, {10, 10, 1}, 1, {}, picture, error));
  EXPECT_EQ(error, "Max Cycles to Detect must lie between 0 and 1000000.");
}

TEST(PictureRenderTest, AStopRequestEndsTheWorkWithoutAPicture) {
  std::vector<uint32_t> picture;
  std::string error = "untouched";
  std::atomic<int> asked{0};
  TStripCallbacks callbacks;
  callbacks.stopRequested = [&] { return asked.fetch_add(1) >= 2; };
  EXPECT_FALSE(RenderPicture(Small(64, 64), TVoldViewProps(), {64, 64, 2}, 2, callbacks, picture,
                             error));
  EXPECT_EQ(error, "");
  EXPECT_TRUE(picture.empty());
}
