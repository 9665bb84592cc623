#include "core/fractal/PointInfo.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "core/fractal/TFractProps.h"

TEST(PointInfoTest, PointsShowTheDecimalsTheirStepNeedsWithoutTrailingZeros) {
  EXPECT_EQ(PointText(-0.75, 0.1, 0.01), "-0.75 + 0.1i");
  EXPECT_EQ(PointText(-0.75, -0.125, 0.01), "-0.75 - 0.125i");
  EXPECT_EQ(PointText(0.123456789, -0.5, 1e-6), "0.1234568 - 0.5i");
  EXPECT_EQ(PointText(2.0, 0.0, 0.012), "2 + 0i");
  // A tiny negative imaginary part that rounds to zero has no sign.
  EXPECT_EQ(PointText(1.0, -1e-9, 0.1), "1 + 0i");
  EXPECT_EQ(PointText(1.5, 1.5, 3.0), "1.5 + 1.5i");
}

TEST(PointInfoTest, CellResultsSayHowTheIterationEnded) {
  EXPECT_EQ(CellResultText(0.0f, 0, 200, false), "undecided");
  EXPECT_EQ(CellResultText(static_cast<float>(12.0 / 200), 0, 200, false), "escaped at depth 12");
  EXPECT_EQ(CellResultText(static_cast<float>(11.37 / 200), 0, 200, true),
            "escaped at depth 11.37");
  EXPECT_EQ(CellResultText(static_cast<float>(-41.0 / 200), 3, 200, false),
            "cycle of length 3 found at depth 41");
}

TEST(PointInfoTest, ThePrecisionLimitIsEightUnitsInTheLastPlaceOfTheBounds) {
  // A Mandelbrot view halved again and again about -0.75 + 0.1i: the first view whose step
  // is less than 8 ulps of its bounds is beyond the precision, the one before it not.
  TFractProps props;
  props.XResolution.SetValue(400);
  props.YResolution.SetValue(300);
  double width = 3.0;
  int first = -1;
  for (int zoom = 0; zoom < 80 && first < 0; ++zoom) {
    props.Left.SetValue(-0.75 - width / 2);
    props.Right.SetValue(-0.75 + width / 2);
    props.Top.SetValue(0.1 + width * 0.375);
    props.Bottom.SetValue(0.1 - width * 0.375);
    const double ulp = std::nextafter(std::fabs(props.Left.GetValue()), 2.0) -
                       std::fabs(props.Left.GetValue());
    const bool beyond = BeyondPrecision(props);
    // Across, the left bound has the larger ulp; down, the step is the same as across.
    EXPECT_EQ(beyond, (props.Right.GetValue() - props.Left.GetValue()) / 400 < 8 * ulp) << zoom;
    if (beyond) first = zoom;
    width /= 2;
  }
  // About 52 bits of mantissa, less 400 cells and 8 ulps: the limit comes near 2^-44.
  EXPECT_GE(first, 38);
  EXPECT_LE(first, 44);
  // A default record is far from it.
  EXPECT_FALSE(BeyondPrecision(TFractProps()));
}
