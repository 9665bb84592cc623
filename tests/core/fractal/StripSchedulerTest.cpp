#include "core/fractal/StripScheduler.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/fractal/Engine.h"
#include "core/fractal/TFractArray.h"
#include "core/fractal/TFractProps.h"

namespace {

TFractProps Mandelbrot(int32_t width, int32_t height) {
  TFractProps props;
  props.Map = MapC;
  props.XResolution.SetValue(width);
  props.YResolution.SetValue(height);
  props.Left.SetValue(-2.0);
  props.Right.SetValue(0.5);
  return props;
}

std::unique_ptr<TFractArray> Compute(const TFractProps& props, int32_t threads,
                                     const TStripCallbacks& callbacks = {}) {
  auto array =
      std::make_unique<TFractArray>(props.XResolution.GetValue(), props.YResolution.GetValue());
  uint64_t steps = 0;
  std::string error;
  EXPECT_TRUE(ComputeInStrips(props, *array, threads, callbacks, steps, error)) << error;
  return array;
}

bool SameBits(const TFractArray& a, const TFractArray& b) {
  const size_t cells = static_cast<size_t>(a.Width()) * a.Height();
  return std::memcmp(a.Depths(), b.Depths(), cells * sizeof(float)) == 0 &&
         std::memcmp(a.Cycles(), b.Cycles(), cells * sizeof(int32_t)) == 0;
}

}  // namespace

TEST(StripSchedulerTest, OneThreadPaintsAfterEveryStrip) {
  std::vector<int32_t> seen;
  TFractArray* target = nullptr;
  TStripCallbacks callbacks;
  callbacks.progress = [&] { seen.push_back(target->ColumnsDone()); };
  TFractProps props = Mandelbrot(10, 6);
  TFractArray array(10, 6);
  target = &array;
  uint64_t steps = 0;
  std::string error;
  ASSERT_TRUE(ComputeInStrips(props, array, 1, callbacks, steps, error));
  EXPECT_EQ(seen, (std::vector<int32_t>{4, 8, 10}));
  EXPECT_GT(steps, 0u);
}

TEST(StripSchedulerTest, AStopRequestDuringStripTwoLeavesEightColumns) {
  TFractProps props = Mandelbrot(40, 5);
  int asked = 0;
  TStripCallbacks callbacks;
  callbacks.stopRequested = [&] { return ++asked > 2; };  // asked before strips 1, 2, 3
  const auto array = Compute(props, 1, callbacks);
  EXPECT_EQ(array->ColumnsDone(), 8);
}

TEST(StripSchedulerTest, ThreadsGiveTheSameBitsAndGrowFromTheLeft) {
  for (TFractProps props : {Mandelbrot(203, 97), TFractProps()}) {
    const auto alone = Compute(props, 1);
    std::vector<int32_t> seen;
    TFractArray* target = nullptr;
    TStripCallbacks callbacks;
    callbacks.progress = [&] { seen.push_back(target->ColumnsDone()); };
    TFractArray shared(props.XResolution.GetValue(), props.YResolution.GetValue());
    target = &shared;
    uint64_t steps = 0;
    std::string error;
    ASSERT_TRUE(ComputeInStrips(props, shared, 4, callbacks, steps, error));
    EXPECT_TRUE(SameBits(*alone, shared));
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), props.XResolution.GetValue());
    for (size_t i = 1; i < seen.size(); ++i) EXPECT_GT(seen[i], seen[i - 1]);
  }
}

TEST(StripSchedulerTest, AStopRequestEndsThreadsWithinAStripEach) {
  TFractProps props = Mandelbrot(400, 50);
  const auto reference = Compute(props, 1);
  // Also when the threads take strips four at a time.
  for (const int32_t perClaim : {1, 4}) {
    std::atomic<int> asked{0};
    TStripCallbacks callbacks;
    callbacks.stopRequested = [&] { return asked.fetch_add(1) >= 3; };
    callbacks.stripsPerClaim = perClaim;
    const auto array = Compute(props, 3, callbacks);
    // Three strips were started before the request; at most one more per thread follows.
    EXPECT_GE(array->ColumnsDone(), 0);
    EXPECT_LE(array->ColumnsDone(), 6 * kStripWidth) << perClaim;
    for (int32_t x = 0; x < array->ColumnsDone(); ++x)
      for (int32_t y = 0; y < 50; ++y) ASSERT_EQ(array->GetDepth(x, y), reference->GetDepth(x, y));
  }
}

TEST(StripSchedulerTest, EveryStripIsHandedOnOnceBeforeItCountsAsDone) {
  // One thread and several, taking one or four strips at a time: each column reaches the
  // callback once, in a strip or a claim, computed and not yet passed by ColumnsDone, and the
  // progress calls only see columns the callback is through with.
  const TFractProps props = Mandelbrot(37, 11);
  const auto reference = Compute(props, 1);
  for (const auto& [threads, perClaim] : {std::pair{1, 1}, {3, 1}, {1, 4}, {2, 4}}) {
    const int32_t claimWidth = threads > 1 ? perClaim * kStripWidth : kStripWidth;
    TFractArray array(37, 11);
    std::mutex mutex;
    std::vector<int32_t> handed(37, 0);
    bool wellOrdered = true;
    TStripCallbacks callbacks;
    callbacks.stripComputed = [&](int32_t first, int32_t last) {
      std::lock_guard<std::mutex> lock(mutex);
      wellOrdered = wellOrdered && last - first <= claimWidth && first % claimWidth == 0 &&
                    array.ColumnsDone() <= first;
      for (int32_t x = first; x < last; ++x) {
        ++handed[static_cast<size_t>(x)];
        for (int32_t y = 0; y < 11; ++y) {
          wellOrdered = wellOrdered && array.GetDepth(x, y) == reference->GetDepth(x, y);
        }
      }
    };
    callbacks.progress = [&] {
      std::lock_guard<std::mutex> lock(mutex);
      for (int32_t x = 0; x < array.ColumnsDone(); ++x) {
        wellOrdered = wellOrdered && handed[static_cast<size_t>(x)] == 1;
      }
    };
    callbacks.stripsPerClaim = perClaim;
    uint64_t steps = 0;
    std::string error;
    ASSERT_TRUE(ComputeInStrips(props, array, threads, callbacks, steps, error)) << error;
    EXPECT_TRUE(wellOrdered) << threads << " threads, " << perClaim;
    EXPECT_EQ(handed, std::vector<int32_t>(37, 1)) << threads << " threads, " << perClaim;
    EXPECT_EQ(array.ColumnsDone(), 37);
    EXPECT_TRUE(SameBits(*reference, array));
  }
}

TEST(StripSchedulerTest, RefusesWhatCannotBeComputed) {
  TFractProps props;
  props.MaxCycle.SetValue(kMaxCycleLimit + 1);
  TFractArray array(250, 250);
  uint64_t steps = 0;
  std::string error;
  EXPECT_FALSE(ComputeInStrips(props, array, 2, {}, steps, error));
  EXPECT_EQ(error, "Max Cycles to Detect must lie between 0 and 1000000.");
  EXPECT_EQ(array.ColumnsDone(), 0);
}
