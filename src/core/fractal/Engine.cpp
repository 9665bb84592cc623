#include "core/fractal/Engine.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cfenv>
#include <cmath>
#include <complex>
#include <memory>
#include <new>
#include <utility>

#include "core/fractal/EngineLanes.h"
#include "core/fractal/EngineSetup.h"
#include "core/fractal/FormulaStep.h"
#include "core/fractal/TFractArray.h"
#include "core/fractal/TFractProps.h"

// Arithmetic faults. Overflow, division by zero and invalid operations set the sticky
// floating-point exception flags, also inside the library's complex multiply and divide,
// exp, sin and pow, and the signalling comparisons of the escape and cycle tests raise
// "invalid" on a NaN. Each pixel is therefore first iterated without any test, and the flags
// are tested once after it; almost every pixel comes out clean, and its result stands. A
// pixel that raised a fault is iterated again with the flags tested after every step (the
// step, its escape test and its cycle test), which finds the depth at which the fault
// happened. Both passes run the same arithmetic in the same order. Clearing the flags is
// slow, so it happens only once per column, after the column's mapping, and after a fault;
// nothing between two tests but the iteration can raise one.

namespace {

using engine::FinalDepth;
using engine::StepsOf;
using engine::TComplex;
using engine::TOrbit;
using engine::TOutcome;
using engine::TSetup;

// A volatile copy: the value must be computed before this point, which keeps the compiler
// from moving the arithmetic that may raise a fault past the flag test that follows.
template <class T>
inline void Materialize(T value) {
  volatile T sink = value;
  (void)sink;
}

template <int Formula, bool Checked>
TOrbit Iterate(const TSetup& s, TComplex z, TComplex c, TComplex d) {
  // Locals, so that the stores into the history cannot make the compiler reload them.
  double* const historyRe = s.historyRe;
  double* const historyIm = s.historyIm;
  const int32_t maxCycle = s.maxCycle;
  const double maxDepth = s.maxDepth;
  const double outer2 = s.outer2;
  const double inner2 = s.inner2;
  const int32_t n = s.n;
  const int32_t m = s.m;
  std::fill_n(historyRe, maxCycle, 1000.0);
  std::fill_n(historyIm, maxCycle, 1000.0);
  double depth = 1.0;
  while (maxDepth > depth) {
    const TComplex next = FormulaStepOf<Formula>(z, c, d, n, m);
    const double nextRe = next.real();
    const double nextIm = next.imag();
    const double modulus2 = nextRe * nextRe + nextIm * nextIm;
    const bool escaped = modulus2 > outer2;
    int32_t cycle = 0;
    if (!escaped) {
      for (int32_t j = 0; j < maxCycle; ++j) {
        const double dRe = historyRe[j] - nextRe;
        const double dIm = historyIm[j] - nextIm;
        if (dRe * dRe + dIm * dIm < inner2) {
          cycle = j + 1;
          break;
        }
      }
    }
    if constexpr (Checked) {
      Materialize(escaped);
      Materialize(cycle);
      if (std::fetestexcept(kFloatFaults) != 0) return {TOutcome::Fault, depth, 0.0, 0};
    }
    if (escaped) return {TOutcome::Escaped, depth, modulus2, 0};
    if (cycle != 0) return {TOutcome::Cycle, depth, 0.0, cycle};
    for (int32_t j = maxCycle - 1; j > 0; --j) {
      historyRe[j] = historyRe[j - 1];
      historyIm[j] = historyIm[j - 1];
    }
    if (maxCycle > 0) {
      historyRe[0] = nextRe;
      historyIm[0] = nextIm;
    }
    z = next;
    depth = depth + 1.0;
  }
  return {TOutcome::Undecided, depth, 0.0, 0};
}

template <int Formula>
void ComputeColumns(const TSetup& s, TFractArray& target, int32_t firstColumn, int32_t lastColumn,
                    TColumnsDoneUpdate columnsDone, uint64_t& steps) {
  float* const depths = target.Depths();
  int32_t* const cycles = target.Cycles();
  const int32_t height = target.Height();
  uint64_t count = 0;
  for (int32_t x = firstColumn; x < lastColumn; ++x) {
    const double pointRe = MapPixel(s.left, s.right, x * s.columnStride, s.xResolution);
    std::feclearexcept(kFloatFaults);
    for (int32_t y = 0; y < height; ++y) {
      const TComplex point(pointRe, s.rowsIm[y]);
      const TComplex c = s.map == MapC ? point : s.c;
      const TComplex d = s.map == MapD ? point : s.d;
      TOrbit orbit = Iterate<Formula, false>(s, point, c, d);
      if (std::fetestexcept(kFloatFaults) != 0) {
        std::feclearexcept(kFloatFaults);
        orbit = Iterate<Formula, true>(s, point, c, d);
        std::feclearexcept(kFloatFaults);
      }
      count += StepsOf(orbit);
      const int64_t index = int64_t{x} * height + y;
      depths[index] = static_cast<float>(FinalDepth<Formula>(s, orbit) / s.maxDepth);
      cycles[index] = orbit.outcome == TOutcome::Cycle ? orbit.cycle : 0;
    }
    if (columnsDone == TColumnsDoneUpdate::EachColumn) target.SetColumnsDone(x + 1);
  }
  steps = count;
}

using TComputeColumns = void (*)(const TSetup&, TFractArray&, int32_t, int32_t, TColumnsDoneUpdate,
                                 uint64_t&);

template <size_t... Formula>
constexpr std::array<TComputeColumns, kFormulaCount> MakeColumnsTable(
    std::index_sequence<Formula...>) {
  return {&ComputeColumns<static_cast<int>(Formula)>...};
}

constexpr std::array<TComputeColumns, kFormulaCount> kComputeColumns =
    MakeColumnsTable(std::make_index_sequence<kFormulaCount>{});

// Restores the caller's floating-point exception flags at the end of the scope.
class TFlagsKeeper {
 public:
  TFlagsKeeper() { std::fegetexceptflag(&m_flags, FE_ALL_EXCEPT); }
  ~TFlagsKeeper() { std::fesetexceptflag(&m_flags, FE_ALL_EXCEPT); }
  TFlagsKeeper(const TFlagsKeeper&) = delete;
  TFlagsKeeper& operator=(const TFlagsKeeper&) = delete;

 private:
  std::fexcept_t m_flags;
};

std::string GridText(int32_t width, int32_t height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

std::atomic<TEnginePath> enginePath{TEnginePath::Auto};

std::unique_ptr<double[]> AllocateDoubles(int32_t size) {
  if (size == 0) return nullptr;
  return std::unique_ptr<double[]>(new (std::nothrow) double[static_cast<size_t>(size)]);
}

// The rows' points of the last picture a thread computed. They depend on Top, Bottom and
// YResolution alone, and every strip of a picture needs the same ones.
struct TRowsCache {
  uint64_t top = 0;  // the bits of Top and Bottom, so that -0 and 0 differ
  uint64_t bottom = 0;
  int32_t height = -1;
  std::unique_ptr<double[]> rowsIm;
};

thread_local TRowsCache rowsCache;

// The imaginary parts of the rows' points, followed by the padding the lanes may read; null
// without the memory for them. Valid until the thread's next call.
const double* RowsOf(const TFractProps& props) {
  const int32_t height = props.YResolution.GetValue();
  const double top = props.Top.GetValue();
  const double bottom = props.Bottom.GetValue();
  TRowsCache& cache = rowsCache;
  if (cache.rowsIm != nullptr && cache.height == height &&
      cache.top == std::bit_cast<uint64_t>(top) &&
      cache.bottom == std::bit_cast<uint64_t>(bottom)) {
    return cache.rowsIm.get();
  }
  cache.height = -1;
  cache.rowsIm = AllocateDoubles(height + engine::kRowsPadding);
  if (cache.rowsIm == nullptr) return nullptr;
  for (int32_t y = 0; y < height; ++y) cache.rowsIm[y] = MapPixel(top, bottom, y, height);
  std::fill_n(cache.rowsIm.get() + height, engine::kRowsPadding, 0.0);
  cache.top = std::bit_cast<uint64_t>(top);
  cache.bottom = std::bit_cast<uint64_t>(bottom);
  cache.height = height;
  return cache.rowsIm.get();
}

// Everything of the setup but its buffers.
TSetup SetupOf(const TFractProps& props) {
  const double outer = props.OuterCircle.GetValue();
  const double inner = props.InnerDist.GetValue();
  TSetup setup{};
  setup.maxDepth = static_cast<double>(props.MaxDepth.GetValue());
  setup.outer2 = outer * outer;
  setup.inner2 = inner * inner;
  setup.logOuter2 = std::log(setup.outer2);
  setup.inverseN = 1.0 / static_cast<double>(props.N.GetValue());
  setup.maxCycle = props.MaxCycle.GetValue();
  setup.n = props.N.GetValue();
  setup.m = props.M.GetValue();
  setup.fractional = props.Cont == 0;
  setup.map = props.Map;
  setup.c = TComplex(props.CR.GetValue(), props.CI.GetValue());
  setup.d = TComplex(props.DR.GetValue(), props.DI.GetValue());
  setup.left = props.Left.GetValue();
  setup.right = props.Right.GetValue();
  setup.xResolution = props.XResolution.GetValue();
  setup.columnStride = 1;
  return setup;
}

}  // namespace

bool SetEnginePath(TEnginePath path) {
  if (!EnginePathAvailable(path)) return false;
  enginePath.store(path, std::memory_order_relaxed);
  return true;
}

TEnginePath ActiveEnginePath() {
  const TEnginePath path = enginePath.load(std::memory_order_relaxed);
  return path == TEnginePath::Auto ? engine::WidestLanes() : path;
}

bool EnginePathAvailable(TEnginePath path) {
  return path == TEnginePath::Auto || path == TEnginePath::Scalar || engine::LanesAvailable(path);
}

TEnginePath EnginePathFor(const TFractProps& props) {
  const TEnginePath path = ActiveEnginePath();
  std::string errorText;
  if (path == TEnginePath::Scalar || !CheckComputable(props, errorText)) return TEnginePath::Scalar;
  const double* const rowsIm = RowsOf(props);
  if (rowsIm == nullptr) return TEnginePath::Scalar;
  TSetup setup = SetupOf(props);
  setup.rowsIm = rowsIm;
  const bool lanes = engine::LanesCanTake(props.Formula, setup, props.YResolution.GetValue(), 0,
                                          props.XResolution.GetValue());
  return lanes ? path : TEnginePath::Scalar;
}

const char* EnginePathName(TEnginePath path) {
  switch (path) {
    case TEnginePath::Auto:
      return "auto";
    case TEnginePath::Scalar:
      return "scalar";
    case TEnginePath::Sse2:
      return "sse2";
    case TEnginePath::Avx2:
      return "avx2";
    case TEnginePath::Avx512:
      return "avx512";
  }
  return "?";
}

bool CheckComputable(const TFractProps& props, std::string& errorText) {
  return TFractArray::GridSizeAllowed(props.XResolution.GetValue(), props.YResolution.GetValue(),
                                      errorText) &&
         CheckComputableRows(props, errorText);
}

bool CheckComputableRows(const TFractProps& props, std::string& errorText) {
  if (props.XResolution.GetValue() < 1 || props.YResolution.GetValue() < 1) {
    errorText = "A grid of " + GridText(props.XResolution.GetValue(), props.YResolution.GetValue()) +
                " pixels is empty.";
    return false;
  }
  if (props.MaxDepth.GetValue() < 1) {
    errorText = "Max Depth must be at least 1.";
    return false;
  }
  if (props.MaxCycle.GetValue() < 0 || props.MaxCycle.GetValue() > kMaxCycleLimit) {
    errorText =
        "Max Cycles to Detect must lie between 0 and " + std::to_string(kMaxCycleLimit) + ".";
    return false;
  }
  if (props.Formula >= kFormulaCount) {
    errorText = "The formula index " + std::to_string(props.Formula) + " is unknown.";
    return false;
  }
  if (props.Map >= kMapCount) {
    errorText = "The map " + std::to_string(props.Map) + " is unknown.";
    return false;
  }
  return true;
}

std::string CannotComputeMessage(const std::string& reason) {
  return "Cannot compute the fractal: " + reason;
}

bool ComputeStrip(const TFractProps& props, TFractArray& target, int32_t firstColumn,
                  int32_t lastColumn, uint64_t& steps, std::string& errorText,
                  TColumnsDoneUpdate columnsDone, int32_t firstRow) {
  const TFlagsKeeper flagsKeeper;
  steps = 0;
  const bool band = firstRow != kAllRows;
  if (!(band ? CheckComputableRows(props, errorText) : CheckComputable(props, errorText))) {
    return false;
  }
  const int32_t width = props.XResolution.GetValue();
  const int32_t height = props.YResolution.GetValue();
  if (target.Width() != width ||
      (band ? firstRow < 0 || target.Height() > height - firstRow : target.Height() != height)) {
    errorText = "The results of " + GridText(target.Width(), target.Height()) + " pixels " +
                (band ? "from row " + std::to_string(firstRow) + " " : std::string()) +
                "do not fit the grid of " + GridText(width, height) + " pixels.";
    return false;
  }
  if (firstColumn < 0 || firstColumn > lastColumn || lastColumn > width) {
    errorText = "The columns " + std::to_string(firstColumn) + " to " + std::to_string(lastColumn) +
                " do not lie within the " + std::to_string(width) + " columns of the grid.";
    return false;
  }

  // The call works from its own copy of every parameter; the record may change afterwards.
  const int32_t maxCycle = props.MaxCycle.GetValue();
  const std::unique_ptr<double[]> historyRe = AllocateDoubles(maxCycle);
  const std::unique_ptr<double[]> historyIm = AllocateDoubles(maxCycle);
  if (maxCycle > 0 && (historyRe == nullptr || historyIm == nullptr)) {
    errorText =
        "Not enough memory to look for cycles of up to " + std::to_string(maxCycle) + " steps.";
    return false;
  }
  const double* const rowsIm = RowsOf(props);
  if (rowsIm == nullptr) {
    errorText =
        "Not enough memory for the rows of a grid of " + GridText(width, height) + " pixels.";
    return false;
  }
  TSetup setup = SetupOf(props);
  setup.rowsIm = band ? rowsIm + firstRow : rowsIm;
  setup.historyRe = historyRe.get();
  setup.historyIm = historyIm.get();

  const TEnginePath path = ActiveEnginePath();
  if (path != TEnginePath::Scalar &&
      engine::ComputeOnLanes(path, props.Formula, setup, target, firstColumn, lastColumn,
                             columnsDone, steps)) {
    return true;
  }
  kComputeColumns[props.Formula](setup, target, firstColumn, lastColumn, columnsDone, steps);
  return true;
}

int32_t SampledSize(int32_t size, int32_t stride) { return (size + stride - 1) / stride; }

bool ComputeSampledCells(const TFractProps& props, int32_t stride, TFractArray& target,
                         int32_t firstColumn, int32_t lastColumn, uint64_t& steps,
                         std::string& errorText) {
  const TFlagsKeeper flagsKeeper;
  steps = 0;
  if (!CheckComputable(props, errorText)) return false;
  const int32_t width = props.XResolution.GetValue();
  const int32_t height = props.YResolution.GetValue();
  if (stride < 1 || target.Width() != SampledSize(width, stride) ||
      target.Height() != SampledSize(height, stride)) {
    errorText = "The results of " + GridText(target.Width(), target.Height()) +
                " pixels do not fit a sample of the grid of " + GridText(width, height) +
                " pixels taken every " + std::to_string(stride) + " cells.";
    return false;
  }
  if (firstColumn < 0 || firstColumn > lastColumn || lastColumn > target.Width()) {
    errorText = "The columns " + std::to_string(firstColumn) + " to " + std::to_string(lastColumn) +
                " do not lie within the " + std::to_string(target.Width()) +
                " columns of the sample.";
    return false;
  }
  const int32_t maxCycle = props.MaxCycle.GetValue();
  const std::unique_ptr<double[]> historyRe = AllocateDoubles(maxCycle);
  const std::unique_ptr<double[]> historyIm = AllocateDoubles(maxCycle);
  const int32_t rows = target.Height();
  const std::unique_ptr<double[]> sampledRows = AllocateDoubles(rows + engine::kRowsPadding);
  const double* const rowsIm = RowsOf(props);
  if ((maxCycle > 0 && (historyRe == nullptr || historyIm == nullptr)) || sampledRows == nullptr ||
      rowsIm == nullptr) {
    errorText =
        "Not enough memory for a sample of the grid of " + GridText(width, height) + " pixels.";
    return false;
  }
  // The grid's own row points, every stride-th; the columns' points come from the grid's
  // mapping too, so each sampled cell is that cell of the grid bit for bit.
  for (int32_t j = 0; j < rows; ++j) sampledRows[j] = rowsIm[static_cast<int64_t>(j) * stride];
  std::fill_n(sampledRows.get() + rows, engine::kRowsPadding, 0.0);
  TSetup setup = SetupOf(props);
  setup.rowsIm = sampledRows.get();
  setup.columnStride = stride;
  setup.historyRe = historyRe.get();
  setup.historyIm = historyIm.get();
  const TEnginePath path = ActiveEnginePath();
  if (path != TEnginePath::Scalar &&
      engine::ComputeOnLanes(path, props.Formula, setup, target, firstColumn, lastColumn,
                             TColumnsDoneUpdate::EachColumn, steps)) {
    return true;
  }
  kComputeColumns[props.Formula](setup, target, firstColumn, lastColumn,
                                 TColumnsDoneUpdate::EachColumn, steps);
  return true;
}
