#pragma once

#include <string>

// x in plain decimal: no exponent, at most 15 significant digits, at least minDigBefore
// integer digits (padded with zeros), at least minDigAfter and at most maxDigAfter fraction
// digits, and no trailing zeros beyond minDigAfter. Digits beyond the last kept place are
// dropped after adding one tenth of that place. The digits are those of the shortest
// decimal form of x, so a double written with up to 15 significant digits reads back as
// itself.
std::string FormatDouble(double x, int minDigBefore, int minDigAfter, int maxDigAfter);

// x with at most precision significant digits; trim drops trailing fraction zeros.
std::string FormatSignificant(double x, int precision, bool trim);

// FormatSignificant of x times 10^powerOfTen, with the power applied to the decimal digits of
// x: no binary rounding of a multiplication comes in, so the text, read as digits times
// 10^-powerOfTen, gives x back.
std::string FormatSignificantScaled(double x, int powerOfTen, int precision, bool trim);
