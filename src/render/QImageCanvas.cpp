#include "render/QImageCanvas.h"

#include <algorithm>

#include <QPen>

#include "core/canvas/ArgbRows.h"

QImageCanvas::QImageCanvas(QImage& image) : m_image(image) {
  Q_ASSERT(image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32);
  // Single pixels go straight into the image's memory, taken once (bits() detaches).
  m_bits = m_image.bits();
  m_stride = m_image.bytesPerLine();
  m_width = m_image.width();
  m_height = m_image.height();
  m_painter.begin(&m_image);
  m_painter.setRenderHint(QPainter::Antialiasing, false);
  m_penRgb = m_penColor.rgb();
  m_brushRgb = m_brushColor.rgb();
  ApplyPen();
  m_painter.setBrush(m_brushColor);
}

QImageCanvas::~QImageCanvas() { m_painter.end(); }

void QImageCanvas::ApplyPen() {
  // A cosmetic one-pixel pen with flat caps leaves out the end point of a line.
  QPen pen(m_penColor, 0, m_penStyle == TPenStyle::Dot ? Qt::DotLine : Qt::SolidLine,
           Qt::FlatCap);
  m_painter.setPen(pen);
}

// The pen and brush reach the painter only when it draws: the colouring changes colours for
// every cell and mostly draws without it.
void QImageCanvas::SetPenColor(TColor color) {
  m_penRgb = ToQRgb(color);
  m_penDirty = true;
}

void QImageCanvas::SetPenStyle(TPenStyle style) {
  m_penStyle = style;
  m_penDirty = true;
}

void QImageCanvas::SetBrushColor(TColor color) {
  m_brushRgb = ToQRgb(color);
  m_brushDirty = true;
}

void QImageCanvas::SyncPainter() {
  if (m_penDirty) {
    m_penColor = QColor::fromRgb(m_penRgb);
    ApplyPen();
    m_penDirty = false;
  }
  if (m_brushDirty) {
    m_brushColor = QColor::fromRgb(m_brushRgb);
    m_painter.setBrush(m_brushColor);
    m_brushDirty = false;
  }
}

void QImageCanvas::FillSpan(int32_t left, int32_t top, int32_t right, int32_t bottom, QRgb rgb) {
  // right and bottom exclusive, clipped to the image.
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, m_width);
  bottom = std::min(bottom, m_height);
  for (int32_t y = top; y < bottom; ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(m_bits + static_cast<qsizetype>(y) * m_stride);
    std::fill(line + left, line + right, rgb);
  }
}

void QImageCanvas::SetPixel(int32_t x, int32_t y, TColor color) {
  if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
  reinterpret_cast<QRgb*>(m_bits + static_cast<qsizetype>(y) * m_stride)[x] = ToQRgb(color);
}

void QImageCanvas::SetPixels(int32_t x, int32_t y, const TColor* colors, int32_t count) {
  if (y < 0 || y >= m_height) return;
  const int32_t from = std::max(x, 0);
  const int32_t to = std::min(x + count, m_width);
  QRgb* line = reinterpret_cast<QRgb*>(m_bits + static_cast<qsizetype>(y) * m_stride);
  const TColor* source = colors - x;
  // A form of ToQRgb the compiler turns into vector instructions.
  for (int32_t i = from; i < to; ++i) line[i] = ToOpaqueArgb(source[i]);
}

void QImageCanvas::SetPixelColumns(int32_t x, int32_t y, int32_t columns, int32_t rows,
                                   const TColor* colors, int64_t columnStride) {
  // Clipped to the image first.
  const int32_t left = std::max(x, 0), right = std::min(x + columns, m_width);
  const int32_t top = std::max(y, 0), bottom = std::min(y + rows, m_height);
  if (left >= right || top >= bottom) return;
  // RGB32 pixels are opaque ARGB; the image's rows are whole numbers of pixels long.
  TransposeToArgbRows(
      colors + (int64_t{left} - x) * columnStride + (top - y), columnStride, right - left,
      bottom - top,
      reinterpret_cast<uint32_t*>(m_bits + static_cast<qsizetype>(top) * m_stride) + left,
      m_stride / 4);
}

void QImageCanvas::MoveTo(int32_t x, int32_t y) { m_penPosition = QPoint(x, y); }

void QImageCanvas::LineTo(int32_t x, int32_t y) {
  const QPoint start = m_penPosition;
  const QPoint end(x, y);
  m_penPosition = end;
  if (end == start) return;
  // Solid lines along an axis are the colouring's: written straight into the image, the end
  // point left out as for every line.
  if (m_penStyle == TPenStyle::Solid && (start.x() == x || start.y() == y)) {
    if (start.y() == y) {
      const int32_t from = x > start.x() ? start.x() : x + 1;
      const int32_t to = x > start.x() ? x : start.x() + 1;
      if (y >= 0 && y < m_height) FillSpan(from, y, to, y + 1, m_penRgb);
    } else {
      const int32_t from = y > start.y() ? start.y() : y + 1;
      const int32_t to = y > start.y() ? y : start.y() + 1;
      if (x >= 0 && x < m_width) FillSpan(x, from, x + 1, to, m_penRgb);
    }
    return;
  }
  SyncPainter();
  m_painter.drawLine(start, end);
}

void QImageCanvas::FillRect(const TRect& rect) {
  if (rect.IsEmpty()) return;
  FillSpan(rect.left, rect.top, rect.right, rect.bottom, m_brushRgb);
}

void QImageCanvas::Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  if (x2 <= x1 || y2 <= y1) return;
  SyncPainter();
  // The outline runs inside the box, whose right and bottom edges are excluded.
  m_painter.drawEllipse(QRectF(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
}
