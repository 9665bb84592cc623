#include "render/QImageCanvas.h"

#include <gtest/gtest.h>

namespace {

constexpr TColor kRed = 0x0000FF;
constexpr TColor kBlue = 0xFF0000;
constexpr TColor kWhite = 0xFFFFFF;

QImage Blank(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(Qt::black);
  return image;
}

TColor At(const QImage& image, int x, int y) { return FromQRgb(image.pixel(x, y)); }

int CountColour(const QImage& image, TColor color) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += At(image, x, y) == color;
  return n;
}

}  // namespace

TEST(QImageCanvasTest, ColoursConvertBothWays) {
  EXPECT_EQ(ToQRgb(0xFF8000), qRgb(0, 128, 255));
  EXPECT_EQ(FromQRgb(qRgb(0, 128, 255)), 0xFF8000u);
}

TEST(QImageCanvasTest, PixelsAndRectanglesAreExactAndClipped) {
  QImage image = Blank(10, 10);
  {
    QImageCanvas canvas(image);
    canvas.SetPixel(3, 4, kRed);
    canvas.SetPixel(-1, 4, kRed);
    canvas.SetPixel(10, 10, kRed);
    canvas.SetBrushColor(kBlue);
    canvas.FillRect({5, 5, 8, 7});    // 3 x 2, right and bottom excluded
    canvas.FillRect({8, 8, 14, 14});  // partly outside
    canvas.FillRect({2, 2, 2, 9});    // empty
  }
  EXPECT_EQ(At(image, 3, 4), kRed);
  EXPECT_EQ(CountColour(image, kRed), 1);
  EXPECT_EQ(At(image, 5, 5), kBlue);
  EXPECT_EQ(At(image, 7, 6), kBlue);
  EXPECT_EQ(At(image, 8, 6), 0u);
  EXPECT_EQ(At(image, 7, 7), 0u);
  EXPECT_EQ(CountColour(image, kBlue), 6 + 4);
}

TEST(QImageCanvasTest, LinesLeaveOutTheirEndPoint) {
  QImage image = Blank(10, 10);
  {
    QImageCanvas canvas(image);
    canvas.SetPenColor(kWhite);
    canvas.MoveTo(1, 2);
    canvas.LineTo(6, 2);  // pixels 1..5 of row 2
    canvas.MoveTo(8, 1);
    canvas.LineTo(8, 4);  // pixels 1..3 of column 8
  }
  for (int x = 1; x <= 5; ++x) EXPECT_EQ(At(image, x, 2), kWhite) << x;
  EXPECT_EQ(At(image, 6, 2), 0u);
  EXPECT_EQ(At(image, 0, 2), 0u);
  for (int y = 1; y <= 3; ++y) EXPECT_EQ(At(image, 8, y), kWhite) << y;
  EXPECT_EQ(At(image, 8, 4), 0u);
  EXPECT_EQ(CountColour(image, kWhite), 8);
}

TEST(QImageCanvasTest, DottedLinesHaveGaps) {
  QImage image = Blank(40, 3);
  {
    QImageCanvas canvas(image);
    canvas.SetPenColor(kWhite);
    canvas.SetPenStyle(TPenStyle::Dot);
    canvas.MoveTo(0, 1);
    canvas.LineTo(40, 1);
  }
  const int lit = CountColour(image, kWhite);
  EXPECT_GT(lit, 5);
  EXPECT_LT(lit, 30);
}

TEST(QImageCanvasTest, EllipsesStayInsideTheirBox) {
  QImage image = Blank(20, 20);
  {
    QImageCanvas canvas(image);
    canvas.SetPenColor(kWhite);
    canvas.SetBrushColor(kRed);
    canvas.Ellipse(4, 4, 11, 11);
  }
  int inside = 0;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) {
      const bool painted = At(image, x, y) != 0u;
      if (x < 4 || y < 4 || x >= 11 || y >= 11) {
        EXPECT_FALSE(painted) << x << "," << y;
      } else {
        inside += painted;
      }
    }
  }
  EXPECT_GT(inside, 20);
  EXPECT_EQ(At(image, 7, 7), kRed);
  EXPECT_EQ(At(image, 4, 7), kWhite);
}
