#include <algorithm>
#include <cstdint>
#include <string>

#include <benchmark/benchmark.h>

#include "core/fractal/Engine.h"
#include "core/fractal/TFractArray.h"
#include "core/fractal/TFractProps.h"
#include "Workloads.h"

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


// Long orbits that mostly end in cycles: by the period-3 bulb, to depth 5000.
TFractProps CycleBulb() {
  TFractProps props;
  props.Map = MapC;
  props.Left.SetValue(-1.77);
  props.Right.SetValue(-1.74);
  props.Top.SetValue(0.015);
  props.Bottom.SetValue(-0.015);
  props.MaxDepth.SetValue(5000);
  return props;
}

// Computes the whole grid in strips of 4 columns on path, as the worker thread does.
void ComputePicture(benchmark::State& state, const TFractProps& props, TEnginePath path) {
  if (!SetEnginePath(path)) {
    state.SkipWithError("this processor does not have the instruction set");
    return;
  }
  const int32_t width = props.XResolution.GetValue();
  TFractArray array(width, props.YResolution.GetValue());
  uint64_t total = 0;
  std::string error;
  for (auto _ : state) {
    for (int32_t x = 0; x < width; x += 4) {
      uint64_t steps = 0;
      if (!ComputeStrip(props, array, x, std::min(x + 4, width), steps, error)) {
        state.SkipWithError(error.c_str());
        SetEnginePath(TEnginePath::Auto);
        return;
      }
      total += steps;
    }
    benchmark::DoNotOptimize(array.Depths());
    benchmark::ClobberMemory();
  }
  SetEnginePath(TEnginePath::Auto);
  const double pixels = static_cast<double>(width) * props.YResolution.GetValue();
  state.counters["iterations"] =
      benchmark::Counter(static_cast<double>(total), benchmark::Counter::kIsRate);
  state.counters["pixels"] =
      benchmark::Counter(pixels, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["steps/pixel"] =
      static_cast<double>(total) / (pixels * static_cast<double>(state.iterations()));
}

// The coarse preview a view computes first: every 8th cell each way, on the widest lanes, in
// the worker's chunks of 4 sample columns. Compare with ComputePicture of the same record.
void ComputePreview(benchmark::State& state, const TFractProps& props) {
  constexpr int32_t kStride = 8;
  const int32_t width = SampledSize(props.XResolution.GetValue(), kStride);
  TFractArray array(width, SampledSize(props.YResolution.GetValue(), kStride));
  uint64_t total = 0;
  std::string error;
  for (auto _ : state) {
    for (int32_t x = 0; x < width; x += 4) {
      uint64_t steps = 0;
      if (!ComputeSampledCells(props, kStride, array, x, std::min(x + 4, width), steps, error)) {
        state.SkipWithError(error.c_str());
        return;
      }
      total += steps;
    }
    benchmark::DoNotOptimize(array.Depths());
    benchmark::ClobberMemory();
  }
  state.counters["iterations"] =
      benchmark::Counter(static_cast<double>(total), benchmark::Counter::kIsRate);
}

// Each picture on the scalar loop and on the lanes of every instruction set.
#define VELMORA_ENGINE_BENCH(name, props)                                     \
  BENCHMARK_CAPTURE(ComputePicture, name##Scalar, props, TEnginePath::Scalar) \
      ->Unit(benchmark::kMillisecond);                                        \
  BENCHMARK_CAPTURE(ComputePicture, name##Sse2, props, TEnginePath::Sse2)     \
      ->Unit(benchmark::kMillisecond);                                        \
  BENCHMARK_CAPTURE(ComputePicture, name##Avx2, props, TEnginePath::Avx2)     \
      ->Unit(benchmark::kMillisecond);                                        \
  BENCHMARK_CAPTURE(ComputePicture, name##Avx512, props, TEnginePath::Avx512) \
      ->Unit(benchmark::kMillisecond)

VELMORA_ENGINE_BENCH(DefaultJulia, TFractProps());
VELMORA_ENGINE_BENCH(Mandelbrot1000, MandelbrotView());
VELMORA_ENGINE_BENCH(ShallowMandelbrot, ShallowMandelbrot(1000));
VELMORA_ENGINE_BENCH(CycleBulb, CycleBulb());
BENCHMARK_CAPTURE(ComputePreview, DefaultJulia, TFractProps())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ComputePreview, Mandelbrot1000, MandelbrotView())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ComputePreview, ShallowMandelbrot, ShallowMandelbrot(1000))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ComputePreview, CycleBulb, CycleBulb())->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
