#include "render/QImageCanvas.h"

#include <QPen>

QImageCanvas::QImageCanvas(QImage& image) : m_image(image) {
  Q_ASSERT(image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32);
  m_painter.begin(&m_image);
  m_painter.setRenderHint(QPainter::Antialiasing, false);
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

void QImageCanvas::SetPenColor(TColor color) {
  m_penColor = QColor::fromRgb(ToQRgb(color));
  ApplyPen();
}

void QImageCanvas::SetPenStyle(TPenStyle style) {
  m_penStyle = style;
  ApplyPen();
}

void QImageCanvas::SetBrushColor(TColor color) {
  m_brushColor = QColor::fromRgb(ToQRgb(color));
  m_painter.setBrush(m_brushColor);
}

void QImageCanvas::SetPixel(int32_t x, int32_t y, TColor color) {
  if (x < 0 || y < 0 || x >= m_image.width() || y >= m_image.height()) return;
  reinterpret_cast<QRgb*>(m_image.scanLine(y))[x] = ToQRgb(color);
}

void QImageCanvas::MoveTo(int32_t x, int32_t y) { m_penPosition = QPoint(x, y); }

void QImageCanvas::LineTo(int32_t x, int32_t y) {
  const QPoint end(x, y);
  if (end != m_penPosition) m_painter.drawLine(m_penPosition, end);
  m_penPosition = end;
}

void QImageCanvas::FillRect(const TRect& rect) {
  if (rect.IsEmpty()) return;
  m_painter.fillRect(QRect(rect.left, rect.top, rect.Width(), rect.Height()), m_brushColor);
}

void QImageCanvas::Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  if (x2 <= x1 || y2 <= y1) return;
  // The outline runs inside the box, whose right and bottom edges are excluded.
  m_painter.drawEllipse(QRectF(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
}
