#pragma once

#include <cstdint>

#include "core/values/TColor.h"

// A rectangle in pixels; right and bottom are exclusive.
struct TRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool operator==(const TRect&) const = default;
};

enum class TPenStyle { Solid, Dot };

// The drawing operations the colouring and the orbit points need, and nothing more. The
// pen draws lines and outlines, the brush fills rectangles and ellipses; a line from the
// pen position to (x, y) leaves out its end point, and rectangles and ellipse boxes exclude
// their right and bottom edges.
class TCanvas {
 public:
  virtual ~TCanvas() = default;

  virtual void SetPenColor(TColor color) = 0;
  virtual void SetPenStyle(TPenStyle style) = 0;
  virtual void SetBrushColor(TColor color) = 0;

  virtual void SetPixel(int32_t x, int32_t y, TColor color) = 0;
  // Sets count pixels of row y from x rightwards to colors[0 .. count-1].
  virtual void SetPixels(int32_t x, int32_t y, const TColor* colors, int32_t count) {
    for (int32_t i = 0; i < count; ++i) SetPixel(x + i, y, colors[i]);
  }
  // Sets the block of columns x rows pixels from (x, y) to colours laid out column by column
  // as the results of a grid are: pixel (x + i, y + j) to colors[i * columnStride + j].
  virtual void SetPixelColumns(int32_t x, int32_t y, int32_t columns, int32_t rows,
                               const TColor* colors, int64_t columnStride) {
    for (int32_t i = 0; i < columns; ++i) {
      for (int32_t j = 0; j < rows; ++j) SetPixel(x + i, y + j, colors[i * columnStride + j]);
    }
  }
  // Whether SetPixels writes straight into the canvas's memory, so that whole rows of
  // pixels are the cheapest way to paint many cells.
  virtual bool HasPixelRows() const { return false; }
  virtual void MoveTo(int32_t x, int32_t y) = 0;
  virtual void LineTo(int32_t x, int32_t y) = 0;
  // Fills rect with the brush colour.
  virtual void FillRect(const TRect& rect) = 0;
  // An ellipse in the box (x1, y1)-(x2, y2), outlined with the pen and filled with the brush.
  virtual void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
};
