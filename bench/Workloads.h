#pragma once

#include <cstdint>

#include "core/fractal/TFractProps.h"

// The Mandelbrot workload of the benchmarks: the set at depth 51 with R = 2 and no cycle test,
// on a square grid of size x size cells, with whole (cont 1) or fractional depths.
inline TFractProps ShallowMandelbrot(int32_t size, uint8_t cont = 1) {
  TFractProps props;
  props.Formula = 0;
  props.Map = MapC;
  props.XResolution.SetValue(size);
  props.YResolution.SetValue(size);
  props.Left.SetValue(-1.5);
  props.Right.SetValue(0.5);
  props.Top.SetValue(1.0);
  props.Bottom.SetValue(-1.0);
  props.MaxDepth.SetValue(51);
  props.OuterCircle.SetValue(2.0);
  props.MaxCycle.SetValue(0);
  props.Cont = cont;
  return props;
}
