#pragma once

#include <cmath>
#include <complex>
#include <cstdint>

#include "core/fractal/TFractProps.h"

// The parts of the engine that the scalar loop and the vector lanes share: what one call
// takes from its record, and how the outcome of a pixel becomes the depth that is stored.
namespace engine {

using TComplex = std::complex<double>;

// Everything one call takes from its record; the pixel loops read nothing else.
struct TSetup {
  double maxDepth;
  double outer2;     // R^2
  double inner2;     // r^2
  double logOuter2;  // ln R^2, for the fractional depth
  double inverseN;   // 1 / N, for the fractional depth of formula 3
  int32_t maxCycle;
  int32_t n;
  int32_t m;
  bool fractional;
  TFractMap map;
  TComplex c;
  TComplex d;
  double left;
  double right;
  int32_t xResolution;
  // Column x of the target is column x * columnStride of the grid: 1 for the grid itself,
  // more for a sample of its columns.
  int32_t columnStride;
  const double* rowsIm;  // imaginary part of every row's point, padded by kRowsPadding zeros
  double* historyRe;     // past iterates, newest first
  double* historyIm;
};

// Readable doubles after the last row of TSetup::rowsIm, so that a vector may load past it.
inline constexpr int32_t kRowsPadding = 8;

enum class TOutcome : uint8_t { Escaped, Cycle, Undecided, Fault };

// How the iteration of one pixel ended, at which depth.
struct TOrbit {
  TOutcome outcome;
  double depth;
  double modulus2;  // |z'|^2 of the escaping iterate
  int32_t cycle;
};

// The depth to store, before the division by MaxDepth.
template <int Formula>
double FinalDepth(const TSetup& s, const TOrbit& orbit) {
  double depth = orbit.depth;
  switch (orbit.outcome) {
    case TOutcome::Fault:
      return depth;
    case TOutcome::Cycle:
      return -depth;
    case TOutcome::Escaped:
      if (s.fractional) {
        const double logModulus2 = std::log(orbit.modulus2);
        if constexpr (Formula == 0) {
          depth = depth - logModulus2 / s.logOuter2;
        } else if constexpr (Formula == 1) {
          depth = depth - 0.5 * logModulus2 / s.logOuter2;
        } else if constexpr (Formula == 2) {
          depth = depth - (1.0 / 3.0) * logModulus2 / s.logOuter2;
        } else if constexpr (Formula == 3) {
          depth = depth - s.inverseN * logModulus2 / s.logOuter2;
        }
      }
      // An escaped point never reads as undecided: a fraction that cancels the depth
      // exactly takes the floor too.
      if (depth <= 0.0) depth = 0.0001;
      break;
    case TOutcome::Undecided:
      break;
  }
  // An orbit that reached the depth limit is undecided, never MaxDepth / MaxDepth.
  if (depth == s.maxDepth) depth = 0.0;
  return depth;
}

// The number of formula steps the orbit took.
inline uint64_t StepsOf(const TOrbit& orbit) {
  const double steps = orbit.outcome == TOutcome::Undecided ? orbit.depth - 1.0 : orbit.depth;
  return static_cast<uint64_t>(steps);
}

}  // namespace engine
