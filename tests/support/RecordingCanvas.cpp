#include "tests/support/RecordingCanvas.h"

#include <cstdio>

std::string TRecordingCanvas::Hex(TColor color) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%06X", static_cast<unsigned>(color));
  return buffer;
}

namespace {
std::string Point(int32_t x, int32_t y) { return std::to_string(x) + "," + std::to_string(y); }
}  // namespace

void TRecordingCanvas::SetPixel(int32_t x, int32_t y, TColor color) {
  m_operations.push_back("pixel " + Point(x, y) + " " + Hex(color));
}

void TRecordingCanvas::LineTo(int32_t x, int32_t y) {
  m_operations.push_back("line " + Point(m_x, m_y) + "-" + Point(x, y) + " " + Hex(m_pen) +
                         (m_style == TPenStyle::Solid ? " solid" : " dot"));
  m_x = x;
  m_y = y;
}

void TRecordingCanvas::FillRect(const TRect& rect) {
  m_operations.push_back("fill " + Point(rect.left, rect.top) + "-" + Point(rect.right, rect.bottom) +
                         " " + Hex(m_brush));
}

void TRecordingCanvas::Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  m_operations.push_back("ellipse " + Point(x1, y1) + "-" + Point(x2, y2) + " pen " + Hex(m_pen) +
                         " brush " + Hex(m_brush));
}

std::vector<std::string> TRecordingCanvas::OperationsStartingWith(const std::string& prefix) const {
  std::vector<std::string> result;
  for (const std::string& op : m_operations)
    if (op.rfind(prefix, 0) == 0) result.push_back(op);
  return result;
}
