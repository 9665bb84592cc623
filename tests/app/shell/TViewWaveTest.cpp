#include "app/TViewWave.h"

#include <QApplication>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include "app/TMDIChildWave.h"
#include "app/TUnit.h"
#include "core/colour/FractalColouring.h"
#include "core/fractal/TFractArray.h"
#include "render/QImageCanvas.h"

namespace {

// A fractal window on its own, with a view of exactly 400 x 300 pixels.
class TViewWaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<TMDIChildWave>(std::make_unique<TUnitFract>("W", ""), TFractProps(),
                                             TVoldViewProps());
    window->resize(400, 300);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    view = window->View();
    ASSERT_EQ(view->size(), QSize(400, 300));
  }
  void TearDown() override { window.reset(); }

  void Wait() {
    for (int i = 0; i < 6000 && view->Computation().Running(); ++i) QTest::qWait(10);
    QApplication::processEvents();
  }

  void Wheel(int delta, QPoint at) {
    QWheelEvent e(QPointF(at), QPointF(view->mapToGlobal(at)), QPoint(), QPoint(0, delta),
                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &e);
  }

  std::unique_ptr<TMDIChildWave> window;
  TViewWave* view = nullptr;
};

}  // namespace

TEST_F(TViewWaveTest, AClickInZoomInHalvesTheBoundsAboutThePoint) {
  window->SetMode(ModeZoomIn);
  QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(200, 150));
  const TFractProps& p = view->GetFractProps();
  EXPECT_EQ(p.Left.GetValue(), -0.75);
  EXPECT_EQ(p.Right.GetValue(), 0.75);
  EXPECT_EQ(p.Top.GetValue(), 0.75);
  EXPECT_EQ(p.Bottom.GetValue(), -0.75);
  Wait();
  window->SetMode(ModeZoomOut);
  QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(200, 150));
  EXPECT_EQ(view->GetFractProps().Left.GetValue(), -1.5);
  EXPECT_EQ(view->GetFractProps().Bottom.GetValue(), -1.5);
  // Off the centre the picture moves the other way in zoom-out.
  window->SetMode(ModeZoomOut);
  QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(300, 150));
  EXPECT_LT(view->GetFractProps().Left.GetValue(), -3.0 - 1.0);
  Wait();
}

TEST_F(TViewWaveTest, TheWheelResizesTheSelection) {
  window->SetMode(ModeZoomIn);
  Wheel(120, QPoint(100, 100));
  EXPECT_DOUBLE_EQ(window->SelectionFactor(), 0.55);
  window->SetSelectionFactor(0.5);
  Wheel(-120, QPoint(100, 100));
  EXPECT_DOUBLE_EQ(window->SelectionFactor(), 0.4455);
  for (int i = 0; i < 200; ++i) Wheel(120, QPoint(100, 100));
  EXPECT_LT(window->SelectionFactor(), 1.0);
  // Without a mode the wheel does nothing.
  window->SetMode(ModeNone);
  const double before = window->SelectionFactor();
  Wheel(120, QPoint(100, 100));
  EXPECT_EQ(window->SelectionFactor(), before);
}

TEST_F(TViewWaveTest, TheFirstMoveDrawsNothingTheSecondDrawsTheRectangle) {
  window->SetMode(ModeZoomIn);
  QMouseEvent first(QEvent::MouseMove, QPointF(100, 100), QPointF(view->mapToGlobal(QPoint(100, 100))),
                    Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(view, &first);
  EXPECT_FALSE(view->SelectionShown());
  QMouseEvent second(QEvent::MouseMove, QPointF(120, 90), QPointF(view->mapToGlobal(QPoint(120, 90))),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(view, &second);
  EXPECT_TRUE(view->SelectionShown());
  EXPECT_EQ(view->SelectionRect(), (TRect{20, 15, 220, 165}));
  // The outline is in the cursor colour (magenta), dotted.
  QApplication::processEvents();
  const QImage& picture = view->Picture();
  int magenta = 0;
  for (int x = 20; x < 220; ++x) magenta += picture.pixel(x, 15) == qRgb(255, 0, 255);
  EXPECT_GT(magenta, 20);
  EXPECT_LT(magenta, 200);
}

TEST_F(TViewWaveTest, ThePictureGrowsAndResizingRepaintsWithoutComputing) {
  ASSERT_TRUE(view->StartComputation());
  Wait();
  ASSERT_EQ(view->GetFractArray()->ColumnsDone(), 250);
  QApplication::processEvents();
  const QRgb corner = view->Picture().pixel(0, 0);
  const QRgb centre = view->Picture().pixel(200, 150);
  EXPECT_NE(corner, centre);
  TFractArray* results = view->GetFractArray();
  window->resize(500, 500);
  QApplication::processEvents();
  view->repaint();
  EXPECT_EQ(view->GetFractArray(), results);
  EXPECT_EQ(view->Picture().size(), QSize(500, 500));
  EXPECT_EQ(view->Picture().pixel(0, 0), corner);
  EXPECT_EQ(view->Picture().pixel(250, 250), view->Picture().pixel(251, 251));
}

TEST_F(TViewWaveTest, TheGrownPictureHasTheColoursOfTheSettingsOfTheMoment) {
  // The computing threads colour the cells by the settings at the start; the picture they
  // grow must be the one the results paint by the view's settings, also when those change
  // while the computation runs.
  const auto expected = [&](const TVoldViewProps& settings) {
    QImage image(view->size(), QImage::Format_RGB32);
    QImageCanvas canvas(image);
    PaintFractalRect(canvas, {0, 0, 400, 300}, {0, 0, 400, 300}, view->GetFractArray(), settings,
                     view->GetFractProps().MaxCycle.GetValue());
    return image;
  };
  ASSERT_TRUE(view->StartComputation());
  Wait();
  ASSERT_EQ(view->GetFractArray()->ColumnsDone(), 250);
  EXPECT_EQ(view->Picture(), expected(view->GetViewProps()));

  TVoldViewProps changed = view->GetViewProps();
  changed.MaxDepthColor.SetValue(0x00FF00);
  changed.BackgroundColorOutside.SetValue(0x808000);
  ASSERT_TRUE(view->StartComputation());
  // No progress paint runs before the event loop does.
  view->SetViewProps(changed);
  Wait();
  ASSERT_EQ(view->GetFractArray()->ColumnsDone(), 250);
  EXPECT_EQ(view->Picture(), expected(changed));
}

TEST_F(TViewWaveTest, OrbitPointsArePlacedAndStepped) {
  window->SetMode(ModeDrawPoints);
  QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(200, 150));
  ASSERT_FALSE(view->Points().IsEmpty());
  EXPECT_EQ(view->Points().Head()->First()->re, 0.0);
  view->AddNextPoints();
  EXPECT_EQ(view->Points().Head()->Length(), 2);
  view->RemovePoints();
  EXPECT_TRUE(view->Points().IsEmpty());
}

TEST_F(TViewWaveTest, ACollapsedSelectionIsIgnored) {
  window->SetMode(ModeZoomOut);
  window->SetSelectionFactor(0.0);
  QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(200, 150));
  EXPECT_EQ(view->GetFractProps().Left.GetValue(), -1.5);
  EXPECT_EQ(view->GetFractProps().Right.GetValue(), 1.5);
}
