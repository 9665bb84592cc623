#pragma once

#include <array>
#include <complex>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/values/ValueUnits.h"

// Which complex quantity the pixel grid spreads over the plane.
enum TFractMap : uint8_t {
  MapZ = 0,  // Julia-type picture: c and d fixed
  MapC = 1,  // Mandelbrot-type picture: c is the pixel's point
  MapD = 2,  // parameter plane of d: d is the pixel's point
};

inline constexpr int kFormulaCount = 13;
inline constexpr int kMapCount = 3;

// One line of the formula table: the key stored in files, the line of the dialog's formula
// list and the parameters the step uses.
struct TFormulaInfo {
  std::string_view Key;
  std::string_view DialogText;
  bool UsesD;
  bool UsesN;
  bool UsesM;
};

// The texts are fixed as they are; several of them read differently from what the step
// computes (see FormulaStep).
inline constexpr std::array<TFormulaInfo, kFormulaCount> FormulaTable{{
    {"z^2+c", "z^2 + c", false, false, false},
    {"z^3+c", "z^3 + c", false, false, false},
    {"z^4+c", "z^4 + c", false, false, false},
    {"z^n+c", "z^n + c", false, true, false},
    {"z^3-3d^2z+c", "z^3 - 3 d^2 z + c", true, false, false},
    {"z^n+dz^m+c", "z^n + d z^m + c", true, true, true},
    {"z(c+(1-c)z^n)", "z ( c + ( 1 - c ) z^n)", false, true, false},
    {"z(c+(1-c)/z^n)", "z ( c + ( 1 - c ) / z^n)", false, true, false},
    {"z(c+dz^n)/(1/z^n)", "z ( c + d z^n) / (1 + z^n)", true, true, false},
    {"exp(z)-z-1+c", "exp(z) - z - 1 + c", false, false, false},
    {"sin(z)+c", "sin(z) + c", false, false, false},
    {"csin(z)", "c sin(z)", false, false, false},
    {"sin(z)-z-1+c", "sin(z) - z - 1 + c", false, false, false},
}};

// The formula keys in index order. Each list owns its strings, built from FormulaTable;
// copying builds them afresh instead of copying, and since every list holds the same keys,
// two lists always compare equal.
class TFormulaNames {
 public:
  TFormulaNames();
  TFormulaNames(const TFormulaNames&) : TFormulaNames() {}
  TFormulaNames& operator=(const TFormulaNames&) { return *this; }

  // Hard assertion on an index outside 0..12.
  const std::string& operator[](int index) const;
  bool operator==(const TFormulaNames&) const { return true; }

 private:
  std::array<std::string, kFormulaCount> m_names;
};

// The parameters that define one fractal picture completely.
class TFractProps {
 public:
  unitIntegerPosMore XResolution{250};
  unitIntegerPosMore YResolution{250};
  unitFactor Left{-1.5};
  unitFactor Right{1.5};
  unitFactor Top{1.5};
  unitFactor Bottom{-1.5};
  unitIntegerPosMore MaxDepth{200};
  unitFactorPosMore1 OuterCircle{1000.0};    // escape radius R
  unitFactorPosMoreLess1 InnerDist{0.0001};  // cycle tolerance r
  unitIntegerPos MaxCycle{3};
  uint8_t Formula = 0;  // index into FormulaTable
  TFractMap Map = MapZ;
  unitFactor CR{-0.122561};
  unitFactor CI{-0.744862};
  unitFactor DR{-0.3};
  unitFactor DI{-0.3};
  unitFactor ZR{0.0};  // kept and saved, never read by the iteration
  unitFactor ZI{0.0};
  unitIntegerPosMore N{5};
  unitIntegerPosMore M{3};
  uint8_t Cont = 0;  // 0 "Continue": fractional escape depths; 1 "Discontinue": whole depths
  unitFactorPosMore ContValue{1.0};  // shown in the dialog only
  TFormulaNames FormulaNames;

  // The key of formula index, as written to files.
  const std::string& FormulaKey(int index) const { return FormulaNames[index]; }

  bool operator==(const TFractProps&) const = default;
};

// The plane coordinate of grid line index: origin + (index * (far - origin)) / resolution,
// in that order. Column 0 lies on origin, the last column one step short of far.
inline double MapPixel(double origin, double far, int32_t index, int32_t resolution) {
  return origin + (static_cast<double>(index) * (far - origin)) / static_cast<double>(resolution);
}

// The complex point that pixel (x, y) stands for; x counts from the left, y from the top.
std::complex<double> PixelPoint(const TFractProps& props, int32_t x, int32_t y);
