#include "app/Artwork.h"

#include <cmath>
#include <numbers>
#include <utility>

#include <QIconEngine>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QPolygonF>
#include <QRadialGradient>
#include <QTransform>

namespace {

// The tool-bar icons are designed on a 24 x 24 grid, the cursors on 32 x 32.
constexpr double kIconGrid = 24.0;
constexpr int kCursorSize = 32;

const QColor kInk(0x2b, 0x36, 0x4a);
const QColor kPaper(0xfc, 0xfc, 0xf8);
const QColor kOrange(0xf2, 0x8c, 0x1c);
const QColor kNavy(0x1c, 0x2f, 0x6b);
const QColor kBlue(0x3d, 0x6b, 0xb3);
const QColor kPaleBlue(0x86, 0xa3, 0xcf);
const QColor kRed(0xd3, 0x2f, 0x2f);
const QColor kGreen(0x2e, 0x8b, 0x3e);
const QColor kGold(0xff, 0xc8, 0x2e);

QPen RoundPen(const QColor& colour, double width) {
  return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// ---- The Mandelbrot silhouette ------------------------------------------------------------

QPointF Cardioid(double t) {
  return {std::cos(t) / 2 - std::cos(2 * t) / 4, std::sin(t) / 2 - std::sin(2 * t) / 4};
}

// The set's outline in the complex plane: the main cardioid, its larger bulbs, the
// period-2 disc with its own bulbs, and the antenna with the small copy on it.
const QPainterPath& MandelbrotShape() {
  static const QPainterPath shape = [] {
    QPolygonF outline;
    constexpr int kSteps = 160;
    for (int i = 0; i < kSteps; ++i) outline << Cardioid(2 * std::numbers::pi * i / kSteps);
    QPainterPath path;
    path.addPolygon(outline);
    path.closeSubpath();
    const auto addDisc = [&path](QPointF centre, double radius) {
      QPainterPath disc;
      disc.addEllipse(centre, radius, radius);
      path = path.united(disc);
    };
    // A bulb of internal angle p/q touches the cardioid at Cardioid(2 pi p/q), with a
    // radius of about sin(pi p/q)/q^2.
    const int bulbs[][2] = {{1, 3}, {2, 3}, {1, 4}, {3, 4}, {1, 5}, {2, 5}, {3, 5}, {4, 5}};
    for (const auto& [p, q] : bulbs) {
      const double t = 2 * std::numbers::pi * p / q;
      const double radius = std::sin(std::numbers::pi * p / q) / (q * q);
      const QPointF touch = Cardioid(t);
      // The outward normal of the cardioid is e^{it}(1 - e^{it}).
      const QPointF normal(std::cos(t) - std::cos(2 * t), std::sin(t) - std::sin(2 * t));
      const double length = std::hypot(normal.x(), normal.y());
      addDisc(touch + normal * (radius / length), radius);
    }
    addDisc({-1.0, 0.0}, 0.25);
    addDisc({-1.3107, 0.0}, 0.0607);
    addDisc({-1.1378, 0.2409}, 0.0248);
    addDisc({-1.1378, -0.2409}, 0.0248);
    QPainterPath antenna;
    antenna.addRect(QRectF(-2.0, -0.012, 0.64, 0.024));
    path = path.united(antenna);
    addDisc({-1.7549, 0.0}, 0.03);
    return path.simplified();
  }();
  return shape;
}

// Maps the complex plane so that the silhouette fills box, centred and upright. Small
// images leave the antenna out of the fit, so that the body gets the room.
QTransform MandelbrotFit(const QRectF& box, bool withAntenna) {
  const QRectF bounds = withAntenna ? MandelbrotShape().boundingRect()
                                    : QRectF(QPointF(-1.38, -1.0), QPointF(0.48, 1.0));
  const double scale = std::min(box.width() / bounds.width(), box.height() / bounds.height());
  QTransform fit;
  fit.translate(box.center().x(), box.center().y());
  fit.scale(scale, -scale);
  fit.translate(-bounds.center().x(), -bounds.center().y());
  return fit;
}

QPainterPath MandelbrotIn(const QRectF& box, bool withAntenna = false) {
  QPainterPath shape = MandelbrotFit(box, withAntenna).map(MandelbrotShape());
  if (withAntenna) return shape;
  QPainterPath frame;
  frame.addRect(box);
  return shape.intersected(frame);
}

// ---- Shared pieces ------------------------------------------------------------------------

// A pencil lying along the x axis after a rotation by angle degrees, its tip at tip.
void DrawPencil(QPainter& p, QPointF tip, double angle, double length, double width) {
  p.save();
  p.translate(tip);
  p.rotate(angle);
  const double half = width / 2;
  const double cone = width * 1.25;
  const double eraser = width * 0.8;
  const double ferrule = width * 0.45;
  QPainterPath outline;
  outline.moveTo(0, 0);
  outline.lineTo(cone, -half);
  outline.lineTo(length, -half);
  outline.lineTo(length, half);
  outline.lineTo(cone, half);
  outline.closeSubpath();
  // A white rim keeps the pencil readable over dark pictures.
  p.setPen(RoundPen(Qt::white, 2.2));
  p.setBrush(Qt::white);
  p.drawPath(outline);

  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xf3, 0xd6, 0xa8));
  p.drawPolygon(QPolygonF({{0, 0}, {cone, -half}, {cone, half}}));
  p.setBrush(kInk);
  p.drawPolygon(QPolygonF({{0, 0}, {cone * 0.4, -half * 0.4}, {cone * 0.4, half * 0.4}}));
  const double bodyEnd = length - eraser - ferrule;
  p.setBrush(kOrange);
  p.drawRect(QRectF(cone, -half, bodyEnd - cone, width));
  p.setBrush(QColor(0xc8, 0x6a, 0x10));
  p.drawRect(QRectF(cone, half * 0.25, bodyEnd - cone, half * 0.75));
  p.setBrush(QColor(0xc5, 0xcb, 0xd3));
  p.drawRect(QRectF(bodyEnd, -half, ferrule, width));
  p.setBrush(QColor(0xee, 0x8a, 0x9c));
  p.drawRect(QRectF(bodyEnd + ferrule, -half, eraser, width));

  p.setPen(RoundPen(kInk, 0.9));
  p.setBrush(Qt::NoBrush);
  p.drawPath(outline);
  p.restore();
}

// A magnifying glass with a plus (sign > 0), a minus (sign < 0) or nothing in the lens.
void DrawMagnifier(QPainter& p, QPointF centre, double radius, QPointF handleEnd, int sign,
                   double scale, bool rim) {
  const QPointF towardHandle =
      (handleEnd - centre) / std::hypot(handleEnd.x() - centre.x(), handleEnd.y() - centre.y());
  const QPointF handleStart = centre + towardHandle * (radius + 0.8 * scale);
  const double arm = radius * 0.55;
  if (rim) {
    p.setPen(RoundPen(Qt::white, 6.5 * scale));
    p.drawLine(handleStart, handleEnd);
    p.setPen(RoundPen(Qt::white, 5.0 * scale));
    p.setBrush(Qt::white);
    p.drawEllipse(centre, radius, radius);
  }
  p.setPen(RoundPen(kInk, 3.6 * scale));
  p.drawLine(handleStart, handleEnd);
  p.setPen(RoundPen(kInk, 2.2 * scale));
  p.setBrush(QColor(0xd4, 0xe8, 0xff, rim ? 255 : 220));
  p.drawEllipse(centre, radius, radius);
  // A highlight on the glass.
  p.setPen(RoundPen(QColor(255, 255, 255, 220), 1.1 * scale));
  p.drawArc(
      QRectF(centre.x() - radius * 0.62, centre.y() - radius * 0.62, radius * 1.24, radius * 1.24),
      100 * 16, 60 * 16);
  if (sign == 0) return;
  p.setPen(RoundPen(sign > 0 ? kGreen : kRed, 2.0 * scale));
  p.drawLine(centre - QPointF(arm, 0), centre + QPointF(arm, 0));
  if (sign > 0) p.drawLine(centre - QPointF(0, arm), centre + QPointF(0, arm));
}

// The letter J as a stroke: a bar on top, a stem, and the hook to the left.
QPainterPath LetterJ(QPointF topRight, double width, double height) {
  QPainterPath j;
  const double stemX = topRight.x() - width * 0.28;
  const double hook = width * 0.72;
  j.moveTo(topRight.x() - width, topRight.y());
  j.lineTo(topRight.x(), topRight.y());
  j.moveTo(stemX, topRight.y());
  j.lineTo(stemX, topRight.y() + height - hook / 2);
  j.arcTo(QRectF(stemX - hook, topRight.y() + height - hook, hook, hook), 0, -180);
  return j;
}

void DrawStar(QPainter& p, QPointF centre, double outer, double inner) {
  QPolygonF star;
  for (int i = 0; i < 10; ++i) {
    const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
    const double r = i % 2 == 0 ? outer : inner;
    star << centre + QPointF(std::cos(angle) * r, std::sin(angle) * r);
  }
  p.setPen(RoundPen(QColor(0xa8, 0x68, 0x00), 0.9));
  p.setBrush(kGold);
  p.drawPolygon(star);
}

void DrawDot(QPainter& p, QPointF centre, double radius, const QColor& colour) {
  p.setPen(RoundPen(kInk, 0.8));
  p.setBrush(colour);
  p.drawEllipse(centre, radius, radius);
}

// A line from one dot toward the next, ending in an arrow head short of it.
void DrawStep(QPainter& p, QPointF from, QPointF to, double gap) {
  const QPointF d = to - from;
  const QPointF unitDir = d / std::hypot(d.x(), d.y());
  const QPointF start = from + unitDir * gap;
  const QPointF end = to - unitDir * gap;
  const QPointF side(-unitDir.y(), unitDir.x());
  p.setPen(RoundPen(kInk, 1.2));
  p.drawLine(start, end - unitDir * 1.5);
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  p.drawPolygon(
      QPolygonF({end, end - unitDir * 3.6 + side * 2.0, end - unitDir * 3.6 - side * 2.0}));
}

void DrawDisk(QPainter& p) {
  const QColor edge(0x1b, 0x37, 0x66);
  QPainterPath body;
  body.moveTo(3.5, 3.5);
  body.lineTo(18, 3.5);
  body.lineTo(20.5, 6);
  body.lineTo(20.5, 20.5);
  body.lineTo(3.5, 20.5);
  body.closeSubpath();
  p.setPen(RoundPen(edge, 1.0));
  p.setBrush(kBlue);
  p.drawPath(body);
  p.setPen(RoundPen(edge, 0.8));
  p.setBrush(QColor(0xd5, 0xdb, 0xe4));
  p.drawRect(QRectF(7.5, 3.5, 9, 6));
  p.setPen(Qt::NoPen);
  p.setBrush(kBlue);
  p.drawRect(QRectF(13, 4.6, 2, 3.8));
  p.setPen(RoundPen(edge, 0.8));
  p.setBrush(kPaper);
  p.drawRect(QRectF(6.5, 12.5, 11, 8));
  p.setPen(RoundPen(QColor(0x9a, 0xa4, 0xb4), 0.9));
  p.drawLine(QPointF(8.5, 15.2), QPointF(15.5, 15.2));
  p.drawLine(QPointF(8.5, 17.8), QPointF(15.5, 17.8));
}

// A small window with a title bar and a fractal in it.
void DrawFrame(QPainter& p, const QRectF& r, bool front) {
  p.setPen(RoundPen(kInk, 1.0));
  p.setBrush(kPaper);
  p.drawRect(r);
  p.setPen(Qt::NoPen);
  p.setBrush(front ? kBlue : kPaleBlue);
  p.drawRect(QRectF(r.x() + 0.5, r.y() + 0.5, r.width() - 1, 3));
  p.setBrush(front ? kOrange : QColor(0xf5, 0xc0, 0x86));
  p.drawPath(MandelbrotIn(QRectF(r.x() + 2, r.y() + 4.5, r.width() - 4, r.height() - 6)));
}

// ---- Tool-bar icons, on the 24 x 24 grid ----------------------------------------------------

void PaintNew(QPainter& p) {
  QPainterPath page;
  page.moveTo(4.5, 1.5);
  page.lineTo(14.5, 1.5);
  page.lineTo(19.5, 6.5);
  page.lineTo(19.5, 22.5);
  page.lineTo(4.5, 22.5);
  page.closeSubpath();
  p.setPen(RoundPen(kInk, 1.0));
  p.setBrush(kPaper);
  p.drawPath(page);
  p.setBrush(QColor(0xdc, 0xe1, 0xea));
  p.drawPolygon(QPolygonF({{14.5, 1.5}, {14.5, 6.5}, {19.5, 6.5}}));
  p.setPen(Qt::NoPen);
  p.setBrush(kOrange);
  p.drawPath(MandelbrotIn(QRectF(6, 7.5, 10, 8)));
  DrawStar(p, {17.0, 17.5}, 6.0, 2.6);
}

void PaintOpen(QPainter& p) {
  const QColor edge(0x7a, 0x4f, 0x00);
  p.setPen(RoundPen(edge, 1.0));
  p.setBrush(QColor(0xd9, 0x9a, 0x1e));
  p.drawPolygon(
      QPolygonF({{1.5, 4.5}, {8.5, 4.5}, {10.5, 6.5}, {19.5, 6.5}, {19.5, 19.5}, {1.5, 19.5}}));
  p.setPen(RoundPen(kInk, 0.8));
  p.setBrush(kPaper);
  p.drawRect(QRectF(4.5, 8.5, 13, 8));
  p.setPen(RoundPen(edge, 1.0));
  p.setBrush(QColor(0xf6, 0xc3, 0x42));
  p.drawPolygon(QPolygonF({{5.5, 11.5}, {22.5, 11.5}, {19.5, 19.5}, {1.5, 19.5}}));
}

void PaintSave(QPainter& p) { DrawDisk(p); }

void PaintSaveAs(QPainter& p) {
  p.save();
  p.scale(0.82, 0.82);
  DrawDisk(p);
  p.restore();
  DrawPencil(p, {11.0, 22.0}, -45, 15.5, 4.6);
}

void PaintDuplicate(QPainter& p) {
  DrawFrame(p, QRectF(1.5, 1.5, 14, 12), false);
  DrawFrame(p, QRectF(8.5, 9.5, 14, 12), true);
}

void PaintJulia(QPainter& p) {
  const QRectF box(0.0, 0.5, 14.5, 13.0);
  p.setPen(Qt::NoPen);
  p.setBrush(kNavy);
  p.drawPath(MandelbrotIn(box));
  // The chosen point on the edge of the upper bulb.
  const QPointF point = MandelbrotFit(box, false).map(QPointF(-0.12, 0.84));
  p.setPen(RoundPen(Qt::white, 1.0));
  p.setBrush(kOrange);
  p.drawEllipse(point, 2.0, 2.0);
  QPainterPath arrow;
  arrow.moveTo(point + QPointF(2.5, -0.5));
  arrow.quadTo(QPointF(16.5, 1.0), QPointF(16.0, 6.5));
  p.setPen(RoundPen(kInk, 1.1));
  p.setBrush(Qt::NoBrush);
  p.drawPath(arrow);
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  p.drawPolygon(QPolygonF({{16.0, 8.6}, {13.9, 5.6}, {18.1, 5.6}}));
  const QPainterPath j = LetterJ({22.5, 10.5}, 8.0, 11.5);
  p.setBrush(Qt::NoBrush);
  p.setPen(RoundPen(kInk, 4.0));
  p.drawPath(j);
  p.setPen(RoundPen(kOrange, 2.2));
  p.drawPath(j);
}

void PaintFractProps(QPainter& p) {
  p.setPen(RoundPen(kInk, 1.0));
  p.setBrush(kNavy);
  p.drawRoundedRect(QRectF(1.5, 2.5, 18, 14), 1.5, 1.5);
  p.setPen(Qt::NoPen);
  p.setBrush(kOrange);
  p.drawPath(MandelbrotIn(QRectF(3, 4, 15, 11)));
  // A gear: a toothed wheel with a hole.
  const QPointF centre(17.0, 17.0);
  QPainterPath gear;
  gear.addEllipse(centre, 4.3, 4.3);
  for (int i = 0; i < 8; ++i) {
    QPainterPath tooth;
    tooth.addRect(QRectF(-1.2, -6.2, 2.4, 3));
    gear = gear.united(QTransform().translate(centre.x(), centre.y()).rotate(i * 45).map(tooth));
  }
  QPainterPath hole;
  hole.addEllipse(centre, 1.8, 1.8);
  gear = gear.subtracted(hole);
  p.setPen(RoundPen(Qt::white, 2.2));
  p.setBrush(Qt::white);
  p.drawPath(gear);
  p.setPen(RoundPen(kInk, 0.9));
  p.setBrush(QColor(0xc3, 0xc9, 0xd3));
  p.drawPath(gear);
}

void PaintViewProps(QPainter& p) {
  QPainterPath palette;
  palette.addEllipse(QRectF(1.5, 3.5, 21, 17));
  QPainterPath notch;
  notch.addEllipse(QRectF(13.5, 14, 8, 8));
  QPainterPath thumb;
  thumb.addEllipse(QPointF(13.2, 13.6), 1.6, 1.6);
  palette = palette.subtracted(notch).subtracted(thumb);
  p.setPen(RoundPen(QColor(0x8a, 0x5a, 0x2b), 1.0));
  p.setBrush(QColor(0xea, 0xc8, 0x94));
  p.drawPath(palette);
  DrawDot(p, {6.5, 9.0}, 2.1, kRed);
  DrawDot(p, {11.5, 7.0}, 2.1, kGold);
  DrawDot(p, {16.8, 8.2}, 2.1, kGreen);
  DrawDot(p, {5.8, 14.5}, 2.1, kBlue);
  DrawDot(p, {9.5, 17.3}, 2.1, QColor(0x9c, 0x3d, 0xb8));
}

void PaintZoomIn(QPainter& p) { DrawMagnifier(p, {10, 10}, 6.5, {21.5, 21.5}, +1, 1.0, false); }

void PaintZoomOut(QPainter& p) { DrawMagnifier(p, {10, 10}, 6.5, {21.5, 21.5}, -1, 1.0, false); }

void PaintDrawPoints(QPainter& p) {
  DrawDot(p, {3.5, 20.0}, 1.9, kPaleBlue);
  DrawDot(p, {8.5, 21.0}, 1.9, kPaleBlue);
  DrawDot(p, {11.5, 16.0}, 2.1, kOrange);
  DrawPencil(p, {12.0, 15.0}, -50, 17.0, 5.4);
}

void PaintAddNextPoints(QPainter& p) {
  const QPointF points[] = {{4.0, 19.0}, {6.5, 5.5}, {18.5, 4.5}, {18.0, 18.0}};
  for (int i = 0; i + 1 < 4; ++i) DrawStep(p, points[i], points[i + 1], 3.0);
  for (int i = 0; i < 3; ++i) DrawDot(p, points[i], 2.2, kPaleBlue);
  DrawDot(p, points[3], 2.6, kOrange);
}

void PaintGroupAsPolygon(QPainter& p) {
  const QPolygonF corners({{12.0, 2.5}, {21.5, 9.5}, {18.0, 21.0}, {6.0, 21.0}, {2.5, 9.5}});
  p.setPen(RoundPen(kInk, 1.4));
  p.setBrush(QColor(0xf2, 0x8c, 0x1c, 110));
  p.drawPolygon(corners);
  for (const QPointF& corner : corners) DrawDot(p, corner, 2.1, kBlue);
}

void PaintRemovePoints(QPainter& p) {
  const QPointF points[] = {{4.5, 5.0},  {12.0, 3.5},  {19.5, 6.0},
                            {4.0, 15.5}, {19.5, 17.0}, {11.5, 20.5}};
  for (const QPointF& point : points) DrawDot(p, point, 2.0, kPaleBlue);
  p.setPen(RoundPen(Qt::white, 5.4));
  p.drawLine(QPointF(6.5, 6.5), QPointF(17.5, 17.5));
  p.drawLine(QPointF(17.5, 6.5), QPointF(6.5, 17.5));
  p.setPen(RoundPen(kRed, 3.2));
  p.drawLine(QPointF(6.5, 6.5), QPointF(17.5, 17.5));
  p.drawLine(QPointF(17.5, 6.5), QPointF(6.5, 17.5));
}

// A curved arrow turning back to the left (mirrored: forward to the right).
void DrawTurnArrow(QPainter& p, bool forward) {
  p.save();
  if (forward) {
    p.translate(24, 0);
    p.scale(-1, 1);
  }
  QPainterPath arc;
  arc.moveTo(7.0, 9.5);
  arc.lineTo(14.0, 9.5);
  arc.cubicTo(22.0, 9.5, 22.0, 20.0, 14.0, 20.0);
  arc.lineTo(9.0, 20.0);
  p.setBrush(Qt::NoBrush);
  p.setPen(RoundPen(kInk, 4.6));
  p.drawPath(arc);
  p.setPen(RoundPen(kBlue, 2.6));
  p.drawPath(arc);
  p.setPen(RoundPen(kInk, 1.0));
  p.setBrush(kBlue);
  p.drawPolygon(QPolygonF({{1.5, 9.5}, {9.0, 3.0}, {9.0, 16.0}}));
  p.restore();
}

void PaintUndo(QPainter& p) { DrawTurnArrow(p, false); }

void PaintRedo(QPainter& p) { DrawTurnArrow(p, true); }

using TIconPainter = void (*)(QPainter&);

struct TToolImage {
  const char* actionName;
  TIconPainter paint;
};

constexpr TToolImage kToolImages[] = {
    {"FileNewWave", PaintNew},
    {"FileOpenWave", PaintOpen},
    {"FileSave", PaintSave},
    {"FileSaveAs", PaintSaveAs},
    {"Undo", PaintUndo},
    {"Redo", PaintRedo},
    {"DuplicateWave", PaintDuplicate},
    {"CreateJuliaFromMandelbrot", PaintJulia},
    {"FractProps", PaintFractProps},
    {"ViewVold", PaintViewProps},
    {"ZoomIn", PaintZoomIn},
    {"ZoomOut", PaintZoomOut},
    {"DrawPoints", PaintDrawPoints},
    {"AddNextPoints", PaintAddNextPoints},
    {"GroupAsPolynoom", PaintGroupAsPolygon},
    {"RemovePoints", PaintRemovePoints},
};

// Greys the image and fades it, as tool buttons of disabled actions look.
void MakeDisabled(QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = QColor::fromRgba(line[x]).toRgb();
      const int grey = (qGray(c.rgb()) + 2 * 160) / 3;
      line[x] = qPremultiply(qRgba(grey, grey, grey, c.alpha() * 45 / 100));
    }
  }
}

// An icon painted at the size it is asked for, so it stays sharp on high-density screens.
class TPaintedIconEngine : public QIconEngine {
 public:
  TPaintedIconEngine(QString name, TIconPainter paint) : m_name(std::move(name)), m_paint(paint) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    const qreal ratio = painter->device()->devicePixelRatioF();
    QPixmap image = pixmap(rect.size() * ratio, mode, state);
    image.setDevicePixelRatio(ratio);
    painter->drawPixmap(rect, image);
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
    if (size.isEmpty()) return {};
    const QString key = QStringLiteral("velmora-tool-%1-%2x%3-%4")
                            .arg(m_name)
                            .arg(size.width())
                            .arg(size.height())
                            .arg(mode == QIcon::Disabled ? 1 : 0);
    QPixmap cached;
    if (QPixmapCache::find(key, &cached)) return cached;
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
      QPainter p(&image);
      p.setRenderHint(QPainter::Antialiasing);
      p.scale(size.width() / kIconGrid, size.height() / kIconGrid);
      m_paint(p);
    }
    if (mode == QIcon::Disabled) MakeDisabled(image);
    cached = QPixmap::fromImage(image);
    QPixmapCache::insert(key, cached);
    return cached;
  }

  QIconEngine* clone() const override { return new TPaintedIconEngine(m_name, m_paint); }
  QString key() const override { return QStringLiteral("TPaintedIconEngine"); }

 private:
  QString m_name;
  TIconPainter m_paint;
};

// ---- Cursors, on the 32 x 32 grid -----------------------------------------------------------

void PaintDrawCursor(QPainter& p) { DrawPencil(p, {2.5, 29.5}, -45, 34, 6.6); }

void PaintDeleteCursor(QPainter& p) {
  const QPolygonF arrow(
      {{1.5, 1.5}, {1.5, 20.5}, {6.0, 16.2}, {9.3, 23.5}, {12.4, 22.1}, {9.2, 15.0}, {15.3, 15.0}});
  p.setPen(RoundPen(Qt::white, 1.4));
  p.setBrush(kInk);
  p.drawPolygon(arrow);
  const QPointF badge(23.0, 23.5);
  p.setPen(RoundPen(Qt::white, 1.6));
  p.setBrush(kRed);
  p.drawEllipse(badge, 6.6, 6.6);
  p.setPen(RoundPen(Qt::white, 2.2));
  p.drawLine(badge + QPointF(-2.8, -2.8), badge + QPointF(2.8, 2.8));
  p.drawLine(badge + QPointF(2.8, -2.8), badge + QPointF(-2.8, 2.8));
}

void PaintRejectCursor(QPainter& p) {
  const QPointF centre(15.5, 15.5);
  const double r = 11.0;
  const QPointF slash(r * 0.7071, r * 0.7071);
  p.setBrush(Qt::NoBrush);
  p.setPen(RoundPen(Qt::white, 6.4));
  p.drawEllipse(centre, r, r);
  p.drawLine(centre - slash, centre + slash);
  p.setPen(RoundPen(kRed, 3.6));
  p.drawEllipse(centre, r, r);
  p.drawLine(centre - slash, centre + slash);
}

void PaintZoomInCursor(QPainter& p) {
  DrawMagnifier(p, {12.5, 12.5}, 8.5, {28.5, 28.5}, +1, 1.25, true);
}

void PaintZoomOutCursor(QPainter& p) {
  DrawMagnifier(p, {12.5, 12.5}, 8.5, {28.5, 28.5}, -1, 1.25, true);
}

void PaintJuliaCursor(QPainter& p) {
  const QPointF c(12.5, 12.5);
  const QLineF arms[] = {{1.5, 12.5, 9.5, 12.5},
                         {15.5, 12.5, 23.5, 12.5},
                         {12.5, 1.5, 12.5, 9.5},
                         {12.5, 15.5, 12.5, 23.5}};
  p.setPen(RoundPen(Qt::white, 3.6));
  for (const QLineF& arm : arms) p.drawLine(arm);
  p.setBrush(Qt::white);
  p.drawEllipse(c, 1.3, 1.3);
  p.setPen(RoundPen(kInk, 1.4));
  for (const QLineF& arm : arms) p.drawLine(arm);
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  p.drawEllipse(c, 1.3, 1.3);
  const QPainterPath j = LetterJ({30.0, 17.0}, 8.0, 12.5);
  p.setBrush(Qt::NoBrush);
  p.setPen(RoundPen(Qt::white, 5.6));
  p.drawPath(j);
  p.setPen(RoundPen(kInk, 4.0));
  p.drawPath(j);
  p.setPen(RoundPen(kOrange, 2.2));
  p.drawPath(j);
}

struct TCursorImage {
  TIconPainter paint;
  int hotX;
  int hotY;
};

// Indexed by cursor id - 1. The hot spots: the pencil's tip, the arrow's tip, the centre of
// the sign, the lens centre and the crosshair's centre.
constexpr TCursorImage kCursorImages[] = {
    {PaintDrawCursor, 2, 29},    {PaintDeleteCursor, 1, 1},    {PaintRejectCursor, 15, 15},
    {PaintZoomInCursor, 12, 12}, {PaintZoomOutCursor, 12, 12}, {PaintJuliaCursor, 12, 12},
};

}  // namespace

QCursor ModeCursor(int id) {
  if (id < 1 || id > static_cast<int>(std::size(kCursorImages))) return QCursor(Qt::ArrowCursor);
  const TCursorImage& image = kCursorImages[id - 1];
  QImage canvas(kCursorSize, kCursorSize, QImage::Format_ARGB32_Premultiplied);
  canvas.fill(Qt::transparent);
  {
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    image.paint(p);
  }
  return QCursor(QPixmap::fromImage(canvas), image.hotX, image.hotY);
}

QIcon ToolIcon(const QString& actionName) {
  for (const TToolImage& image : kToolImages)
    if (actionName == QLatin1String(image.actionName))
      return QIcon(new TPaintedIconEngine(actionName, image.paint));
  return {};
}

QPixmap AppIcon(int size) {
  if (size <= 0) return {};
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    QRadialGradient sky(QPointF(13, 12), 19);
    sky.setColorAt(0.0, QColor(0x33, 0x5f, 0xb4));
    sky.setColorAt(1.0, QColor(0x0b, 0x17, 0x3f));
    p.setPen(RoundPen(QColor(0x6f, 0x92, 0xd9), 1.0));
    p.setBrush(sky);
    p.drawEllipse(QRectF(1, 1, 30, 30));
    const QPainterPath set = MandelbrotIn(QRectF(3.5, 6.5, 25, 19), true);
    // A soft glow first, then the set itself from yellow-orange to deep orange.
    p.setPen(RoundPen(QColor(0xff, 0xc8, 0x70, 110), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(set);
    QLinearGradient fire(QPointF(26, 10), QPointF(6, 22));
    fire.setColorAt(0.0, QColor(0xff, 0xc2, 0x3c));
    fire.setColorAt(1.0, QColor(0xf0, 0x64, 0x12));
    p.setPen(Qt::NoPen);
    p.setBrush(fire);
    p.drawPath(set);
  }
  return QPixmap::fromImage(image);
}
