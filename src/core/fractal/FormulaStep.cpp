#include "core/fractal/FormulaStep.h"

#include <array>
#include <utility>

#include "core/fractal/TFractProps.h"
#include "core/report/Assert.h"

namespace {

using TStep = std::complex<double> (*)(std::complex<double>, std::complex<double>,
                                       std::complex<double>, int32_t, int32_t);

template <size_t... Formula>
constexpr std::array<TStep, kFormulaCount> MakeStepTable(std::index_sequence<Formula...>) {
  return {&FormulaStepOf<static_cast<int>(Formula)>...};
}

constexpr std::array<TStep, kFormulaCount> kSteps =
    MakeStepTable(std::make_index_sequence<kFormulaCount>{});

}  // namespace

std::complex<double> FormulaStep(int formula, std::complex<double> z, std::complex<double> c,
                                 std::complex<double> d, int32_t n, int32_t m) {
  VELMORA_ASSERT(formula >= 0 && formula < kFormulaCount, "Formula >= 0 && Formula < 13");
  return kSteps[static_cast<size_t>(formula)](z, c, d, n, m);
}

bool FormulaStepChecked(int formula, std::complex<double> z, std::complex<double> c,
                        std::complex<double> d, int32_t n, int32_t m, std::complex<double>& next) {
  std::fexcept_t saved;
  std::fegetexceptflag(&saved, FE_ALL_EXCEPT);
  std::feclearexcept(kFloatFaults);
  next = FormulaStep(formula, z, c, d, n, m);
  // The volatile copies keep the compiler from moving the step past the flag test.
  volatile double sink = next.real();
  sink = next.imag();
  (void)sink;
  const bool ok = std::fetestexcept(kFloatFaults) == 0;
  std::fesetexceptflag(&saved, FE_ALL_EXCEPT);
  return ok;
}
