#include "core/colour/PictureRender.h"

#include <array>
#include <cmath>
#include <memory>
#include <new>

#include "core/colour/FractalColouring.h"
#include "core/colour/TVoldViewProps.h"
#include "core/fractal/Engine.h"
#include "core/fractal/TFractArray.h"
#include "core/fractal/TFractProps.h"

namespace {

const std::array<double, 256>& LinearTable() {
  static const std::array<double, 256> table = [] {
    std::array<double, 256> t{};
    for (int i = 0; i < 256; ++i) {
      const double c = i / 255.0;
      t[static_cast<size_t>(i)] = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    }
    return t;
  }();
  return table;
}

// Cells per row of the cell picture: whole 64-byte lines, so that threads colouring claims of
// 16 columns never share a line.
int64_t CellStride(int64_t columns) { return (columns + 15) / 16 * 16; }

}  // namespace

double SrgbToLinear(uint8_t channel) { return LinearTable()[channel]; }

uint8_t LinearToSrgb(double linear) {
  if (!(linear > 0.0)) return 0;
  if (linear >= 1.0) return 255;
  const double c = linear <= 0.0031308 ? linear * 12.92 : 1.055 * std::pow(linear, 1.0 / 2.4) - 0.055;
  return static_cast<uint8_t>(std::lround(c * 255.0));
}

uint32_t AverageArgb(const uint32_t* samples, int32_t count) {
  double red = 0;
  double green = 0;
  double blue = 0;
  bool uniform = true;
  for (int32_t i = 0; i < count; ++i) {
    const uint32_t p = samples[i];
    uniform = uniform && p == samples[0];
    red += SrgbToLinear(static_cast<uint8_t>(p >> 16));
    green += SrgbToLinear(static_cast<uint8_t>(p >> 8));
    blue += SrgbToLinear(static_cast<uint8_t>(p));
  }
  // The usual case inside a flat region needs no arithmetic at all.
  if (uniform) return samples[0] | 0xFF000000u;
  return 0xFF000000u | uint32_t{LinearToSrgb(red / count)} << 16 |
         uint32_t{LinearToSrgb(green / count)} << 8 | uint32_t{LinearToSrgb(blue / count)};
}

bool CheckPictureSize(const TPictureSize& size, std::string& errorText) {
  if (size.samples < 1 || size.samples > kMaxPictureSamples) {
    errorText = "A picture takes 1 to " + std::to_string(kMaxPictureSamples) +
                " samples per pixel in each direction, not " + std::to_string(size.samples) + ".";
    return false;
  }
  if (size.width < 1 || size.height < 1 || size.width > 65535 || size.height > 65535) {
    errorText = "A picture of " + std::to_string(size.width) + " x " + std::to_string(size.height) +
                " pixels cannot be made: each side takes 1 to 65535 pixels.";
    return false;
  }
  return TFractArray::GridSizeAllowed(size.width * size.samples, size.height * size.samples,
                                      errorText);
}

bool RenderPicture(const TFractProps& props, const TVoldViewProps& settings,
                   const TPictureSize& size, int32_t threads, const TStripCallbacks& callbacks,
                   std::vector<uint32_t>& argb, std::string& errorText) {
  if (!CheckPictureSize(size, errorText)) return false;
  TFractProps grid = props;
  const int32_t columns = size.width * size.samples;
  const int32_t rows = size.height * size.samples;
  grid.XResolution.SetValue(columns);
  grid.YResolution.SetValue(rows);
  if (!CheckComputable(grid, errorText)) return false;
  std::unique_ptr<TFractArray> results = TFractArray::Create(columns, rows, errorText);
  if (results == nullptr) return false;
  const int64_t stride = CellStride(columns);
  std::unique_ptr<uint32_t[]> cells(new (std::nothrow) uint32_t[static_cast<size_t>(stride * rows)]);
  if (cells == nullptr) {
    errorText = "Not enough memory for the colours of " + std::to_string(columns) + " x " +
                std::to_string(rows) + " cells.";
    return false;
  }

  // Each computing thread colours the strips it has just computed, as a view's threads do.
  TStripCallbacks work = callbacks;
  const int32_t maxCycle = grid.MaxCycle.GetValue();
  work.stripComputed = [&](int32_t first, int32_t last) {
    ColourColumnsToRows(*results, first, last, settings, maxCycle, cells.get(), stride);
  };
  work.stripsPerClaim = 4;
  uint64_t steps = 0;
  if (!ComputeInStrips(grid, *results, threads, work, steps, errorText)) return false;
  if (results->ColumnsDone() < columns) {
    errorText.clear();  // stopped
    return false;
  }

  argb.assign(static_cast<size_t>(size.width) * static_cast<size_t>(size.height), 0);
  const int32_t a = size.samples;
  std::vector<uint32_t> block(static_cast<size_t>(a * a));
  for (int32_t y = 0; y < size.height; ++y) {
    uint32_t* out = argb.data() + static_cast<size_t>(y) * static_cast<size_t>(size.width);
    for (int32_t x = 0; x < size.width; ++x) {
      for (int32_t j = 0; j < a; ++j) {
        const uint32_t* row = cells.get() + (int64_t{y} * a + j) * stride + int64_t{x} * a;
        for (int32_t i = 0; i < a; ++i) block[static_cast<size_t>(j * a + i)] = row[i];
      }
      out[x] = a == 1 ? block[0] : AverageArgb(block.data(), a * a);
    }
  }
  return true;
}
