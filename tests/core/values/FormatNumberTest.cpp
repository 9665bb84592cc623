#include "core/values/FormatNumber.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <random>

#include <gtest/gtest.h>

TEST(FormatSignificantTest, GivesTheShortestPlainText) {
  EXPECT_EQ(FormatSignificant(2.25, 99, true), "2.25");
  EXPECT_EQ(FormatSignificant(-0.001, 99, true), "-0.001");
  EXPECT_EQ(FormatSignificant(1000, 99, true), "1000");
  EXPECT_EQ(FormatSignificant(0.1, 99, true), "0.1");
  EXPECT_EQ(FormatSignificant(0, 99, true), "0");
  EXPECT_EQ(FormatSignificant(1.0 / 3, 99, true), "0.333333333333333");
  EXPECT_EQ(FormatSignificant(-0.744862, 99, true), "-0.744862");
  EXPECT_EQ(FormatSignificant(0.0001, 99, true), "0.0001");
}

TEST(FormatSignificantTest, IntegersKeepAllDigits) {
  EXPECT_EQ(FormatSignificant(250, 7, true), "250");
  EXPECT_EQ(FormatSignificant(-7, 7, true), "-7");
  EXPECT_EQ(FormatSignificant(2147483647, 7, true), "2147483647");
  EXPECT_EQ(FormatSignificant(-2147483648.0, 7, true), "-2147483648");
  EXPECT_EQ(FormatSignificant(1234567, 7, true), "1234567");
}

TEST(FormatSignificantTest, PrecisionLimitsFractionDigits) {
  EXPECT_EQ(FormatSignificant(0.25, 7, true), "0.25");
  EXPECT_EQ(FormatSignificant(1.23456789, 7, true), "1.234567");
  // Without trimming the fraction is padded to its full width.
  EXPECT_EQ(FormatSignificant(1.5, 4, false), "1.500");
}

TEST(FormatDoubleTest, DigitsAreExactWhereRepeatedScalingDrifts) {
  EXPECT_EQ(FormatSignificant(7.6, 99, true), "7.6");
  EXPECT_EQ(FormatSignificant(936300, 99, true), "936300");
  EXPECT_EQ(FormatSignificant(0.3, 99, true), "0.3");
  EXPECT_EQ(FormatSignificant(1.1, 99, true), "1.1");
  EXPECT_EQ(FormatSignificant(123456.789, 99, true), "123456.789");
}

TEST(FormatDoubleTest, LargeValuesKeepTheirIntegerDigits) {
  EXPECT_EQ(FormatSignificant(1e15, 99, true), "1000000000000000");
  EXPECT_EQ(FormatSignificant(123456789012345678.0, 99, true), "123456789012345680");
  EXPECT_EQ(FormatSignificant(1e20, 99, true), "100000000000000000000");
  EXPECT_EQ(FormatSignificant(-4.5e16, 99, true), "-45000000000000000");
}

TEST(FormatDoubleTest, PaddingAndMinimumFractionDigits) {
  EXPECT_EQ(FormatDouble(3.5, 3, 0, 5), "003.5");
  EXPECT_EQ(FormatDouble(3.5, 1, 3, 5), "3.500");
  EXPECT_EQ(FormatDouble(3, 1, 2, 2), "3.00");
  EXPECT_EQ(FormatDouble(0.05, 1, 0, 1), "0");
  EXPECT_EQ(FormatDouble(-0.05, 1, 0, 1), "0");
  EXPECT_EQ(FormatDouble(0.05, 1, 0, 2), "0.05");
  EXPECT_EQ(FormatDouble(12.0, 1, 0, 0), "12");
}

TEST(FormatDoubleTest, DroppedDigitsAreCutAfterAddingATenthOfTheLastPlace) {
  EXPECT_EQ(FormatDouble(2.25, 1, 0, 1), "2.2");
  EXPECT_EQ(FormatDouble(2.28, 1, 0, 1), "2.2");
  EXPECT_EQ(FormatDouble(2.29, 1, 0, 1), "2.3");
  EXPECT_EQ(FormatDouble(2.299, 1, 0, 2), "2.3");
  EXPECT_EQ(FormatDouble(9.99, 1, 0, 1), "10");
  EXPECT_EQ(FormatDouble(2.0 / 3, 1, 0, 99), "0.666666666666666");
}

TEST(FormatDoubleTest, FifteenDigitValuesRoundTrip) {
  std::mt19937_64 random(42);
  std::uniform_int_distribution<int64_t> mantissa(1, 999999999999999);
  std::uniform_int_distribution<int> exponent(-25, 10);
  for (int i = 0; i < 20000; ++i) {
    const std::string digits = std::to_string(mantissa(random)) + "e" + std::to_string(exponent(random));
    double x = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), x);
    const std::string text = FormatSignificant(x, 99, true);
    ASSERT_EQ(text.find('e'), std::string::npos) << text;
    double back = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), back);
    ASSERT_EQ(result.ptr, text.data() + text.size()) << text;
    ASSERT_EQ(back, x) << digits << " written as " << text;
  }
}
