#include "core/fractal/TFractProps.h"

#include <gtest/gtest.h>

TEST(TFractPropsTest, DefaultsAndFormulaTable) {
  // The fields the engine tests do not already rely on.
  const TFractProps p;
  EXPECT_EQ(p.XResolution.GetValue(), 250);
  EXPECT_EQ(p.YResolution.GetValue(), 250);
  EXPECT_EQ(p.Formula, 0);
  EXPECT_EQ(p.Map, MapZ);
  EXPECT_EQ(std::complex<double>(p.DR.GetValue(), p.DI.GetValue()),
            std::complex<double>(-0.3, -0.3));
  EXPECT_EQ(std::complex<double>(p.ZR.GetValue(), p.ZI.GetValue()), std::complex<double>(0.0, 0.0));
  EXPECT_EQ(p.N.GetValue(), 5);
  EXPECT_EQ(p.M.GetValue(), 3);
  EXPECT_EQ(p.Cont, 0);
  EXPECT_EQ(p.ContValue.GetValue(), 1.0);

  // The keys are what fractal files hold.
  const char* keys[kFormulaCount] = {"z^2+c",         "z^3+c",          "z^4+c",
                                     "z^n+c",         "z^3-3d^2z+c",    "z^n+dz^m+c",
                                     "z(c+(1-c)z^n)", "z(c+(1-c)/z^n)", "z(c+dz^n)/(1/z^n)",
                                     "exp(z)-z-1+c",  "sin(z)+c",       "csin(z)",
                                     "sin(z)-z-1+c"};
  for (int i = 0; i < kFormulaCount; ++i) {
    EXPECT_EQ(p.FormulaKey(i), keys[i]) << i;
    // The dialog enables d for 4, 5, 8; n for 3, 5, 6, 7, 8; m for 5 only.
    EXPECT_EQ(FormulaTable[i].UsesD, i == 4 || i == 5 || i == 8) << i;
    EXPECT_EQ(FormulaTable[i].UsesN, i == 3 || (i >= 5 && i <= 8)) << i;
    EXPECT_EQ(FormulaTable[i].UsesM, i == 5) << i;
  }
  EXPECT_EQ(FormulaTable[8].DialogText, "z ( c + d z^n) / (1 + z^n)");
  EXPECT_EQ(FormulaTable[6].DialogText, "z ( c + ( 1 - c ) z^n)");
}

TEST(TFractPropsTest, CopyIsDeepAndComparesByFields) {
  TFractProps source;
  source.Formula = 7;
  TFractProps copy(source);
  EXPECT_EQ(copy, source);
  copy.Left.SetValue(-2.0);
  copy.ContValue.SetValue(3.0);
  EXPECT_NE(copy, source);
  EXPECT_EQ(source.Left.GetValue(), -1.5);
  EXPECT_EQ(source.ContValue.GetValue(), 1.0);

  TFractProps assigned;
  assigned = copy;
  EXPECT_EQ(assigned, copy);
  EXPECT_EQ(assigned.Formula, 7);
  EXPECT_NE(&assigned.FormulaKey(0), &copy.FormulaKey(0)) << "each record has its own names";
  EXPECT_EQ(assigned.FormulaKey(8), "z(c+dz^n)/(1/z^n)");

  TFractProps percent;
  percent.InnerDist = unitFactorPosMoreLess1(0.0001, kUnitPercent);
  EXPECT_NE(percent, TFractProps()) << "the unit kind is part of a field";
}

TEST(TFractPropsTest, PixelsMapOntoThePlaneWithTheResolutionAsDivisor) {
  TFractProps p;
  EXPECT_EQ(PixelPoint(p, 0, 0), std::complex<double>(-1.5, 1.5));
  EXPECT_EQ(PixelPoint(p, 125, 125), std::complex<double>(0.0, 0.0));
  EXPECT_DOUBLE_EQ(PixelPoint(p, 249, 249).real(), 1.488);
  EXPECT_DOUBLE_EQ(PixelPoint(p, 249, 249).imag(), -1.488);

  // Reversed bounds mirror the picture.
  p.Left.SetValue(1.5);
  p.Right.SetValue(-1.5);
  p.Top.SetValue(-1.5);
  p.Bottom.SetValue(1.5);
  EXPECT_EQ(PixelPoint(p, 0, 0), std::complex<double>(1.5, -1.5));
  EXPECT_DOUBLE_EQ(PixelPoint(p, 249, 0).real(), -1.488);
  EXPECT_DOUBLE_EQ(PixelPoint(p, 0, 249).imag(), 1.488);

  // The index times the width, then divided: 3 * 0.1 / 3 is not 3 * (0.1 / 3).
  p.Left.SetValue(0.0);
  p.Right.SetValue(0.1);
  p.XResolution.SetValue(3);
  EXPECT_EQ(PixelPoint(p, 3, 0).real(), (3.0 * 0.1) / 3.0);
  EXPECT_NE(PixelPoint(p, 3, 0).real(), 3.0 * (0.1 / 3.0));
}
