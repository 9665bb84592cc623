#include "app/dialogs/TAboutBox.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPushButton>
#include <QScreen>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

// The outer size of the box on the desktop it was designed for.
constexpr int kOuterWidth = 255;
constexpr int kOuterHeight = 223;

int CountPixels(const QImage& image, const QRect& area, bool (*matches)(QRgb)) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) count += matches(image.pixel(x, y));
  return count;
}

}  // namespace

TEST(TAboutBoxTest, DesignSizeGivesTheDesignedPlaces) {
  const TAboutUnits units = AboutUnits(kOuterWidth, kOuterHeight);
  EXPECT_EQ(units.h, 2);
  EXPECT_DOUBLE_EQ(units.w, 2.2);
  const TAboutLayout layout = AboutLayout(kOuterWidth, kOuterHeight);
  EXPECT_EQ(layout.icon, QPoint(15, 26));
  ASSERT_EQ(layout.texts.size(), 5u);
  EXPECT_EQ(layout.texts[0].text, "Velmora");
  EXPECT_EQ(layout.texts[0].pos, QPoint(120, 32));
  EXPECT_EQ(layout.texts[1].text, "version 1.0");
  EXPECT_EQ(layout.texts[1].pos, QPoint(123, 54));
  EXPECT_EQ(layout.texts[2].text, "Design & Programming by:");
  EXPECT_EQ(layout.texts[2].pos, QPoint(22, 82));
  EXPECT_EQ(layout.texts[3].pos, QPoint(44, 102));
  EXPECT_EQ(layout.texts[4].pos, QPoint(22, 130));
}

TEST(TAboutBoxTest, NarrowOrLowBoxesDrawAtTheEdge) {
  const TAboutLayout narrow = AboutLayout(99, kOuterHeight);
  EXPECT_EQ(AboutUnits(99, kOuterHeight).w, 0.0);
  EXPECT_EQ(narrow.icon, QPoint(0, 26));
  for (const TAboutText& text : narrow.texts) EXPECT_EQ(text.pos.x(), 0) << text.text.toStdString();
  EXPECT_EQ(narrow.texts[0].pos.y(), 32);
  // Every whole hundred counts: 199 pixels are still one unit of 1.1.
  EXPECT_EQ(AboutLayout(199, kOuterHeight).texts[0].pos.x(), 60);
  const TAboutLayout low = AboutLayout(kOuterWidth, 99);
  for (const TAboutText& text : low.texts) EXPECT_EQ(text.pos.y(), 0) << text.text.toStdString();
}

TEST(TAboutBoxTest, FontsOfTheTexts) {
  const TAboutLayout layout = AboutLayout(kOuterWidth, kOuterHeight);
  const QFont& name = layout.texts[0].font;
  EXPECT_EQ(name.family(), "Arial");
  EXPECT_TRUE(name.bold());
  EXPECT_EQ(name.pixelSize(), 16);
  // The version's font is fixed-pitch whether or not Terminal is installed.
  const QFontMetrics version(layout.texts[1].font);
  EXPECT_EQ(version.horizontalAdvance("i"), version.horizontalAdvance("W"))
      << QFontInfo(layout.texts[1].font).family().toStdString();
  EXPECT_EQ(layout.texts[1].font.pixelSize(), 15);
  EXPECT_EQ(layout.texts[2].font.pixelSize(), 13);
  EXPECT_EQ(layout.texts[3].font.pixelSize(), 11);
  EXPECT_EQ(layout.texts[4].font.family(), "Courier New");
  EXPECT_EQ(layout.texts[4].font.pixelSize(), 12);
  EXPECT_FALSE(layout.texts[4].font.bold());
}

TEST(TAboutBoxTest, PlacedALittleLeftOfTheScreenCentre) {
  EXPECT_EQ(AboutBoxPlace(QSize(1920, 1080), QSize(255, 223)), QPoint(818, 429));
  // Odd sizes take integer halves; the left edge is truncated as a whole, toward zero.
  EXPECT_EQ(AboutBoxPlace(QSize(1025, 769), QSize(255, 223)), QPoint(370, 273));
  EXPECT_EQ(AboutBoxPlace(QSize(200, 150), QSize(255, 223)), QPoint(-41, -36));
}

TEST(TAboutBoxTest, FixedBoxWithItsOKButton) {
  TAboutBox box(nullptr);
  EXPECT_EQ(box.windowTitle(), "About Velmora 1.0");
  EXPECT_EQ(box.minimumSize(), QSize(249, 198));
  EXPECT_EQ(box.maximumSize(), QSize(249, 198));
  // Without a reported frame the layout counts the frame of the design.
  const TAboutUnits units = AboutUnits(box.OuterSize().width(), box.OuterSize().height());
  EXPECT_EQ(units.h, 2);
  EXPECT_DOUBLE_EQ(units.w, 2.2);
  auto* ok = box.findChild<QPushButton*>("OKButton");
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->text(), "OK");
  EXPECT_EQ(ok->geometry(), QRect(80, 154, 97, 33));
  EXPECT_TRUE(ok->isDefault());
  box.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
  EXPECT_TRUE(ok->hasFocus());
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(box.pos(), screen.topLeft() + AboutBoxPlace(screen.size(), box.OuterSize()));
  QTest::mouseClick(ok, Qt::LeftButton);
  EXPECT_FALSE(box.isVisible());
  EXPECT_EQ(box.result(), QDialog::Accepted);
}

TEST(TAboutBoxTest, PaintsTheIconAndTheRedTextsOnGrey) {
  TAboutBox box(nullptr);
  box.show();
  const QImage image = box.grab().toImage();
  ASSERT_EQ(image.size(), QSize(249, 198));
  EXPECT_EQ(QColor(image.pixel(240, 5)), QColor(128, 128, 128));
  const auto red = [](QRgb p) { return qRed(p) > 100 && qGreen(p) < 40 && qBlue(p) < 40; };
  const auto orange = [](QRgb p) { return qRed(p) > 220 && qGreen(p) > 80 && qBlue(p) < 90; };
  EXPECT_GT(CountPixels(image, QRect(120, 32, 70, 18), red), 20);
  EXPECT_GT(CountPixels(image, QRect(123, 54, 90, 16), red), 10);
  EXPECT_GT(CountPixels(image, QRect(22, 130, 200, 16), red), 10);
  EXPECT_GT(CountPixels(image, QRect(15, 26, 32, 32), orange), 10);
  // Nothing is painted left of the icon.
  EXPECT_EQ(CountPixels(image, QRect(0, 0, 14, 150), red), 0);
}
