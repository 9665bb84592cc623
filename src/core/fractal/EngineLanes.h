#pragma once

#include <cstdint>

#include "core/fractal/Engine.h"
#include "core/fractal/EngineSetup.h"

class TFractArray;

// The vector lanes of the engine: formulas 0 to 3 iterated on the lanes of SSE2, AVX2 or
// AVX-512, each lane with its own depth and cycle history, a lane taking the next pixel of the
// columns as soon as its pixel is finished.
namespace engine {

// Whether this processor has the instruction set of path (Sse2, Avx2 or Avx512).
bool LanesAvailable(TEnginePath path);

// The widest set this processor has, or Scalar where none is built in.
TEnginePath WidestLanes();

// Whether the lanes reproduce the scalar loop for formula and the columns [firstColumn,
// lastColumn) of s, whose rows number height.
bool LanesCanTake(int formula, const TSetup& s, int32_t height, int32_t firstColumn,
                  int32_t lastColumn);

// Computes the columns [firstColumn, lastColumn) of s as the scalar loop would, on the lanes
// of path, which must be available: the same Depths and Cycles bit for bit, the same steps and
// the same ColumnsDone updates. False, with nothing written, when the lanes cannot promise
// that for this formula and setup; the caller then takes the scalar loop.
bool ComputeOnLanes(TEnginePath path, int formula, const TSetup& s, TFractArray& target,
                    int32_t firstColumn, int32_t lastColumn, TColumnsDoneUpdate columnsDone,
                    uint64_t& steps);

}  // namespace engine
