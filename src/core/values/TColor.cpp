#include "core/values/TColor.h"

namespace {

uint8_t MixChannel(uint8_t a, uint8_t b, double t) {
  const double mixed = a * (1 - t) + b * t;
  // Callers keep t within [0, 1], where the mix stays within the channel. Anything else
  // (or a NaN) is pinned to the channel's range so that it cannot spill into its neighbour.
  if (!(mixed > 0.0)) return 0;
  if (mixed >= 255.0) return 255;
  return static_cast<uint8_t>(mixed);
}

}  // namespace

TColor MixColors(TColor a, TColor b, double t) {
  return MakeColor(MixChannel(ColorRed(a), ColorRed(b), t),
                   MixChannel(ColorGreen(a), ColorGreen(b), t),
                   MixChannel(ColorBlue(a), ColorBlue(b), t));
}
