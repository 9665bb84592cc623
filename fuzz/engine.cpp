// The engine on records decoded from the input, over grids of at most 16 x 16 cells: every
// cell is written, depths and cycle lengths agree, and computing the grid in two strips on
// another path of the engine gives the same bits as computing it at once on the widest.

#include <cfenv>
#include <cmath>
#include <cstring>
#include <string>

#include "core/fractal/Engine.h"
#include "core/fractal/TFractArray.h"
#include "core/fractal/TFractProps.h"
#include "fuzz/FuzzSupport.h"

namespace {

constexpr uint32_t kUnwrittenDepth = 0x7FC0DEADu;  // a quiet NaN no computation produces
constexpr int32_t kUnwrittenCycle = -7;

TFractProps Decode(TFuzzBytes& in) {
  TFractProps props;
  props.Formula = static_cast<uint8_t>(in.Between(0, kFormulaCount - 1));
  props.Map = static_cast<TFractMap>(in.Between(0, kMapCount - 1));
  props.XResolution.SetValue(in.Between(1, 16));
  props.YResolution.SetValue(in.Between(1, 16));
  props.MaxDepth.SetValue(in.Between(1, 500));
  props.MaxCycle.SetValue(in.Between(0, 8));
  props.Cont = static_cast<uint8_t>(in.Byte() & 1);
  props.N.SetValue(in.Between(1, 12));
  props.M.SetValue(in.Between(1, 12));
  props.Left.SetValue(in.Double());
  props.Right.SetValue(in.Double());
  props.Top.SetValue(in.Double());
  props.Bottom.SetValue(in.Double());
  props.CR.SetValue(in.Double());
  props.CI.SetValue(in.Double());
  props.DR.SetValue(in.Double());
  props.DI.SetValue(in.Double());
  // The radii keep the ranges their fields accept: R > 1, 0 < r < 1.
  const double outer = in.Double();
  if (outer > 1) props.OuterCircle.SetValue(outer);
  const double inner = in.Double();
  if (inner > 0 && inner < 1) props.InnerDist.SetValue(inner);
  return props;
}

void Prefill(TFractArray& results) {
  const int64_t cells = int64_t{results.Width()} * results.Height();
  for (int64_t i = 0; i < cells; ++i) {
    std::memcpy(&results.Depths()[i], &kUnwrittenDepth, sizeof kUnwrittenDepth);
    results.Cycles()[i] = kUnwrittenCycle;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  TFuzzBytes in(data, size);
  const TFractProps props = Decode(in);
  const int32_t width = props.XResolution.GetValue();
  const int32_t height = props.YResolution.GetValue();
  const int32_t split = in.Between(0, width);
  // The path of the strips: scalar or a vector set this processor has.
  TEnginePath stripsPath = static_cast<TEnginePath>(in.Between(1, 4));
  if (!EnginePathAvailable(stripsPath)) stripsPath = TEnginePath::Scalar;

  std::string errorText;
  FUZZ_CHECK(CheckComputable(props, errorText), errorText);
  TFractArray whole(width, height);
  Prefill(whole);
  uint64_t steps = 0;
  FUZZ_CHECK(SetEnginePath(TEnginePath::Auto), "the widest path");
  std::feclearexcept(FE_ALL_EXCEPT);
  FUZZ_CHECK(ComputeStrip(props, whole, 0, width, steps, errorText), errorText);
  FUZZ_CHECK(std::fetestexcept(FE_ALL_EXCEPT) == 0, "the caller's flags changed");
  FUZZ_CHECK(whole.ColumnsDone() == width, "columns done " + std::to_string(whole.ColumnsDone()));

  const int32_t maxCycle = props.MaxCycle.GetValue();
  for (int32_t x = 0; x < width; ++x) {
    for (int32_t y = 0; y < height; ++y) {
      // Messages are made only for a failure.
      const auto cell = [&] { return "cell " + std::to_string(x) + ", " + std::to_string(y); };
      const float depth = whole.GetDepth(x, y);
      const int32_t cycle = whole.GetCycle(x, y);
      uint32_t bits = 0;
      std::memcpy(&bits, &depth, sizeof bits);
      FUZZ_CHECK(bits != kUnwrittenDepth, cell() + ": depth not written");
      FUZZ_CHECK(cycle != kUnwrittenCycle, cell() + ": cycle not written");
      FUZZ_CHECK(std::fabs(depth) <= 1.0f, cell() + ": depth " + std::to_string(depth));
      if (depth < 0) {
        FUZZ_CHECK(cycle >= 1 && cycle <= maxCycle,
                   cell() + ": depth " + std::to_string(depth) + " with cycle " + std::to_string(cycle));
      } else {
        FUZZ_CHECK(cycle == 0,
                   cell() + ": depth " + std::to_string(depth) + " with cycle " + std::to_string(cycle));
      }
    }
  }

  // Strips computed apart, as the threads of one computation do, and on another path, give
  // the same bits.
  const TEnginePath wholePath = EnginePathFor(props);
  const auto paths = [&] {
    return std::string(EnginePathName(wholePath)) + " and " +
           EnginePathName(stripsPath) + " strips";
  };
  FUZZ_CHECK(SetEnginePath(stripsPath), paths());
  TFractArray strips(width, height);
  Prefill(strips);
  uint64_t left = 0;
  uint64_t right = 0;
  FUZZ_CHECK(ComputeStrip(props, strips, 0, split, left, errorText, TColumnsDoneUpdate::Never),
             errorText);
  FUZZ_CHECK(ComputeStrip(props, strips, split, width, right, errorText, TColumnsDoneUpdate::Never),
             errorText);
  SetEnginePath(TEnginePath::Auto);
  FUZZ_CHECK(strips.ColumnsDone() == 0, "columns done moved without updates");
  FUZZ_CHECK(left + right == steps, "steps differ between " + paths());
  const std::size_t cells = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  FUZZ_CHECK(std::memcmp(strips.Depths(), whole.Depths(), cells * sizeof(float)) == 0,
             "depths differ between " + paths());
  FUZZ_CHECK(std::memcmp(strips.Cycles(), whole.Cycles(), cells * sizeof(int32_t)) == 0,
             "cycles differ between " + paths());
  return 0;
}
