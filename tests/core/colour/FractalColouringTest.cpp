#include "core/colour/FractalColouring.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "core/canvas/ArgbRows.h"
#include "core/colour/TVoldViewProps.h"
#include "core/fractal/TFractArray.h"
#include "tests/support/RecordingCanvas.h"

namespace {

TVoldViewProps MixSettings(TSensitivity sensitivity, double strength) {
  TVoldViewProps s;
  s.SensOutside = sensitivity;
  s.StrengthOutside.SetValue(strength);
  s.BackgroundColorOutside.SetValue(0x000000);
  s.ForegroundColorOutside.SetValue(0x0000FF);
  return s;
}

// A finished grid whose every cell escaped at depth fraction 0.5.
std::unique_ptr<TFractArray> Finished(int32_t w, int32_t h) {
  auto a = std::make_unique<TFractArray>(w, h);
  for (int32_t x = 0; x < w; ++x)
    for (int32_t y = 0; y < h; ++y) a->SetDepth(x, y, 0.5f);
  a->SetColumnsDone(w);
  return a;
}

// Outside cells whose depths change down a column by rowStep, inside cells with cycle lengths 1
// to 3 (with a cycle test) and undecided cells.
void FillMixedCells(TFractArray& results, int32_t maxCycle, float rowStep) {
  for (int32_t x = 0; x < results.Width(); ++x) {
    for (int32_t y = 0; y < results.Height(); ++y) {
      const int32_t k = (x * 5 + y) % 6;
      const bool inside = maxCycle > 0 && k >= 3;
      results.SetDepth(
          x, y, k == 0 ? 0.0f : (inside ? -0.25f * k : 0.1f * k + rowStep * static_cast<float>(y)));
      results.SetCycle(x, y, inside ? k - 2 : 0);
    }
  }
}

}  // namespace

TEST(CellColorTest, MaxDepthOutsideMixAndClamp) {
  TVoldViewProps defaults;
  defaults.MaxDepthColor.SetValue(0x123456);
  EXPECT_EQ(CellColor(0.0f, 0, defaults, 3), 0x123456u);
  EXPECT_EQ(CellColor(0.0f, 7, defaults, 3), 0x123456u);

  EXPECT_EQ(CellColor(0.5f, 0, MixSettings(SensNormal, 1.0), 3), 0x00007Fu);
  EXPECT_EQ(CellColor(0.25f, 0, MixSettings(SensLow, 1.0), 3), 0x00000Fu);  // 255 * 0.0625
  // The defaults (square root, strength 2.5) reach the foreground from d = 0.16 on.
  for (float d : {0.17f, 0.5f, 1.0f}) EXPECT_EQ(CellColor(d, 0, defaults, 3), 0xFF8000u) << d;
  EXPECT_NE(CellColor(0.1f, 0, defaults, 3), 0xFF8000u);
}

TEST(CellColorTest, InsideMixColoursComeFromTheCyclePosition) {
  TVoldViewProps s;
  s.SensInside = SensNormal;
  s.StrengthInside.SetValue(100.0);  // t = 1: the foreground alone shows
  s.UsePalForegroundInside = true;
  s.PalForegroundInside = TColorPalette1DItem(0x000000, 0xFFFFFF);
  EXPECT_EQ(CellColor(-0.5f, 2, s, 3), 0x7F7F7Fu);  // cyclePos 0.5
  EXPECT_EQ(CellColor(-0.5f, 1, s, 3), 0x000000u);  // cyclePos 0
  EXPECT_EQ(CellColor(-0.5f, 3, s, 3), 0xFFFFFFu);  // cyclePos 1
  EXPECT_EQ(CellColor(-0.5f, 1, s, 1), 0x000000u);  // MaxCycle 1 divides by 1
  s.UsePalForegroundInside = false;
  s.ColorForegroundInside.SetValue(0x00FF00);
  EXPECT_EQ(CellColor(-0.5f, 1, s, 3), 0x00FF00u);
}

TEST(CellColorTest, PalettesTakeTheWeightAsPosition) {
  TVoldViewProps s = MixSettings(SensNormal, 1.0);
  s.UsePalOutside = true;
  s.PalOutside = TColorPalette1DItem(0x000000, 0xFFFFFF);
  EXPECT_EQ(CellColor(0.5f, 0, s, 3), 0x7F7F7Fu);
  s.UsePalDepthInside = true;
  s.SensInside = SensNormal;
  s.StrengthInside.SetValue(1.0);
  s.PalDepthInside = TColorPalette1DItem(0x000000, 0xFFFFFF);
  // With the depth palette the cycle position is neither used nor checked.
  EXPECT_EQ(CellColor(-1.0f, 0, s, 3), 0xFFFFFFu);
}

TEST(PaintFractalRectTest, AGridTwiceAsCoarseAsTheWindowPaintsBlocks) {
  auto results = Finished(250, 250);
  TRecordingCanvas canvas;
  const TVoldViewProps s = MixSettings(SensNormal, 1.0);
  PaintFractalRect(canvas, {0, 0, 500, 500}, {0, 0, 500, 500}, results.get(), s, 3);
  const auto& ops = canvas.Operations();
  ASSERT_EQ(ops.size(), 250u * 250u);
  EXPECT_EQ(ops.front(), "fill 0,0-2,2 00007F");
  EXPECT_EQ(ops[1], "fill 0,2-2,4 00007F");
  EXPECT_EQ(ops.back(), "fill 498,498-500,500 00007F");

  canvas.Clear();
  PaintFractalRect(canvas, {0, 0, 250, 250}, {0, 0, 250, 250}, results.get(), s, 3);
  ASSERT_EQ(canvas.Operations().size(), 250u * 250u);
  EXPECT_EQ(canvas.Operations()[1], "pixel 0,1 00007F");
  EXPECT_EQ(canvas.OperationsStartingWith("pixel").size(), 250u * 250u);
}

TEST(PaintFractalRectTest, PartialRectanglesPaintOnlyTheirPart) {
  auto results = Finished(10, 10);
  TRecordingCanvas canvas;
  const TVoldViewProps s = MixSettings(SensNormal, 1.0);
  // Cells are 10 x 10 pixels; the update covers a 3 x 1 strip inside cell (1, 2).
  PaintFractalRect(canvas, {12, 25, 15, 26}, {0, 0, 100, 100}, results.get(), s, 3);
  EXPECT_EQ(canvas.Operations(), std::vector<std::string>{"line 12,25-15,25 00007F solid"});
  canvas.Clear();
  PaintFractalRect(canvas, {12, 25, 13, 29}, {0, 0, 100, 100}, results.get(), s, 3);
  EXPECT_EQ(canvas.Operations(), std::vector<std::string>{"line 12,25-12,29 00007F solid"});
  canvas.Clear();
  PaintFractalRect(canvas, {12, 25, 13, 26}, {0, 0, 100, 100}, results.get(), s, 3);
  EXPECT_EQ(canvas.Operations(), std::vector<std::string>{"pixel 12,25 00007F"});
  // An update at the right and bottom edge reaches one cell past the grid: clamped, clipped.
  canvas.Clear();
  PaintFractalRect(canvas, {95, 95, 100, 100}, {0, 0, 100, 100}, results.get(), s, 3);
  EXPECT_EQ(canvas.Operations(), std::vector<std::string>{"fill 95,95-100,100 00007F"});
}

TEST(PaintFractalRectTest, OnlyComputedColumnsAreAndNothingElseIsPainted) {
  auto results = Finished(10, 10);
  results->SetColumnsDone(4);
  TRecordingCanvas canvas;
  const TVoldViewProps s = MixSettings(SensNormal, 1.0);
  PaintFractalRect(canvas, {0, 0, 10, 10}, {0, 0, 10, 10}, results.get(), s, 3);
  EXPECT_EQ(canvas.Operations().size(), 40u);
  EXPECT_EQ(canvas.Operations().back(), "pixel 3,9 00007F");

  canvas.Clear();
  PaintFractalRect(canvas, {0, 0, 0, 10}, {0, 0, 10, 10}, results.get(), s, 3);
  PaintFractalRect(canvas, {0, 0, 10, 10}, {0, 0, 1, 10}, results.get(), s, 3);
  PaintFractalRect(canvas, {0, 0, 10, 10}, {0, 0, 10, 10}, nullptr, s, 3);
  EXPECT_TRUE(canvas.Operations().empty());
}

TEST(PaintFractalRectTest, AtTheSizeOfItsGridEveryCellHasItsOwnPixel) {
  // Sizes whose cell edges, taken as a quotient first, fall a rounding error short of
  // whole pixels: a column or row would then vanish and its neighbour show twice.
  for (const int32_t size : {1000, 997, 49}) {
    auto results = Finished(size, size);
    for (int32_t x = 0; x < size; ++x) results->SetDepth(x, 0, static_cast<float>(x + 1) / size);
    TRecordingCanvas canvas;
    const TVoldViewProps s = MixSettings(SensNormal, 1.0);
    PaintFractalRect(canvas, {0, 0, size, size}, {0, 0, size, size}, results.get(), s, 3);
    const auto pixels = canvas.OperationsStartingWith("pixel");
    ASSERT_EQ(canvas.Operations().size(), static_cast<size_t>(size) * size) << size;
    ASSERT_EQ(pixels.size(), canvas.Operations().size()) << size;
    // Row 0 shows the columns in order, each with its own colour.
    for (int32_t x = 0; x < size; ++x) {
      const std::string expected =
          "pixel " + std::to_string(x) + ",0 " +
          TRecordingCanvas::Hex(CellColor(results->GetDepth(x, 0), 0, s, 3));
      ASSERT_EQ(pixels[static_cast<size_t>(x) * size], expected) << size;
    }
  }
}

TEST(ColourColumnsTest, GivesEachCellOfItsColumnsTheColourOfCellColor) {
  // Outside, inside with cycle lengths 1 to 3 and undecided cells, with palettes for the
  // inside so the cycle length matters; with MaxCycle 0 there are no inside cells.
  TVoldViewProps s = MixSettings(SensHigh, 0.8);
  s.UsePalBackgroundInside = true;
  s.UsePalForegroundInside = true;
  constexpr int32_t kWidth = 9, kHeight = 7;
  for (const int32_t maxCycle : {3, 0}) {
    TFractArray results(kWidth, kHeight);
    FillMixedCells(results, maxCycle, 0.01f);
    constexpr TColor kUntouched = 0xABCDEF;
    std::vector<TColor> colours(kWidth * kHeight, kUntouched);
    ColourColumns(results, 2, 7, s, maxCycle, colours.data());
    for (int32_t x = 0; x < kWidth; ++x) {
      for (int32_t y = 0; y < kHeight; ++y) {
        const TColor expected =
            x >= 2 && x < 7 ? CellColor(results.GetDepth(x, y), results.GetCycle(x, y), s, maxCycle)
                            : kUntouched;
        ASSERT_EQ(colours[static_cast<size_t>(x) * kHeight + y], expected)
            << x << ", " << y << " MaxCycle " << maxCycle;
      }
    }
  }
}

TEST(ColourColumnsTest, PaintsTheSameColoursIntoRowsOfPixels) {
  // The same cells as above on a grid taller than the colouring's blocks of rows and with
  // a number of columns that is no multiple of four, into rows longer than the grid.
  TVoldViewProps s = MixSettings(SensHigh, 0.8);
  s.UsePalBackgroundInside = true;
  s.UsePalForegroundInside = true;
  constexpr int32_t kWidth = 23, kHeight = 150, kStride = 32;
  for (const int32_t maxCycle : {3, 0}) {
    TFractArray results(kWidth, kHeight);
    FillMixedCells(results, maxCycle, 0.001f);
    constexpr uint32_t kUntouched = 0x12345678;
    std::vector<uint32_t> pixels(kStride * kHeight, kUntouched);
    ColourColumnsToRows(results, 1, 20, s, maxCycle, pixels.data(), kStride);
    for (int32_t x = 0; x < kStride; ++x) {
      for (int32_t y = 0; y < kHeight; ++y) {
        const uint32_t expected = x >= 1 && x < 20
                                      ? ToOpaqueArgb(CellColor(results.GetDepth(x, y),
                                                               results.GetCycle(x, y), s, maxCycle))
                                      : kUntouched;
        ASSERT_EQ(pixels[static_cast<size_t>(y) * kStride + x], expected)
            << x << ", " << y << " MaxCycle " << maxCycle;
      }
    }
  }
  EXPECT_EQ(ToOpaqueArgb(0x00332211), 0xFF112233u);
}

TEST(ColourColumnsTest, RunsOfOneDepthAndTheirEdgesGetTheirOwnColours) {
  // Runs of equal depths of every length from 1 to 19 (several cells are looked up as one
  // when they share their depth), with depths that differ only in their last bit, -0 and 0.
  const TVoldViewProps s = MixSettings(SensVeryHigh, 0.5);
  constexpr int32_t kWidth = 3, kHeight = 400;
  TFractArray results(kWidth, kHeight);
  std::vector<float> depths;
  for (int32_t run = 1; depths.size() < size_t{kWidth} * kHeight; ++run) {
    const float depth = run % 5 == 0 ? (run % 2 ? -0.0f : 0.0f)
                                     : std::nextafter(0.25f * static_cast<float>(run % 4), 1.0f);
    for (int32_t k = 0; k < run % 20; ++k) depths.push_back(depth);
  }
  for (int32_t x = 0; x < kWidth; ++x) {
    for (int32_t y = 0; y < kHeight; ++y) results.SetDepth(x, y, depths[size_t(x) * kHeight + y]);
  }
  // The neighbouring depths do have colours of their own.
  EXPECT_NE(CellColor(depths[0], 0, s, 0), CellColor(depths[1], 0, s, 0));
  std::vector<TColor> colours(kWidth * kHeight);
  ColourColumns(results, 0, kWidth, s, 0, colours.data());
  std::vector<uint32_t> pixels(kWidth * kHeight);
  ColourColumnsToRows(results, 0, kWidth, s, 0, pixels.data(), kWidth);
  for (int32_t x = 0; x < kWidth; ++x) {
    for (int32_t y = 0; y < kHeight; ++y) {
      const TColor expected = CellColor(results.GetDepth(x, y), 0, s, 0);
      ASSERT_EQ(colours[size_t(x) * kHeight + y], expected) << x << ", " << y;
      ASSERT_EQ(pixels[size_t(y) * kWidth + x], ToOpaqueArgb(expected)) << x << ", " << y;
    }
  }
}
