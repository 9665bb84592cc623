#include "core/colour/FractalColouring.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "core/canvas/ArgbRows.h"
#include "core/colour/TVoldViewProps.h"
#include "core/fractal/TFractArray.h"
#include "core/report/Assert.h"
#include "core/values/ValuesAlg.h"

namespace {

double Curve(TSensitivity sensitivity, double x) {
  switch (sensitivity) {
    case SensLow: return std::pow(x, 2.0);
    case SensNormal: return x;
    case SensHigh: return std::sqrt(x);
    case SensVeryHigh: return std::pow(x, 0.25);
  }
  return x;
}

int32_t Trunc(double value) { return static_cast<int32_t>(value); }

}  // namespace

TColor CellColor(float depth, int32_t cycle, const TVoldViewProps& settings, int32_t maxCycle) {
  if (depth == 0.0f) return settings.MaxDepthColor.GetValue();

  const TColorPalette1DItem* palette = nullptr;
  TColor a = 0, b = 0;
  double x = 0;
  TSensitivity sensitivity;
  double strength;
  if (depth > 0.0f) {
    x = depth;
    sensitivity = settings.SensOutside;
    strength = settings.StrengthOutside.GetValue();
    if (settings.UsePalOutside) {
      palette = &settings.PalOutside;
    } else {
      a = settings.BackgroundColorOutside.GetValue();
      b = settings.ForegroundColorOutside.GetValue();
    }
  } else {
    x = -static_cast<double>(depth);
    sensitivity = settings.SensInside;
    strength = settings.StrengthInside.GetValue();
    if (settings.UsePalDepthInside) {
      palette = &settings.PalDepthInside;
    } else {
      const double cyclePos =
          static_cast<double>(cycle - 1) / static_cast<double>(std::max(maxCycle - 1, 1));
      VELMORA_ASSERT(cyclePos >= 0, "cyclePos >= 0");
      VELMORA_ASSERT(cyclePos <= 1, "cyclePos <= 1");
      a = settings.UsePalBackgroundInside ? settings.PalBackgroundInside.ColorAt(cyclePos)
                                          : settings.ColorBackgroundInside.GetValue();
      b = settings.UsePalForegroundInside ? settings.PalForegroundInside.ColorAt(cyclePos)
                                          : settings.ColorForegroundInside.GetValue();
    }
  }
  double t = Curve(sensitivity, x) * strength;
  if (t > 1.0) t = 1.0;
  return palette != nullptr ? palette->ColorAt(t) : MixColors(a, b, t);
}

namespace {

// The colours of the cells of one paint. Cells close to each other mostly share their values
// (whole depths, the undecided inside, one cycle length), so the colours of recent values are
// kept in a small table instead of being worked out again for every cell.
class TCellColours {
 public:
  TCellColours(const TVoldViewProps& settings, int32_t maxCycle)
      : m_settings(settings), m_maxCycle(maxCycle) {
    m_keys.fill(kNoKey);
  }

  TColor operator()(float depth, int32_t cycle) {
    uint32_t bits;
    std::memcpy(&bits, &depth, sizeof bits);
    const uint64_t key = bits | uint64_t{static_cast<uint32_t>(cycle)} << 32;
    const size_t slot = static_cast<size_t>((key * 0x9E3779B97F4A7C15u) >> (64 - kBits));
    if (m_keys[slot] != key) {
      m_keys[slot] = key;
      m_colors[slot] = CellColor(depth, cycle, m_settings, m_maxCycle);
    }
    return m_colors[slot];
  }

 private:
  static constexpr int kBits = 8;
  // No cell has this key: its depth bits would be a NaN, its cycle length -1.
  static constexpr uint64_t kNoKey = ~uint64_t{0};
  const TVoldViewProps& m_settings;
  int32_t m_maxCycle;
  std::array<uint64_t, size_t{1} << kBits> m_keys;
  std::array<TColor, size_t{1} << kBits> m_colors{};
};

}  // namespace

namespace {

// Cells without a cycle length (computed without a cycle test). Neighbouring cells mostly
// share their depth: eight cells of one depth take one lookup.
void ColourDepths(TCellColours& colour, const float* depths, int64_t count, TColor* colours) {
  int64_t i = 0;
#ifdef __SSE2__
  for (; i + 8 <= count; i += 8) {
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(depths + i));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(depths + i + 4));
    const __m128i first = _mm_shuffle_epi32(low, 0);
    const __m128i same = _mm_and_si128(_mm_cmpeq_epi32(low, first), _mm_cmpeq_epi32(high, first));
    if (_mm_movemask_epi8(same) == 0xFFFF) {
      const __m128i c = _mm_set1_epi32(static_cast<int>(colour(depths[i], 0)));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(colours + i), c);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(colours + i + 4), c);
    } else {
      for (int64_t k = i; k < i + 8; ++k) colours[k] = colour(depths[k], 0);
    }
  }
#endif
  for (; i < count; ++i) colours[i] = colour(depths[i], 0);
}

// The colours of count cells in a row of the results.
void ColourCells(TCellColours& colour, const float* depths, const int32_t* cycles, int64_t count,
                 int32_t maxCycle, TColor* colours) {
  if (maxCycle == 0) {
    // Without a cycle test no cell is inside and every cycle length is 0.
    ColourDepths(colour, depths, count, colours);
    return;
  }
  for (int64_t i = 0; i < count; ++i) colours[i] = colour(depths[i], cycles[i]);
}

}  // namespace

void ColourColumns(const TFractArray& results, int32_t firstColumn, int32_t lastColumn,
                   const TVoldViewProps& settings, int32_t maxCycle, TColor* colours) {
  VELMORA_ASSERT(firstColumn >= 0 && firstColumn <= lastColumn && lastColumn <= results.Width(),
                 "0 <= firstColumn <= lastColumn <= Width");
  TCellColours colour(settings, maxCycle);
  const int64_t first = int64_t{firstColumn} * results.Height();
  const int64_t last = int64_t{lastColumn} * results.Height();
  ColourCells(colour, results.Depths() + first, results.Cycles() + first, last - first, maxCycle,
              colours + first);
}

void ColourColumnsToRows(const TFractArray& results, int32_t firstColumn, int32_t lastColumn,
                         const TVoldViewProps& settings, int32_t maxCycle, uint32_t* pixels,
                         int64_t rowStride) {
  VELMORA_ASSERT(firstColumn >= 0 && firstColumn <= lastColumn && lastColumn <= results.Width(),
                 "0 <= firstColumn <= lastColumn <= Width");
  TCellColours colour(settings, maxCycle);
  const int32_t height = results.Height();
  // Up to 16 columns by a block of rows are coloured column by column, as the results lie,
  // into a buffer that stays in the cache, and then go into the picture's rows.
  constexpr int32_t kColumns = 16;
  constexpr int32_t kRows = 1024;
  std::vector<TColor> block(static_cast<size_t>(kColumns) * std::min(kRows, height));
  for (int32_t x0 = firstColumn; x0 < lastColumn; x0 += kColumns) {
    const int32_t columns = std::min(kColumns, lastColumn - x0);
    for (int32_t y0 = 0; y0 < height; y0 += kRows) {
      const int32_t rows = std::min(kRows, height - y0);
      for (int32_t i = 0; i < columns; ++i) {
        const int64_t cell = int64_t{x0 + i} * height + y0;
        ColourCells(colour, results.Depths() + cell, results.Cycles() + cell, rows, maxCycle,
                    block.data() + int64_t{i} * rows);
      }
      TransposeToArgbRows(block.data(), rows, columns, rows, pixels + y0 * rowStride + x0,
                          rowStride);
    }
  }
}

namespace {

// Where cell i of a grid of count cells begins when the grid is stretched over the pixels
// p0 .. p1. The product comes before the quotient: the edge of a cell that falls on a pixel's
// edge is then exact for whole numbers, the usual case. Dividing first would put many such
// edges a rounding error short, and truncation would then take columns and rows of cells out
// of a picture shown at the size of its grid and draw their neighbours twice instead.
double CellEdge(int32_t i, double count, double p0, double p1) {
  return p0 + static_cast<double>(i) * (p1 - p0) / count;
}

// The pixels [first, last] that cell i covers, clipped to low .. high.
std::pair<int32_t, int32_t> CellSpan(int32_t i, double count, double p0, double p1, int32_t low,
                                     int32_t high) {
  return {std::max(Trunc(CellEdge(i, count, p0, p1)), low),
          std::min(Trunc(CellEdge(i + 1, count, p0, p1) - 1), high)};
}

// The most columns painted together a row at a time: their cells are read from as many
// places in memory at once.
constexpr size_t kRunColumns = 16;

// The pixel rows of a grid row that shows, with the row's cell index clamped to the grid as
// the element access does.
struct TRowSpan {
  int32_t cell, top, bottom;
};

// The pixel columns of a grid column that is computed and shows.
struct TColumnSpan {
  int64_t cell;  // the index of the column's first cell
  int32_t left, right;
};

// Paints the cells under rows x columns, colourOf giving the colour of a cell by its index.
template <class TColourOf>
void PaintCells(TCanvas& canvas, const std::vector<TRowSpan>& rows,
                const std::vector<TColumnSpan>& columns, TColourOf&& colourOf) {
  canvas.SetPenStyle(TPenStyle::Solid);
  if (canvas.HasPixelRows()) {
    // The image is stored by rows, the results by columns: a few columns whose pixels join
    // up are painted together a pixel row at a time. Where cells share pixels, the later
    // column and the later row win as they do when cells are drawn one by one.
    std::vector<TColor> line;
    size_t i = 0;
    while (i < columns.size()) {
      const int32_t left = columns[i].left;
      int32_t right = columns[i].right;
      // Mostly every column is one pixel of its own: then the line holds a colour a column.
      bool narrow = left == right;
      size_t end = i + 1;
      while (end < columns.size() && end - i < kRunColumns && columns[end].left <= right + 1) {
        narrow = narrow && columns[end].left == right + 1 && columns[end].right == right + 1;
        right = std::max(right, columns[end].right);
        ++end;
      }
      line.resize(static_cast<size_t>(right - left + 1));
      for (const TRowSpan& row : rows) {
        if (narrow) {
          for (size_t k = i; k < end; ++k) line[k - i] = colourOf(columns[k].cell + row.cell);
        } else {
          for (size_t k = i; k < end; ++k) {
            std::fill(line.begin() + (columns[k].left - left),
                      line.begin() + (columns[k].right - left + 1),
                      colourOf(columns[k].cell + row.cell));
          }
        }
        for (int32_t y = row.top; y <= row.bottom; ++y) {
          canvas.SetPixels(left, y, line.data(), static_cast<int32_t>(line.size()));
        }
      }
      i = end;
    }
    return;
  }
  for (const auto& [cell, left, right] : columns) {
    for (const TRowSpan& row : rows) {
      const TColor color = colourOf(cell + row.cell);
      if (left == right && row.top == row.bottom) {
        canvas.SetPixel(left, row.top, color);
      } else if (left == right || row.top == row.bottom) {
        canvas.SetPenColor(color);
        canvas.MoveTo(left, row.top);
        canvas.LineTo(left == right ? left : right + 1, left == right ? row.bottom + 1 : row.top);
      } else {
        canvas.SetBrushColor(color);
        canvas.FillRect({left, row.top, right + 1, row.bottom + 1});
      }
    }
  }
}

}  // namespace

void PaintFractalRect(TCanvas& canvas, const TRect& update, const TRect& client,
                      const TFractArray* results, const TVoldViewProps& settings, int32_t maxCycle,
                      const TColor* colours, const TCellPixels* pixels) {
  if (update.right == update.left || update.bottom == update.top || results == nullptr) return;
  if (client.Width() < 2) return;
  const int32_t width = results->Width();
  const int32_t height = results->Height();
  const double n = width;
  const double m = height;
  const double rl = client.left, rr = client.right, rt = client.top, rb = client.bottom;

  // The cells under the update rectangle.
  const int32_t c0 = Trunc(LinearMap(update.left, rl, rr, 0, n));
  const int32_t c1 = Trunc(LinearMap(update.right, rl, rr, 0, n) + 1);
  const int32_t r0 = Trunc(LinearMap(update.top, rt, rb, 0, m));
  const int32_t r1 = Trunc(LinearMap(update.bottom, rt, rb, 0, m) + 1);
  if (c1 <= c0 || r1 <= r0) return;
  const TRect clip{update.left, update.top, update.right - 1, update.bottom - 1};

  // The pixel rows of every grid row that shows, worked out once for all columns.
  std::vector<TRowSpan> rows;
  rows.reserve(static_cast<size_t>(r1 - r0));
  for (int32_t r = r0; r < r1; ++r) {
    const auto [top, bottom] = CellSpan(r, m, rt, rb, clip.top, clip.bottom);
    if (bottom >= top) rows.push_back({std::clamp(r, 0, height - 1), top, bottom});
  }

  std::vector<TColumnSpan> columns;
  const int32_t lastColumn = std::min(c1, results->ColumnsDone());
  for (int32_t c = c0; c < lastColumn; ++c) {
    const auto [left, right] = CellSpan(c, n, rl, rr, clip.left, clip.right);
    if (right >= left)
      columns.push_back({int64_t{std::clamp(c, 0, width - 1)} * height, left, right});
  }

  if (colours != nullptr) {
    // A picture at the size of its grid, the usual case, has a pixel for every cell: the
    // colours then go into the canvas as one block.
    const auto onePixel = [](int32_t first, int32_t last) { return first == last; };
    const bool blockColumns =
        !columns.empty() && std::all_of(columns.begin(), columns.end(), [&](const TColumnSpan& c) {
          const size_t k = static_cast<size_t>(&c - columns.data());
          return onePixel(c.left, c.right) && c.left == columns[0].left + static_cast<int32_t>(k) &&
                 c.cell == columns[0].cell + static_cast<int64_t>(k) * height;
        });
    const bool blockRows =
        !rows.empty() && std::all_of(rows.begin(), rows.end(), [&](const TRowSpan& r) {
          const int32_t k = static_cast<int32_t>(&r - rows.data());
          return onePixel(r.top, r.bottom) && r.top == rows[0].top + k &&
                 r.cell == rows[0].cell + k;
        });
    if (blockColumns && blockRows) {
      canvas.SetPixelColumns(columns[0].left, rows[0].top, static_cast<int32_t>(columns.size()),
                             static_cast<int32_t>(rows.size()),
                             colours + columns[0].cell + rows[0].cell, height);
      return;
    }
    PaintCells(canvas, rows, columns, [colours](int64_t cell) { return colours[cell]; });
    return;
  }
  if (pixels != nullptr) {
    PaintCells(canvas, rows, columns, [pixels, height](int64_t cell) {
      return FromOpaqueArgb(pixels->pixels[cell % height * pixels->rowStride + cell / height]);
    });
    return;
  }
  TCellColours colour(settings, maxCycle);
  const float* depths = results->Depths();
  const int32_t* cycles = results->Cycles();
  PaintCells(canvas, rows, columns,
             [&](int64_t cell) { return colour(depths[cell], cycles[cell]); });
}
