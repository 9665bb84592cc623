#pragma once

#include <QImage>
#include <QPainter>

#include "core/canvas/TCanvas.h"

// The colour of a TColor (0x00BBGGRR) for Qt.
inline QRgb ToQRgb(TColor color) { return qRgb(ColorRed(color), ColorGreen(color), ColorBlue(color)); }
inline TColor FromQRgb(QRgb rgb) {
  return MakeColor(static_cast<uint8_t>(qRed(rgb)), static_cast<uint8_t>(qGreen(rgb)),
                   static_cast<uint8_t>(qBlue(rgb)));
}

// A canvas that paints into a QImage of format RGB32. Single pixels are written straight
// into the image; lines, rectangles and ellipses go through one QPainter kept open for the
// canvas's lifetime. Everything outside the image is clipped.
class QImageCanvas : public TCanvas {
 public:
  explicit QImageCanvas(QImage& image);
  ~QImageCanvas() override;
  QImageCanvas(const QImageCanvas&) = delete;
  QImageCanvas& operator=(const QImageCanvas&) = delete;

  void SetPenColor(TColor color) override;
  void SetPenStyle(TPenStyle style) override;
  void SetBrushColor(TColor color) override;
  void SetPixel(int32_t x, int32_t y, TColor color) override;
  void SetPixels(int32_t x, int32_t y, const TColor* colors, int32_t count) override;
  void SetPixelColumns(int32_t x, int32_t y, int32_t columns, int32_t rows, const TColor* colors,
                       int64_t columnStride) override;
  bool HasPixelRows() const override { return true; }
  void MoveTo(int32_t x, int32_t y) override;
  void LineTo(int32_t x, int32_t y) override;
  void FillRect(const TRect& rect) override;
  void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;

 private:
  void ApplyPen();
  void SyncPainter();
  void FillSpan(int32_t left, int32_t top, int32_t right, int32_t bottom, QRgb rgb);

  QImage& m_image;
  uchar* m_bits = nullptr;
  qsizetype m_stride = 0;
  int32_t m_width = 0;
  int32_t m_height = 0;
  QPainter m_painter;
  QColor m_penColor{Qt::black};
  TPenStyle m_penStyle = TPenStyle::Solid;
  QColor m_brushColor{Qt::white};
  QPoint m_penPosition{0, 0};
  QRgb m_penRgb = 0;
  QRgb m_brushRgb = 0;
  bool m_penDirty = false;
  bool m_brushDirty = false;
};
