// The value parsers on any text: FromText of every value class, and a colour element. A text
// that parses must keep its class's range, and what the value shows must parse back to it.

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "core/values/ValueUnits.h"
#include "core/xml/TXMLItem.h"
#include "fuzz/FuzzSupport.h"

namespace {

constexpr const char* kName = "Value";
constexpr int32_t kUntouchedInteger = 424242;
constexpr double kUntouchedReal = 0.4242;

// A refusal names the field, gives a reason and keeps the stored value.
template <class T, class V>
void CheckRefusal(const T& value, V untouched, uint8_t kind, const std::string& message,
                  const std::string& text) {
  FUZZ_CHECK(message.rfind("In Value: ", 0) == 0 && message.size() > 10, message);
  FUZZ_CHECK(value.GetValue() == untouched && value.UnitKind() == kind,
             "a refused text changed the value: " + text);
}

// The number of significant digits of the shortest decimal form of x.
int SignificantDigits(double x) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::scientific);
  int digits = 0;
  for (const char* p = buffer; p != result.ptr && *p != 'e'; ++p) {
    if (*p >= '0' && *p <= '9') ++digits;
  }
  return digits;
}

bool Near(double a, double b, double relative) {
  return std::fabs(a - b) <=
         relative * std::fabs(b) + 4 * std::numeric_limits<double>::denorm_min();
}

template <class T>
void CheckInteger(const std::string& text) {
  T value(kUntouchedInteger);
  std::string message;
  if (!value.FromText(text, kName, message)) {
    CheckRefusal(value, kUntouchedInteger, kUnitNone, message, text);
    return;
  }
  FUZZ_CHECK(RangeCheck(value.GetValue(), value.Constraint()).empty(), text);
  const std::string shown = value.ToText();
  T again(kUntouchedInteger);
  FUZZ_CHECK(again.FromText(shown, kName, message), "shown as " + shown + ": " + message);
  FUZZ_CHECK(again == value, text + " shown as " + shown);
}

template <class T>
void CheckFactor(const std::string& text) {
  T value(kUntouchedReal);
  std::string message;
  if (!value.FromText(text, kName, message)) {
    CheckRefusal(value, kUntouchedReal, kUnitNone, message, text);
    return;
  }
  const double v = value.GetValue();
  FUZZ_CHECK(std::isfinite(v), text);
  FUZZ_CHECK(RangeCheck(v, value.Constraint()).empty(), text);
  FUZZ_CHECK(value.UnitKind() == kUnitNone || value.UnitKind() == kUnitPercent, text);
  const std::string shown = value.ToText();
  T again(kUntouchedReal);
  FUZZ_CHECK(again.FromText(shown, kName, message), text + " shown as " + shown + ": " + message);
  FUZZ_CHECK(again.UnitKind() == value.UnitKind(), text + " shown as " + shown);
  FUZZ_CHECK(again.ToText() == shown, text + " shown as " + shown + ", then as " + again.ToText());
  // Up to 15 significant digits a value is shown exactly; beyond, to 15 digits.
  if (value.UnitKind() == kUnitNone && SignificantDigits(v) <= 15) {
    FUZZ_CHECK(again.GetValue() == v, text + " shown as " + shown);
  } else {
    FUZZ_CHECK(Near(again.GetValue(), v, 1e-14), text + " shown as " + shown);
  }
}

template <class T>
void CheckTime(const std::string& text) {
  T value(kUntouchedReal, kUnitSeconds);
  std::string message;
  if (!value.FromText(text, kName, message)) {
    CheckRefusal(value, kUntouchedReal, kUnitSeconds, message, text);
    return;
  }
  const double v = value.GetValue();
  FUZZ_CHECK(std::isfinite(v), text);
  FUZZ_CHECK(RangeCheck(v, value.Constraint()).empty(), text);
  // Times entered as a length have no text of their own.
  const uint8_t kind = value.UnitKind();
  if (kind != kUnitSeconds && kind != kUnitMilliseconds && kind != kUnitHertz &&
      kind != kUnitKilohertz) {
    return;
  }
  // Times show seven significant digits from 1 on and six below, cut rather than rounded.
  const std::string shown = value.ToText();
  T again(kUntouchedReal, kUnitSeconds);
  FUZZ_CHECK(again.FromText(shown, kName, message), text + " shown as " + shown + ": " + message);
  FUZZ_CHECK(again.UnitKind() == kind, text + " shown as " + shown);
  FUZZ_CHECK(Near(again.GetValue(), v, 1.1e-5), text + " shown as " + shown);
}

void CheckColour(const std::string& text) {
  TXMLStringElement element("Color", text);
  element.Line = 7;
  element.Column = 9;
  unitColor colour(0x123456);
  std::string message;
  int32_t line = 0;
  int32_t column = 0;
  const bool ok = colour.ReadXML(element, message, line, column);
  FUZZ_CHECK(line == 7 && column == 9, "the position of the element");
  if (!ok) {
    FUZZ_CHECK(message == "In Color: Invalid Hexdecimal value: \"" + text + "\".", message);
    FUZZ_CHECK(colour.GetValue() == 0x123456, "a refused colour changed the value");
    return;
  }
  FUZZ_CHECK(!text.empty() && text.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos,
             "accepted as a colour: " + text);
  TXMLStringElement shown("Color", colour.ToText());
  unitColor again;
  FUZZ_CHECK(again.ReadXML(shown, message, line, column) && again == colour,
             text + " shown as " + shown.Text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CheckInteger<unitInteger>(text);
  CheckInteger<unitIntegerPos>(text);
  CheckInteger<unitIntegerPosMore>(text);
  CheckFactor<unitFactor>(text);
  CheckFactor<unitFactorPosMore>(text);
  CheckFactor<unitFactorPosMoreLess1>(text);
  CheckFactor<unitFactorPosMore1>(text);
  CheckTime<unitTime>(text);
  CheckTime<unitTimePos>(text);
  CheckTime<unitTimePosMore>(text);
  CheckColour(text);
  return 0;
}
