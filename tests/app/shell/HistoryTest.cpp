// A window's history, panning, and what the status bar tells about the mouse, the
// computation and the precision of the numbers.
#include <cmath>
#include <limits>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include "app/dialogs/TDlgFractal.h"
#include "core/fractal/PointInfo.h"
#include "core/fractal/TFractArray.h"
#include "tests/app/shell/MainFormFixture.h"

namespace {

class THistoryTest : public TMainFormFixture {
 protected:
  TMDIChildWave* OpenDefault() {
    TMDIChildWave* window = Open(DefaultFile("a.vlf"));
    EXPECT_NE(window, nullptr);
    return window;
  }

  // A left click in zoom-in mode at (x, y), and the computation that follows.
  void ZoomAt(TMDIChildWave* window, int x, int y) {
    window->SetMode(ModeZoomIn);
    QTest::mouseClick(window->View(), Qt::LeftButton, {}, QPoint(x, y));
    WaitForComputation(window);
  }

  void Trigger(const char* action) {
    form->ActionList1Update();
    form->Action(action)->trigger();
    WaitForComputation(form->ActiveFractalWindow());
    form->ActionList1Update();
  }

  static std::array<double, 4> Bounds(const TViewWave* view) {
    const TFractProps& p = view->GetFractProps();
    return {p.Left.GetValue(), p.Top.GetValue(), p.Right.GetValue(), p.Bottom.GetValue()};
  }

  QString Panel(int index) {
    return form->findChild<QLabel*>(QString("StatusPanel%1").arg(index))->text();
  }
};

}  // namespace

TEST_F(THistoryTest, ZoomsAreUndoneAndRedoneAndANewZoomForgetsWhatLayAhead) {
  TMDIChildWave* window = OpenDefault();
  TViewWave* view = window->View();
  const auto original = Bounds(view);
  const QImage originalPicture = view->FractalPicture();
  form->ActionList1Update();
  EXPECT_FALSE(Enabled("Undo"));
  EXPECT_FALSE(Enabled("Redo"));

  ZoomAt(window, 100, 120);
  const auto first = Bounds(view);
  const QImage firstPicture = view->FractalPicture();
  ZoomAt(window, 150, 90);
  EXPECT_NE(Bounds(view), first);
  Trigger("Undo");
  EXPECT_EQ(Bounds(view), first);
  Trigger("Undo");
  EXPECT_EQ(Bounds(view), original);
  EXPECT_EQ(view->FractalPicture(), originalPicture);
  EXPECT_FALSE(Enabled("Undo"));
  EXPECT_TRUE(Enabled("Redo"));
  Trigger("Redo");
  EXPECT_EQ(Bounds(view), first);
  EXPECT_EQ(view->FractalPicture(), firstPicture);
  // A new zoom drops the state that lay ahead.
  ZoomAt(window, 60, 60);
  form->ActionList1Update();
  EXPECT_FALSE(Enabled("Redo"));
  EXPECT_TRUE(Enabled("Undo"));
  // The mouse's back and forward buttons walk the same history.
  QTest::mouseClick(view, Qt::BackButton, {}, QPoint(10, 10));
  WaitForComputation(window);
  EXPECT_EQ(Bounds(view), first);
  QTest::mouseClick(view, Qt::ForwardButton, {}, QPoint(10, 10));
  WaitForComputation(window);
  EXPECT_NE(Bounds(view), first);
  // Zooms never mark the document, going either way.
  EXPECT_FALSE(window->unitWave()->NeedsSave());
  Trigger("DeleteUndo");
  EXPECT_FALSE(Enabled("Undo"));
  EXPECT_FALSE(Enabled("DeleteUndo"));
}

TEST_F(THistoryTest, UndoOfTheColoursRepaintsAndUndoOfTheDialogMarksTheDocument) {
  TMDIChildWave* window = OpenDefault();
  TViewWave* view = window->View();
  const TVoldViewProps colours = view->GetViewProps();
  TVoldViewProps other = colours;
  other.MaxDepthColor = unitColor(0x00FF00);
  // As the colour dialog's OK does.
  ASSERT_TRUE(view->ChangeState({view->GetFractProps(), other}, true, false));
  const TFractArray* results = view->GetFractArray();
  Trigger("Undo");
  EXPECT_EQ(view->GetViewProps(), colours);
  EXPECT_EQ(view->GetFractArray(), results) << "only painted again, not computed";
  Trigger("Redo");
  EXPECT_EQ(view->GetViewProps(), other);
  EXPECT_EQ(view->GetFractArray(), results);

  // The fractal dialog: a new Max Depth, then a save, then an undo.
  const TFractProps before = view->GetFractProps();
  QTimer::singleShot(0, form.get(), [] {
    auto* dialog = qobject_cast<TDlgFractal*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QLineEdit*>("editMaxDepth")->setText("123");
    QTest::mouseClick(dialog->findChild<QPushButton*>("OKBtn"), Qt::LeftButton);
  });
  form->FractPropsExecute();
  WaitForComputation(window);
  EXPECT_EQ(view->GetFractProps().MaxDepth.GetValue(), 123);
  ASSERT_TRUE(form->SaveDocument(window->unitWave()));
  EXPECT_FALSE(window->unitWave()->NeedsSave());
  Trigger("Undo");
  EXPECT_EQ(view->GetFractProps(), before);
  EXPECT_TRUE(window->unitWave()->NeedsSave()) << "the dialog's change marks going back";
  ASSERT_TRUE(form->SaveDocument(window->unitWave()));
  // A zoom and its undo leave the mark alone.
  ZoomAt(window, 120, 120);
  Trigger("Undo");
  EXPECT_FALSE(window->unitWave()->NeedsSave());
  EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(THistoryTest, ADragMovesTheBoundsByWholeCellsAsOneState) {
  TMDIChildWave* window = OpenDefault();
  TViewWave* view = window->View();
  // One cell a pixel.
  TFractProps props = view->GetFractProps();
  props.XResolution.SetValue(view->ClientWidth());
  props.YResolution.SetValue(view->ClientHeight());
  ASSERT_TRUE(view->ChangeState({props, view->GetViewProps()}, false, true));
  WaitForComputation(window);
  view->ForgetHistory();
  const auto before = Bounds(view);
  const int32_t columns = props.XResolution.GetValue();
  const int32_t rows = props.YResolution.GetValue();

  // A drag of nothing changes nothing.
  QTest::mousePress(view, Qt::LeftButton, {}, QPoint(50, 50));
  QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(50, 50));
  EXPECT_EQ(Bounds(view), before);
  EXPECT_FALSE(view->CanUndo());

  QTest::mousePress(view, Qt::LeftButton, {}, QPoint(50, 50));
  QTest::mouseMove(view, QPoint(65, 40));
  EXPECT_TRUE(view->Panning());
  EXPECT_EQ(view->PanOffset(), QPoint(15, -10));
  QTest::mouseMove(view, QPoint(80, 30));
  QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(80, 30));
  EXPECT_FALSE(view->Panning());
  WaitForComputation(window);
  // 30 cells to the right, 20 up: the plane moves the other way under the window.
  const auto after = Bounds(view);
  EXPECT_EQ(after[0], MapPixel(before[0], before[2], -30, columns));
  EXPECT_EQ(after[2], MapPixel(before[0], before[2], columns - 30, columns));
  EXPECT_EQ(after[1], MapPixel(before[1], before[3], 20, rows));
  EXPECT_EQ(after[3], MapPixel(before[1], before[3], rows + 20, rows));
  EXPECT_EQ(view->History().UndoCount(), 1u);
  Trigger("Undo");
  EXPECT_EQ(Bounds(view), before);
  EXPECT_FALSE(window->unitWave()->NeedsSave());
}

TEST_F(THistoryTest, TheStatusBarTellsThePointUnderTheMouseAndWhatItsCellDid) {
  TMDIChildWave* window = OpenDefault();
  TViewWave* view = window->View();
  // One cell a pixel, so that the pixel is the cell.
  TFractProps props = view->GetFractProps();
  props.XResolution.SetValue(view->ClientWidth());
  props.YResolution.SetValue(view->ClientHeight());
  ASSERT_TRUE(view->ApplyFractProps(props));
  WaitForComputation(window);
  const TFractArray& results = *view->GetFractArray();
  // The corner escapes, the centre of the rabbit is caught in its 3-cycle.
  // (A null point would mean the centre to the test's mouse.)
  QTest::mouseMove(view, QPoint(1, 0));
  const double step = 3.0 / view->ClientWidth();
  EXPECT_EQ(Panel(8).toStdString(),
            PointText(-1.5 + step, 1.5, std::min(step, 3.0 / view->ClientHeight())) + ": " +
                CellResultText(results.GetDepth(1, 0), 0, 200, true));
  EXPECT_NE(Panel(8).indexOf(": escaped at depth "), -1) << Panel(8).toStdString();
  const int cx = view->ClientWidth() / 2;
  const int cy = view->ClientHeight() / 2;
  QTest::mouseMove(view, QPoint(cx, cy));
  EXPECT_EQ(results.GetCycle(cx, cy), 3);
  EXPECT_NE(Panel(8).indexOf(": cycle of length 3 found at depth "), -1) << Panel(8).toStdString();
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(view, &leave);
  EXPECT_EQ(Panel(8), "");
  // Without the cycle test the centre is undecided.
  props.MaxCycle.SetValue(0);
  ASSERT_TRUE(view->ApplyFractProps(props));
  WaitForComputation(window);
  QTest::mouseMove(view, QPoint(cx, cy + 1));
  QTest::mouseMove(view, QPoint(cx, cy));
  EXPECT_TRUE(Panel(8).endsWith(": undecided")) << Panel(8).toStdString();
}

TEST_F(THistoryTest, ALongComputationShowsItsProgress) {
  TMDIChildWave* window = OpenDefault();
  TViewWave* view = window->View();
  TFractProps props = view->GetFractProps();
  props.Left.SetValue(-0.1);
  props.Right.SetValue(0.1);
  props.Top.SetValue(0.1);
  props.Bottom.SetValue(-0.1);
  props.MaxCycle.SetValue(0);
  props.MaxDepth.SetValue(200000);
  ASSERT_TRUE(view->ApplyFractProps(props));
  form->UpdateComputingPanel();
  EXPECT_EQ(Panel(9), "") << "not in the first third of a second";
  QTest::qWait(700);
  EXPECT_TRUE(Panel(9).contains(QRegularExpression("^[0-9]+ % done"))) << Panel(9).toStdString();
  view->StopComputation();
}

TEST_F(THistoryTest, ThePrecisionGuardSpeaksAtTheLimitAndAsksOnceBeforeGoingBeyond) {
  TMDIChildWave* window = OpenDefault();
  TViewWave* view = window->View();
  TFractProps props = view->GetFractProps();
  props.Map = MapC;
  props.MaxDepth.SetValue(40);
  props.Left.SetValue(-2.0);
  props.Right.SetValue(1.0);
  props.Top.SetValue(1.5);
  props.Bottom.SetValue(-1.5);
  ASSERT_TRUE(view->ApplyFractProps(props));
  WaitForComputation(window);
  const int cx = view->ClientWidth() / 2;
  const int cy = view->ClientHeight() / 2;
  auto beyond = [&] {
    const TFractProps& p = view->GetFractProps();
    auto tooSmall = [](double a, double b, int32_t cells) {
      auto ulp = [](double v) {
        return std::nextafter(std::fabs(v), std::numeric_limits<double>::infinity()) - std::fabs(v);
      };
      return std::fabs(b - a) / cells < 8 * std::max(ulp(a), ulp(b));
    };
    return tooSmall(p.Left.GetValue(), p.Right.GetValue(), p.XResolution.GetValue()) ||
           tooSmall(p.Top.GetValue(), p.Bottom.GetValue(), p.YResolution.GetValue());
  };
  int zooms = 0;
  for (; zooms < 80 && !beyond(); ++zooms) {
    form->UpdateComputingPanel();
    ASSERT_EQ(Panel(9), "") << "speaks one zoom too early, at " << zooms;
    ZoomAt(window, cx, cy);
  }
  ASSERT_TRUE(beyond());
  EXPECT_GT(zooms, 30);
  form->UpdateComputingPanel();
  EXPECT_EQ(Panel(9), "Precision limit reached");
  EXPECT_TRUE(questions.empty());
  // The next zoom asks; No keeps the bounds.
  const auto atLimit = Bounds(view);
  answer = TAnswer::No;
  ZoomAt(window, cx, cy);
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0], std::string("Precision: ") + kBeyondPrecisionQuestion);
  EXPECT_EQ(Bounds(view), atLimit);
  answer = TAnswer::Yes;
  ZoomAt(window, cx, cy);
  EXPECT_NE(Bounds(view), atLimit);
  ZoomAt(window, cx, cy);
  EXPECT_EQ(questions.size(), 2u) << "asked once per window";
}
