#pragma once

// The linear map through (x0, y0) and (x1, y1): y0 + (x - x0) / (x1 - x0) * (y1 - y0),
// evaluated in that order in doubles.
inline double LinearMap(double x, double x0, double x1, double y0, double y1) {
  return y0 + (x - x0) / (x1 - x0) * (y1 - y0);
}
