#include "app/Artwork.h"

#include <cmath>
#include <vector>

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QStringList kToolActions = {"FileNewWave",     "FileOpenWave",  "FileSave",
                                  "FileSaveAs",      "Undo",          "Redo",
                                  "DuplicateWave",   "CreateJuliaFromMandelbrot",
                                  "FractProps",      "ViewVold",      "ZoomIn",
                                  "ZoomOut",         "DrawPoints",    "AddNextPoints",
                                  "GroupAsPolynoom", "RemovePoints"};

// The share of pixels that are at least half opaque.
double Coverage(const QImage& image) {
  int opaque = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) opaque += qAlpha(image.pixel(x, y)) >= 128;
  return double(opaque) / (image.width() * image.height());
}

bool OpaqueNear(const QImage& image, QPoint spot, int distance) {
  for (int y = spot.y() - distance; y <= spot.y() + distance; ++y)
    for (int x = spot.x() - distance; x <= spot.x() + distance; ++x)
      if (image.valid(x, y) && qAlpha(image.pixel(x, y)) >= 128) return true;
  return false;
}

bool HasPixel(const QImage& image, bool (*matches)(const QColor&)) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (matches(QColor::fromRgba(image.pixel(x, y)))) return true;
  return false;
}

}  // namespace

TEST(ArtworkTest, EveryToolActionHasItsOwnIconDrawnAtTheAskedSize) {
  std::vector<QImage> images;
  for (const QString& name : kToolActions) {
    SCOPED_TRACE(name.toStdString());
    const QIcon icon = ToolIcon(name);
    ASSERT_FALSE(icon.isNull());
    const QImage small = icon.pixmap(QSize(24, 24)).toImage();
    ASSERT_EQ(small.size(), QSize(24, 24));
    // Something to see, and not a filled square.
    EXPECT_GT(Coverage(small), 0.15);
    EXPECT_LT(Coverage(small), 0.9);
    // Twice the size is painted afresh, not scaled up from 24 x 24.
    const QImage large = icon.pixmap(QSize(48, 48)).toImage();
    ASSERT_EQ(large.size(), QSize(48, 48));
    EXPECT_NEAR(Coverage(large), Coverage(small), 0.1);
    const QPixmap highDensity = icon.pixmap(QSize(24, 24), 2.0);
    EXPECT_EQ(highDensity.size(), QSize(48, 48));
    EXPECT_EQ(highDensity.devicePixelRatio(), 2.0);
    for (size_t i = 0; i < images.size(); ++i)
      EXPECT_NE(images[i], small) << "same image as " << kToolActions[int(i)].toStdString();
    images.push_back(small);
  }
  EXPECT_TRUE(ToolIcon("FileClose").isNull());
  EXPECT_TRUE(ToolIcon("").isNull());
}

TEST(ArtworkTest, DisabledIconsAreGreyAndFaded) {
  for (const QString& name : {QString("ZoomIn"), QString("RemovePoints")}) {
    SCOPED_TRACE(name.toStdString());
    const QIcon icon = ToolIcon(name);
    const QImage normal = icon.pixmap(QSize(24, 24)).toImage();
    const QImage disabled = icon.pixmap(QSize(24, 24), QIcon::Disabled).toImage();
    ASSERT_EQ(disabled.size(), QSize(24, 24));
    EXPECT_GT(Coverage(normal), Coverage(disabled));
    EXPECT_FALSE(HasPixel(disabled, [](const QColor& c) {
      return c.alpha() > 0 &&
             (std::abs(c.red() - c.green()) > 2 || std::abs(c.green() - c.blue()) > 2);
    }));
  }
}

TEST(ArtworkTest, CursorsAre32SquareWithTheirHotSpotOnThePicture) {
  std::vector<QImage> images;
  for (int id = 1; id <= 6; ++id) {
    SCOPED_TRACE(id);
    const QCursor cursor = ModeCursor(id);
    ASSERT_EQ(cursor.shape(), Qt::BitmapCursor);
    const QImage image = cursor.pixmap().toImage();
    ASSERT_EQ(image.size(), QSize(32, 32));
    const QPoint hot = cursor.hotSpot();
    EXPECT_TRUE(QRect(0, 0, 32, 32).contains(hot));
    // The hot spot is the point the picture points at, not empty space beside it.
    EXPECT_TRUE(OpaqueNear(image, hot, 1));
    for (const QImage& other : images) EXPECT_NE(other, image);
    images.push_back(image);
  }
  // The lens centre of both magnifiers and the crosshair's centre.
  EXPECT_EQ(ModeCursor(4).hotSpot(), QPoint(12, 12));
  EXPECT_EQ(ModeCursor(5).hotSpot(), ModeCursor(4).hotSpot());
  EXPECT_EQ(ModeCursor(6).hotSpot(), QPoint(12, 12));
  // On a screen of twice the density the picture has twice the pixels and the hot spot
  // stays on the same point of it.
  for (int id = 1; id <= 6; ++id) {
    const QCursor sharp = ModeCursor(id, 2.0);
    EXPECT_EQ(sharp.pixmap().size(), QSize(64, 64));
    EXPECT_EQ(sharp.pixmap().devicePixelRatio(), 2.0);
    EXPECT_EQ(sharp.hotSpot(), ModeCursor(id, 1.0).hotSpot() * 2);
    const QImage large = sharp.pixmap().toImage();
    EXPECT_TRUE(OpaqueNear(large, sharp.hotSpot(), 2)) << id;
  }
  EXPECT_EQ(ModeCursor(0).shape(), Qt::ArrowCursor);
  EXPECT_EQ(ModeCursor(7).shape(), Qt::ArrowCursor);
  EXPECT_EQ(ModeCursor(-1).shape(), Qt::ArrowCursor);
}

TEST(ArtworkTest, AppIconIsAnOrangeSetOnABlueDisc) {
  for (int size : {16, 32, 64}) {
    SCOPED_TRACE(size);
    const QImage image = AppIcon(size).toImage();
    ASSERT_EQ(image.size(), QSize(size, size));
    // A disc: the corners stay transparent, the middle is covered.
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(size - 1, size - 1)), 0);
    EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255);
    EXPECT_TRUE(HasPixel(image, [](const QColor& c) {
      return c.alpha() == 255 && c.red() > 220 && c.green() > 80 && c.green() < 200 &&
             c.blue() < 90;
    }));
    EXPECT_TRUE(HasPixel(image, [](const QColor& c) {
      return c.alpha() == 255 && c.blue() > 2 * c.red() && c.blue() > 60;
    }));
  }
  EXPECT_TRUE(AppIcon(0).isNull());
}

TEST(ArtworkTest, StandardActionsTakeTheThemesIconWhereTheThemeHasOne) {
  // A theme of one icon: a red square for zoom-in.
  QTemporaryDir themes;
  ASSERT_TRUE(themes.isValid());
  const QDir root(themes.path());
  ASSERT_TRUE(root.mkpath("plain/24x24/actions"));
  QFile index(root.filePath("plain/index.theme"));
  ASSERT_TRUE(index.open(QIODevice::WriteOnly));
  index.write(
      "[Icon Theme]\nName=Plain\nDirectories=24x24/actions\n\n"
      "[24x24/actions]\nSize=24\nContext=Actions\nType=Fixed\n");
  index.close();
  QImage red(24, 24, QImage::Format_ARGB32);
  red.fill(QColor(255, 0, 0));
  ASSERT_TRUE(red.save(root.filePath("plain/24x24/actions/zoom-in.png")));

  const QStringList oldPaths = QIcon::themeSearchPaths();
  const QString oldTheme = QIcon::themeName();
  const QImage ownZoomOut = ToolIcon("ZoomOut").pixmap(QSize(24, 24)).toImage();
  const QImage ownJulia = ToolIcon("CreateJuliaFromMandelbrot").pixmap(QSize(24, 24)).toImage();
  QIcon::setThemeSearchPaths({themes.path()});
  QIcon::setThemeName("plain");
  const QImage zoomIn = ToolIcon("ZoomIn").pixmap(QSize(24, 24)).toImage();
  const QImage zoomOut = ToolIcon("ZoomOut").pixmap(QSize(24, 24)).toImage();
  const QImage julia = ToolIcon("CreateJuliaFromMandelbrot").pixmap(QSize(24, 24)).toImage();
  QIcon::setThemeName(oldTheme);
  QIcon::setThemeSearchPaths(oldPaths);

  EXPECT_EQ(QColor(zoomIn.pixel(12, 12)), QColor(255, 0, 0));
  // What the theme lacks, and what has no standard name, stays ours.
  EXPECT_EQ(zoomOut, ownZoomOut);
  EXPECT_EQ(julia, ownJulia);
}
