#include "render/QImageCanvas.h"

#include <algorithm>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <QPen>

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
  // ToQRgb for many pixels, in a form the compiler turns into vector instructions: the
  // bytes BBGGRR become RRGGBB under an opaque alpha.
  for (int32_t i = from; i < to; ++i) {
    const uint32_t c = source[i];
    line[i] = 0xFF000000u | (c & 0x00FF00u) | (c & 0xFFu) << 16 | (c >> 16 & 0xFFu);
  }
}

void QImageCanvas::SetPixelColumns(int32_t x, int32_t y, int32_t columns, int32_t rows,
                                   const TColor* colors, int64_t columnStride) {
  // Clipped to the image first, so the loops below need no tests.
  const int32_t left = std::max(x, 0), right = std::min(x + columns, m_width);
  const int32_t top = std::max(y, 0), bottom = std::min(y + rows, m_height);
  const auto source = [&](int32_t px, int32_t py) {
    return colors + (int64_t{px} - x) * columnStride + (py - y);
  };
  const auto line = [&](int32_t py) {
    return reinterpret_cast<QRgb*>(m_bits + static_cast<qsizetype>(py) * m_stride);
  };
  // Tiles of 16 x 16 pixels: the colours of a tile lie in one cache line of each of its
  // columns, its pixels in one cache line of each of its rows.
  constexpr int32_t kTile = 16;
  for (int32_t tileLeft = left; tileLeft < right; tileLeft += kTile) {
    const int32_t tileRight = std::min(tileLeft + kTile, right);
    for (int32_t tileTop = top; tileTop < bottom; tileTop += kTile) {
      const int32_t tileBottom = std::min(tileTop + kTile, bottom);
      int32_t px = tileLeft;
#ifdef __SSE2__
      // Four columns and four rows at a time: four vectors of a column's colours are
      // transposed into four rows of pixels.
      const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
      const __m128i green = _mm_set1_epi32(0x00FF00);
      const __m128i low = _mm_set1_epi32(0xFF);
      const auto toRgb = [&](__m128i c) {
        return _mm_or_si128(_mm_or_si128(alpha, _mm_and_si128(c, green)),
                            _mm_or_si128(_mm_slli_epi32(_mm_and_si128(c, low), 16),
                                         _mm_and_si128(_mm_srli_epi32(c, 16), low)));
      };
      for (; px + 4 <= tileRight; px += 4) {
        int32_t py = tileTop;
        for (; py + 4 <= tileBottom; py += 4) {
          const TColor* s = source(px, py);
          const __m128i c0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
          const __m128i c1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + columnStride));
          const __m128i c2 =
              _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 2 * columnStride));
          const __m128i c3 =
              _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 3 * columnStride));
          const __m128i t0 = _mm_unpacklo_epi32(c0, c1);
          const __m128i t1 = _mm_unpacklo_epi32(c2, c3);
          const __m128i t2 = _mm_unpackhi_epi32(c0, c1);
          const __m128i t3 = _mm_unpackhi_epi32(c2, c3);
          _mm_storeu_si128(reinterpret_cast<__m128i*>(line(py) + px),
                           toRgb(_mm_unpacklo_epi64(t0, t1)));
          _mm_storeu_si128(reinterpret_cast<__m128i*>(line(py + 1) + px),
                           toRgb(_mm_unpackhi_epi64(t0, t1)));
          _mm_storeu_si128(reinterpret_cast<__m128i*>(line(py + 2) + px),
                           toRgb(_mm_unpacklo_epi64(t2, t3)));
          _mm_storeu_si128(reinterpret_cast<__m128i*>(line(py + 3) + px),
                           toRgb(_mm_unpackhi_epi64(t2, t3)));
        }
        for (; py < tileBottom; ++py) {
          for (int32_t k = 0; k < 4; ++k) line(py)[px + k] = ToQRgb(*source(px + k, py));
        }
      }
#endif
      for (; px < tileRight; ++px) {
        for (int32_t py = tileTop; py < tileBottom; ++py) line(py)[px] = ToQRgb(*source(px, py));
      }
    }
  }
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
