#include "core/fractal/TFractProps.h"

#include "core/report/Assert.h"

TFormulaNames::TFormulaNames() {
  for (int i = 0; i < kFormulaCount; ++i) {
    m_names[i] = std::string(FormulaTable[i].Key);
  }
}

const std::string& TFormulaNames::operator[](int index) const {
  VELMORA_ASSERT(index >= 0 && index < kFormulaCount, "index >= 0 && index < 13");
  return m_names[index];
}

std::complex<double> PixelPoint(const TFractProps& props, int32_t x, int32_t y) {
  return {MapPixel(props.Left.GetValue(), props.Right.GetValue(), x, props.XResolution.GetValue()),
          MapPixel(props.Top.GetValue(), props.Bottom.GetValue(), y, props.YResolution.GetValue())};
}
