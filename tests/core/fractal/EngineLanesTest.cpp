#include "core/fractal/Engine.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/fractal/StripScheduler.h"
#include "core/fractal/TFractArray.h"
#include "core/fractal/TFractProps.h"

namespace {

// The vector paths this processor has, narrowest first.
std::vector<TEnginePath> LanePaths() {
  std::vector<TEnginePath> paths;
  for (TEnginePath path : {TEnginePath::Sse2, TEnginePath::Avx2, TEnginePath::Avx512}) {
    if (EnginePathAvailable(path)) paths.push_back(path);
  }
  return paths;
}

// Makes path the engine's path while it lives.
class TPathScope {
 public:
  explicit TPathScope(TEnginePath path) { EXPECT_TRUE(SetEnginePath(path)); }
  ~TPathScope() { SetEnginePath(TEnginePath::Auto); }
  TPathScope(const TPathScope&) = delete;
  TPathScope& operator=(const TPathScope&) = delete;
};

struct TResult {
  std::unique_ptr<TFractArray> array;
  uint64_t steps = 0;
};

// The picture computed on path: in strips of 4 columns as the worker does, or in one call.
TResult Compute(const TFractProps& props, TEnginePath path, bool inStrips = true) {
  const TPathScope scope(path);
  TResult result;
  const int32_t width = props.XResolution.GetValue();
  result.array = std::make_unique<TFractArray>(width, props.YResolution.GetValue());
  std::string error;
  const int32_t strip = inStrips ? kStripWidth : width;
  for (int32_t x = 0; x < width; x += strip) {
    uint64_t steps = 0;
    EXPECT_TRUE(ComputeStrip(props, *result.array, x, std::min(x + strip, width), steps, error))
        << error;
    result.steps += steps;
  }
  EXPECT_EQ(result.array->ColumnsDone(), width);
  return result;
}

TResult ComputeThreaded(const TFractProps& props) {
  TResult result;
  result.array =
      std::make_unique<TFractArray>(props.XResolution.GetValue(), props.YResolution.GetValue());
  std::string error;
  EXPECT_TRUE(ComputeInStrips(props, *result.array, 3, {}, result.steps, error)) << error;
  return result;
}

// The first cell where a and b differ in any bit, or -1.
int64_t FirstDifference(const TFractArray& a, const TFractArray& b) {
  const int64_t cells = int64_t{a.Width()} * a.Height();
  for (int64_t i = 0; i < cells; ++i) {
    if (std::memcmp(&a.Depths()[i], &b.Depths()[i], sizeof(float)) != 0 ||
        a.Cycles()[i] != b.Cycles()[i]) {
      return i;
    }
  }
  return -1;
}

// Every vector path, in strips and in one call, and the threads give the scalar loop's bits
// and step count.
void ExpectScalarBits(const TFractProps& props, const std::string& what) {
  const TResult scalar = Compute(props, TEnginePath::Scalar);
  auto expectSame = [&](const TResult& result, const std::string& how) {
    const int64_t cell = FirstDifference(*scalar.array, *result.array);
    EXPECT_EQ(cell, -1) << what << ", " << how << ": cell " << cell << " (column "
                        << cell / props.YResolution.GetValue() << ") "
                        << scalar.array->Depths()[cell] << " / " << scalar.array->Cycles()[cell]
                        << " on the scalar loop, " << result.array->Depths()[cell] << " / "
                        << result.array->Cycles()[cell];
    EXPECT_EQ(result.steps, scalar.steps) << what << ", " << how;
  };
  for (TEnginePath path : LanePaths()) {
    expectSame(Compute(props, path), EnginePathName(path));
    expectSame(Compute(props, path, false), std::string(EnginePathName(path)) + " in one call");
  }
  expectSame(ComputeThreaded(props), "threads");
}

TFractProps Grid(int32_t width, int32_t height, double left, double right, double top,
                 double bottom, TFractMap map = MapC) {
  TFractProps props;
  props.XResolution.SetValue(width);
  props.YResolution.SetValue(height);
  props.Left.SetValue(left);
  props.Right.SetValue(right);
  props.Top.SetValue(top);
  props.Bottom.SetValue(bottom);
  props.Map = map;
  return props;
}

std::string Describe(const TFractProps& p) {
  return "formula " + std::to_string(p.Formula) + ", map " + std::to_string(p.Map) + ", cont " +
         std::to_string(p.Cont) + ", max cycle " + std::to_string(p.MaxCycle.GetValue()) +
         ", max depth " + std::to_string(p.MaxDepth.GetValue()) + ", R " +
         std::to_string(p.OuterCircle.GetValue()) + ", " + std::to_string(p.Left.GetValue()) +
         " .. " + std::to_string(p.Right.GetValue()) + " x " + std::to_string(p.Top.GetValue()) +
         " .. " + std::to_string(p.Bottom.GetValue());
}

// ExpectScalarBits for each record with every formula the lanes take, whole and fractional.
void ExpectScalarBitsOfTheLanesFormulas(std::vector<TFractProps> cases) {
  for (TFractProps& p : cases) {
    for (int formula : {0, 1, 2, 3}) {
      p.Formula = static_cast<uint8_t>(formula);
      for (uint8_t cont : {0, 1}) {
        p.Cont = cont;
        ExpectScalarBits(p, Describe(p));
      }
    }
  }
}

}  // namespace

TEST(EngineLanesTest, PathsCanBeForcedAndReported) {
  EXPECT_TRUE(EnginePathAvailable(TEnginePath::Auto));
  EXPECT_TRUE(EnginePathAvailable(TEnginePath::Scalar));
#if defined(__x86_64__)
  EXPECT_TRUE(EnginePathAvailable(TEnginePath::Sse2));
#endif
  const TFractProps mandelbrot = Grid(40, 30, -2.0, 1.0, 1.0, -1.0);
  {
    const TPathScope scope(TEnginePath::Scalar);
    EXPECT_EQ(ActiveEnginePath(), TEnginePath::Scalar);
    EXPECT_EQ(EnginePathFor(mandelbrot), TEnginePath::Scalar);
  }
  // Auto is the widest set there is.
  const std::vector<TEnginePath> lanes = LanePaths();
  EXPECT_EQ(ActiveEnginePath(), lanes.empty() ? TEnginePath::Scalar : lanes.back());
  for (TEnginePath path : lanes) {
    const TPathScope scope(path);
    EXPECT_EQ(EnginePathFor(mandelbrot), path) << EnginePathName(path);
    // The other formulas, points that are not finite and one-step pictures stay scalar.
    TFractProps props = mandelbrot;
    props.Formula = 3;
    EXPECT_EQ(EnginePathFor(props), path) << EnginePathName(path);
    props.Formula = 4;
    EXPECT_EQ(EnginePathFor(props), TEnginePath::Scalar);
    props = mandelbrot;
    props.Right.SetValue(std::numeric_limits<double>::infinity());
    EXPECT_EQ(EnginePathFor(props), TEnginePath::Scalar);
    props = mandelbrot;
    props.MaxDepth.SetValue(1);
    EXPECT_EQ(EnginePathFor(props), TEnginePath::Scalar);
  }
  EXPECT_STREQ(EnginePathName(TEnginePath::Scalar), "scalar");
  EXPECT_STREQ(EnginePathName(TEnginePath::Avx512), "avx512");
}

TEST(EngineLanesTest, EveryFormulaMapCycleLimitAndContinuityGivesTheScalarBits) {
  for (int formula = 0; formula < kFormulaCount; ++formula) {
    for (TFractMap map : {MapZ, MapC, MapD}) {
      for (int32_t maxCycle : {0, 8}) {
        for (uint8_t cont : {0, 1}) {
          TFractProps props = Grid(23, 19, -2.0, 1.5, 1.25, -1.25, map);
          props.Formula = static_cast<uint8_t>(formula);
          props.MaxCycle.SetValue(maxCycle);
          props.Cont = cont;
          props.MaxDepth.SetValue(120);
          ExpectScalarBits(props, Describe(props));
        }
      }
    }
  }
}

TEST(EngineLanesTest, BoundsDepthsAndHistoriesGiveTheScalarBits) {
  std::vector<TFractProps> cases;
  // The default Julia picture and the Mandelbrot set with R^2 = 4 exactly.
  cases.push_back(Grid(61, 47, -1.5, 1.5, 1.5, -1.5, MapZ));
  TFractProps props = Grid(57, 43, -1.5, 0.5, 1.0, -1.0);
  props.OuterCircle.SetValue(2.0);
  props.MaxCycle.SetValue(0);
  props.MaxDepth.SetValue(51);
  cases.push_back(props);
  // Reversed bounds in both directions.
  cases.push_back(Grid(33, 27, 0.5, -2.0, -1.0, 1.0));
  // Depth limits of one, two and three: nothing, one step, two steps.
  for (int32_t depth : {1, 2, 3}) {
    props = Grid(21, 13, -2.0, 1.0, 1.0, -1.0);
    props.MaxDepth.SetValue(depth);
    cases.push_back(props);
  }
  // Deep orbits in the cycle-rich region by the period-3 bulb, with histories of every
  // length up to the longest the lanes keep, and one longer.
  for (int32_t maxCycle : {1, 2, 3, 5, 40, 1024, 1025}) {
    props = Grid(9, 7, -1.77, -1.74, 0.015, -0.015);
    props.MaxCycle.SetValue(maxCycle);
    props.MaxDepth.SetValue(maxCycle > 100 ? 3000 : 2000);
    cases.push_back(props);
  }
  // A coarse cycle tolerance catches many orbits early.
  props = Grid(31, 29, -2.0, 1.0, 1.2, -1.2);
  props.InnerDist.SetValue(0.5);
  props.MaxCycle.SetValue(6);
  cases.push_back(props);
  // z0 = c = 0.5: z1 = 0.75 and z2 = 1.0625 lie exactly r = 0.3125 apart, which is no cycle.
  props = Grid(4, 1, -0.5, 1.5, 0.0, -1.0);
  props.InnerDist.SetValue(0.3125);
  props.MaxCycle.SetValue(2);
  cases.push_back(props);
  // R^2 beyond the range (infinite) and close to it: overflowing distances become possible.
  for (double outer : {1e160, 1e151}) {
    for (TFractMap map : {MapZ, MapC}) {
      props = Grid(25, 25, -1.2e77, 1.4e77, 1.3e77, -1.1e77, map);
      props.OuterCircle.SetValue(outer);
      props.CR.SetValue(1.1e154);
      props.CI.SetValue(-3e153);
      cases.push_back(props);
      props = Grid(25, 25, -2.0, 1.0, 1.0, -1.0, map);
      props.OuterCircle.SetValue(outer);
      cases.push_back(props);
    }
  }
  ExpectScalarBitsOfTheLanesFormulas(cases);
}

TEST(EngineLanesTest, OrbitsEndingAtEveryStepOfTheLoopsBatchesGiveTheScalarBits) {
  // The lanes step in batches of several steps and stop each lane at its own step: orbits
  // end on the first, a middle and the last step of a batch and of the next one.
  std::vector<TFractProps> cases;
  // On the real axis beyond 1/4, c escapes after a number of steps that grows towards 1/4:
  // every number from 1 to a few dozen occurs. Depth limits of every residue cut them off.
  for (int32_t depth : {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 17, 33}) {
    TFractProps props = Grid(97, 1, 2.5, 0.2501, 0.0, -1.0);
    props.OuterCircle.SetValue(2.0);
    props.MaxDepth.SetValue(depth);
    cases.push_back(props);
  }
  // Cycles found after every number of steps: a coarse tolerance by the period-2 disc.
  for (int32_t maxCycle : {1, 2, 3}) {
    TFractProps props = Grid(37, 29, -1.3, -0.7, 0.3, -0.3);
    props.InnerDist.SetValue(0.05);
    props.MaxCycle.SetValue(maxCycle);
    props.MaxDepth.SetValue(60);
    cases.push_back(props);
  }
  // Faults on the first steps: squares that overflow after one, two or three steps.
  for (double scale : {1e160, 1e80, 1e40}) {
    TFractProps props = Grid(31, 7, -scale, scale, scale / 3, -scale / 3);
    props.OuterCircle.SetValue(1e300);
    props.MaxDepth.SetValue(9);
    cases.push_back(props);
  }
  ExpectScalarBitsOfTheLanesFormulas(cases);
}

TEST(EngineLanesTest, FaultHeavyRegionsGiveTheScalarBits) {
  std::vector<TFractProps> cases;
  // Squares overflow at once.
  for (TFractMap map : {MapZ, MapC, MapD}) {
    cases.push_back(Grid(27, 23, -1e200, 1e200, 1e200, -1e200, map));
  }
  // z' finite, its squared modulus not: around 1e154.
  cases.push_back(Grid(27, 23, -3e154, 3e154, 2e154, -2e154, MapC));
  cases.push_back(Grid(27, 23, 0.9e154, 1.5e154, 1e-3, -1e-3, MapZ));
  cases.push_back(Grid(27, 23, -1e77, 1e77, 1e77, -1e77, MapZ));
  // Points that are not finite: the mapping itself overflows.
  cases.push_back(Grid(9, 9, -1.5e308, 1.5e308, 1.5e308, -1.5e308, MapC));
  TFractProps props = Grid(9, 9, -1.0, 1.0, 1.0, -1.0, MapZ);
  props.CR.SetValue(std::numeric_limits<double>::infinity());
  cases.push_back(props);
  props.CR.SetValue(std::numeric_limits<double>::quiet_NaN());
  cases.push_back(props);
  // Formula 8 around z^5 = -1, d = c = 0: 0 / 0 at the pixel exactly on -1.
  props = Grid(20, 20, -1.1, -0.9, 0.1, -0.1, MapZ);
  props.CR.SetValue(0.0);
  props.CI.SetValue(0.0);
  props.DR.SetValue(0.0);
  props.DI.SetValue(0.0);
  props.Formula = 8;
  cases.push_back(props);
  // exp and sin of large imaginary parts.
  for (int formula : {9, 10, 11, 12}) {
    for (TFractMap map : {MapZ, MapC}) {
      props = Grid(16, 16, -3.0, 3.0, 800.0, 700.0, map);
      props.Formula = static_cast<uint8_t>(formula);
      cases.push_back(props);
    }
  }
  for (TFractProps& p : cases) {
    for (int32_t maxCycle : {0, 3}) {
      p.MaxCycle.SetValue(maxCycle);
      for (uint8_t cont : {0, 1}) {
        p.Cont = cont;
        const uint8_t formula = p.Formula;
        for (uint8_t f : formula == 0 ? std::vector<uint8_t>{0, 1, 2, 3} : std::vector{formula}) {
          p.Formula = f;
          // Formula 3 with the real powers 1, 2 and 7 of the modulus: with 1 an overflowing
          // modulus reaches z' unchanged.
          for (int32_t n : f == 3 ? std::vector<int32_t>{1, 2, 7} : std::vector<int32_t>{5}) {
            p.N.SetValue(n);
            ExpectScalarBits(p, Describe(p) + ", N " + std::to_string(n));
          }
          p.N.SetValue(5);
        }
        p.Formula = formula;
      }
    }
  }
}

TEST(EngineLanesTest, RandomRecordsGiveTheScalarBits) {
  std::mt19937_64 random(20240611);
  auto uniform = [&](double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random);
  };
  auto integer = [&](int32_t low, int32_t high) {
    return std::uniform_int_distribution<int32_t>(low, high)(random);
  };
  for (int i = 0; i < 150; ++i) {
    // Mostly the polynomial formulas, which the lanes take.
    const int formula = integer(0, 5) < 5 ? integer(0, 3) : integer(4, 12);
    const double scale = std::pow(10.0, integer(0, 9) == 0 ? uniform(70.0, 160.0) : uniform(-3, 1));
    const double centreRe = uniform(-1.5, 0.5);
    const double centreIm = uniform(-1.0, 1.0);
    TFractProps props =
        Grid(integer(1, 40), integer(1, 40), centreRe - scale * uniform(0.1, 2),
             centreRe + scale * uniform(-2, 2), centreIm + scale * uniform(-2, 2),
             centreIm - scale * uniform(0.1, 2), static_cast<TFractMap>(integer(0, 2)));
    props.Formula = static_cast<uint8_t>(formula);
    props.MaxDepth.SetValue(integer(0, 3) == 0 ? integer(1, 4) : integer(5, 400));
    props.MaxCycle.SetValue(integer(0, 3) == 0 ? 0 : integer(1, 12));
    props.OuterCircle.SetValue(integer(0, 7) == 0 ? std::pow(10.0, uniform(100, 200))
                                                  : uniform(1.01, 1000.0));
    props.InnerDist.SetValue(std::pow(10.0, uniform(-8, -0.01)));
    props.CR.SetValue(uniform(-1.5, 1.0));
    props.CI.SetValue(uniform(-1.0, 1.0));
    props.DR.SetValue(uniform(-1.0, 1.0));
    props.DI.SetValue(uniform(-1.0, 1.0));
    props.N.SetValue(integer(1, 7));
    props.M.SetValue(integer(2, 5));
    props.Cont = static_cast<uint8_t>(integer(0, 1));
    ExpectScalarBits(props, "record " + std::to_string(i) + ": " + Describe(props));
  }
}

TEST(EngineLanesTest, ColumnRangesAndColumnsDoneAreKept) {
  const TFractProps props = Grid(10, 37, -2.0, 1.0, 1.0, -1.0);
  const TResult scalar = Compute(props, TEnginePath::Scalar);
  for (TEnginePath path : LanePaths()) {
    const TPathScope scope(path);
    TFractArray array(10, 37);
    uint64_t steps = 0;
    std::string error;
    ASSERT_TRUE(ComputeStrip(props, array, 3, 7, steps, error));
    EXPECT_EQ(array.ColumnsDone(), 7) << EnginePathName(path);
    for (int32_t x = 0; x < 10; ++x) {
      for (int32_t y = 0; y < 37; ++y) {
        const bool inside = x >= 3 && x < 7;
        EXPECT_EQ(array.GetDepth(x, y), inside ? scalar.array->GetDepth(x, y) : 0.0f)
            << EnginePathName(path) << " " << x << ", " << y;
      }
    }
    ASSERT_TRUE(ComputeStrip(props, array, 7, 10, steps, error, TColumnsDoneUpdate::Never));
    EXPECT_EQ(array.ColumnsDone(), 7);
    ASSERT_TRUE(ComputeStrip(props, array, 10, 10, steps, error));
    EXPECT_EQ(steps, 0u);
  }
}

TEST(EngineLanesTest, ASampleOfEveryStrideThCellIsThoseCellsOfTheGrid) {
  std::vector<TFractProps> cases;
  cases.push_back(Grid(61, 47, -1.5, 1.5, 1.5, -1.5, MapZ));
  cases.push_back(Grid(64, 40, -2.0, 0.7, 1.2, -1.2, MapC));
  cases.push_back(Grid(17, 9, 0.5, -2.0, -1.0, 1.0, MapD));
  TFractProps cycles = Grid(50, 50, -1.77, -1.74, 0.015, -0.015);
  cycles.MaxCycle.SetValue(3);
  cycles.MaxDepth.SetValue(2000);
  cases.push_back(cycles);
  for (TFractProps props : cases) {
    for (int formula : {0, 3, 5, 11}) {
      props.Formula = static_cast<uint8_t>(formula);
      const TResult whole = Compute(props, TEnginePath::Scalar);
      std::vector<TEnginePath> paths = LanePaths();
      paths.push_back(TEnginePath::Scalar);
      for (TEnginePath path : paths) {
        for (int32_t stride : {1, 3, 8}) {
          const TPathScope scope(path);
          const int32_t width = props.XResolution.GetValue();
          const int32_t height = props.YResolution.GetValue();
          TFractArray sample(SampledSize(width, stride), SampledSize(height, stride));
          uint64_t steps = 0;
          std::string error;
          // In two calls, as a worker that looks for stop requests between columns does.
          const int32_t half = sample.Width() / 2;
          uint64_t more = 0;
          ASSERT_TRUE(ComputeSampledCells(props, stride, sample, 0, half, steps, error)) << error;
          EXPECT_EQ(sample.ColumnsDone(), half);
          ASSERT_TRUE(ComputeSampledCells(props, stride, sample, half, sample.Width(), more, error))
              << error;
          steps += more;
          EXPECT_EQ(sample.ColumnsDone(), sample.Width());
          for (int32_t i = 0; i < sample.Width(); ++i) {
            for (int32_t j = 0; j < sample.Height(); ++j) {
              const int64_t cell = int64_t{i} * stride * height + int64_t{j} * stride;
              const float depth = sample.Depths()[int64_t{i} * sample.Height() + j];
              ASSERT_EQ(std::memcmp(&depth, &whole.array->Depths()[cell], sizeof(float)), 0)
                  << Describe(props) << ", " << EnginePathName(path) << ", stride " << stride
                  << ", sample cell " << i << ", " << j;
              ASSERT_EQ(sample.Cycles()[int64_t{i} * sample.Height() + j],
                        whole.array->Cycles()[cell]);
            }
          }
          if (stride == 1) {
            EXPECT_EQ(steps, whole.steps) << Describe(props);
          }
        }
      }
    }
  }
  // The sizes: cells 0, 8 and 16 of 17; a target of another size is refused untouched.
  EXPECT_EQ(SampledSize(17, 8), 3);
  EXPECT_EQ(SampledSize(16, 8), 2);
  EXPECT_EQ(SampledSize(1, 8), 1);
  TFractArray wrong(2, 2);
  uint64_t steps = 0;
  std::string error;
  EXPECT_FALSE(
      ComputeSampledCells(Grid(17, 9, -2.0, 1.0, 1.0, -1.0), 8, wrong, 0, 2, steps, error));
  EXPECT_EQ(error,
            "The results of 2 x 2 pixels do not fit a sample of the grid of 17 x 9 pixels taken "
            "every 8 cells.");
  TFractArray right(3, 2);
  EXPECT_FALSE(
      ComputeSampledCells(Grid(17, 9, -2.0, 1.0, 1.0, -1.0), 8, right, 1, 4, steps, error));
  EXPECT_EQ(error, "The columns 1 to 4 do not lie within the 3 columns of the sample.");
  EXPECT_EQ(wrong.ColumnsDone(), 0);
  EXPECT_EQ(right.ColumnsDone(), 0);
}
