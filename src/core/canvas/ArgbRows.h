#pragma once

#include <cstdint>

#include "core/values/TColor.h"

// Pictures stored row by row in 32-bit pixels 0xFFRRGGBB: opaque ARGB, the layout of the
// screen's images.
inline uint32_t ToOpaqueArgb(TColor color) {
  return 0xFF000000u | (color & 0x00FF00u) | (color & 0xFFu) << 16 | (color >> 16 & 0xFFu);
}

inline TColor FromOpaqueArgb(uint32_t pixel) {
  return (pixel >> 16 & 0xFFu) | (pixel & 0x00FF00u) | (pixel & 0xFFu) << 16;
}

// Writes columns x rows colours, stored column after column (colour (i, j) at
// colours[i * columnStride + j]), as pixels row after row: pixel (i, j) goes to
// pixels[j * rowStride + i].
void TransposeToArgbRows(const TColor* colours, int64_t columnStride, int32_t columns, int32_t rows,
                         uint32_t* pixels, int64_t rowStride);
