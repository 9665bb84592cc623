// The Fractint map reader on any bytes (see PaletteChecks.h). A map gives at most 256
// colours; one of 256 written again reads back as the very same palette.

#include "fuzz/PaletteChecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  TColorPalette1DItem palette(0, 0);
  if (!palette_checks::Check(ReadMapPalette, data, size, palette)) return 0;
  const int stops = palette_checks::StopCount(palette);
  FUZZ_CHECK(stops <= 256, "a map gives at most 256 colours");
  if (stops == 256) {
    TColorPalette1DItem back(0, 0);
    std::string message;
    FUZZ_CHECK(ReadMapPalette(WriteMapPalette(palette), back, message), message);
    FUZZ_CHECK(back == palette, "a map written and read again changes");
  }
  return 0;
}
