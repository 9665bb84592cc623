#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

// The largest grid the program computes: 2^28 cells (16384 x 16384), 2 GiB of results.
inline constexpr int64_t kMaxGridCells = int64_t{1} << 28;

// The results of one computation, stored column by column: cell (x, y) is at x * Height + y.
// Depths holds depth / MaxDepth (positive: escaped, negative: caught in a cycle, zero:
// undecided), Cycles the length of a detected cycle or 0. Both are 0 at allocation.
//
// Threads: one worker fills columns from the left and publishes their number with
// SetColumnsDone (release); the GUI thread reads ColumnsDone (acquire) and then only the
// columns below it, so no lock is needed. ColumnsShown belongs to the GUI thread.
class TFractArray {
 public:
  // Allocates the arrays for a grid known to be allowed; a refused size or missing memory
  // is a hard assertion. Use Create for sizes that come from a record.
  TFractArray(int32_t width, int32_t height);
  TFractArray(const TFractArray&) = delete;
  TFractArray& operator=(const TFractArray&) = delete;

  // Makes the store, or returns null with a message when the size is not allowed or the
  // memory cannot be had.
  static std::unique_ptr<TFractArray> Create(int32_t width, int32_t height, std::string& errorText);
  // Whether a grid of width x height cells may be made; if not, sets errorText.
  static bool GridSizeAllowed(int32_t width, int32_t height, std::string& errorText);

  int32_t Width() const { return m_width; }
  int32_t Height() const { return m_height; }

  // Element access clamps x to 0..Width-1 and y to 0..Height-1.
  float GetDepth(int32_t x, int32_t y) const { return m_depths[Index(x, y)]; }
  void SetDepth(int32_t x, int32_t y, float value) { m_depths[Index(x, y)] = value; }
  int32_t GetCycle(int32_t x, int32_t y) const { return m_cycles[Index(x, y)]; }
  void SetCycle(int32_t x, int32_t y, int32_t value) { m_cycles[Index(x, y)] = value; }

  // The whole arrays, column by column.
  float* Depths() { return m_depths.get(); }
  const float* Depths() const { return m_depths.get(); }
  int32_t* Cycles() { return m_cycles.get(); }
  const int32_t* Cycles() const { return m_cycles.get(); }

  int32_t ColumnsDone() const { return m_columnsDone.load(std::memory_order_acquire); }
  void SetColumnsDone(int32_t columns) { m_columnsDone.store(columns, std::memory_order_release); }
  int32_t ColumnsShown() const { return m_columnsShown; }
  void SetColumnsShown(int32_t columns) { m_columnsShown = columns; }

 private:
  // The arrays come from calloc: a large block that is fresh from the system is made of pages
  // the system clears when they are first written, by the threads that compute them. A block
  // the allocator hands out again is cleared by calloc at once; which of the two a store gets
  // is the allocator's choice.
  struct TFree {
    void operator()(void* p) const { std::free(p); }
  };
  template <class T>
  using TCells = std::unique_ptr<T[], TFree>;
  template <class T>
  static TCells<T> AllocateCleared(int64_t count);

  TFractArray(int32_t width, int32_t height, TCells<float> depths, TCells<int32_t> cycles);

  int64_t Index(int32_t x, int32_t y) const {
    return int64_t{std::clamp(x, 0, m_width - 1)} * m_height + std::clamp(y, 0, m_height - 1);
  }

  int32_t m_width;
  int32_t m_height;
  TCells<float> m_depths;
  TCells<int32_t> m_cycles;
  std::atomic<int32_t> m_columnsDone{0};
  int32_t m_columnsShown = 0;
};
