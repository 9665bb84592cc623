#include "core/values/ValueUnits.h"

#include <memory>

#include <gtest/gtest.h>

#include "core/xml/TXMLItem.h"
#include "tests/support/RecordingSink.h"

namespace {

template <class T>
std::string Reason(T& value, const std::string& text) {
  std::string message;
  EXPECT_FALSE(value.FromText(text, "X", message)) << text;
  return message;
}

template <class T>
double Parsed(const std::string& text) {
  T value;
  std::string message;
  EXPECT_TRUE(value.FromText(text, "X", message)) << text << ": " << message;
  return value.GetValue();
}

}  // namespace

TEST(RangeCheckTest, EachConstraintWithItsReasons) {
  EXPECT_EQ(RangeCheck(0.0, kConstraintNotZero), "Value must be not 0.");
  EXPECT_EQ(RangeCheck(0.5, kConstraintNegative), "Value must be negative.");
  EXPECT_EQ(RangeCheck(0.0, kConstraintNegative), "");
  EXPECT_EQ(RangeCheck(-1.0, kConstraintPositive), "Value must be positive.");
  EXPECT_EQ(RangeCheck(0.0, kConstraintNegativeLess), "Value must be negative and less than 0.");
  EXPECT_EQ(RangeCheck(0.0, kConstraintPositiveMore), "Value must be positive and more than 0.");
  EXPECT_EQ(RangeCheck(-0.1, kConstraintFraction), "Value must be positive.");
  EXPECT_EQ(RangeCheck(1.0, kConstraintFraction), "");
  EXPECT_EQ(RangeCheck(1.1, kConstraintFraction), "Value must be no more than 1.");
  EXPECT_EQ(RangeCheck(0.0, kConstraintOpenFraction), "Value must be positive and more than 0.");
  EXPECT_EQ(RangeCheck(1.0, kConstraintOpenFraction), "Value must be less than 1.");
  EXPECT_EQ(RangeCheck(0.0001, kConstraintOpenFraction), "");
  EXPECT_EQ(RangeCheck(1.0, kConstraintMoreThan1), "Value must be more than 1.");
  EXPECT_EQ(RangeCheck(int32_t{0}, kConstraintPositive), "");
  EXPECT_EQ(RangeCheck(int32_t{0}, kConstraintPositiveMore), "Value must be positive and more than 0.");
}

TEST(ValueClassTest, SetValueStoresWithoutChecking) {
  unitFactorPosMore factor(1.0);
  factor.SetValue(-2.0);
  EXPECT_EQ(factor.GetValue(), -2.0);
  EXPECT_EQ(factor.UnitKind(), kUnitNone);
  unitFactorPosMoreLess1 percent(0.5, kUnitPercent);
  percent.SetValue(0.25);
  EXPECT_EQ(percent.UnitKind(), kUnitPercent);
  EXPECT_EQ(percent.ToText(), "25 %");
}

TEST(RealTextTest, SeparatorsFractionsAndSigns) {
  EXPECT_EQ(Parsed<unitFactor>("0,5"), 0.5);
  EXPECT_EQ(Parsed<unitFactor>("0.5"), 0.5);
  EXPECT_EQ(Parsed<unitFactor>("1/4"), 0.25);
  EXPECT_EQ(Parsed<unitFactor>("- 5"), -5.0);
  EXPECT_EQ(Parsed<unitFactor>("+2.5"), 2.5);
  EXPECT_EQ(Parsed<unitFactor>("."), 0.0);
  EXPECT_EQ(Parsed<unitFactor>("7."), 7.0);
  EXPECT_EQ(Parsed<unitFactor>(".25"), 0.25);
  EXPECT_EQ(Parsed<unitFactor>("-3/4"), -0.75);
}

TEST(RealTextTest, DigitsConvertCorrectlyRounded) {
  EXPECT_EQ(Parsed<unitFactor>("-0.744862"), -0.744862);
  EXPECT_EQ(Parsed<unitFactor>("-0.122561"), -0.122561);
  EXPECT_EQ(Parsed<unitFactor>("0.1"), 0.1);
  EXPECT_EQ(Parsed<unitFactor>("123456789.123456789"), 123456789.123456789);
  EXPECT_EQ(Parsed<unitFactor>("0,000000000000000000000000000001"), 1e-30);
}

TEST(RealTextTest, Failures) {
  unitFactor f(3.0);
  EXPECT_EQ(Reason(f, "-3/0"), "In X: Broke is invalid.");
  EXPECT_EQ(Reason(f, "/2"), "In X: Input has no value before '/'.");
  EXPECT_EQ(Reason(f, "3/"), "In X: Input has no value after '/'.");
  EXPECT_EQ(Reason(f, " -5"), "In X: Input has no value.");
  EXPECT_EQ(Reason(f, ""), "In X: Input has no value.");
  EXPECT_EQ(Reason(f, "5 m"), "In X: Wrong unit used, use: '%' or no unit.");
  EXPECT_EQ(Reason(f, "5 x"), "In X: This unit does not exist, use: '%' or no unit.");
  EXPECT_EQ(Reason(f, "1e3"), "In X: This unit does not exist, use: '%' or no unit.");
  EXPECT_EQ(Reason(f, std::string(400, '9')), "In X: Value is too large.");
  EXPECT_EQ(f.GetValue(), 3.0);
}

TEST(RealTextTest, PercentIsScaledCheckedAndShownBack) {
  unitFactorPosMoreLess1 value(0.1);
  std::string message;
  ASSERT_TRUE(value.FromText("50 %", "Strength", message));
  EXPECT_EQ(value.GetValue(), 0.5);
  EXPECT_EQ(value.UnitKind(), kUnitPercent);
  EXPECT_EQ(value.ToText(), "50 %");
  EXPECT_EQ(Reason(value, "100 %"), "In X: Value must be less than 1.");
  EXPECT_EQ(value.GetValue(), 0.5);
  ASSERT_TRUE(value.FromText("0.25", "Strength", message));
  EXPECT_EQ(value.UnitKind(), kUnitNone);
  EXPECT_EQ(value.ToText(), "0.25");
}

TEST(RealTextTest, PercentagesAreHundredthsOfTheirDigitsAndShownAsTyped) {
  EXPECT_EQ(Parsed<unitFactor>("0.07 %"), 0.0007);
  EXPECT_EQ(Parsed<unitFactor>("- 5 %"), -0.05);
  EXPECT_EQ(Parsed<unitFactor>("1/4 %"), 0.0025);
  // Taken as the digits times 0.01 in binary, this one was shown ending in ...006, and
  // that text again ended in ...006: each save of a file changed it.
  unitFactor value;
  std::string message;
  ASSERT_TRUE(value.FromText("-,999999000427007064589%", "X", message)) << message;
  EXPECT_EQ(value.ToText(), "-0.999999000427007 %");
  for (const std::string text : {"-0.999999000427007 %", "12.3456789012345 %", "0.333333333333333 %"}) {
    ASSERT_TRUE(value.FromText(text, "X", message)) << message;
    EXPECT_EQ(value.ToText(), text);
  }
  // Beyond 15 digits a text shows the value's own shortest digits, which read back as the
  // value: from there on value and text stay as they are. Found as 123678912785664567891278 %,
  // whose text lost one in the last digit with each read.
  for (const std::string& text : {std::string("123678912785664567891278 %"),
                                  "17976931348623159" + std::string(292, '0') + " %"}) {
    ASSERT_TRUE(value.FromText(text, "X", message)) << message;
    const double first = value.GetValue();
    const std::string shown = value.ToText();
    ASSERT_TRUE(value.FromText(shown, "X", message)) << message;
    EXPECT_EQ(value.GetValue(), first) << shown;
    EXPECT_EQ(value.ToText(), shown);
  }
  unitFactor large(3.0);
  EXPECT_EQ(Reason(large, std::string(400, '9') + " %"), "In X: Value is too large.");
  EXPECT_EQ(large.GetValue(), 3.0);
}

TEST(RealTextTest, RangeOfEachClass) {
  unitFactorPosMore1 radius(2.0);
  EXPECT_EQ(Reason(radius, "1"), "In X: Value must be more than 1.");
  unitFactorPosMoreLess1 dist(0.5);
  EXPECT_EQ(Reason(dist, "0"), "In X: Value must be positive and more than 0.");
  EXPECT_EQ(Parsed<unitFactorPosMoreLess1>("0.0001"), 0.0001);
  unitFactorPosMore positive(1.0);
  EXPECT_EQ(Reason(positive, "-1"), "In X: Value must be positive and more than 0.");
}

TEST(RealTextTest, ValuesShownOnTheirBoundAreRefused) {
  // Saved with 15 significant digits, these would read back as 1 and their file be refused.
  unitFactorPosMore1 radius(2.0);
  EXPECT_EQ(Reason(radius, "1,0000000000000002000000002"), "In X: Value must be more than 1.");
  EXPECT_EQ(Reason(radius, "1.0000000000000002"), "In X: Value must be more than 1.");
  unitFactorPosMoreLess1 dist(0.5);
  EXPECT_EQ(Reason(dist, "0.9999999999999999"), "In X: Value must be less than 1.");
  EXPECT_EQ(Reason(dist, "99.99999999999999 %"), "In X: Value must be less than 1.");
  EXPECT_EQ(radius.GetValue(), 2.0);
  EXPECT_EQ(dist.GetValue(), 0.5);
  // One digit fewer is shown as it is, and so kept.
  EXPECT_EQ(Parsed<unitFactorPosMore1>("1.00000000000001"), 1.00000000000001);
  EXPECT_EQ(Parsed<unitFactorPosMoreLess1>("0.999999999999999"), 0.999999999999999);
  // Far from a bound, digits beyond the fifteenth are still read exactly.
  EXPECT_EQ(Parsed<unitFactorPosMore1>("2.0000000000000004"), 2.0000000000000004);
  EXPECT_EQ(Parsed<unitFactorPosMoreLess1>("0.30000000000000004"), 0.30000000000000004);
}

TEST(IntegerTextTest, SignsDigitsAndRest) {
  EXPECT_EQ(Parsed<unitInteger>("12abc"), 12);
  EXPECT_EQ(Parsed<unitInteger>("+-7"), -7);
  EXPECT_EQ(Parsed<unitInteger>(" 12"), 0);
  EXPECT_EQ(Parsed<unitInteger>(""), 0);
  EXPECT_EQ(Parsed<unitInteger>("2147483647"), 2147483647);
  EXPECT_EQ(Parsed<unitInteger>("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(Parsed<unitIntegerPos>("0"), 0);
  unitIntegerPosMore depth(200);
  std::string message;
  EXPECT_FALSE(depth.FromText("", "Max Depth", message));
  EXPECT_EQ(message, "In Max Depth: Value must be positive and more than 0.");
  EXPECT_EQ(depth.GetValue(), 200);
}

TEST(IntegerTextTest, DigitsBeyondThirtyTwoBitsAreRefused) {
  unitInteger value(5);
  EXPECT_EQ(Reason(value, "2147483648"), "In X: Value must be between -2147483648 and 2147483647.");
  EXPECT_EQ(Reason(value, "-2147483649"), "In X: Value must be between -2147483648 and 2147483647.");
  EXPECT_EQ(Reason(value, "99999999999999999999999"),
            "In X: Value must be between -2147483648 and 2147483647.");
  EXPECT_EQ(value.GetValue(), 5);
}

TEST(TimeTextTest, UnitsConvertToSeconds) {
  unitTimePos time;
  std::string message;
  ASSERT_TRUE(time.FromText("250 ms", "At", message));
  EXPECT_EQ(time.GetValue(), 0.25);
  EXPECT_EQ(time.ToText(), "250 ms");
  ASSERT_TRUE(time.FromText("4 Hz", "At", message));
  EXPECT_EQ(time.GetValue(), 0.25);
  EXPECT_EQ(time.ToText(), "4 hz");
  ASSERT_TRUE(time.FromText("2 khz", "At", message));
  EXPECT_EQ(time.GetValue(), 0.001 / 2);
  EXPECT_EQ(time.ToText(), "2 khz");
  ASSERT_TRUE(time.FromText("1.5 s", "At", message));
  EXPECT_EQ(time.ToText(), "1.5 s");
  ASSERT_TRUE(time.FromText("10 m", "At", message));
  EXPECT_EQ(time.GetValue(), 10.0 / 343.0);
  EXPECT_EQ(time.ToText(), "");
  ASSERT_TRUE(time.FromText("1 km", "At", message));
  EXPECT_EQ(time.GetValue(), 1000.0 / 343.0);
}

TEST(TimeTextTest, Failures) {
  const std::string units = "use: 's', 'ms', 'Hz', 'kHz', 'm', 'dm', 'cm', 'mm', 'km', 'mile', 'nmile'.";
  unitTimePosMore time(1.0);
  EXPECT_EQ(Reason(time, "5"), "In X: Wrong unit used, " + units);
  EXPECT_EQ(Reason(time, "5 %"), "In X: Wrong unit used, " + units);
  EXPECT_EQ(Reason(time, "5 q"), "In X: This unit does not exist, " + units);
  EXPECT_EQ(Reason(time, "0 hz"), "In X: You cannot use 0 with 'Hz'.");
  EXPECT_EQ(Reason(time, "0 khz"), "In X: You cannot use 0 with 'kHz'.");
  EXPECT_EQ(Reason(time, "0 s"), "In X: Value must be positive and more than 0.");
  EXPECT_EQ(time.GetValue(), 1.0);
}

TEST(TimeTextTest, InfiniteTimesAreRefused) {
  unitTime time(1.0);
  // A frequency of a few hundred zeros and a digit, and a length near the largest double.
  EXPECT_EQ(Reason(time, "0," + std::string(320, '0') + "1 hz"), "In X: Value is too large.");
  EXPECT_EQ(Reason(time, std::string(308, '9') + " nmile"), "In X: Value is too large.");
  EXPECT_EQ(Reason(time, "-" + std::string(308, '9') + " mile"), "In X: Value is too large.");
  EXPECT_EQ(time.GetValue(), 1.0);
  std::string message;
  ASSERT_TRUE(time.FromText("0," + std::string(300, '0') + "1 hz", "At", message)) << message;
  EXPECT_EQ(time.GetValue(), 1 / 1e-301);
}

TEST(CheckValueTest, OnlyTheFirstBadFieldIsReported) {
  TRecordingSink sink;
  bool ok = true;
  unitIntegerPosMore a(1), b(1);
  unitFactor c(0);
  a.CheckValue(ok, "0", "Horizontal Resolution");
  b.CheckValue(ok, "0", "Vertical Resolution");
  c.CheckValue(ok, "2", "Left");
  EXPECT_FALSE(ok);
  ASSERT_EQ(sink.Messages().size(), 1u);
  EXPECT_EQ(sink.Messages()[0],
            (TRecordedMessage{"In Horizontal Resolution: Value must be positive and more than 0.",
                              "Input Error", TMessageIcon::Information}));
  EXPECT_EQ(c.GetValue(), 0.0);

  ok = true;
  a.CheckValue(ok, "640", "Horizontal Resolution");
  EXPECT_TRUE(ok);
  EXPECT_EQ(a.GetValue(), 640);
}

TEST(ValueXMLTest, WriteAndReadElements) {
  TXMLComplexElement parent("Group");
  unitFactor(-2.25).WriteXML("Left", parent);
  unitIntegerPosMore(250).WriteXML("XResolution", parent);
  unitColor(0x00FF8000).WriteXML("Color", parent);
  unitColor(0x000000FF).WriteXML("Red", parent);
  const TXMLItem* left = parent.GetFirst();
  ASSERT_NE(left, nullptr);
  EXPECT_EQ(left->GetText(), "-2.25");
  EXPECT_EQ(left->Next()->GetText(), "250");
  EXPECT_EQ(left->Next()->Next()->GetText(), "FF8000");
  EXPECT_EQ(left->Next()->Next()->Next()->GetText(), "0000FF");

  TXMLStringElement element("MaxDepth", "0");
  element.Line = 12;
  element.Column = 14;
  unitIntegerPosMore depth(200);
  std::string message;
  int32_t line = 0, column = 0;
  EXPECT_FALSE(depth.ReadXML(element, message, line, column));
  EXPECT_EQ(message, "In MaxDepth: Value must be positive and more than 0.");
  EXPECT_EQ(line, 12);
  EXPECT_EQ(column, 14);
}

TEST(ValueXMLTest, ColoursReadAsHexadecimal) {
  unitColor color(7);
  std::string message;
  int32_t line = 0, column = 0;
  TXMLStringElement high("Color", "80000005");
  ASSERT_TRUE(color.ReadXML(high, message, line, column));
  EXPECT_EQ(color.GetValue(), 0x80000005u);
  TXMLStringElement lower("Color", "ff8000");
  ASSERT_TRUE(color.ReadXML(lower, message, line, column));
  EXPECT_EQ(color.GetValue(), 0xFF8000u);
  for (const char* bad : {"12G4", "-5", "+5", "0x12", "123456789", "1 2"}) {
    TXMLStringElement element("Color", bad);
    EXPECT_FALSE(color.ReadXML(element, message, line, column));
    EXPECT_EQ(message, std::string("In Color: Invalid Hexdecimal value: \"") + bad + "\".");
  }
  EXPECT_EQ(color.GetValue(), 0xFF8000u);
}

TEST(ValueXMLTest, RealValuesRoundTripThroughTheirText) {
  for (double x : {-0.744862, -0.122561, 1000.0, 0.0001, -1.5, 1.488, 7.6, 1e15, 2.5e-7}) {
    unitFactor value(x);
    unitFactor back;
    std::string message;
    ASSERT_TRUE(back.FromText(value.ToText(), "X", message)) << message;
    EXPECT_EQ(back.GetValue(), x) << value.ToText();
  }
}
