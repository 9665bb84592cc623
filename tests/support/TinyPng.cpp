#include "tests/support/TinyPng.h"

#include "core/documents/PictureFractal.h"

std::string TinyPng(const std::string& between) {
  const std::string header("\0\0\0\1\0\0\0\1\x08\x02\0\0\0", 13);
  return std::string("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", header) + between +
         PngChunk("IEND", "");
}

std::string TinyPngCarrying(const std::string& fractalBytes) {
  std::string out;
  std::string error;
  EmbedFractal(TinyPng(), fractalBytes, out, error);
  return out;
}
