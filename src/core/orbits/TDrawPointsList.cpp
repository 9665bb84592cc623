#include "core/orbits/TDrawPointsList.h"

#include <cmath>
#include <complex>
#include <optional>
#include <vector>

#include "core/fractal/FormulaStep.h"
#include "core/fractal/TFractProps.h"

namespace {

constexpr TColor kYellow = 0x00FFFF;
constexpr TColor kWhite = 0xFFFFFF;
constexpr TColor kBlack = 0x000000;

// Points are mapped in doubles; a point that does not land on a finite position (bounds
// without extent, values that overflowed) is not drawn, and lines are clipped to a margin
// around the target before they become integers.
struct TPlaneToPixels {
  double left, top, spanX, spanY, width, height;
  double minX, minY, maxX, maxY;

  TPlaneToPixels(const TRect& rect, const TFractProps& props) {
    const double l = props.Left.GetValue();
    const double r = props.Right.GetValue();
    const double t = props.Top.GetValue();
    const double b = props.Bottom.GetValue();
    left = l;
    top = t;
    spanX = r - l;
    spanY = b - t;
    width = static_cast<double>(rect.right - rect.left);
    height = static_cast<double>(rect.bottom - rect.top);
    originX = rect.left;
    originY = rect.top;
    constexpr double kMargin = 16;
    minX = rect.left - kMargin;
    minY = rect.top - kMargin;
    maxX = rect.right + kMargin;
    maxY = rect.bottom + kMargin;
  }

  // x = rect.left + (re - Left) / (Right - Left) * width, likewise y.
  std::optional<std::pair<double, double>> Map(double re, double im) const {
    const double x = originX + (re - left) / spanX * width;
    const double y = originY + (im - top) / spanY * height;
    if (!std::isfinite(x) || !std::isfinite(y)) return std::nullopt;
    return std::make_pair(x, y);
  }

  bool Inside(double x, double y) const { return x >= minX && x <= maxX && y >= minY && y <= maxY; }

  double originX = 0, originY = 0;
};

// Clips the segment to the margin box (Liang-Barsky); false when nothing of it is inside.
bool ClipSegment(const TPlaneToPixels& map, double& x0, double& y0, double& x1, double& y1) {
  double t0 = 0.0, t1 = 1.0;
  const double dx = x1 - x0, dy = y1 - y0;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x0 - map.minX, map.maxX - x0, y0 - map.minY, map.maxY - y0};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;
      continue;
    }
    const double r = q[i] / p[i];
    if (p[i] < 0.0) {
      if (r > t1) return false;
      if (r > t0) t0 = r;
    } else {
      if (r < t0) return false;
      if (r < t1) t1 = r;
    }
  }
  const double nx0 = x0 + t0 * dx, ny0 = y0 + t0 * dy;
  x1 = x0 + t1 * dx;
  y1 = y0 + t1 * dy;
  x0 = nx0;
  y0 = ny0;
  return true;
}

void Line(TCanvas& canvas, const TPlaneToPixels& map, const TDrawPoint& from, const TDrawPoint& to) {
  const auto a = map.Map(from.re, from.im);
  const auto b = map.Map(to.re, to.im);
  if (!a || !b) return;
  double x0 = a->first, y0 = a->second, x1 = b->first, y1 = b->second;
  if (!ClipSegment(map, x0, y0, x1, y1)) return;
  canvas.MoveTo(static_cast<int32_t>(x0), static_cast<int32_t>(y0));
  canvas.LineTo(static_cast<int32_t>(x1), static_cast<int32_t>(y1));
}

void Marker(TCanvas& canvas, const TPlaneToPixels& map, const TDrawPoint& point) {
  const auto p = map.Map(point.re, point.im);
  if (!p || !map.Inside(p->first, p->second)) return;
  const int32_t x = static_cast<int32_t>(p->first);
  const int32_t y = static_cast<int32_t>(p->second);
  canvas.SetPenColor(kWhite);
  canvas.Ellipse(x - 3, y - 3, x + 3, y + 3);
  canvas.SetPenColor(kBlack);
  canvas.Ellipse(x - 2, y - 2, x + 2, y + 2);
}

}  // namespace

TStartDrawPoint::~TStartDrawPoint() {
  // Tracks can grow long; take them apart one point at a time.
  std::unique_ptr<TDrawPoint> rest = std::move(first);
  while (rest) rest = std::move(rest->next);
}

TDrawPointsList::~TDrawPointsList() { RemovePoints(); }

void TDrawPointsList::AddPoint(double re, double im, bool grouping, const TFractProps& props) {
  auto track = std::make_unique<TStartDrawPoint>();
  track->first = std::make_unique<TDrawPoint>(re, im, track.get());
  track->last = track->first.get();
  track->length = 1;
  track->grouping = grouping;
  if (props.Map == MapC) {
    track->cRe = re;
    track->cIm = im;
  } else {
    track->cRe = props.CR.GetValue();
    track->cIm = props.CI.GetValue();
  }
  if (props.Map == MapD) {
    track->dRe = re;
    track->dIm = im;
  } else {
    track->dRe = props.DR.GetValue();
    track->dIm = props.DI.GetValue();
  }
  track->next = std::move(m_head);
  m_head = std::move(track);
}

void TDrawPointsList::AddNextPoints(const TFractProps& props) {
  const int formula = props.Formula;
  if (formula < 0 || formula >= kFormulaCount) return;
  for (TStartDrawPoint* track = m_head.get(); track != nullptr; track = track->Next()) {
    const TDrawPoint* last = track->last;
    std::complex<double> next;
    if (!FormulaStepChecked(formula, {last->re, last->im}, {track->cRe, track->cIm},
                            {track->dRe, track->dIm}, props.N.GetValue(), props.M.GetValue(),
                            next)) {
      continue;  // the step faulted: this track waits, the others go on
    }
    track->last->next = std::make_unique<TDrawPoint>(next.real(), next.imag(), track);
    track->last = track->last->next.get();
    ++track->length;
  }
}

void TDrawPointsList::GroupAsPolynoom() {
  TStartDrawPoint* head = m_head.get();
  TStartDrawPoint* t = head;
  while (t != nullptr) {
    TStartDrawPoint* n = t->Next();
    if (n != nullptr && n->grouping) {
      t->link = n;
      t->grouping = false;
      t = n;
      continue;
    }
    // The last corner closes the polygon back to the head; a lone head gets no link.
    if (t != head) t->link = head;
    t->grouping = false;
    break;
  }
}

void TDrawPointsList::RemovePoints() {
  std::unique_ptr<TStartDrawPoint> rest = std::move(m_head);
  while (rest) rest = std::move(rest->next);
}

void TDrawPointsList::Draw(TCanvas& canvas, const TRect& rect, const TFractProps& props) const {
  const TPlaneToPixels map(rect, props);
  canvas.SetPenStyle(TPenStyle::Solid);
  std::vector<const TDrawPoint*> chain;
  for (const TStartDrawPoint* track = m_head.get(); track != nullptr; track = track->Next()) {
    // Lines from the first point on, each step's polygon edge before its track edge; then
    // the markers from the last point back, so earlier markers lie on top.
    chain.clear();
    const TDrawPoint* partner = track->link != nullptr ? track->link->First() : nullptr;
    for (const TDrawPoint* p = track->First(); p != nullptr; p = p->next.get()) {
      if (partner != nullptr) {
        canvas.SetPenColor(kYellow);
        Line(canvas, map, *p, *partner);
        partner = partner->next.get();
      }
      if (p->next != nullptr) {
        canvas.SetPenColor(kWhite);
        Line(canvas, map, *p, *p->next);
      }
      chain.push_back(p);
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) Marker(canvas, map, **it);
  }
}
