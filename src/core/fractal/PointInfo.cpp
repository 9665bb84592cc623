#include "core/fractal/PointInfo.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "core/fractal/TFractProps.h"

namespace {

// The distance from |value| to the next larger double.
double Ulp(double value) {
  const double a = std::fabs(value);
  return std::nextafter(a, std::numeric_limits<double>::infinity()) - a;
}

bool StepTooSmall(double from, double to, int32_t cells) {
  const double step = std::fabs(to - from) / cells;
  return step < kPrecisionUlps * std::max(Ulp(from), Ulp(to));
}

// value with decimals digits after the point, trailing zeros (and a bare point) dropped.
std::string Decimal(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  std::string s = text;
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

}  // namespace

bool BeyondPrecision(const TFractProps& props) {
  return StepTooSmall(props.Left.GetValue(), props.Right.GetValue(), props.XResolution.GetValue()) ||
         StepTooSmall(props.Top.GetValue(), props.Bottom.GetValue(), props.YResolution.GetValue());
}

std::string PointText(double re, double im, double pixelStep) {
  // One decimal more than the step's first significant one.
  int decimals = 1;
  if (std::isfinite(pixelStep) && pixelStep > 0) {
    decimals = std::clamp(static_cast<int>(std::ceil(-std::log10(pixelStep))) + 1, 1, 20);
  }
  const std::string imaginary = Decimal(std::fabs(im), decimals);
  const bool minus = im < 0 && imaginary != "0";
  return Decimal(re, decimals) + (minus ? " - " : " + ") + imaginary + "i";
}

std::string CellResultText(float depth, int32_t cycle, int32_t maxDepth, bool fractional) {
  const double steps = std::fabs(static_cast<double>(depth)) * maxDepth;
  if (depth == 0.0f) return "undecided";
  char number[64];
  if (depth < 0.0f) {
    std::snprintf(number, sizeof number, "%.0f", steps);
    return "cycle of length " + std::to_string(cycle) + " found at depth " + number;
  }
  std::snprintf(number, sizeof number, fractional ? "%.2f" : "%.0f", steps);
  return std::string("escaped at depth ") + number;
}
