#include "render/QImageCanvas.h"

#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/colour/FractalColouring.h"
#include "core/colour/TVoldViewProps.h"
#include "core/fractal/TFractArray.h"

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

namespace {

// Forwards to a QImageCanvas without its rows of pixels, so the colouring draws cell by cell.
class TCellByCellCanvas : public TCanvas {
 public:
  explicit TCellByCellCanvas(QImage& image) : m_canvas(image) {}
  void SetPenColor(TColor color) override { m_canvas.SetPenColor(color); }
  void SetPenStyle(TPenStyle style) override { m_canvas.SetPenStyle(style); }
  void SetBrushColor(TColor color) override { m_canvas.SetBrushColor(color); }
  void SetPixel(int32_t x, int32_t y, TColor color) override { m_canvas.SetPixel(x, y, color); }
  void MoveTo(int32_t x, int32_t y) override { m_canvas.MoveTo(x, y); }
  void LineTo(int32_t x, int32_t y) override { m_canvas.LineTo(x, y); }
  void FillRect(const TRect& rect) override { m_canvas.FillRect(rect); }
  void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override {
    m_canvas.Ellipse(x1, y1, x2, y2);
  }

 private:
  QImageCanvas m_canvas;
};

}  // namespace

TEST(QImageCanvasTest, RowsOfPixelsPaintResultsAsCellByCellDoes) {
  TVoldViewProps settings;
  settings.StrengthOutside.SetValue(1.0);
  struct TCase {
    int32_t columns, rows, done;
    TRect update, client;
  };
  const TCase cases[] = {
      {100, 60, 100, {0, 0, 100, 60}, {0, 0, 100, 60}},   // one pixel a cell
      {37, 23, 37, {0, 0, 100, 60}, {0, 0, 100, 60}},     // cells of uneven sizes
      {250, 170, 250, {0, 0, 100, 60}, {0, 0, 100, 60}},  // more cells than pixels
      {41, 29, 30, {13, 7, 77, 51}, {0, 0, 100, 60}},     // part, not all computed
      {9, 7, 9, {0, 0, 100, 60}, {-3, -5, 97, 55}},       // the client beside the image
      {67, 41, 67, {0, 0, 100, 60}, {-1, -1, 99, 59}},
      {100, 60, 57, {13, 7, 77, 51}, {0, 0, 100, 60}},    // one pixel a cell, in part
      {100, 60, 100, {0, 0, 100, 60}, {-3, -5, 97, 55}},  // one pixel a cell, shifted
      {37, 23, 37, {0, 0, 100, 60}, {0, 0, 37, 23}},      // neither a multiple of 4
  };
  for (const TCase& c : cases) {
    TFractArray results(c.columns, c.rows);
    // Every cell different, with runs of equal ones, and inside cells with cycles.
    for (int32_t x = 0; x < c.columns; ++x) {
      for (int32_t y = 0; y < c.rows; ++y) {
        const int32_t k = (x * 7 + y * 3) % 11;
        results.SetDepth(x, y, k == 0 ? 0.0f : (k < 8 ? k / 8.0f : -0.5f));
        results.SetCycle(x, y, k < 8 ? 0 : k - 7);
      }
    }
    results.SetColumnsDone(c.done);
    QImage rows = Blank(100, 60);
    QImage cells = Blank(100, 60);
    {
      QImageCanvas canvas(rows);
      PaintFractalRect(canvas, c.update, c.client, &results, settings, 3);
      TCellByCellCanvas reference(cells);
      PaintFractalRect(reference, c.update, c.client, &results, settings, 3);
    }
    EXPECT_EQ(rows, cells) << c.columns << " x " << c.rows;
    EXPECT_NE(rows, Blank(100, 60)) << c.columns << " x " << c.rows;

    // Colours made beforehand paint the same picture; where a cell has a pixel of its own
    // they go into the image as one block. Columns not yet computed hold no colours.
    std::vector<TColor> colours(static_cast<size_t>(c.columns) * c.rows, 0x123456);
    ColourColumns(results, 0, c.done, settings, 3, colours.data());
    QImage fromColours = Blank(100, 60);
    QImage fromColoursCells = Blank(100, 60);
    {
      QImageCanvas canvas(fromColours);
      PaintFractalRect(canvas, c.update, c.client, &results, settings, 3, colours.data());
      TCellByCellCanvas reference(fromColoursCells);
      PaintFractalRect(reference, c.update, c.client, &results, settings, 3, colours.data());
    }
    EXPECT_EQ(fromColours, cells) << c.columns << " x " << c.rows;
    EXPECT_EQ(fromColoursCells, cells) << c.columns << " x " << c.rows;

    // So does a picture of the grid made beforehand.
    const int64_t stride = c.columns + 5;
    std::vector<uint32_t> picture(static_cast<size_t>(stride) * c.rows, 0x12345678);
    ColourColumnsToRows(results, 0, c.done, settings, 3, picture.data(), stride);
    const TCellPixels pixels{picture.data(), stride};
    QImage fromPicture = Blank(100, 60);
    {
      QImageCanvas canvas(fromPicture);
      PaintFractalRect(canvas, c.update, c.client, &results, settings, 3, nullptr, &pixels);
    }
    EXPECT_EQ(fromPicture, cells) << c.columns << " x " << c.rows;
  }
}

TEST(QImageCanvasTest, BlocksOfColumnsAreTransposedAndClipped) {
  // A block given column by column, with a column stride longer than the block, placed at
  // every offset around the edges of an image whose sides are no multiple of the tiles.
  constexpr int32_t kColumns = 23, kRows = 19, kStride = 21;
  std::vector<TColor> colours(kColumns * kStride);
  for (size_t i = 0; i < colours.size(); ++i)
    colours[i] = static_cast<TColor>(i * 2654435761u) & 0xFFFFFF;
  for (const auto& [x, y] : {std::pair{0, 0}, {-5, -3}, {30, 20}, {-25, 0}, {7, -20}}) {
    QImage block = Blank(37, 29);
    QImage pixels = Blank(37, 29);
    {
      QImageCanvas canvas(block);
      canvas.SetPixelColumns(x, y, kColumns, kRows, colours.data(), kStride);
      QImageCanvas reference(pixels);
      for (int32_t i = 0; i < kColumns; ++i) {
        for (int32_t j = 0; j < kRows; ++j)
          reference.SetPixel(x + i, y + j, colours[i * kStride + j]);
      }
    }
    EXPECT_EQ(block, pixels) << x << ", " << y;
  }
}
