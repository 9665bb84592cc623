#pragma once

#include <cstdint>
#include <string>

class TFractProps;

// Whether the bounds of props have reached the precision of doubles: the step between
// neighbouring cells, across or down, is less than kPrecisionUlps units in the last place of
// the bounds it lies between. Beyond that, neighbouring cells soon get the same point and the
// picture turns blocky.
inline constexpr double kPrecisionUlps = 8.0;
bool BeyondPrecision(const TFractProps& props);

// The complex point re + im·i with as many decimals as a step of pixelStep needs to tell
// neighbouring pixels apart, trailing zeros dropped: "-0.7453 + 0.1127i".
std::string PointText(double re, double im, double pixelStep);

// What the iteration of a cell found, from its stored depth (depth / MaxDepth, negative for
// a cycle, zero when undecided) and cycle length: "escaped at depth 12" (with two decimals
// when the depths are fractional), "cycle of length 3 found at depth 41", or "undecided".
std::string CellResultText(float depth, int32_t cycle, int32_t maxDepth, bool fractional);
