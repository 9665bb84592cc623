#include "core/colour/FractalColouring.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

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

void PaintFractalRect(TCanvas& canvas, const TRect& update, const TRect& client,
                      const TFractArray* results, const TVoldViewProps& settings,
                      int32_t maxCycle) {
  if (update.right == update.left || update.bottom == update.top || results == nullptr) return;
  if (client.Width() < 2) return;
  const double n = results->Width();
  const double m = results->Height();
  const double rl = client.left, rr = client.right, rt = client.top, rb = client.bottom;

  // The cells under the update rectangle, and their extent in client coordinates.
  const int32_t c0 = Trunc(LinearMap(update.left, rl, rr, 0, n));
  const int32_t c1 = Trunc(LinearMap(update.right, rl, rr, 0, n) + 1);
  const int32_t r0 = Trunc(LinearMap(update.top, rt, rb, 0, m));
  const int32_t r1 = Trunc(LinearMap(update.bottom, rt, rb, 0, m) + 1);
  if (c1 <= c0 || r1 <= r0) return;
  const double x0 = LinearMap(c0, 0, n, rl, rr);
  const double x1 = LinearMap(c1, 0, n, rl, rr);
  const double y0 = LinearMap(r0, 0, m, rt, rb);
  const double y1 = LinearMap(r1, 0, m, rt, rb);
  const TRect clip{update.left, update.top, update.right - 1, update.bottom - 1};

  canvas.SetPenStyle(TPenStyle::Solid);
  // The pixel rows of every grid row, worked out once for all columns.
  std::vector<std::pair<int32_t, int32_t>> rows;
  rows.reserve(static_cast<size_t>(r1 - r0));
  for (int32_t r = r0; r < r1; ++r) {
    rows.emplace_back(std::max(Trunc(LinearMap(r, r0, r1, y0, y1)), clip.top),
                      std::min(Trunc(LinearMap(r + 1, r0, r1, y0, y1) - 1), clip.bottom));
  }
  const int32_t lastColumn = std::min(c1, results->ColumnsDone());
  for (int32_t c = c0; c < lastColumn; ++c) {
    const int32_t left = std::max(Trunc(LinearMap(c, c0, c1, x0, x1)), clip.left);
    const int32_t right = std::min(Trunc(LinearMap(c + 1, c0, c1, x0, x1) - 1), clip.right);
    if (right < left) continue;
    for (int32_t r = r0; r < r1; ++r) {
      const auto [top, bottom] = rows[static_cast<size_t>(r - r0)];
      if (bottom < top) continue;
      const TColor color = CellColor(results->GetDepth(c, r), results->GetCycle(c, r), settings, maxCycle);
      if (left == right && top == bottom) {
        canvas.SetPixel(left, top, color);
      } else if (left == right || top == bottom) {
        canvas.SetPenColor(color);
        canvas.MoveTo(left, top);
        canvas.LineTo(left == right ? left : right + 1, left == right ? bottom + 1 : top);
      } else {
        canvas.SetBrushColor(color);
        canvas.FillRect({left, top, right + 1, bottom + 1});
      }
    }
  }
}
