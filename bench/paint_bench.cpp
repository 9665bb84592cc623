// Timing of the colouring: the finished results of a 1000 x 1000 grid painted into an image of
// the same size (one pixel a cell) and of half the size, as a view paints them.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include <QImage>

#include "Workloads.h"
#include "core/colour/FractalColouring.h"
#include "core/colour/TVoldViewProps.h"
#include "core/fractal/StripScheduler.h"
#include "core/fractal/TFractArray.h"
#include "core/fractal/TFractProps.h"
#include "render/QImageCanvas.h"

namespace {

// The Mandelbrot set at depth 51, with whole or fractional depths.
const TFractArray& Results(int32_t cont) {
  static TFractArray* results[2] = {nullptr, nullptr};
  if (results[cont] == nullptr) {
    const TFractProps props = ShallowMandelbrot(1000, static_cast<uint8_t>(cont));
    results[cont] = new TFractArray(1000, 1000);
    uint64_t steps = 0;
    std::string error;
    ComputeInStrips(props, *results[cont], 0, {}, steps, error);
  }
  return *results[cont];
}

void Paint(benchmark::State& state, int32_t cont, int32_t size) {
  const TFractArray& results = Results(cont);
  const TVoldViewProps settings;
  QImage image(size, size, QImage::Format_RGB32);
  for (auto _ : state) {
    QImageCanvas canvas(image);
    PaintFractalRect(canvas, {0, 0, size, size}, {0, 0, size, size}, &results, settings, 0);
    benchmark::ClobberMemory();
  }
  state.counters["cells"] = benchmark::Counter(1e6, benchmark::Counter::kIsIterationInvariantRate);
}

// The colours made beforehand, as the computing threads make them for a view; the paint only
// copies them.
void PaintColours(benchmark::State& state, int32_t size) {
  const TFractArray& results = Results(1);
  const TVoldViewProps settings;
  std::vector<TColor> colours(static_cast<size_t>(results.Width()) * results.Height());
  ColourColumns(results, 0, results.Width(), settings, 0, colours.data());
  QImage image(size, size, QImage::Format_RGB32);
  for (auto _ : state) {
    QImageCanvas canvas(image);
    PaintFractalRect(canvas, {0, 0, size, size}, {0, 0, size, size}, &results, settings, 0,
                     colours.data());
    benchmark::ClobberMemory();
  }
  state.counters["cells"] = benchmark::Counter(1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void Colour(benchmark::State& state) {
  const TFractArray& results = Results(1);
  const TVoldViewProps settings;
  std::vector<TColor> colours(static_cast<size_t>(results.Width()) * results.Height());
  for (auto _ : state) {
    for (int32_t c = 0; c < results.Width(); c += kStripWidth) {
      ColourColumns(results, c, c + kStripWidth, settings, 0, colours.data());
    }
    benchmark::ClobberMemory();
  }
  state.counters["cells"] = benchmark::Counter(1e6, benchmark::Counter::kIsIterationInvariantRate);
}

// As the computing threads paint a picture of the grid for a view of its size: a claim of
// 16 columns at a time, into rows.
void ColourToRows(benchmark::State& state) {
  const TFractArray& results = Results(1);
  const TVoldViewProps settings;
  const int64_t stride = 1008;
  std::vector<uint32_t> pixels(static_cast<size_t>(stride) * results.Height());
  for (auto _ : state) {
    for (int32_t c = 0; c < results.Width(); c += 4 * kStripWidth) {
      ColourColumnsToRows(results, c, std::min(c + 4 * kStripWidth, results.Width()), settings, 0,
                          pixels.data(), stride);
    }
    benchmark::ClobberMemory();
  }
  state.counters["cells"] = benchmark::Counter(1e6, benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK_CAPTURE(Paint, WholeDepths, 1, 1000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Paint, FractionalDepths, 0, 1000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Paint, WholeDepthsHalfSize, 1, 500)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PaintColours, FullSize, 1000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PaintColours, HalfSize, 500)->Unit(benchmark::kMillisecond);
BENCHMARK(Colour)->Unit(benchmark::kMillisecond);
BENCHMARK(ColourToRows)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
