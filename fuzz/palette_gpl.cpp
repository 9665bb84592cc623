// The GIMP palette reader on any bytes (see PaletteChecks.h). A GIMP palette that loads is
// evenly spaced without hard steps, so the GIMP palette written from it reads back as the very
// same palette.

#include "fuzz/PaletteChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  TColorPalette1DItem palette(0, 0);
  if (!palette_checks::Check(ReadGplPalette, data, size, palette)) return 0;
  if (palette_checks::StopCount(palette) <= kGplMaxExactDivisions + 1) {
    TColorPalette1DItem back(0, 0);
    std::string message;
    FUZZ_CHECK(ReadGplPalette(WriteGplPalette(palette, "fuzz"), back, message), message);
    FUZZ_CHECK(back == palette, "a GIMP palette written and read again changes");
  }
  return 0;
}
