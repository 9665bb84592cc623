#pragma once

#include <cstdint>
#include <string>

class TFractArray;
class TFractProps;

// The longest cycle looked for: each computation keeps two history buffers of MaxCycle doubles.
inline constexpr int32_t kMaxCycleLimit = 1000000;

// Whether ComputeStrip moves the target's ColumnsDone on after each column. A single worker
// going from left to right lets it; threads sharing one target leave it to whoever hands out
// the strips, since only that one knows which columns are complete.
enum class TColumnsDoneUpdate { EachColumn, Never };

// How the engine iterates. Scalar takes one pixel at a time; the others run formulas 0 to 3
// on the vector lanes of an instruction set, several pixels at once, with the same results
// bit for bit. The other formulas, and records the lanes cannot reproduce exactly, always
// take the scalar loop. Auto takes the widest set the processor has.
enum class TEnginePath { Auto, Scalar, Sse2, Avx2, Avx512 };

// Chooses the path of every computation started afterwards, in every thread; Auto at
// program start. False, with nothing changed, for a set this processor does not have.
bool SetEnginePath(TEnginePath path);
// The path computations take now, Auto resolved.
TEnginePath ActiveEnginePath();
// The path a computation of props takes now: the active one, or Scalar where the lanes
// leave props to the scalar loop.
TEnginePath EnginePathFor(const TFractProps& props);
// Whether this processor can run path; Auto and Scalar always.
bool EnginePathAvailable(TEnginePath path);
// "auto", "scalar", "sse2", "avx2" or "avx512".
const char* EnginePathName(TEnginePath path);

// Whether the engine can compute props: an allowed grid size, MaxDepth at least 1, MaxCycle
// within 0..kMaxCycleLimit, a known Formula and Map. If not, sets errorText.
bool CheckComputable(const TFractProps& props, std::string& errorText);
// The same without the grid size: whether rows of the grid can be computed into a target of
// their own, however large the whole grid is.
bool CheckComputableRows(const TFractProps& props, std::string& errorText);
// The message shown for a record CheckComputable refuses, reason being its errorText.
std::string CannotComputeMessage(const std::string& reason);

// firstRow of a target that holds every row of its grid.
inline constexpr int32_t kAllRows = -1;

// Computes the columns [firstColumn, lastColumn) of the grid of props into target. Usually the
// target holds the whole grid (Width = XResolution, Height = YResolution, firstRow kAllRows);
// with firstRow 0 or more it holds the rows firstRow .. firstRow + Height - 1 of the grid,
// which get exactly the results
// those rows get in the whole grid, so a grid too large for memory can be computed band by
// band. steps receives the number of FormulaStep evaluations. A record that
// CheckComputableRows refuses, a target that is not part of the grid, a column range outside
// it or missing memory for the cycle history make it return false with errorText and write
// nothing. The caller's floating-point exception flags are left as they were.
bool ComputeStrip(const TFractProps& props, TFractArray& target, int32_t firstColumn,
                  int32_t lastColumn, uint64_t& steps, std::string& errorText,
                  TColumnsDoneUpdate columnsDone = TColumnsDoneUpdate::EachColumn,
                  int32_t firstRow = kAllRows);

// The size of a sample of every stride-th cell of size cells: cells 0, stride, 2 stride ...
int32_t SampledSize(int32_t size, int32_t stride);

// Computes every stride-th cell of the grid of props in each direction, in the columns
// [firstColumn, lastColumn) of target, whose cell (i, j) gets exactly what cell
// (i * stride, j * stride) of the whole grid gets: a coarse picture of the grid at 1/stride^2
// of its cost. target must be SampledSize(XResolution, stride) x SampledSize(YResolution,
// stride); its ColumnsDone follows the columns. False, with errorText and nothing written, for
// a record CheckComputable refuses, a target of another size, columns outside it or missing
// memory.
bool ComputeSampledCells(const TFractProps& props, int32_t stride, TFractArray& target,
                         int32_t firstColumn, int32_t lastColumn, uint64_t& steps,
                         std::string& errorText);
