#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/colour/TColorPalette1DItem.h"
#include "core/values/ValueUnits.h"

class TDTDItem;
class TXMLComplexElement;
class TXMLItem;

// The curve applied to a pixel's depth before the strength factor.
enum TSensitivity : uint8_t {
  SensLow = 0,      // d squared
  SensNormal = 1,   // d
  SensHigh = 2,     // square root of d
  SensVeryHigh = 3  // fourth root of d
};

// How the results of a fractal computation become colours: settings for outside points
// (escaped orbits), for inside points (orbits caught in a cycle), the colour of points that
// reached the maximum depth, and the colour of the selection rectangle. A plain value:
// copies duplicate the palettes' chains.
struct TVoldViewProps {
  TSensitivity SensOutside = SensHigh;
  unitFactorPosMore StrengthOutside{2.5};
  unitColor BackgroundColorOutside{0x000000};
  unitColor ForegroundColorOutside{0xFF8000};
  bool UsePalOutside = false;
  TColorPalette1DItem PalOutside{0x000000, 0xFF8000};

  TSensitivity SensInside = SensNormal;
  unitFactorPosMore StrengthInside{3.5};
  bool UsePalDepthInside = false;
  TColorPalette1DItem PalDepthInside{0x000000, 0x0080FF};
  // The inside mix colours either come from a palette at the cycle position or are fixed.
  bool UsePalBackgroundInside = false;
  TColorPalette1DItem PalBackgroundInside{0x000000, 0x808080};
  unitColor ColorBackgroundInside{0x000000};
  bool UsePalForegroundInside = false;
  TColorPalette1DItem PalForegroundInside{0x0080FF, 0x00FF80};
  unitColor ColorForegroundInside{0x0080FF};

  unitColor CursorColor{0xFF00FF};
  unitColor MaxDepthColor{0x000000};

  bool operator==(const TVoldViewProps&) const = default;

  // A new FractalView element holding the record; the caller appends it to its parent.
  std::unique_ptr<TXMLComplexElement> WriteXML() const;
  // Fills the record from a FractalView element that passed GetDTD(). When a value is
  // refused, returns false with its message and position; the fields read up to then keep
  // their new values.
  bool ReadXML(const TXMLItem& xmlFractalView, std::string& message, int32_t& line,
               int32_t& column);
  // The grammar of the FractalView element, for embedding in a file's grammar.
  static std::unique_ptr<TDTDItem> GetDTD();
};
