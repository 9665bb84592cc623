#include "core/colour/PictureRender.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "core/colour/FractalColouring.h"
#include "core/colour/TVoldViewProps.h"
#include "core/fractal/Engine.h"
#include "core/fractal/TFractArray.h"
#include "core/fractal/StripScheduler.h"
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

// Averages the blocks of a x a cells of the pixel rows firstRow .. lastRow-1 of a band into
// width pixels a row.
void AverageRows(const uint32_t* cells, int64_t stride, int32_t a, int32_t width, int32_t firstRow,
                 int32_t lastRow, uint32_t* argb) {
  uint32_t block[kMaxPictureSamples * kMaxPictureSamples];
  for (int32_t y = firstRow; y < lastRow; ++y) {
    uint32_t* out = argb + static_cast<size_t>(y) * static_cast<size_t>(width);
    const uint32_t* first = cells + int64_t{y} * a * stride;
    if (a == 1) {
      std::copy_n(first, width, out);
      continue;
    }
    for (int32_t x = 0; x < width; ++x) {
      for (int32_t j = 0; j < a; ++j) {
        const uint32_t* row = first + j * stride + int64_t{x} * a;
        for (int32_t i = 0; i < a; ++i) block[j * a + i] = row[i];
      }
      out[x] = AverageArgb(block, a * a);
    }
  }
}

// AverageRows over rows 0 .. rows-1, shared out to up to threads threads; the calling thread
// takes the first share, and a thread the system cannot start leaves its share to it too.
void AverageBand(const uint32_t* cells, int64_t stride, int32_t a, int32_t width, int32_t rows,
                 int32_t threads, uint32_t* argb) {
  threads = std::clamp(threads, 1, std::max(rows / 4, 1));
  std::vector<std::thread> helpers;
  const int32_t mine = static_cast<int32_t>(int64_t{rows} / threads);
  for (int32_t t = 1; t < threads; ++t) {
    const int32_t first = static_cast<int32_t>(int64_t{rows} * t / threads);
    const int32_t last = static_cast<int32_t>(int64_t{rows} * (t + 1) / threads);
    try {
      helpers.emplace_back(AverageRows, cells, stride, a, width, first, last, argb);
    } catch (const std::system_error&) {
      AverageRows(cells, stride, a, width, first, last, argb);
    }
  }
  AverageRows(cells, stride, a, width, 0, mine, argb);
  for (std::thread& helper : helpers) helper.join();
}

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
  return true;
}

int32_t PictureBandRows(const TPictureSize& size, int64_t bandCells) {
  const int64_t cellsPerRow = int64_t{size.width} * size.samples * size.samples;
  return static_cast<int32_t>(std::clamp<int64_t>(bandCells / std::max<int64_t>(cellsPerRow, 1), 1,
                                                  std::max(size.height, 1)));
}

void PictureBandBounds(int32_t height, int32_t k, int32_t count, int32_t& first, int32_t& last) {
  first = static_cast<int32_t>(int64_t{height} * (k - 1) / count);
  last = static_cast<int32_t>(int64_t{height} * k / count);
}

bool RenderPictureRows(const TFractProps& props, const TVoldViewProps& settings,
                       const TPictureSize& size, int32_t firstRow, int32_t lastRow,
                       int32_t threads, const TPictureCallbacks& callbacks,
                       const TPictureRowsSink& sink, std::string& errorText, int64_t bandCells) {
  if (!CheckPictureSize(size, errorText)) return false;
  if (firstRow < 0 || firstRow >= lastRow || lastRow > size.height) {
    errorText = "The rows " + std::to_string(firstRow) + " to " + std::to_string(lastRow) +
                " do not lie within the " + std::to_string(size.height) + " rows of the picture.";
    return false;
  }
  const int32_t a = size.samples;
  TFractProps grid = props;
  const int32_t columns = size.width * a;
  grid.XResolution.SetValue(columns);
  grid.YResolution.SetValue(size.height * a);
  if (!CheckComputableRows(grid, errorText)) return false;

  const int32_t bandRows = std::min(PictureBandRows(size, bandCells), lastRow - firstRow);
  std::unique_ptr<TFractArray> results = TFractArray::Create(columns, bandRows * a, errorText);
  if (results == nullptr) return false;
  const int64_t stride = CellStride(columns);
  const size_t cellCount = static_cast<size_t>(stride * bandRows * a);
  std::unique_ptr<uint32_t[]> cells(new (std::nothrow) uint32_t[cellCount]);
  std::vector<uint32_t> argb;
  try {
    argb.resize(static_cast<size_t>(size.width) * static_cast<size_t>(bandRows));
  } catch (const std::bad_alloc&) {
    cells.reset();
  }
  if (cells == nullptr) {
    errorText = "Not enough memory for the colours of " + std::to_string(columns) + " x " +
                std::to_string(bandRows * a) + " cells.";
    return false;
  }

  const int32_t maxCycle = grid.MaxCycle.GetValue();
  const double totalCells = double(columns) * double(lastRow - firstRow) * a;
  for (int32_t top = firstRow; top < lastRow; top += bandRows) {
    const int32_t rows = std::min(bandRows, lastRow - top);
    if (rows != bandRows) {
      // The last band is lower; its results are a store of its own height.
      results = TFractArray::Create(columns, rows * a, errorText);
      if (results == nullptr) return false;
    } else if (top != firstRow) {
      results->SetColumnsDone(0);
    }
    TFractArray& band = *results;
    // Each computing thread colours the strips it has just computed, as a view's threads do.
    TStripCallbacks work;
    work.stopRequested = callbacks.stopRequested;
    work.stripComputed = [&](int32_t first, int32_t last) {
      ColourColumnsToRows(band, first, last, settings, maxCycle, cells.get(), stride);
    };
    if (callbacks.progress) {
      const double before = double(columns) * double(top - firstRow) * a;
      work.progress = [&, before] {
        callbacks.progress((before + double(band.ColumnsDone()) * band.Height()) / totalCells);
      };
    }
    work.stripsPerClaim = 4;
    uint64_t steps = 0;
    if (!ComputeInStrips(grid, band, threads, work, steps, errorText, top * a)) return false;
    if (band.ColumnsDone() < columns) {
      errorText.clear();  // stopped
      return false;
    }
    AverageBand(cells.get(), stride, a, size.width, rows,
                a == 1 ? 1 : (threads > 0 ? threads : DefaultComputeThreads()), argb.data());
    if (!sink(argb.data(), top, rows, errorText)) return false;
  }
  return true;
}

bool RenderPicture(const TFractProps& props, const TVoldViewProps& settings,
                   const TPictureSize& size, int32_t threads, const TPictureCallbacks& callbacks,
                   std::vector<uint32_t>& argb, std::string& errorText) {
  if (!CheckPictureSize(size, errorText)) return false;
  std::vector<uint32_t> picture;
  try {
    picture.resize(static_cast<size_t>(size.width) * static_cast<size_t>(size.height));
  } catch (const std::bad_alloc&) {
    errorText = "Not enough memory for a picture of " + std::to_string(size.width) + " x " +
                std::to_string(size.height) + " pixels.";
    return false;
  }
  const auto sink = [&](const uint32_t* pixels, int32_t firstRow, int32_t rows, std::string&) {
    std::copy_n(pixels, static_cast<size_t>(size.width) * static_cast<size_t>(rows),
                picture.data() + static_cast<size_t>(firstRow) * static_cast<size_t>(size.width));
    return true;
  };
  if (!RenderPictureRows(props, settings, size, 0, size.height, threads, callbacks, sink,
                         errorText)) {
    return false;
  }
  argb.swap(picture);
  return true;
}
