#include "core/fractal/StripScheduler.h"

#include <atomic>
#include <cstring>
#include <functional>
#include <mutex>
#include <new>
#include <stdexcept>
#include <system_error>
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

// Whether columns 0 .. columns-1 of a and b hold the same bits.
bool SameColumns(const TFractArray& a, const TFractArray& b, int32_t columns) {
  for (int32_t x = 0; x < columns; ++x) {
    for (int32_t y = 0; y < a.Height(); ++y) {
      const float depthA = a.GetDepth(x, y);
      const float depthB = b.GetDepth(x, y);
      if (std::memcmp(&depthA, &depthB, sizeof depthA) != 0 || a.GetCycle(x, y) != b.GetCycle(x, y))
        return false;
    }
  }
  return true;
}

// Exceptions a strip's work may end with, and what the computation then tells.
struct TThrown {
  std::function<void()> raise;
  std::string text;
};

std::vector<TThrown> ThrownKinds() {
  return {{[] { throw std::bad_alloc(); }, "There is not enough memory to compute the fractal."},
          {[] { throw std::runtime_error("The palette has gone."); }, "The palette has gone."},
          {[] { throw 42; }, "The computation of the fractal was ended by an unexpected error."}};
}

// While it lives, the computations start `successes` threads and then fail to start any
// more, as std::thread does when the system has none left.
class TFailingThreadStarts {
 public:
  explicit TFailingThreadStarts(int successes)
      : m_previous(SetThreadStarterForTesting([this, successes](std::function<void()> body) {
          if (m_started == successes) {
            throw std::system_error(
                std::make_error_code(std::errc::resource_unavailable_try_again));
          }
          ++m_started;
          return std::thread(std::move(body));
        })) {}
  ~TFailingThreadStarts() { SetThreadStarterForTesting(std::move(m_previous)); }

 private:
  int m_started = 0;
  TThreadStarter m_previous;
};

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

TEST(StripSchedulerTest, AnExceptionFromAStripEndsTheComputationWithItsText) {
  // The strip callback throws on the strip from column 40, with one thread and with several;
  // the strip never counts as done, and what does is what a clean run computes.
  const TFractProps props = Mandelbrot(203, 97);
  const auto reference = Compute(props, 1);
  for (const TThrown& thrown : ThrownKinds()) {
    for (const int32_t threads : {1, 4}) {
      TFractArray array(203, 97);
      TStripCallbacks callbacks;
      callbacks.stripComputed = [&](int32_t first, int32_t) {
        if (first == 40) thrown.raise();
      };
      uint64_t steps = 0;
      std::string error;
      EXPECT_FALSE(ComputeInStrips(props, array, threads, callbacks, steps, error));
      EXPECT_EQ(error, thrown.text) << threads << " threads";
      if (threads == 1) {
        EXPECT_EQ(array.ColumnsDone(), 40);
      } else {
        EXPECT_LE(array.ColumnsDone(), 40) << thrown.text;
      }
      EXPECT_TRUE(SameColumns(array, *reference, array.ColumnsDone())) << threads << " threads";
    }
  }
}

TEST(StripSchedulerTest, AnExceptionFromProgressEndsTheComputationWithItsText) {
  // Progress is reported on the calling thread while the others compute.
  const TFractProps props = Mandelbrot(203, 97);
  const auto reference = Compute(props, 1);
  for (const TThrown& thrown : ThrownKinds()) {
    for (const int32_t threads : {1, 4}) {
      TFractArray array(203, 97);
      TStripCallbacks callbacks;
      callbacks.progress = [&] { thrown.raise(); };
      uint64_t steps = 0;
      std::string error;
      EXPECT_FALSE(ComputeInStrips(props, array, threads, callbacks, steps, error));
      EXPECT_EQ(error, thrown.text) << threads << " threads";
      EXPECT_TRUE(SameColumns(array, *reference, array.ColumnsDone())) << threads << " threads";
    }
  }
}

TEST(StripSchedulerTest, ThreadsThatCannotStartAreDoneWithout) {
  // The system starts none, one or two of the four threads asked for: the ones that run (or
  // the calling thread alone) still compute every strip once, from the left.
  const TFractProps props = Mandelbrot(203, 97);
  const auto reference = Compute(props, 1);
  for (const int successes : {0, 1, 2}) {
    const TFailingThreadStarts failing(successes);
    TFractArray array(203, 97);
    std::mutex mutex;
    std::vector<int32_t> handed(203, 0);
    std::vector<int32_t> seen;
    TStripCallbacks callbacks;
    callbacks.stripComputed = [&](int32_t first, int32_t last) {
      std::lock_guard<std::mutex> lock(mutex);
      for (int32_t x = first; x < last; ++x) ++handed[static_cast<size_t>(x)];
    };
    callbacks.progress = [&] { seen.push_back(array.ColumnsDone()); };
    uint64_t steps = 0;
    std::string error;
    ASSERT_TRUE(ComputeInStrips(props, array, 4, callbacks, steps, error)) << error;
    EXPECT_TRUE(SameBits(*reference, array)) << successes << " threads started";
    EXPECT_EQ(handed, std::vector<int32_t>(203, 1)) << successes << " threads started";
    EXPECT_EQ(array.ColumnsDone(), 203);
    ASSERT_FALSE(seen.empty());
    for (size_t i = 1; i < seen.size(); ++i) EXPECT_GT(seen[i], seen[i - 1]);
  }
}
