#include "app/Artwork.h"

#include <cmath>
#include <iterator>
#include <utility>

#include <QGuiApplication>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

namespace {

// Renders an SVG of the resources into a transparent image of the given size in device
// pixels; a null image when the file is missing or not an SVG.
QImage RenderSvg(const QString& resource, const QSize& size) {
  if (size.isEmpty()) return {};
  QSvgRenderer renderer(resource);
  if (!renderer.isValid()) return {};
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  renderer.render(&p, QRectF(QPointF(0, 0), QSizeF(size)));
  return image;
}

struct TToolImage {
  const char* actionName;
  // The icon of the desktop's theme that means the same, or nullptr where none fits.
  const char* themeName;
  const char* resource;
};

constexpr TToolImage kToolImages[] = {
    {"FileNewWave", "document-new", ":/artwork/actions/new-window.svg"},
    {"FileOpenWave", "document-open", ":/artwork/actions/open.svg"},
    {"FileSave", "document-save", ":/artwork/actions/save.svg"},
    {"FileSaveAs", "document-save-as", ":/artwork/actions/save-as.svg"},
    {"Undo", "edit-undo", ":/artwork/actions/undo.svg"},
    {"Redo", "edit-redo", ":/artwork/actions/redo.svg"},
    {"DuplicateWave", nullptr, ":/artwork/actions/duplicate.svg"},
    {"CreateJuliaFromMandelbrot", nullptr, ":/artwork/actions/julia.svg"},
    {"FractProps", nullptr, ":/artwork/actions/fractal-properties.svg"},
    {"ViewVold", nullptr, ":/artwork/actions/view-properties.svg"},
    {"ZoomIn", "zoom-in", ":/artwork/actions/zoom-in.svg"},
    {"ZoomOut", "zoom-out", ":/artwork/actions/zoom-out.svg"},
    {"DrawPoints", nullptr, ":/artwork/actions/draw-points.svg"},
    {"AddNextPoints", nullptr, ":/artwork/actions/add-next-points.svg"},
    {"GroupAsPolynoom", nullptr, ":/artwork/actions/group-as-polygon.svg"},
    {"RemovePoints", nullptr, ":/artwork/actions/remove-points.svg"},
};

// Greys the image and fades it, as tool buttons of disabled actions look.
void MakeDisabled(QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = QColor::fromRgba(qUnpremultiply(line[x]));
      const int grey = (qGray(c.rgb()) + 2 * 160) / 3;
      line[x] = qPremultiply(qRgba(grey, grey, grey, c.alpha() * 45 / 100));
    }
  }
}

// An icon rendered from its SVG at the size it is asked for, so it stays sharp on
// high-density screens; disabled, it is grey and faded.
class TSvgIconEngine : public QIconEngine {
 public:
  explicit TSvgIconEngine(QString resource) : m_resource(std::move(resource)) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    const qreal ratio = painter->device()->devicePixelRatioF();
    QPixmap image = pixmap(rect.size() * ratio, mode, state);
    image.setDevicePixelRatio(ratio);
    painter->drawPixmap(rect, image);
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
    if (size.isEmpty()) return {};
    const QString key = QStringLiteral("velmora-icon-%1-%2x%3-%4")
                            .arg(m_resource)
                            .arg(size.width())
                            .arg(size.height())
                            .arg(mode == QIcon::Disabled ? 1 : 0);
    QPixmap cached;
    if (QPixmapCache::find(key, &cached)) return cached;
    QImage image = RenderSvg(m_resource, size);
    if (image.isNull()) return {};
    if (mode == QIcon::Disabled) MakeDisabled(image);
    cached = QPixmap::fromImage(image);
    QPixmapCache::insert(key, cached);
    return cached;
  }

  QIconEngine* clone() const override { return new TSvgIconEngine(m_resource); }
  QString key() const override { return QStringLiteral("TSvgIconEngine"); }

 private:
  QString m_resource;
};

constexpr int kCursorSize = 32;

struct TCursorImage {
  const char* resource;
  int hotX;
  int hotY;
};

// Indexed by cursor id - 1. The hot spots, on the 32 x 32 grid: the pencil's tip, the
// arrow's tip, the centre of the sign, the lens centre and the crosshair's centre.
constexpr TCursorImage kCursorImages[] = {
    {":/artwork/cursors/draw.svg", 2, 29},      {":/artwork/cursors/delete.svg", 1, 1},
    {":/artwork/cursors/reject.svg", 15, 15},   {":/artwork/cursors/zoom-in.svg", 12, 12},
    {":/artwork/cursors/zoom-out.svg", 12, 12}, {":/artwork/cursors/julia.svg", 12, 12},
};

}  // namespace

QCursor ModeCursor(int id, qreal ratio) {
  if (id < 1 || id > static_cast<int>(std::size(kCursorImages))) return QCursor(Qt::ArrowCursor);
  const TCursorImage& image = kCursorImages[id - 1];
  if (ratio <= 0) ratio = qApp != nullptr ? qApp->devicePixelRatio() : 1.0;
  // Drawn for the device's pixels. The window system takes the hot spot in the picture's
  // own pixels (X does not scale it by the ratio), so it is scaled with the picture.
  const int side = static_cast<int>(std::ceil(kCursorSize * ratio));
  QPixmap pixmap = QPixmap::fromImage(RenderSvg(image.resource, QSize(side, side)));
  pixmap.setDevicePixelRatio(ratio);
  return QCursor(pixmap, static_cast<int>(std::floor(image.hotX * ratio)),
                 static_cast<int>(std::floor(image.hotY * ratio)));
}

QIcon ToolIcon(const QString& actionName) {
  for (const TToolImage& image : kToolImages) {
    if (actionName != QLatin1String(image.actionName)) continue;
    QIcon own(new TSvgIconEngine(QString::fromLatin1(image.resource)));
    if (image.themeName == nullptr) return own;
    return QIcon::fromTheme(QString::fromLatin1(image.themeName), own);
  }
  return {};
}

QPixmap AppIcon(int size) {
  return QPixmap::fromImage(
      RenderSvg(QStringLiteral(":/artwork/org.velmora.Velmora.svg"), QSize(size, size)));
}

QIcon AppIconSet() {
  return QIcon(new TSvgIconEngine(QStringLiteral(":/artwork/org.velmora.Velmora.svg")));
}
