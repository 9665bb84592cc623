#include "core/values/TColor.h"

#include <limits>

#include <gtest/gtest.h>

TEST(TColorTest, ChannelsSitRedLowBlueHigh) {
  const TColor color = MakeColor(0x12, 0x34, 0x56);
  EXPECT_EQ(color, 0x563412u);
  EXPECT_EQ(ColorRed(color), 0x12);
  EXPECT_EQ(ColorGreen(color), 0x34);
  EXPECT_EQ(ColorBlue(color), 0x56);
  // The top byte of a stored value belongs to no channel.
  EXPECT_EQ(ColorBlue(0x80FF0000u), 0xFF);
}

TEST(MixColorsTest, EndsGiveTheColoursExactly) {
  const TColor a = MakeColor(1, 2, 3);
  const TColor b = MakeColor(250, 128, 7);
  EXPECT_EQ(MixColors(a, b, 0.0), a);
  EXPECT_EQ(MixColors(a, b, 1.0), b);
  // The top byte is not carried into the mix.
  EXPECT_EQ(MixColors(0x80000005u, b, 0.0), 0x000005u);
}

TEST(MixColorsTest, EachChannelIsTruncatedOnItsOwn) {
  // 255 * 0.5 = 127.5 in every channel.
  EXPECT_EQ(MixColors(0x000000, 0xFFFFFF, 0.5), 0x7F7F7Fu);
  // Red falls, green rises, blue stays: 200 * 0.75 = 150, 100 * 0.25 = 25, 9.
  EXPECT_EQ(MixColors(MakeColor(200, 0, 9), MakeColor(0, 100, 9), 0.25),
            MakeColor(150, 25, 9));
  // 10 * (1 - 1/3) + 20 / 3 = 13.33.. gives 13, not 14.
  EXPECT_EQ(ColorRed(MixColors(MakeColor(10, 0, 0), MakeColor(20, 0, 0), 1.0 / 3)), 13);
}

TEST(MixColorsTest, WeightsOutsideTheRangeStayWithinTheChannel) {
  EXPECT_EQ(MixColors(0x000000, 0x0000FF, 2.0), 0x0000FFu);
  EXPECT_EQ(MixColors(0x00FF00, 0x000000, -1.0), 0x00FF00u);
  EXPECT_EQ(MixColors(0xFFFFFF, 0xFFFFFF, std::numeric_limits<double>::quiet_NaN()), 0x000000u);
}
