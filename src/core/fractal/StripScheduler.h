#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "core/fractal/Engine.h"

class TFractArray;
class TFractProps;

// Columns per strip: the unit of work, of progress and of stopping.
inline constexpr int32_t kStripWidth = 4;

// The number of threads a computation uses when asked for 0: every core.
int32_t DefaultComputeThreads();

// How a whole computation reports back to whoever runs it.
struct TStripCallbacks {
  // Asked before each strip is started, from any of the computing threads; true ends the
  // work after the strips under way.
  std::function<bool()> stopRequested;
  // Called by the thread that has just computed columns first .. last-1 (one strip, or the
  // strips of one claim, see stripsPerClaim), before they count as done: what it does to them
  // is finished when ColumnsDone passes them.
  std::function<void(int32_t first, int32_t last)> stripComputed;
  // Called on the calling thread after ColumnsDone has advanced; with several threads at
  // most about every 4 ms and for the last columns.
  std::function<void()> progress;
  // With several threads, how many neighbouring strips a thread takes at a time; claims
  // start at multiples of this. Four strips are 16 columns: a thread that writes the 4-byte
  // pixels of its columns into rows of a picture then owns whole 64-byte lines of those rows.
  // Stop requests are still looked at before every strip.
  int32_t stripsPerClaim = 1;
};

// Computes the grid of props into target strip by strip from the left. With one thread the
// calling thread computes every strip itself and calls progress after each; with more, the
// strips are shared out to that many threads while the calling thread waits, and ColumnsDone
// only ever advances over the finished columns next to it, so the picture still grows from
// the left. A stop request ends the work after at most one strip per thread. steps receives
// the number of formula steps. False with errorText when the record cannot be computed.
//
// An exception from the work of a strip (the engine or a callback) ends the computation as a
// failing strip does: the other threads stop after their strip, ColumnsDone stays over the
// finished columns, and the result is false with errorText telling what went wrong. A thread
// the system cannot start is done without; if none starts, the calling thread computes alone.
//
// With firstRow 0 or more, target holds only the rows from firstRow on, as ComputeStrip
// takes them.
bool ComputeInStrips(const TFractProps& props, TFractArray& target, int32_t threads,
                     const TStripCallbacks& callbacks, uint64_t& steps, std::string& errorText,
                     int32_t firstRow = kAllRows);

// A test seam: how ComputeInStrips starts each of its threads. Tests set a starter that
// throws std::system_error, as std::thread does when the system has no more threads, to
// see the computation go on without them. Null, the default, starts a plain std::thread.
// Returns the starter set before. Never to be changed while a computation runs.
using TThreadStarter = std::function<std::thread(std::function<void()>)>;
TThreadStarter SetThreadStarterForTesting(TThreadStarter starter);
