// The view and the artwork on a screen of twice the density (QT_SCALE_FACTOR=2, offscreen).
#include <cstdlib>
#include <memory>

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include "app/Artwork.h"
#include "app/TMDIChildWave.h"
#include "app/TUnit.h"
#include "app/TViewWave.h"
#include "core/colour/FractalColouring.h"
#include "core/fractal/TFractArray.h"
#include "platform/TApplication.h"
#include "render/QImageCanvas.h"

namespace {

// A fractal window whose view is 200 x 150 pixels of the widget, 400 x 300 of the device, with
// a grid of the device's size.
class THighDensityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0);
    TFractProps props;
    props.XResolution.SetValue(400);
    props.YResolution.SetValue(300);
    window = std::make_unique<TMDIChildWave>(std::make_unique<TUnitFract>("W", ""), props,
                                             TVoldViewProps());
    window->resize(200, 150);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    view = window->View();
    ASSERT_EQ(view->size(), QSize(200, 150));
    ASSERT_TRUE(view->StartComputation());
    Wait();
  }
  void TearDown() override { window.reset(); }

  void Wait() {
    for (int i = 0; i < 6000 && view->Computation().Running(); ++i) QTest::qWait(10);
    for (int i = 0; i < 500 && view->ShowsComputedPicture(); ++i) QTest::qWait(10);
    QApplication::processEvents();
  }

  // What the screen shows, one pixel a device pixel.
  QImage Screen() const {
    const QPixmap grabbed = view->grab();
    EXPECT_EQ(grabbed.devicePixelRatio(), 2.0);
    return grabbed.toImage().convertToFormat(QImage::Format_RGB32);
  }

  QImage Expected() const {
    QImage image(400, 300, QImage::Format_RGB32);
    QImageCanvas canvas(image);
    PaintFractalRect(canvas, {0, 0, 400, 300}, {0, 0, 400, 300}, view->GetFractArray(),
                     view->GetViewProps(), view->GetFractProps().MaxCycle.GetValue());
    return image;
  }

  std::unique_ptr<TMDIChildWave> window;
  TViewWave* view = nullptr;
};

// The rows of a that differ from b anywhere.
std::vector<int> RowsThatDiffer(const QImage& a, const QImage& b) {
  std::vector<int> rows;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.pixel(x, y) != b.pixel(x, y)) {
        rows.push_back(y);
        break;
      }
  return rows;
}

}  // namespace

TEST_F(THighDensityTest, AGridOfTheDeviceSizePaintsEachCellIntoOneDevicePixel) {
  EXPECT_EQ(view->ClientWidth(), 400);
  EXPECT_EQ(view->ClientHeight(), 300);
  ASSERT_EQ(view->GetFractArray()->ColumnsDone(), 400);
  const QImage expected = Expected();
  EXPECT_EQ(view->Picture(), expected);
  const QImage screen = Screen();
  ASSERT_EQ(screen.size(), QSize(400, 300));
  EXPECT_EQ(screen, expected);
  // So is the picture Copy Picture and Export take at the window's size.
  EXPECT_EQ(view->FractalPicture(), expected);
}

TEST_F(THighDensityTest, TheSelectionRectangleIsOneDevicePixelWideWhereTheMouseIs) {
  window->SetMode(ModeZoomIn);
  const QImage before = Screen();
  QTest::mouseMove(view, QPoint(60, 50));
  QTest::mouseMove(view, QPoint(100, 75));
  ASSERT_TRUE(view->SelectionShown());
  // Centred on the mouse in device pixels, as large a share of the view as on any screen.
  const TRect s = view->SelectionRect();
  EXPECT_EQ((s.left + s.right) / 2, 200);
  EXPECT_EQ((s.top + s.bottom) / 2, 150);
  EXPECT_EQ(s.right - s.left, view->SelectionAt(0, 0).right - view->SelectionAt(0, 0).left);
  EXPECT_NEAR(s.right - s.left, 400 * window->SelectionFactor(), 1.0);
  // The screen changes on the rectangle's two horizontal edges only, each one row thick,
  // plus the rows between them where the vertical edges run.
  const QImage after = Screen();
  const std::vector<int> rows = RowsThatDiffer(after, before);
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows.front(), s.top);
  EXPECT_EQ(rows.back(), s.bottom);
  int changedInColumn = 0;
  for (int y = 0; y < 300; ++y)
    changedInColumn += after.pixel(s.left, y) != before.pixel(s.left, y);
  for (int x = s.left + 1; x < s.right - 1; ++x) {
    // Inside the rectangle, just below the top edge, the picture is untouched.
    ASSERT_EQ(after.pixel(x, s.top + 1), before.pixel(x, s.top + 1)) << x;
  }
  EXPECT_GT(changedInColumn, (s.bottom - s.top) / 3);
}

TEST_F(THighDensityTest, AnOrbitPointLandsWhereTheMouseClicksInDevicePixels) {
  window->SetMode(ModeDrawPoints);
  const QImage before = view->Picture().copy();
  QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(50, 40));
  const QImage after = view->Picture();
  int left = 400, right = -1, top = 300, bottom = -1;
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 400; ++x)
      if (after.pixel(x, y) != before.pixel(x, y)) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  ASSERT_GE(right, 0) << "no point drawn";
  // The mark is centred on device pixel (100, 80) and as small as on a screen of density 1.
  EXPECT_NEAR((left + right) / 2.0, 100, 1.0);
  EXPECT_NEAR((top + bottom) / 2.0, 80, 1.0);
  EXPECT_LT(right - left, 12);
  EXPECT_EQ(Screen(), after);
}

TEST(HighDensityArtworkTest, IconsAndCursorsAreDrawnForTheDevicePixels) {
  const QPixmap icon = ToolIcon("ZoomIn").pixmap(QSize(24, 24), 2.0);
  EXPECT_EQ(icon.size(), QSize(48, 48));
  for (int id = 1; id <= 6; ++id) {
    const QCursor cursor = ModeCursor(id);
    EXPECT_EQ(cursor.pixmap().size(), QSize(64, 64)) << id;
    EXPECT_EQ(cursor.pixmap().devicePixelRatio(), 2.0) << id;
    EXPECT_EQ(cursor.hotSpot(), ModeCursor(id, 1.0).hotSpot() * 2) << id;
  }
}

int main(int argc, char** argv) {
  setenv("QT_SCALE_FACTOR", "2", 1);
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  TApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
