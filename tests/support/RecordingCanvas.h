#pragma once

#include <string>
#include <vector>

#include "core/canvas/TCanvas.h"

// A canvas that records every drawing operation with the pen or brush colour it used, as
// lines of text such as "line 1,2-6,2 FFFFFF solid", "pixel 3,4 0000FF", "fill 0,0-2,2 FF8000",
// "ellipse 1,1-7,7 pen FFFFFF brush 000000".
class TRecordingCanvas : public TCanvas {
 public:
  void SetPenColor(TColor color) override { m_pen = color; }
  void SetPenStyle(TPenStyle style) override { m_style = style; }
  void SetBrushColor(TColor color) override { m_brush = color; }
  void SetPixel(int32_t x, int32_t y, TColor color) override;
  void MoveTo(int32_t x, int32_t y) override {
    m_x = x;
    m_y = y;
  }
  void LineTo(int32_t x, int32_t y) override;
  void FillRect(const TRect& rect) override;
  void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;

  const std::vector<std::string>& Operations() const { return m_operations; }
  // The operations whose text starts with prefix.
  std::vector<std::string> OperationsStartingWith(const std::string& prefix) const;
  void Clear() { m_operations.clear(); }

  static std::string Hex(TColor color);

 private:
  std::vector<std::string> m_operations;
  TColor m_pen = 0;
  TColor m_brush = 0xFFFFFF;
  TPenStyle m_style = TPenStyle::Solid;
  int32_t m_x = 0, m_y = 0;
};
