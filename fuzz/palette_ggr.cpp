// The GIMP gradient reader on any bytes (see PaletteChecks.h): segments of every blending
// function and colouring type, drift, gaps and zero widths.

#include "fuzz/PaletteChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  TColorPalette1DItem palette(0, 0);
  palette_checks::Check(ReadGgrPalette, data, size, palette);
  return 0;
}
