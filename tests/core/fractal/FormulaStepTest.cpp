#include "core/fractal/FormulaStep.h"

#include <cfenv>
#include <cmath>

#include <gtest/gtest.h>

namespace {

using TComplex = std::complex<double>;

// Dyadic values keep the polynomial formulas exact.
const TComplex kZ(0.5, 0.25);
const TComplex kC(0.125, -0.25);
const TComplex kD(0.5, 0.5);

TComplex Step(int formula, TComplex z = kZ, TComplex c = kC, TComplex d = kD, int n = 3,
              int m = 2) {
  TComplex next;
  EXPECT_TRUE(FormulaStepChecked(formula, z, c, d, n, m, next)) << "formula " << formula;
  return next;
}

void ExpectNear(TComplex actual, TComplex expected) {
  EXPECT_NEAR(actual.real(), expected.real(), 1e-14);
  EXPECT_NEAR(actual.imag(), expected.imag(), 1e-14);
}

bool Faults(int formula, TComplex z, TComplex c, TComplex d, int n = 5) {
  TComplex next;
  return !FormulaStepChecked(formula, z, c, d, n, 3, next);
}

}  // namespace

// Hand computation with z = 1/2 + i/4: z^2 = 3/16 + i/4, z^3 = 1/32 + 11i/64, z^4 = -7/256 + 3i/32.
TEST(FormulaStepTest, PolynomialFormulasAreExact) {
  EXPECT_EQ(Step(0), TComplex(5.0 / 16, 0.0));
  EXPECT_EQ(Step(1), TComplex(5.0 / 32, -5.0 / 64));
  EXPECT_EQ(Step(2), TComplex(25.0 / 256, -5.0 / 32));
  // Plus sign: z^3 + 3 d^2 z + c with d^2 = i/2.
  EXPECT_EQ(Step(4), TComplex(-7.0 / 32, 43.0 / 64));
  // z^3 + d z^2 + c.
  EXPECT_EQ(Step(5), TComplex(1.0 / 8, 9.0 / 64));
  // The factor is 1 - z, whatever the key says.
  EXPECT_EQ(Step(6), TComplex(138.0 / 1024, -41.0 / 1024));
}

TEST(FormulaStepTest, PolarPowerFollowsTheAngleRule) {
  ExpectNear(Step(3), TComplex(5.0 / 32, -5.0 / 64));
  // Left half-plane: theta = pi - asin(y / rho); (-1/2 + i/4)^3 = -1/32 + 11i/64.
  ExpectNear(Step(3, TComplex(-0.5, 0.25)), TComplex(-1.0 / 32 + 0.125, 11.0 / 64 - 0.25));
  // rho = 0: theta = 0 and the point goes to c.
  EXPECT_EQ(Step(3, TComplex(0.0, 0.0)), kC);
}

TEST(FormulaStepTest, QuotientFormulas) {
  // (1 - z) / z^3 = (-112 - 384i) / 125.
  ExpectNear(Step(7), TComplex(0.445, -1.85375));
  // Divides by 1 + z^n: (33 - 31i) / 512 / (33/32 + 11i/64) = (1837 - 2409i) / 35816.
  ExpectNear(Step(8), TComplex(1837.0 / 35816, -2409.0 / 35816));
  // Formula 7 leaves every point on an axis where it is, z = 0 included.
  EXPECT_EQ(Step(7, TComplex(0.5, 0.0)), TComplex(0.5, 0.0));
  EXPECT_EQ(Step(7, TComplex(0.0, -0.7)), TComplex(0.0, -0.7));
  EXPECT_EQ(Step(7, TComplex(0.0, 0.0)), TComplex(0.0, 0.0));
}

TEST(FormulaStepTest, TranscendentalFormulas) {
  const double x = kZ.real(), y = kZ.imag();
  const TComplex expZ(std::exp(x) * std::cos(y), std::exp(x) * std::sin(y));
  const TComplex sinZ(std::sin(x) * std::cosh(y), std::cos(x) * std::sinh(y));
  ExpectNear(Step(9), expZ - kZ + kC - 1.0);
  ExpectNear(Step(10), sinZ + kC);
  ExpectNear(Step(11), kC * sinZ);
  ExpectNear(Step(12), sinZ - kZ + kC - 1.0);
}

TEST(FormulaStepTest, OverflowDivisionByZeroAndInvalidAreFaults) {
  const TComplex zero(0.0, 0.0);
  // z^5 = -1 exactly at z = -1: formula 8 divides by zero.
  EXPECT_TRUE(Faults(8, TComplex(-1.0, 0.0), kC, kD));
  EXPECT_TRUE(Faults(8, TComplex(-1.0, 0.0), zero, zero));
  // A large imaginary part makes sin z overflow.
  for (int formula : {10, 11, 12}) EXPECT_TRUE(Faults(formula, TComplex(0.0, 800.0), kC, kD));
  EXPECT_TRUE(Faults(11, TComplex(0.0, 800.0), zero, zero));
  // exp z overflows with a large real part; a large imaginary part only turns it.
  EXPECT_TRUE(Faults(9, TComplex(750.0, 0.0), kC, kD));
  EXPECT_FALSE(Faults(9, TComplex(1.0, 800.0), kC, kD));
  EXPECT_TRUE(Faults(0, TComplex(1e200, 0.0), kC, kD));
  EXPECT_TRUE(Faults(5, TComplex(1e100, 1e100), kC, kD));
  EXPECT_TRUE(Faults(3, TComplex(1e100, 0.0), kC, kD));
  // Underflow is not a fault.
  EXPECT_FALSE(Faults(0, TComplex(1e-200, 1e-200), zero, zero));
  EXPECT_FALSE(Faults(7, zero, kC, kD));
}

TEST(FormulaStepTest, CheckedStepKeepsTheCallersFlags) {
  std::feclearexcept(FE_ALL_EXCEPT);
  std::feraiseexcept(FE_DIVBYZERO);
  TComplex next;
  EXPECT_TRUE(FormulaStepChecked(0, kZ, kC, kD, 5, 3, next));
  EXPECT_FALSE(FormulaStepChecked(0, TComplex(1e200, 0.0), kC, kD, 5, 3, next));
  EXPECT_EQ(std::fetestexcept(kFloatFaults), FE_DIVBYZERO);
  std::feclearexcept(FE_ALL_EXCEPT);
}
