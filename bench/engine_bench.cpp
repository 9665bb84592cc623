#include <algorithm>
#include <cstdint>
#include <string>

#include <benchmark/benchmark.h>

#include "core/fractal/Engine.h"
#include "core/fractal/TFractArray.h"
#include "core/fractal/TFractProps.h"

namespace {

// The whole Mandelbrot set at the default grid, to depth 1000.
TFractProps MandelbrotView() {
  TFractProps props;
  props.Formula = 0;
  props.Map = MapC;
  props.MaxDepth.SetValue(1000);
  props.Left.SetValue(-2.25);
  props.Right.SetValue(0.75);
  return props;
}

// Computes the whole grid in strips of 4 columns, as the worker thread does.
void ComputePicture(benchmark::State& state, const TFractProps& props) {
  const int32_t width = props.XResolution.GetValue();
  TFractArray array(width, props.YResolution.GetValue());
  uint64_t total = 0;
  std::string error;
  for (auto _ : state) {
    for (int32_t x = 0; x < width; x += 4) {
      uint64_t steps = 0;
      if (!ComputeStrip(props, array, x, std::min(x + 4, width), steps, error)) {
        state.SkipWithError(error.c_str());
        return;
      }
      total += steps;
    }
    benchmark::DoNotOptimize(array.Depths());
    benchmark::ClobberMemory();
  }
  const double pixels = static_cast<double>(width) * props.YResolution.GetValue();
  state.counters["iterations"] =
      benchmark::Counter(static_cast<double>(total), benchmark::Counter::kIsRate);
  state.counters["pixels"] =
      benchmark::Counter(pixels, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["steps/pixel"] =
      static_cast<double>(total) / (pixels * static_cast<double>(state.iterations()));
}

BENCHMARK_CAPTURE(ComputePicture, DefaultJulia, TFractProps())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ComputePicture, Mandelbrot1000, MandelbrotView())->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
