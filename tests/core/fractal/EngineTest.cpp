#include "core/fractal/Engine.h"

#include <cfenv>
#include <cmath>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/fractal/FormulaStep.h"
#include "core/fractal/StripScheduler.h"
#include "core/fractal/TFractArray.h"
#include "core/fractal/TFractProps.h"

namespace {

// A grid of columns x 1 pixels on the real axis, from left towards right.
TFractProps RealAxis(double left, double right, int32_t columns, TFractMap map = MapC) {
  TFractProps props;
  props.Map = map;
  props.Left.SetValue(left);
  props.Right.SetValue(right);
  props.XResolution.SetValue(columns);
  props.Top.SetValue(0.0);
  props.Bottom.SetValue(-1.0);
  props.YResolution.SetValue(1);
  return props;
}

// One pixel at the real point x under z^2 + 0.
TFractProps SquareOf(double x, double outerCircle = 1000.0) {
  TFractProps props = RealAxis(x, x + 1.0, 1, MapZ);
  props.CR.SetValue(0.0);
  props.CI.SetValue(0.0);
  props.OuterCircle.SetValue(outerCircle);
  return props;
}

std::unique_ptr<TFractArray> Compute(const TFractProps& props, uint64_t* steps = nullptr) {
  auto array =
      std::make_unique<TFractArray>(props.XResolution.GetValue(), props.YResolution.GetValue());
  uint64_t count = 0;
  std::string error;
  EXPECT_TRUE(ComputeStrip(props, *array, 0, array->Width(), count, error)) << error;
  if (steps != nullptr) *steps = count;
  return array;
}

// The depth of a pixel in steps, as stored: Depths * MaxDepth.
double DepthAt(const TFractArray& array, int32_t x, int32_t y = 0) {
  return array.GetDepth(x, y) * 200.0;
}

}  // namespace

TEST(EngineTest, DefaultJuliaPicture) {
  const TFractProps props;
  const auto array = Compute(props);
  // 0 + 0i: z4 lies within 0.0001 of z1.
  EXPECT_EQ(array->GetDepth(125, 125), static_cast<float>(-4.0 / 200));
  EXPECT_EQ(array->GetCycle(125, 125), 3);
  // -1.5 + 1.5i escapes at depth 4 with the fraction 4 - ln|z4|^2 / ln 10^6.
  EXPECT_NEAR(array->GetDepth(0, 0), 0.01039, 5e-6);
  EXPECT_EQ(array->GetCycle(0, 0), 0);
  EXPECT_EQ(array->ColumnsDone(), 250);
  // Negative exactly where a cycle was found, with a length up to MaxCycle.
  for (int32_t i = 0; i < 250 * 250; ++i) {
    const int32_t cycle = array->Cycles()[i];
    EXPECT_EQ(array->Depths()[i] < 0.0f, cycle != 0) << i;
    EXPECT_TRUE(cycle >= 0 && cycle <= 3) << i;
  }
}

TEST(EngineTest, MandelbrotOnTheRealAxis) {
  // c = -2, -1, 0, 1.
  TFractProps props = RealAxis(-2.0, 2.0, 4);
  uint64_t steps = 0;
  auto array = Compute(props, &steps);
  EXPECT_EQ(array->GetDepth(0, 0), static_cast<float>(-2.0 / 200));  // -2, 2, 2: fixed point
  EXPECT_EQ(array->GetCycle(0, 0), 1);
  EXPECT_EQ(array->GetDepth(1, 0), static_cast<float>(-3.0 / 200));  // -1, 0, -1, 0
  EXPECT_EQ(array->GetCycle(1, 0), 2);
  EXPECT_EQ(array->GetDepth(2, 0), static_cast<float>(-2.0 / 200));  // 0, 0, 0
  EXPECT_EQ(array->GetCycle(2, 0), 1);
  // 1, 2, 5, 26, 677, 458330: |z4|^2 = 677^2 is still inside R^2 = 10^6.
  EXPECT_NEAR(DepthAt(*array, 3), 3.113, 5e-4);
  EXPECT_EQ(array->GetCycle(3, 0), 0);
  EXPECT_EQ(steps, 2u + 3u + 2u + 5u);

  props.Cont = 1;
  EXPECT_EQ(Compute(props)->GetDepth(3, 0), static_cast<float>(5.0 / 200));

  // Formula 3 with N = 2 follows the same orbit, but its fraction has the factor 1/2.
  props.Cont = 0;
  props.Formula = 3;
  props.N.SetValue(2);
  EXPECT_NEAR(DepthAt(*Compute(props), 3), 4.0565, 5e-4);

  // Reversed bounds mirror the picture: c = 2, 1, 0, -1.
  const auto mirrored = Compute(RealAxis(2.0, -2.0, 4));
  for (int32_t x = 1; x < 4; ++x) {
    EXPECT_EQ(mirrored->GetDepth(x, 0), array->GetDepth(4 - x, 0)) << x;
    EXPECT_EQ(mirrored->GetCycle(x, 0), array->GetCycle(4 - x, 0)) << x;
  }
  EXPECT_GT(mirrored->GetDepth(0, 0), 0.0f);
}

TEST(EngineTest, DepthLimitAndCycleLimit) {
  TFractProps props;
  props.MaxDepth.SetValue(1);
  uint64_t steps = 1;
  const auto flat = Compute(props, &steps);
  for (int32_t i = 0; i < 250 * 250; ++i) ASSERT_EQ(flat->Depths()[i], 0.0f) << i;
  EXPECT_EQ(steps, 0u);

  // The centre of the default picture falls into a cycle of length 3.
  props.MaxDepth.SetValue(200);
  props.XResolution.SetValue(1);
  props.YResolution.SetValue(1);
  props.Left.SetValue(0.0);
  props.Top.SetValue(0.0);
  for (int32_t maxCycle : {0, 1, 2, 3, 6}) {
    props.MaxCycle.SetValue(maxCycle);
    const auto array = Compute(props, &steps);
    const bool found = maxCycle >= 3;
    EXPECT_EQ(array->GetDepth(0, 0), found ? static_cast<float>(-4.0 / 200) : 0.0f) << maxCycle;
    EXPECT_EQ(array->GetCycle(0, 0), found ? 3 : 0) << maxCycle;
    EXPECT_EQ(steps, found ? 4u : 199u) << maxCycle;
  }
}

TEST(EngineTest, Formula7StandsStillOnTheRealAxis) {
  TFractProps props = RealAxis(-0.5, 0.5, 2, MapZ);
  props.Formula = 7;
  for (double cr : {-0.122561, 0.7}) {
    props.CR.SetValue(cr);
    const auto array = Compute(props);
    for (int32_t x = 0; x < 2; ++x) {
      EXPECT_EQ(array->GetDepth(x, 0), static_cast<float>(-2.0 / 200)) << x;
      EXPECT_EQ(array->GetCycle(x, 0), 1) << x;
    }
  }
  props.MaxCycle.SetValue(0);
  EXPECT_EQ(Compute(props)->GetDepth(0, 0), 0.0f);
}

TEST(EngineTest, EscapesAndTheFractionFloor) {
  // z1 = 10^6: the fraction 1 - 2 is below 0 and becomes 0.0001.
  EXPECT_EQ(Compute(SquareOf(1000.0))->GetDepth(0, 0), static_cast<float>(0.0001 / 200));
  // 2, 4, 16 with R = 4: the fraction 2 - ln 256 / ln 16 is exactly 0; the point escaped,
  // so it takes the floor rather than reading as undecided.
  EXPECT_EQ(Compute(SquareOf(2.0, 4.0))->GetDepth(0, 0), static_cast<float>(0.0001 / 200));
  // The history starts as 1000 + 1000i: with R = 2000, z1 = c = 1000 + 1000i matches it.
  TFractProps props = RealAxis(0.0, 1.0, 1, MapZ);
  props.Formula = 10;
  props.CR.SetValue(1000.0);
  props.CI.SetValue(1000.0);
  props.OuterCircle.SetValue(2000.0);
  const auto array = Compute(props);
  EXPECT_EQ(array->GetDepth(0, 0), static_cast<float>(-1.0 / 200));
  EXPECT_EQ(array->GetCycle(0, 0), 1);
}

TEST(EngineTest, FaultsEndThePixelAtTheDepthReached) {
  const float depth1 = static_cast<float>(1.0 / 200);
  auto faultDepth = [](TFractProps props) {
    const auto array = Compute(props);
    EXPECT_EQ(array->GetCycle(0, 0), 0);
    return array->GetDepth(0, 0);
  };
  // x^2 overflows; as an escape this would have stored 0.0001 / 200.
  EXPECT_EQ(faultDepth(SquareOf(1e200)), depth1);
  // z1 = 10^308 is finite, but |z1|^2 overflows: a fault, not an escape.
  EXPECT_EQ(faultDepth(SquareOf(1e154)), depth1);
  // 0 / 0 at z^5 = -1; the NaN would otherwise leave the point undecided.
  TFractProps props = RealAxis(-1.0, 0.0, 1, MapZ);
  props.Formula = 8;
  props.CR.SetValue(0.0);
  props.CI.SetValue(0.0);
  props.DR.SetValue(0.0);
  props.DI.SetValue(0.0);
  EXPECT_EQ(faultDepth(props), depth1);
  // 0 * sin(800i) is invalid.
  props.Formula = 11;
  props.Left.SetValue(0.0);
  props.Top.SetValue(800.0);
  EXPECT_EQ(faultDepth(props), depth1);
  // R^2 overflows to infinity, so 2, 4, 16, ... never escapes; |z9|^2 = 2^1024 overflows.
  EXPECT_EQ(faultDepth(SquareOf(2.0, 1e200)), static_cast<float>(9.0 / 200));
}

TEST(EngineTest, StripsAndProgress) {
  const TFractProps props = RealAxis(-2.0, 2.0, 4);
  const auto whole = Compute(props);
  TFractArray array(4, 1);
  uint64_t steps = 0;
  std::string error;
  ASSERT_TRUE(ComputeStrip(props, array, 1, 3, steps, error));
  EXPECT_EQ(array.ColumnsDone(), 3);
  EXPECT_EQ(steps, 3u + 2u);
  EXPECT_EQ(array.GetCycle(0, 0), 0);  // still cleared
  EXPECT_EQ(array.GetDepth(3, 0), 0.0f);
  ASSERT_TRUE(ComputeStrip(props, array, 3, 4, steps, error, TColumnsDoneUpdate::Never));
  EXPECT_EQ(array.ColumnsDone(), 3);
  ASSERT_TRUE(ComputeStrip(props, array, 0, 1, steps, error));
  for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(array.GetDepth(x, 0), whole->GetDepth(x, 0)) << x;
  ASSERT_TRUE(ComputeStrip(props, array, 4, 4, steps, error));
  EXPECT_EQ(steps, 0u);
}

TEST(EngineTest, PicturesOneAfterAnotherUseTheirOwnRows) {
  // Pictures that differ only in the rows, computed in turn on one thread, against each
  // computed first on a thread of its own.
  TFractProps props = RealAxis(-2.0, 0.5, 8);
  props.YResolution.SetValue(16);
  std::vector<TFractProps> pictures;
  for (double bottom : {-1.0, -0.5, 1.0}) {
    props.Bottom.SetValue(bottom);
    pictures.push_back(props);
  }
  props.Top.SetValue(0.25);
  pictures.push_back(props);
  props.YResolution.SetValue(15);
  pictures.push_back(props);
  for (const TFractProps& picture : pictures) {
    std::unique_ptr<TFractArray> alone;
    std::thread([&] { alone = Compute(picture); }).join();
    const auto after = Compute(picture);
    const size_t cells = 8 * static_cast<size_t>(picture.YResolution.GetValue());
    EXPECT_EQ(std::memcmp(after->Depths(), alone->Depths(), cells * sizeof(float)), 0)
        << picture.Top.GetValue() << " .. " << picture.Bottom.GetValue();
  }
}

TEST(EngineTest, FaultFlagsOfTheCallerAreKept) {
  std::feclearexcept(FE_ALL_EXCEPT);
  std::feraiseexcept(FE_UNDERFLOW);
  Compute(SquareOf(1e200));
  // The faults of the pixel stay inside the engine; what the caller had stays set.
  EXPECT_EQ(std::fetestexcept(kFloatFaults), 0);
  EXPECT_NE(std::fetestexcept(FE_UNDERFLOW), 0);
  std::feclearexcept(FE_ALL_EXCEPT);
}

TEST(EngineTest, RecordsAndTargetsTheEngineCannotTakeAreRefused) {
  const TFractProps props = RealAxis(-2.0, 2.0, 4);
  TFractArray array(4, 1);
  uint64_t steps = 0;
  std::string error;
  auto refusal = [&](const TFractProps& p, int32_t first = 0, int32_t last = 4) {
    EXPECT_FALSE(ComputeStrip(p, array, first, last, steps, error));
    return error;
  };
  const std::string outside = " do not lie within the 4 columns of the grid.";
  EXPECT_EQ(refusal(props, 0, 5), "The columns 0 to 5" + outside);
  EXPECT_EQ(refusal(props, 3, 2), "The columns 3 to 2" + outside);
  TFractProps other = props;
  other.YResolution.SetValue(2);
  EXPECT_EQ(refusal(other), "The results of 4 x 1 pixels do not fit the grid of 4 x 2 pixels.");
  other = props;
  for (int32_t maxCycle : {-1, kMaxCycleLimit + 1}) {
    other.MaxCycle.SetValue(maxCycle);
    EXPECT_EQ(refusal(other), "Max Cycles to Detect must lie between 0 and 1000000.");
  }
  other = props;
  other.MaxDepth.SetValue(0);
  EXPECT_EQ(refusal(other), "Max Depth must be at least 1.");
  other = props;
  other.Formula = 13;
  EXPECT_EQ(refusal(other), "The formula index 13 is unknown.");
  other = props;
  other.Map = static_cast<TFractMap>(3);
  EXPECT_EQ(refusal(other), "The map 3 is unknown.");
  other.XResolution.SetValue(20000);
  other.YResolution.SetValue(20000);
  EXPECT_FALSE(CheckComputable(other, error));
  EXPECT_EQ(
      error,
      "A grid of 20000 x 20000 pixels is too large: at most 268435456 pixels can be computed.");
  EXPECT_EQ(array.ColumnsDone(), 0) << "nothing was written";

  // The longest history allowed is accepted.
  other = props;
  other.MaxCycle.SetValue(kMaxCycleLimit);
  EXPECT_TRUE(ComputeStrip(other, array, 2, 3, steps, error)) << error;
  EXPECT_EQ(array.GetCycle(2, 0), 1);
}

TEST(EngineTest, ABandOfRowsGetsTheResultsThoseRowsGetInTheWholeGrid) {
  // Every formula and map, with cycles and fractional depths, on every path this processor
  // has: bands of uneven heights, computed strip by strip and by the scheduler's threads.
  TFractProps props;
  props.XResolution.SetValue(13);
  props.YResolution.SetValue(37);
  props.MaxCycle.SetValue(2);
  props.MaxDepth.SetValue(60);
  const std::pair<int32_t, int32_t> bands[] = {{0, 5}, {5, 21}, {21, 37}, {36, 37}};
  for (TEnginePath path : {TEnginePath::Scalar, TEnginePath::Sse2, TEnginePath::Avx2,
                           TEnginePath::Avx512}) {
    if (!SetEnginePath(path)) continue;
    for (int32_t formula = 0; formula < kFormulaCount; ++formula) {
      for (TFractMap map : {MapZ, MapC, MapD}) {
        props.Formula = formula;
        props.Map = map;
        const auto whole = Compute(props);
        for (const auto& [first, last] : bands) {
          const int32_t rows = last - first;
          for (int32_t threads : {0, 1, 2}) {
            TFractArray band(13, rows);
            uint64_t steps = 0;
            std::string error;
            if (threads == 0) {
              ASSERT_TRUE(ComputeStrip(props, band, 0, 13, steps, error,
                                       TColumnsDoneUpdate::EachColumn, first))
                  << error;
            } else {
              ASSERT_TRUE(ComputeInStrips(props, band, threads, {}, steps, error, first)) << error;
            }
            for (int32_t x = 0; x < 13; ++x) {
              const int64_t at = int64_t{x} * 37 + first;
              ASSERT_EQ(std::memcmp(band.Depths() + x * rows, whole->Depths() + at,
                                    sizeof(float) * rows),
                        0)
                  << EnginePathName(path) << " formula " << formula << " map " << map << " rows "
                  << first << ".." << last << " column " << x;
              ASSERT_EQ(std::memcmp(band.Cycles() + x * rows, whole->Cycles() + at,
                                    sizeof(int32_t) * rows),
                        0);
            }
          }
        }
      }
    }
  }
  SetEnginePath(TEnginePath::Auto);

  // A band must lie within the grid.
  TFractArray band(13, 5);
  uint64_t steps = 0;
  std::string error;
  EXPECT_FALSE(ComputeStrip(props, band, 0, 13, steps, error, TColumnsDoneUpdate::EachColumn, 33));
  EXPECT_EQ(error, "The results of 13 x 5 pixels from row 33 do not fit the grid of 13 x 37 pixels.");
  EXPECT_FALSE(ComputeStrip(props, band, 0, 13, steps, error, TColumnsDoneUpdate::EachColumn, -2));
  // However large the whole grid: a band of it needs only its own memory.
  props.XResolution.SetValue(1000);
  props.YResolution.SetValue(300000);
  EXPECT_FALSE(CheckComputable(props, error));
  TFractArray wide(1000, 5);
  EXPECT_TRUE(ComputeStrip(props, wide, 0, 1000, steps, error, TColumnsDoneUpdate::EachColumn,
                           150000))
      << error;
}
