#pragma once

#include <cfenv>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>

// The floating-point exceptions that count as arithmetic faults of an iteration. Underflow
// and inexact results are ordinary.
inline constexpr int kFloatFaults = FE_OVERFLOW | FE_DIVBYZERO | FE_INVALID;

// One application of formula (0..12) to z, with the parameters c, d, n and m. Pure; an
// arithmetic fault shows only in the floating-point exception flags, which the caller
// clears before and tests after. A formula outside 0..12 is a hard assertion.
std::complex<double> FormulaStep(int formula, std::complex<double> z, std::complex<double> c,
                                 std::complex<double> d, int32_t n, int32_t m);

// FormulaStep under its own fault guard: false when the step raised a fault, and then next is
// unspecified. The caller's exception flags are left as they were.
bool FormulaStepChecked(int formula, std::complex<double> z, std::complex<double> c,
                        std::complex<double> d, int32_t n, int32_t m, std::complex<double>& next);

// The steps themselves, one instantiation per formula so that the engine can pick its loop
// once per strip. Everything is evaluated left to right as written; integer powers are those
// of std::pow(complex, int) (repeated squaring), and products, quotients, exp and sin those of
// std::complex.
template <int Formula>
inline std::complex<double> FormulaStepOf(std::complex<double> z, std::complex<double> c,
                                          std::complex<double> d, int32_t n, int32_t m) {
  using TComplex = std::complex<double>;
  const double x = z.real();
  const double y = z.imag();
  if constexpr (Formula == 0) {
    return {(x * x - y * y) + c.real(), 2.0 * x * y + c.imag()};
  } else if constexpr (Formula == 1) {
    const double x2 = x * x;
    const double y2 = y * y;
    return {(x * x2 - 3.0 * x * y2) + c.real(), (-y2 * y + 3.0 * y * x2) + c.imag()};
  } else if constexpr (Formula == 2) {
    const double x2 = x * x;
    const double y2 = y * y;
    return {(x2 * x2 - 6.0 * x2 * y2 + y2 * y2) + c.real(),
            (x2 * x * y - x * y2 * y) * 4.0 + c.imag()};
  } else if constexpr (Formula == 3) {
    // Polar form with the real power of the modulus.
    const double rho = std::sqrt(x * x + y * y);
    double theta = 0.0;
    if (rho != 0.0) {
      theta = x >= 0.0 ? std::asin(y / rho) : std::numbers::pi - std::asin(y / rho);
    }
    const double exponent = static_cast<double>(n);
    const double rhoN = std::pow(rho, exponent);
    return {std::cos(exponent * theta) * rhoN + c.real(),
            std::sin(exponent * theta) * rhoN + c.imag()};
  } else if constexpr (Formula == 4) {
    // z^3 - (-3 d^2 z) + c, that is z^3 + 3 d^2 z + c.
    const TComplex scaled = (d * d) * z * -3.0;
    return std::pow(z, 3) - scaled + c;
  } else if constexpr (Formula == 5) {
    return std::pow(z, n) + d * std::pow(z, m) + c;
  } else if constexpr (Formula == 6) {
    return z * (c + (-z + 1.0) * std::pow(z, n));
  } else if constexpr (Formula == 7) {
    // A point on either axis stays where it is; this also keeps z = 0 from dividing by z^n.
    if (x * y == 0.0) return z;
    return z * (c + (-z + 1.0) / std::pow(z, n));
  } else if constexpr (Formula == 8) {
    const TComplex zn = std::pow(z, n);
    return z * (c + d * zn) / (zn + 1.0);
  } else if constexpr (Formula == 9) {
    return std::exp(z) - z + c - 1.0;
  } else if constexpr (Formula == 10) {
    return std::sin(z) + c;
  } else if constexpr (Formula == 11) {
    return c * std::sin(z);
  } else {
    static_assert(Formula == 12);
    return std::sin(z) - z + c - 1.0;
  }
}
