#pragma once

#include <cstdint>

// A colour as the program stores it: 0x00BBGGRR, red in the low byte. Files hold the same
// value as hexadecimal (see unitColor).
using TColor = uint32_t;

inline constexpr uint8_t ColorRed(TColor color) { return static_cast<uint8_t>(color & 0xFFu); }
inline constexpr uint8_t ColorGreen(TColor color) {
  return static_cast<uint8_t>((color >> 8) & 0xFFu);
}
inline constexpr uint8_t ColorBlue(TColor color) {
  return static_cast<uint8_t>((color >> 16) & 0xFFu);
}
inline constexpr TColor MakeColor(uint8_t red, uint8_t green, uint8_t blue) {
  return TColor{red} | (TColor{green} << 8) | (TColor{blue} << 16);
}

// Mixes a and b per channel as a * (1 - t) + b * t in doubles, truncated toward zero; the top
// byte of the result is 0. t = 0 gives a and t = 1 gives b exactly (without their top bytes).
// Inline: the colouring mixes once for every cell it paints.
inline uint8_t MixChannel(uint8_t a, uint8_t b, double t) {
  const double mixed = a * (1 - t) + b * t;
  // Callers keep t within [0, 1], where the mix stays within the channel. Anything else
  // (or a NaN) is pinned to the channel's range so that it cannot spill into its neighbour.
  if (!(mixed > 0.0)) return 0;
  if (mixed >= 255.0) return 255;
  return static_cast<uint8_t>(mixed);
}

inline TColor MixColors(TColor a, TColor b, double t) {
  return MakeColor(MixChannel(ColorRed(a), ColorRed(b), t),
                   MixChannel(ColorGreen(a), ColorGreen(b), t),
                   MixChannel(ColorBlue(a), ColorBlue(b), t));
}
