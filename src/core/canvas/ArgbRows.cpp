#include "core/canvas/ArgbRows.h"

#include <algorithm>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

void TransposeToArgbRows(const TColor* colours, int64_t columnStride, int32_t columns, int32_t rows,
                         uint32_t* pixels, int64_t rowStride) {
  const auto source = [&](int32_t i, int32_t j) { return colours + i * columnStride + j; };
  const auto target = [&](int32_t i, int32_t j) { return pixels + j * rowStride + i; };
  // Tiles of 16 x 16 pixels: the colours of a tile lie in one cache line of each of its
  // columns, its pixels in one cache line of each of its rows.
  constexpr int32_t kTile = 16;
  for (int32_t tileLeft = 0; tileLeft < columns; tileLeft += kTile) {
    const int32_t tileRight = std::min(tileLeft + kTile, columns);
    for (int32_t tileTop = 0; tileTop < rows; tileTop += kTile) {
      const int32_t tileBottom = std::min(tileTop + kTile, rows);
      int32_t i = tileLeft;
#ifdef __SSE2__
      // Four columns and four rows at a time: four vectors of a column's colours are
      // transposed into four rows of pixels.
      const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
      const __m128i green = _mm_set1_epi32(0x00FF00);
      const __m128i low = _mm_set1_epi32(0xFF);
      const auto toArgb = [&](__m128i c) {
        return _mm_or_si128(_mm_or_si128(alpha, _mm_and_si128(c, green)),
                            _mm_or_si128(_mm_slli_epi32(_mm_and_si128(c, low), 16),
                                         _mm_and_si128(_mm_srli_epi32(c, 16), low)));
      };
      const auto load = [](const TColor* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      };
      const auto store = [](uint32_t* p, __m128i v) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
      };
      for (; i + 4 <= tileRight; i += 4) {
        int32_t j = tileTop;
        for (; j + 4 <= tileBottom; j += 4) {
          const TColor* s = source(i, j);
          const __m128i c0 = load(s);
          const __m128i c1 = load(s + columnStride);
          const __m128i c2 = load(s + 2 * columnStride);
          const __m128i c3 = load(s + 3 * columnStride);
          const __m128i t0 = _mm_unpacklo_epi32(c0, c1);
          const __m128i t1 = _mm_unpacklo_epi32(c2, c3);
          const __m128i t2 = _mm_unpackhi_epi32(c0, c1);
          const __m128i t3 = _mm_unpackhi_epi32(c2, c3);
          store(target(i, j), toArgb(_mm_unpacklo_epi64(t0, t1)));
          store(target(i, j + 1), toArgb(_mm_unpackhi_epi64(t0, t1)));
          store(target(i, j + 2), toArgb(_mm_unpacklo_epi64(t2, t3)));
          store(target(i, j + 3), toArgb(_mm_unpackhi_epi64(t2, t3)));
        }
        for (; j < tileBottom; ++j) {
          for (int32_t k = 0; k < 4; ++k) *target(i + k, j) = ToOpaqueArgb(*source(i + k, j));
        }
      }
#endif
      for (; i < tileRight; ++i) {
        for (int32_t j = tileTop; j < tileBottom; ++j) *target(i, j) = ToOpaqueArgb(*source(i, j));
      }
    }
  }
}
