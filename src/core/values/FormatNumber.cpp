#include "core/values/FormatNumber.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "core/report/Assert.h"

namespace {

// The shortest decimal form of a > 0: a = 0.d1 d2 ... dn x 10^(exponent + 1).
struct TDecimal {
  std::string digits;  // no leading or trailing zeros
  int exponent = 0;    // power of ten of the first digit
};

TDecimal ShortestDecimal(double a) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, a, std::chars_format::scientific);
  const std::string text(buffer, result.ptr);
  const std::string::size_type e = text.find('e');
  TDecimal d;
  for (std::string::size_type i = 0; i < e; ++i) {
    if (text[i] != '.') d.digits += text[i];
  }
  while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
  d.exponent = std::stoi(text.substr(e + 1));
  return d;
}

}  // namespace

namespace {

// FormatDouble of x times 10^powerOfTen, taken from the shortest decimal digits of x.
std::string FormatDecimal(double x, int powerOfTen, int minDigBefore, int minDigAfter,
                          int maxDigAfter) {
  VELMORA_ASSERT(minDigAfter <= maxDigAfter, "minDigAfter <= maxDigAfter");
  VELMORA_ASSERT(minDigBefore >= 1, "minDigBefore >= 1");
  VELMORA_ASSERT(minDigAfter >= 0, "minDigAfter >= 0");
  if (std::isnan(x)) return "nan";
  if (std::isinf(x)) return x < 0 ? "-inf" : "inf";

  const double a = std::fabs(x);
  TDecimal d;
  int b = 1;  // number of integer digits; 0 or negative below 1
  if (a != 0) {
    d = ShortestDecimal(a);
    d.exponent += powerOfTen;
    b = d.exponent + 1;
  }
  const int before = std::max(b, minDigBefore);
  // No more than 15 significant digits, but never fewer than the integer digits.
  const int after = std::max(0, std::min(maxDigAfter, 15 - b));

  // places[i] holds the digit of 10^(top - i), from the highest integer place down to one
  // place below the last kept one; one extra place on top takes a carry.
  const int top = std::max(before, b) ;  // exponent of the carry place
  const int count = top + after + 2;
  std::vector<int> places(static_cast<size_t>(count), 0);
  for (size_t i = 0; i < d.digits.size(); ++i) {
    const int place = d.exponent - static_cast<int>(i);
    const int index = top - place;
    if (index >= 0 && index < count) places[static_cast<size_t>(index)] = d.digits[i] - '0';
  }
  // Add one tenth of the last kept place, then drop everything below that place.
  int index = count - 1;
  places[static_cast<size_t>(index)] += 1;
  while (index > 0 && places[static_cast<size_t>(index)] == 10) {
    places[static_cast<size_t>(index)] = 0;
    places[static_cast<size_t>(--index)] += 1;
  }

  // Integer digits: places 0 .. top (exponents top .. 0); the carry place only when used.
  std::string integerPart;
  for (int i = 0; i <= top; ++i) integerPart += static_cast<char>('0' + places[static_cast<size_t>(i)]);
  const std::string::size_type firstNonZero = integerPart.find_first_not_of('0');
  const int significant =
      firstNonZero == std::string::npos ? 0 : static_cast<int>(integerPart.size() - firstNonZero);
  const int width = std::max(significant, before);
  integerPart = integerPart.substr(integerPart.size() - static_cast<size_t>(width));

  std::string fraction;
  for (int i = top + 1; i < top + 1 + after; ++i) {
    fraction += static_cast<char>('0' + places[static_cast<size_t>(i)]);
  }
  const size_t keep = static_cast<size_t>(std::min(minDigAfter, after));
  while (fraction.size() > keep && fraction.back() == '0') fraction.pop_back();

  std::string out;
  const bool allZero = significant == 0 && fraction.find_first_not_of('0') == std::string::npos;
  if (x < 0 && !allZero) out += '-';
  out += integerPart;
  if (!fraction.empty() || minDigAfter > 0) out += '.';
  out += fraction;
  return out;
}

// FormatSignificant of x times 10^powerOfTen, likewise.
std::string SignificantDecimal(double x, int powerOfTen, int precision, bool trim) {
  VELMORA_ASSERT(precision >= 1, "precisie >= 1");
  int k = 1;
  if (x != 0 && std::isfinite(x)) {
    k = static_cast<int>(std::trunc(std::log10(std::fabs(x)) + powerOfTen));
  }
  const int maxAfter = k < precision ? precision - k - 1 : 0;
  return FormatDecimal(x, powerOfTen, std::max(k, 1), trim ? 0 : maxAfter, maxAfter);
}

}  // namespace

std::string FormatDouble(double x, int minDigBefore, int minDigAfter, int maxDigAfter) {
  return FormatDecimal(x, 0, minDigBefore, minDigAfter, maxDigAfter);
}

std::string FormatSignificant(double x, int precision, bool trim) {
  return SignificantDecimal(x, 0, precision, trim);
}

std::string FormatSignificantScaled(double x, int powerOfTen, int precision, bool trim) {
  return SignificantDecimal(x, powerOfTen, precision, trim);
}
