// How much the view adds to a computation: the time from the start of a computation in a
// 1000 x 1000 view until the picture is complete on the screen, against the bare computation
// of the same record on the same number of threads (with the allocation of its result store,
// which a view makes for every computation too). Runs on the offscreen platform. While the view
// computes, the GUI thread sleeps in the event loop as in the application: a loop that polled
// for events would take a core from the computing threads.
//
// Usage: velmora_view_bench [repeats] [shallow|cycles]
// "cycles" takes the long orbits by the period-3 bulb (depth 5000, cycles of up to 3), a
// computation slow enough for the view to compute and show its coarse preview too.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>

#include "app/TMDIChildWave.h"
#include "app/TThreadVolumeWriter.h"
#include "app/TUnit.h"
#include "app/TViewWave.h"
#include "core/fractal/StripScheduler.h"
#include "core/fractal/TFractArray.h"
#include "Workloads.h"

namespace {

// Tells when the view is painted on the screen with every column of its results shown.
class TScreenWatch : public QObject {
 public:
  bool complete = false;
  const TFractArray* results = nullptr;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    // Seen before the view handles it; the event loop returns once it has.
    if (event->type() == QEvent::Paint && results != nullptr &&
        results->ColumnsShown() == results->Width()) {
      complete = true;
    }
    return false;
  }
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  TFractProps props = ShallowMandelbrot(1000);
  if (argc > 2 && std::string(argv[2]) == "cycles") {
    props.Left.SetValue(-1.77);
    props.Right.SetValue(-1.74);
    props.Top.SetValue(0.015);
    props.Bottom.SetValue(-0.015);
    props.MaxDepth.SetValue(5000);
    props.MaxCycle.SetValue(3);
  }
  const int32_t threads = GuiComputeThreads();

  TMDIChildWave window(std::make_unique<TUnitFract>("bench", ""), props, TVoldViewProps());
  // Not limited by the size of a screen: the view is exactly as large as the grid.
  window.setAttribute(Qt::WA_DontShowOnScreen);
  window.resize(1000, 1000);
  window.show();
  QApplication::processEvents();
  TViewWave* view = window.View();
  if (view->size() != QSize(1000, 1000)) {
    std::fprintf(stderr, "the view is %d x %d\n", view->width(), view->height());
    return 1;
  }
  view->StopComputation();
  TScreenWatch screen;
  view->installEventFilter(&screen);

  std::vector<double> bare, shown;
  int previews = 0;
  // Bare and view runs take turns, so a drift in the machine's speed meets both alike. The
  // view computes again and again as it does when zoomed.
  for (int r = 0; r < repeats; ++r) {
    {
      uint64_t steps = 0;
      std::string error;
      QElapsedTimer timer;
      timer.start();
      std::unique_ptr<TFractArray> array = TFractArray::Create(1000, 1000, error);
      ComputeInStrips(props, *array, threads, {}, steps, error);
      bare.push_back(timer.nsecsElapsed() / 1e9);
    }
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    view->StartComputation();
    // The picture is complete once the progress paint of the last columns has run and the
    // view's next paint event has put them on the screen; the worker's own ending is not
    // waited for.
    const TFractArray* results = view->Computation().FractArray();
    screen.complete = false;
    screen.results = results;
    while (!screen.complete) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    shown.push_back(timer.nsecsElapsed() / 1e9);
    previews += view->PreviewShown();
    view->StopComputation();
  }
  const double b = Median(bare);
  const double s = Median(shown);
  std::printf(
      "threads %d, median of %d: bare computation %.4f s, view until painted %.4f s, "
      "%.1f%% more; the preview shown %d times\n",
      threads, repeats, b, s, (s / b - 1.0) * 100.0, previews);
  return 0;
}
