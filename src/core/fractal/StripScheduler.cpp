#include "core/fractal/StripScheduler.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "core/fractal/Engine.h"
#include "core/fractal/TFractArray.h"
#include "core/fractal/TFractProps.h"

namespace {

bool Stop(const TStripCallbacks& callbacks) {
  return callbacks.stopRequested && callbacks.stopRequested();
}

void Progress(const TStripCallbacks& callbacks) {
  if (callbacks.progress) callbacks.progress();
}

// What the user is told about an exception that ended the computation.
std::string ExceptionText(const std::exception_ptr& exception) {
  try {
    std::rethrow_exception(exception);
  } catch (const std::bad_alloc&) {
    return "There is not enough memory to compute the fractal.";
  } catch (const std::exception& e) {
    if (*e.what() != '\0') return e.what();
  } catch (...) {
  }
  return "The computation of the fractal was ended by an unexpected error.";
}

TThreadStarter& ThreadStarter() {
  static TThreadStarter starter;
  return starter;
}

bool ComputeAlone(const TFractProps& props, TFractArray& target, const TStripCallbacks& callbacks,
                  uint64_t& steps, std::string& errorText, int32_t firstRow) {
  const int32_t width = props.XResolution.GetValue();
  // Without a strip callback ColumnsDone follows every column; with one, it can only pass a
  // strip once the callback is through with it.
  const bool eachColumn = !callbacks.stripComputed;
  try {
    for (int32_t c = 0; c < width && !Stop(callbacks); c += kStripWidth) {
      const int32_t last = std::min(c + kStripWidth, width);
      uint64_t stripSteps = 0;
      if (!ComputeStrip(props, target, c, last, stripSteps, errorText,
                        eachColumn ? TColumnsDoneUpdate::EachColumn : TColumnsDoneUpdate::Never,
                        firstRow)) {
        return false;
      }
      if (!eachColumn) {
        callbacks.stripComputed(c, last);
        target.SetColumnsDone(last);
      }
      steps += stripSteps;
      Progress(callbacks);
    }
  } catch (...) {
    // The strip that threw does not count as done; the ones before it stay.
    errorText = ExceptionText(std::current_exception());
    return false;
  }
  return true;
}

// How often the threads wake the calling thread for a larger finished prefix: every wake
// costs them time, and a strip takes much less than this.
constexpr std::chrono::milliseconds kProgressInterval{4};

// The state the threads of one computation share. Strips are taken in order from next;
// finished ones are marked in done, and the finished prefix is published as ColumnsDone.
struct TShared {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<char> done;
  int32_t prefix = 0;  // strips 0 .. prefix-1 are finished
  int32_t running = 0;
  std::chrono::steady_clock::time_point woken;  // when the calling thread was last woken
  bool failed = false;
  std::string errorText;
  std::exception_ptr exception;  // what ended the work, when it was an exception
  std::atomic<int32_t> next{0};
  std::atomic<bool> stop{false};
  std::atomic<uint64_t> steps{0};

  // Ends the work after the strips under way; the first failure is the one told. Called
  // with mutex held; allocates nothing, so that it also records a lack of memory.
  void Fail(std::string text, std::exception_ptr thrown) {
    if (!failed) {
      failed = true;
      errorText = std::move(text);
      exception = std::move(thrown);
    }
    stop.store(true, std::memory_order_release);
  }
};

}  // namespace

TThreadStarter SetThreadStarterForTesting(TThreadStarter starter) {
  return std::exchange(ThreadStarter(), std::move(starter));
}

int32_t DefaultComputeThreads() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int32_t>(std::min(cores, 256u));
}

bool ComputeInStrips(const TFractProps& props, TFractArray& target, int32_t threads,
                     const TStripCallbacks& callbacks, uint64_t& steps, std::string& errorText,
                     int32_t firstRow) {
  steps = 0;
  const bool band = firstRow != kAllRows;
  if (!(band ? CheckComputableRows(props, errorText) : CheckComputable(props, errorText))) {
    return false;
  }
  if (threads <= 0) threads = DefaultComputeThreads();
  const int32_t width = props.XResolution.GetValue();
  const int32_t strips = (width + kStripWidth - 1) / kStripWidth;
  threads = std::min(threads, strips);
  if (threads <= 1) return ComputeAlone(props, target, callbacks, steps, errorText, firstRow);

  TShared shared;
  shared.done.assign(static_cast<size_t>(strips), 0);
  shared.running = threads;
  const int32_t perClaim = std::max(callbacks.stripsPerClaim, 1);
  auto claimStrips = [&] {
    for (bool going = true; going;) {
      const int32_t claim = shared.next.fetch_add(1, std::memory_order_relaxed);
      const int32_t firstStrip = claim * perClaim;
      if (firstStrip >= strips) break;
      const int32_t lastStrip = std::min(firstStrip + perClaim, strips);
      int32_t computed = firstStrip;  // strips firstStrip .. computed-1 are computed
      bool ok = true;
      std::string stripError;
      // The stop request is read by each thread before it starts a strip, so no thread
      // starts more than one strip after it.
      while (computed < lastStrip && !shared.stop.load(std::memory_order_acquire) &&
             !Stop(callbacks)) {
        const int32_t first = computed * kStripWidth;
        uint64_t stripSteps = 0;
        ok = ComputeStrip(props, target, first, std::min(first + kStripWidth, width), stripSteps,
                          stripError, TColumnsDoneUpdate::Never, firstRow);
        shared.steps.fetch_add(stripSteps, std::memory_order_relaxed);
        if (!ok) break;
        ++computed;
      }
      going = ok && computed == lastStrip;
      // The strips of a claim are handed on together, so that what is written for them goes
      // into each cache line at once.
      if (computed > firstStrip && callbacks.stripComputed) {
        callbacks.stripComputed(firstStrip * kStripWidth, std::min(computed * kStripWidth, width));
      }
      std::lock_guard<std::mutex> lock(shared.mutex);
      if (!ok) shared.Fail(std::move(stripError), nullptr);
      for (int32_t strip = firstStrip; strip < computed; ++strip) {
        shared.done[static_cast<size_t>(strip)] = 1;
      }
      const int32_t before = shared.prefix;
      while (shared.prefix < strips && shared.done[static_cast<size_t>(shared.prefix)]) ++shared.prefix;
      const auto now = std::chrono::steady_clock::now();
      if (shared.prefix > before && now - shared.woken >= kProgressInterval) {
        shared.woken = now;
        shared.changed.notify_all();
      }
    }
  };
  auto work = [&] {
    try {
      claimStrips();
    } catch (...) {
      // Nothing of the claim under way was marked done, so the prefix stops before it.
      std::lock_guard<std::mutex> lock(shared.mutex);
      shared.Fail({}, std::current_exception());
    }
    std::lock_guard<std::mutex> lock(shared.mutex);
    --shared.running;
    shared.changed.notify_all();
  };

  // The threads the system cannot start are done without.
  std::vector<std::thread> pool;
  try {
    pool.reserve(static_cast<size_t>(threads));
    const TThreadStarter& starter = ThreadStarter();
    while (static_cast<int32_t>(pool.size()) < threads) {
      pool.push_back(starter ? starter(work) : std::thread(work));
    }
  } catch (const std::system_error&) {
  } catch (const std::bad_alloc&) {
  }
  const int32_t started = static_cast<int32_t>(pool.size());
  if (started < threads) {
    std::lock_guard<std::mutex> lock(shared.mutex);
    shared.running -= threads - started;
  }
  if (started == 0) return ComputeAlone(props, target, callbacks, steps, errorText, firstRow);

  // The calling thread publishes the finished prefix and reports progress.
  int32_t shown = 0;
  std::unique_lock<std::mutex> lock(shared.mutex);
  for (;;) {
    shared.changed.wait(lock, [&] { return shared.prefix > shown || shared.running == 0; });
    if (shared.prefix > shown) {
      shown = shared.prefix;
      target.SetColumnsDone(std::min(shown * kStripWidth, width));
      lock.unlock();
      std::exception_ptr thrown;
      try {
        Progress(callbacks);
      } catch (...) {
        thrown = std::current_exception();
      }
      lock.lock();
      // The threads must still be waited for before the exception can be told.
      if (thrown) shared.Fail({}, std::move(thrown));
      continue;
    }
    break;  // every thread has ended and everything finished is published
  }
  lock.unlock();
  for (std::thread& t : pool) t.join();
  steps = shared.steps.load();
  if (shared.failed) {
    errorText = shared.exception ? ExceptionText(shared.exception) : shared.errorText;
    return false;
  }
  return true;
}
