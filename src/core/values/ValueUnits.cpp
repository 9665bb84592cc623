#include "core/values/ValueUnits.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>

#include "core/report/Assert.h"
#include "core/report/ErrorReporter.h"
#include "core/values/FormatNumber.h"
#include "core/xml/TXMLItem.h"

namespace {

// Unit codes of the keyword table; the first keyword that the upper-cased rest of the text
// starts with gives the code, so longer keywords come before their prefixes.
enum : uint8_t {
  kCodeNone = 0,
  kCodePercent = 1,
  kCodeDecibel = 2,
  kCodeSeconds = 3,
  kCodeMilliseconds = 4,
  kCodeHertz = 5,
  kCodeKilohertz = 6,
  kCodeUnknown = 12,
  kCodeMetre = 13,
  kCodeDecimetre = 14,
  kCodeCentimetre = 15,
  kCodeMillimetre = 16,
  kCodeKilometre = 17,
  kCodeMile = 18,
  kCodeNauticalMile = 19,
  kCodeFeet = 20,
  kCodeInch = 21,
};

struct TUnitKeyword {
  const char* keyword;
  uint8_t code;
};

constexpr TUnitKeyword kUnitKeywords[] = {
    {"NMILE", 19}, {"KNOTS", 26}, {"MILE", 18}, {"FEET", 20}, {"INCH", 21}, {"KM/H", 23},
    {"MACH", 25},  {"KHZ", 6},    {"M/S", 22},  {"MPH", 24},  {"MS", 4},    {"HZ", 5},
    {"DB", 2},     {"DM", 14},    {"CM", 15},   {"MM", 16},   {"KM", 17},   {"%", 1},
    {"$", 9},      {"S", 3},      {"'", 10},    {"M", 13},
};

// Metres per unit of the length units, and the speed of sound that turns them into time.
double MetresPerUnit(uint8_t code) {
  switch (code) {
    case kCodeMetre: return 1.0;
    case kCodeDecimetre: return 0.1;
    case kCodeCentimetre: return 0.01;
    case kCodeMillimetre: return 0.001;
    case kCodeKilometre: return 1000.0;
    case kCodeMile: return 1609.344;
    case kCodeNauticalMile: return 1852.0;
    case kCodeFeet: return 0.3048;
    case kCodeInch: return 0.0254;
    default: return 0.0;
  }
}
constexpr double kSpeedOfSound = 343.0;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

uint8_t UnitCode(const std::string& rest) {
  if (rest.empty()) return kCodeNone;
  std::string upper = rest;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const TUnitKeyword& k : kUnitKeywords) {
    if (upper.rfind(k.keyword, 0) == 0) return k.code;
  }
  return kCodeUnknown;
}

// Converts decimal digits times 10^powerOfTen, correctly rounded. An underflow reads as
// zero; false when the number is too large for a double.
bool DigitsToDouble(const std::string& text, double& value, int powerOfTen = 0) {
  const std::string number = powerOfTen == 0 ? text : text + "e" + std::to_string(powerOfTen);
  const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    // from_chars leaves the value alone when it does not fit: tell overflow from underflow
    // by the integer digits (the powers of ten used never turn one into the other).
    const std::string::size_type point = text.find('.');
    const std::string integerDigits = text.substr(0, point);
    if (integerDigits.find_first_not_of('0') != std::string::npos) return false;
    value = 0.0;
  }
  return true;
}

// x times 10^powerOfTen in decimal: the shortest digits of x with the exponent moved, read
// back correctly rounded, where x * 100 or x * 0.01 would add a binary rounding of its own.
// Infinite beyond the doubles, zero below them.
double ScaledDecimal(double x, int powerOfTen) {
  if (x == 0 || !std::isfinite(x)) return x;
  char buffer[64];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::scientific);
  std::string text(buffer, written.ptr);
  const std::string::size_type e = text.find('e');
  const int exponent = std::stoi(text.substr(e + 1)) + powerOfTen;
  text = text.substr(0, e) + "e" + std::to_string(exponent);
  double value = 0.0;
  if (std::from_chars(text.data(), text.data() + text.size(), value).ec ==
      std::errc::result_out_of_range) {
    value = exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    if (x < 0) value = -value;
  }
  return value;
}

// Reads a real number followed by an optional unit, as typed into an edit field; the number
// is taken times 10^powerOfTen.
bool ReadNumber(const std::string& text, double& value, uint8_t& code, std::string& reason,
                int powerOfTen = 0) {
  size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && text[pos] == '-') {
    negative = true;
    ++pos;
  } else if (pos < text.size() && text[pos] == '+') {
    ++pos;
  }
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  std::string integerDigits;
  while (pos < text.size() && IsDigit(text[pos])) integerDigits += text[pos++];

  double magnitude = 0.0;
  if (pos < text.size() && (text[pos] == '.' || text[pos] == ',')) {
    ++pos;
    std::string fractionDigits;
    while (pos < text.size() && IsDigit(text[pos])) fractionDigits += text[pos++];
    const std::string digits =
        (integerDigits.empty() ? "0" : integerDigits) + "." + (fractionDigits.empty() ? "0" : fractionDigits);
    if (!DigitsToDouble(digits, magnitude, powerOfTen)) {
      reason = "Value is too large.";
      return false;
    }
  } else if (pos < text.size() && text[pos] == '/') {
    ++pos;
    if (integerDigits.empty()) {
      reason = "Input has no value before '/'.";
      return false;
    }
    std::string denominatorDigits;
    while (pos < text.size() && IsDigit(text[pos])) denominatorDigits += text[pos++];
    if (denominatorDigits.empty()) {
      reason = "Input has no value after '/'.";
      return false;
    }
    if (denominatorDigits.find_first_not_of('0') == std::string::npos) {
      reason = "Broke is invalid.";
      return false;
    }
    double numerator = 0.0;
    double denominator = 0.0;
    if (!DigitsToDouble(integerDigits, numerator) || !DigitsToDouble(denominatorDigits, denominator)) {
      reason = "Value is too large.";
      return false;
    }
    magnitude = powerOfTen == 0 ? numerator / denominator
                                : ScaledDecimal(numerator / denominator, powerOfTen);
  } else {
    if (integerDigits.empty()) {
      reason = "Input has no value.";
      return false;
    }
    if (!DigitsToDouble(integerDigits, magnitude, powerOfTen)) {
      reason = "Value is too large.";
      return false;
    }
  }
  value = negative ? -magnitude : magnitude;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  code = UnitCode(text.substr(pos));
  return true;
}

template <class T>
std::string RangeReason(T value, uint8_t constraint) {
  switch (constraint) {
    case kConstraintNotZero:
      return value != 0 ? "" : "Value must be not 0.";
    case kConstraintNegative:
      return value <= 0 ? "" : "Value must be negative.";
    case kConstraintPositive:
      return value >= 0 ? "" : "Value must be positive.";
    case kConstraintNegativeLess:
      return value < 0 ? "" : "Value must be negative and less than 0.";
    case kConstraintPositiveMore:
      return value > 0 ? "" : "Value must be positive and more than 0.";
    case kConstraintFraction:
      if (value < 0) return "Value must be positive.";
      return value <= 1 ? "" : "Value must be no more than 1.";
    case kConstraintOpenFraction:
      if (value <= 0) return "Value must be positive and more than 0.";
      return value < 1 ? "" : "Value must be less than 1.";
    case kConstraintMoreThan1:
      return value > 1 ? "" : "Value must be more than 1.";
    default:
      return "";
  }
}

std::string Failure(const std::string& name, const std::string& reason) {
  return "In " + name + ": " + reason;
}

}  // namespace

std::string RangeCheck(double value, uint8_t constraint) { return RangeReason(value, constraint); }
std::string RangeCheck(int32_t value, uint8_t constraint) { return RangeReason(value, constraint); }

void unit::CheckValue(bool& ok, const std::string& text, const std::string& name) {
  if (!ok) return;
  std::string message;
  if (!FromText(text, name, message)) {
    ErrorReporter.InputError(message);
    ok = false;
  }
}

void unit::WriteXML(const std::string& name, TXMLComplexElement& parent) const {
  parent.Add(std::make_unique<TXMLStringElement>(name, ToText()));
}

bool unit::ReadXML(const TXMLItem& element, std::string& message, int32_t& line,
                   int32_t& column) {
  line = element.Line;
  column = element.Column;
  return FromText(element.GetText(), element.GetElement(), message);
}

// Integers -------------------------------------------------------------------------------

std::string unitIntegerBase::ToText() const { return FormatSignificant(m_value, 7, true); }

bool unitIntegerBase::FromText(const std::string& text, const std::string& name,
                               std::string& message) {
  size_t pos = 0;
  if (pos < text.size() && text[pos] == '+') ++pos;
  bool negative = false;
  if (pos < text.size() && text[pos] == '-') {
    negative = true;
    ++pos;
  }
  // Digits beyond the 32-bit range are refused rather than wrapped.
  const int64_t limit = negative ? int64_t{1} << 31 : (int64_t{1} << 31) - 1;
  int64_t magnitude = 0;
  for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
    magnitude = magnitude * 10 + (text[pos] - '0');
    if (magnitude > limit) {
      message = Failure(name, "Value must be between -2147483648 and 2147483647.");
      return false;
    }
  }
  const int32_t value = static_cast<int32_t>(negative ? -magnitude : magnitude);
  const std::string reason = RangeCheck(value, m_constraint);
  if (!reason.empty()) {
    message = Failure(name, reason);
    return false;
  }
  m_value = value;
  m_unitKind = kUnitNone;
  return true;
}

// Real numbers ---------------------------------------------------------------------------

namespace {

// The text a real value is shown and saved as.
std::string FactorText(double value, uint8_t kind) {
  if (kind == kUnitPercent) return FormatSignificantScaled(value, 2, 99, true) + " %";
  return FormatSignificant(value, 99, true);
}

// Reads a real number with no unit or '%'; the reason tells why a text is refused.
bool ReadFactor(const std::string& text, double& value, uint8_t& kind, std::string& reason) {
  // The digits of a percentage are read as hundredths, so that "0.07 %" is the double
  // nearest to 0.0007 and a percentage is shown as it was typed; whether the text is one
  // is known only after its number, which is read again as it stands when it is not.
  uint8_t code = kCodeNone;
  if (!ReadNumber(text, value, code, reason, -2)) return false;
  kind = kUnitNone;
  if (code == kCodePercent) {
    kind = kUnitPercent;
  } else if (code == kCodeUnknown) {
    reason = "This unit does not exist, use: '%' or no unit.";
    return false;
  } else if (code != kCodeNone) {
    reason = "Wrong unit used, use: '%' or no unit.";
    return false;
  } else if (!ReadNumber(text, value, code, reason)) {
    return false;
  }
  return true;
}

}  // namespace

std::string unitFactorBase::ToText() const { return FactorText(m_value, m_unitKind); }

std::string unitFactorBase::ToText(int minDigBefore, int minDigAfter, int maxDigAfter) const {
  return FormatDouble(m_value, minDigBefore, minDigAfter, maxDigAfter);
}

bool unitFactorBase::FromText(const std::string& text, const std::string& name,
                              std::string& message) {
  double value = 0.0;
  uint8_t kind = kUnitNone;
  std::string reason;
  if (!ReadFactor(text, value, kind, reason)) {
    message = Failure(name, reason);
    return false;
  }
  reason = RangeCheck(value, m_constraint);
  // A value is kept only when the text it is shown and saved as reads back within the
  // range too. That text has at most 15 significant digits, which can put a value right
  // beside a bound onto it: 1.0000000000000002 is saved as 1, and a file holding that as an
  // OuterCircle would be refused. A text that does not read back at all would hold no
  // finite number.
  if (reason.empty()) {
    double shown = 0.0;
    uint8_t shownKind = kUnitNone;
    std::string unused;
    reason = ReadFactor(FactorText(value, kind), shown, shownKind, unused)
                 ? RangeCheck(shown, m_constraint)
                 : "Value is too large.";
  }
  if (!reason.empty()) {
    message = Failure(name, reason);
    return false;
  }
  m_value = value;
  m_unitKind = kind;
  return true;
}

// Times ----------------------------------------------------------------------------------

namespace {

// The number a time is shown with in its unit kind.
double ShownTime(double seconds, uint8_t kind) {
  switch (kind) {
    case kUnitMilliseconds: return seconds * 1000;
    case kUnitHertz: return 1 / seconds;
    case kUnitKilohertz: return 0.001 / seconds;
    default: return seconds;
  }
}

}  // namespace

std::string unitTimeBase::ToText() const {
  const std::string number = FormatSignificant(ShownTime(m_value, m_unitKind), 7, true);
  switch (m_unitKind) {
    case kUnitSeconds: return number + " s";
    case kUnitMilliseconds: return number + " ms";
    case kUnitHertz: return number + " hz";
    case kUnitKilohertz: return number + " khz";
    default: return "";
  }
}

std::string unitTimeBase::ToText(int minDigBefore, int minDigAfter, int maxDigAfter) const {
  return FormatDouble(m_value, minDigBefore, minDigAfter, maxDigAfter);
}

bool unitTimeBase::FromText(const std::string& text, const std::string& name,
                            std::string& message) {
  static const std::string kUnits =
      "use: 's', 'ms', 'Hz', 'kHz', 'm', 'dm', 'cm', 'mm', 'km', 'mile', 'nmile'.";
  double value = 0.0;
  uint8_t code = kCodeNone;
  std::string reason;
  if (!ReadNumber(text, value, code, reason)) {
    message = Failure(name, reason);
    return false;
  }
  switch (code) {
    case kCodeSeconds:
      break;
    case kCodeMilliseconds:
      value *= 0.001;
      break;
    case kCodeHertz:
      if (value == 0) {
        message = Failure(name, "You cannot use 0 with 'Hz'.");
        return false;
      }
      value = 1 / value;
      break;
    case kCodeKilohertz:
      if (value == 0) {
        message = Failure(name, "You cannot use 0 with 'kHz'.");
        return false;
      }
      value = 0.001 / value;
      break;
    case kCodeUnknown:
      message = Failure(name, "This unit does not exist, " + kUnits);
      return false;
    default:
      if (code >= kCodeMetre && code <= kCodeInch) {
        value = value * MetresPerUnit(code) / kSpeedOfSound;
        break;
      }
      message = Failure(name, "Wrong unit used, " + kUnits);
      return false;
  }
  // The conversion can leave the doubles: a length near the largest double, or a frequency
  // of a few hundred zeros and a digit, is an infinite time.
  if (!std::isfinite(value) || !std::isfinite(ShownTime(value, code))) {
    message = Failure(name, "Value is too large.");
    return false;
  }
  reason = RangeCheck(value, m_constraint);
  if (!reason.empty()) {
    message = Failure(name, reason);
    return false;
  }
  m_value = value;
  m_unitKind = code;
  return true;
}

// Colours --------------------------------------------------------------------------------

std::string unitColor::ToText() const {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%06X", static_cast<unsigned>(m_value));
  return buffer;
}

bool unitColor::FromText(const std::string&, const std::string&, std::string&) {
  VELMORA_ASSERT(false, "false");
  return false;
}

bool unitColor::ReadXML(const TXMLItem& element, std::string& message, int32_t& line,
                        int32_t& column) {
  line = element.Line;
  column = element.Column;
  const std::string text = element.GetText();
  uint32_t value = 0;
  const char* first = text.data();
  const char* last = text.data() + text.size();
  const auto result = std::from_chars(first, last, value, 16);
  // Only plain hexadecimal digits that fit into 32 bits make a colour.
  if (text.empty() || result.ec != std::errc() || result.ptr != last) {
    message = "In " + element.GetElement() + ": Invalid Hexdecimal value: \"" + text + "\".";
    return false;
  }
  m_value = value;
  return true;
}
