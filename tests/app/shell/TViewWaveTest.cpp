#include "app/TViewWave.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include "app/TMDIChildWave.h"
#include "app/TUnit.h"
#include "core/colour/FractalColouring.h"
#include "core/fractal/TFractArray.h"
#include "render/QImageCanvas.h"
#include "tests/support/RecordingSink.h"

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
  QMouseEvent first(QEvent::MouseMove, QPointF(100, 100),
                    QPointF(view->mapToGlobal(QPoint(100, 100))), Qt::NoButton, Qt::NoButton,
                    Qt::NoModifier);
  QApplication::sendEvent(view, &first);
  EXPECT_FALSE(view->SelectionShown());
  QMouseEvent second(QEvent::MouseMove, QPointF(120, 90),
                     QPointF(view->mapToGlobal(QPoint(120, 90))), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
  QApplication::sendEvent(view, &second);
  EXPECT_TRUE(view->SelectionShown());
  EXPECT_EQ(view->SelectionRect(), (TRect{20, 15, 220, 165}));
  // The outline is in the cursor colour (magenta), dotted, drawn over the picture on the
  // screen and not into it.
  QApplication::processEvents();
  const auto magentaOnTop = [&](const QImage& image) {
    int magenta = 0;
    for (int x = 20; x < 220; ++x) magenta += image.pixel(x, 15) == qRgb(255, 0, 255);
    return magenta;
  };
  const QImage screen = view->grab().toImage();
  EXPECT_GT(magentaOnTop(screen), 20);
  EXPECT_LT(magentaOnTop(screen), 200);
  EXPECT_EQ(magentaOnTop(view->Picture()), 0);
  // Moved, the rectangle leaves no trace where it was.
  QMouseEvent third(QEvent::MouseMove, QPointF(300, 250),
                    QPointF(view->mapToGlobal(QPoint(300, 250))), Qt::NoButton, Qt::NoButton,
                    Qt::NoModifier);
  QApplication::sendEvent(view, &third);
  EXPECT_EQ(magentaOnTop(view->grab().toImage()), 0);
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

TEST_F(TViewWaveTest, ARefusedRecordLeavesRecordResultsAndPictureAsTheyWere) {
  // The default Julia set has cycles of length 3 inside; a record asking for cycles of length
  // 1 only must never colour them.
  TRecordingSink sink;
  ASSERT_TRUE(view->StartComputation());
  Wait();
  const TFractProps computed = view->GetFractProps();
  const TFractArray* results = view->GetFractArray();
  const QImage picture = view->Picture();
  TFractProps huge = computed;
  huge.XResolution.SetValue(20000);
  huge.YResolution.SetValue(20000);
  huge.MaxCycle.SetValue(1);
  EXPECT_FALSE(view->ApplyFractProps(huge));
  EXPECT_EQ(sink.Texts(), std::vector<std::string>{
                              "Cannot compute the fractal: A grid of 20000 x 20000 pixels is too "
                              "large: at most 268435456 pixels can be computed."});
  EXPECT_EQ(view->GetFractProps(), computed);
  EXPECT_EQ(view->GetFractArray(), results);
  EXPECT_FALSE(view->Computation().Running());
  // Painted again, at another size too, the picture is the same.
  view->RequestFullRepaint();
  view->repaint();
  EXPECT_EQ(view->Picture(), picture);
  window->resize(500, 400);
  QApplication::processEvents();
  view->repaint();
  EXPECT_EQ(view->Picture().size(), QSize(500, 400));
}

TEST_F(TViewWaveTest, ResultsArePaintedWithTheRecordTheyWereComputedWith) {
  ASSERT_TRUE(view->StartComputation());
  Wait();
  const QImage picture = view->Picture();
  // A record given without a new start (as a caller does before it restarts) looks for
  // shorter cycles than the results hold.
  TFractProps props = view->GetFractProps();
  props.MaxCycle.SetValue(1);
  view->SetFractProps(props);
  view->RequestFullRepaint();
  view->repaint();
  EXPECT_EQ(view->Picture(), picture);
  // Computed with it, the inside has no cycles of length 1 and another colour.
  ASSERT_TRUE(view->ApplyFractProps(props));
  Wait();
  EXPECT_EQ(view->Computation().Props(), props);
  EXPECT_NE(view->Picture(), picture);
}

TEST_F(TViewWaveTest, TheRectangleShowsOnlyInAZoomModeAndWhileTheMouseIsOverTheView) {
  auto move = [&](QPoint at) {
    QMouseEvent e(QEvent::MouseMove, QPointF(at), QPointF(view->mapToGlobal(at)), Qt::NoButton,
                  Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view, &e);
  };
  ASSERT_TRUE(view->StartComputation());
  Wait();
  window->SetMode(ModeZoomIn);
  move({100, 100});
  move({120, 90});
  ASSERT_TRUE(view->SelectionShown());
  // Leaving the zoom modes takes it away, and so does any mode but the zoom modes.
  window->SetMode(ModeZoomOut);
  EXPECT_TRUE(view->SelectionShown());
  window->SetMode(ModeNone);
  EXPECT_FALSE(view->SelectionShown());
  QApplication::processEvents();
  const auto magenta = [&] {
    const QImage screen = view->grab().toImage();
    int count = 0;
    for (int x = 20; x < 220; ++x) count += screen.pixel(x, 15) == qRgb(255, 0, 255);
    return count;
  };
  EXPECT_EQ(magenta(), 0);
  // In Draw Points and Julia mode the wheel sizes the rectangle without showing it.
  for (uint8_t mode : {uint8_t{ModeDrawPoints}, uint8_t{ModeJulia}}) {
    window->SetMode(mode);
    const double factor = window->SelectionFactor();
    Wheel(120, QPoint(120, 90));
    EXPECT_NE(window->SelectionFactor(), factor);
    EXPECT_FALSE(view->SelectionShown());
  }
  // A full repaint (new colours, say) and the mouse leaving take it away too.
  window->SetMode(ModeZoomIn);
  move({121, 90});
  ASSERT_TRUE(view->SelectionShown());
  view->SetViewProps(view->GetViewProps());
  view->RequestFullRepaint();
  EXPECT_FALSE(view->SelectionShown());
  move({122, 90});
  ASSERT_TRUE(view->SelectionShown());
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(view, &leave);
  EXPECT_FALSE(view->SelectionShown());
  QApplication::processEvents();
  EXPECT_EQ(magenta(), 0);
}

TEST_F(TViewWaveTest, TheWheelTakesOneStepPerNotchHoweverFinelyItReports) {
  window->SetMode(ModeZoomIn);
  // A smooth wheel reports a notch in eight parts: one step.
  for (int i = 0; i < 8; ++i) Wheel(15, QPoint(100, 100));
  EXPECT_DOUBLE_EQ(window->SelectionFactor(), 0.55);
  // Half a notch takes no step; the other half does.
  window->SetSelectionFactor(0.5);
  Wheel(-60, QPoint(100, 100));
  EXPECT_EQ(window->SelectionFactor(), 0.5);
  Wheel(-60, QPoint(100, 100));
  EXPECT_DOUBLE_EQ(window->SelectionFactor(), 0.4455);
  // A part turned back the other way is forgotten, and a fast turn of two notches in one
  // event takes two steps.
  window->SetSelectionFactor(0.5);
  Wheel(90, QPoint(100, 100));
  Wheel(-90, QPoint(100, 100));
  Wheel(30, QPoint(100, 100));
  EXPECT_EQ(window->SelectionFactor(), 0.5);
  Wheel(240, QPoint(100, 100));
  EXPECT_DOUBLE_EQ(window->SelectionFactor(), 0.55 + 0.45 * 0.1);
}

namespace {

// The colour the results give a cell, as a pixel.
QRgb CellPixel(const TViewWave& view, int32_t x, int32_t y) {
  const TFractArray* results = view.Computation().FractArray();
  return ToQRgb(CellColor(results->GetDepth(x, y), results->GetCycle(x, y), view.GetViewProps(),
                          view.GetFractProps().MaxCycle.GetValue()));
}

// The colour of the preview's block over pixel (x, y) of a view of its grid's size.
QRgb PreviewPixel(const TViewWave& view, int32_t x, int32_t y) {
  const TFractArray* preview = view.Computation().Worker()->Preview();
  const int32_t i = x / 8;
  const int32_t j = y / 8;
  return ToQRgb(CellColor(preview->GetDepth(i, j), preview->GetCycle(i, j), view.GetViewProps(),
                          view.GetFractProps().MaxCycle.GetValue()));
}

QImage Screen(TViewWave* view) {
  return view->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

}  // namespace

// A grid of exactly the view's size: the computing threads paint the picture the screen shows.
class TViewWaveGridSizeTest : public TViewWaveTest {
 protected:
  void SetUp() override {
    TViewWaveTest::SetUp();
    TFractProps props = view->GetFractProps();
    props.XResolution.SetValue(400);
    props.YResolution.SetValue(300);
    view->SetFractProps(props);
  }

  // What the results paint the usual way, with the view's settings.
  QImage Expected() {
    QImage image(view->size(), QImage::Format_RGB32);
    QImageCanvas canvas(image);
    PaintFractalRect(canvas, {0, 0, 400, 300}, {0, 0, 400, 300}, view->GetFractArray(),
                     view->GetViewProps(), view->GetFractProps().MaxCycle.GetValue());
    return image;
  }

  // Bounds in the interior of the Julia set, with no cycle test: every cell takes all its
  // steps, so the computation runs long enough to be looked at.
  void MakeSlow() {
    TFractProps props = view->GetFractProps();
    props.Left.SetValue(-0.1);
    props.Right.SetValue(0.1);
    props.Top.SetValue(0.1);
    props.Bottom.SetValue(-0.1);
    props.MaxCycle.SetValue(0);
    props.MaxDepth.SetValue(30000);
    view->SetFractProps(props);
  }

  // Serves the event loop until the screen shows some columns of the computation.
  void WaitForColumns() {
    QElapsedTimer timer;
    timer.start();
    while (view->GetFractArray()->ColumnsShown() < 8 && timer.elapsed() < 30000) {
      QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
  }
};

TEST_F(TViewWaveGridSizeTest, TheComputedPictureIsThePaintedOneAndStaysWhenFinished) {
  // Three computations in turn, each painting the picture the last one left on the screen.
  for (const double left : {-1.5, -1.2, -0.9}) {
    view->SetFractalBoundsAndRestart(left, 1.5, 1.5, -1.5);
    EXPECT_TRUE(view->ShowsComputedPicture());
    Wait();
    ASSERT_EQ(view->GetFractArray()->ColumnsDone(), 400);
    // Once the picture is on the screen, the view keeps its own copy and the results the
    // computation replaced are gone.
    for (int i = 0; i < 500 && view->ShowsComputedPicture(); ++i) QTest::qWait(10);
    EXPECT_FALSE(view->ShowsComputedPicture());
    EXPECT_FALSE(view->Computation().HoldsReplacedResults());
    const QImage expected = Expected();
    EXPECT_EQ(view->Picture(), expected) << left;
    EXPECT_EQ(Screen(view), expected) << left;
  }
  // A full repaint and orbit points work on the picture as on any other.
  window->SetMode(ModeDrawPoints);
  QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(200, 150));
  EXPECT_NE(view->Picture(), Expected());
  view->RemovePoints();
  view->repaint();
  EXPECT_EQ(view->Picture(), Expected());
  // At another size the picture's colours are stretched as the results' would be.
  window->resize(230, 170);
  QApplication::processEvents();
  view->repaint();
  QImage stretched(view->size(), QImage::Format_RGB32);
  {
    QImageCanvas canvas(stretched);
    const TRect client{0, 0, view->width(), view->height()};
    PaintFractalRect(canvas, client, client, view->GetFractArray(), view->GetViewProps(),
                     view->GetFractProps().MaxCycle.GetValue());
  }
  EXPECT_EQ(view->Picture(), stretched);
}

TEST_F(TViewWaveGridSizeTest, WhileComputingTheScreenShowsTheFinishedColumnsOverTheOldPicture) {
  ASSERT_TRUE(view->StartComputation());
  Wait();
  const QImage old = view->Picture().copy();
  MakeSlow();
  ASSERT_TRUE(view->StartComputation());
  WaitForColumns();
  const int32_t shown = view->GetFractArray()->ColumnsShown();
  ASSERT_GE(shown, 8);
  ASSERT_LT(shown, 400) << "the computation was too quick to be looked at";
  // The columns beyond are being computed meanwhile, into a picture of their own; until
  // then they show the old picture or, once it is there, the coarse preview.
  const auto expectScreen = [&](const QImage& screen) {
    const bool preview = view->PreviewShown();
    for (int32_t y = 0; y < 300; ++y) {
      for (int32_t x = 0; x < 400; ++x) {
        ASSERT_EQ(screen.pixel(x, y), x < shown ? CellPixel(*view, x, y)
                                      : preview ? PreviewPixel(*view, x, y)
                                                : old.pixel(x, y))
            << x << ", " << y << ", " << shown << " shown";
      }
    }
  };
  EXPECT_TRUE(view->ShowsComputedPicture());
  expectScreen(Screen(view));
  // A full repaint leaves it so.
  view->RequestFullRepaint();
  view->repaint();
  expectScreen(Screen(view));
  // New settings: the shown columns become part of the view's picture, and later ones are
  // painted from the results.
  TVoldViewProps settings = view->GetViewProps();
  view->SetViewProps(settings);
  EXPECT_FALSE(view->ShowsComputedPicture());
  const bool preview = view->PreviewShown();
  for (int32_t x = 0; x < 400; x += 7) {
    ASSERT_EQ(view->Picture().pixel(x, 100), x < shown ? CellPixel(*view, x, 100)
                                             : preview ? PreviewPixel(*view, x, 100)
                                                       : old.pixel(x, 100))
        << x;
  }
  view->StopComputation();
}

TEST_F(TViewWaveGridSizeTest, ASlowViewShowsACoarsePreviewOfExactCellsThenTheColumns) {
  MakeSlow();
  ASSERT_TRUE(view->StartComputation());
  EXPECT_FALSE(view->PreviewShown());
  QElapsedTimer timer;
  timer.start();
  while (!view->PreviewShown() && view->Computation().Running() && timer.elapsed() < 30000) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  ASSERT_TRUE(view->PreviewShown()) << "the computation ended first";
  const int32_t shown = view->GetFractArray()->ColumnsShown();
  const TFractArray* preview = view->Computation().Worker()->Preview();
  ASSERT_NE(preview, nullptr);
  ASSERT_EQ(preview->Width(), 50);
  ASSERT_EQ(preview->Height(), 38);
  // Beyond the columns shown, blocks of 8 x 8 pixels, each of one sample's colour.
  const QImage screen = Screen(view);
  for (int32_t y = 0; y < 300; ++y) {
    for (int32_t x = std::max(shown, 0); x < 400; ++x) {
      ASSERT_EQ(screen.pixel(x, y), PreviewPixel(*view, x, y)) << x << ", " << y;
    }
  }
  // The samples are the very cells the computation gives.
  std::vector<float> sampleDepths;
  for (int32_t i = 0; i < preview->Width(); ++i) {
    for (int32_t j = 0; j < preview->Height(); ++j) sampleDepths.push_back(preview->GetDepth(i, j));
  }
  Wait();
  ASSERT_EQ(view->GetFractArray()->ColumnsDone(), 400);
  size_t k = 0;
  for (int32_t i = 0; i < 50; ++i) {
    for (int32_t j = 0; j < 38; ++j, ++k) {
      ASSERT_EQ(view->GetFractArray()->GetDepth(8 * i, 8 * j), sampleDepths[k]) << i << ", " << j;
    }
  }
  // The exact columns have replaced every block.
  for (int i = 0; i < 500 && view->ShowsComputedPicture(); ++i) QTest::qWait(10);
  EXPECT_EQ(Screen(view), Expected());
}
