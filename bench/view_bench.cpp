// How much the view adds to a computation: the time from the start of a computation in a
// 1000 x 1000 view until the picture is complete on the screen, against the bare computation
// of the same record on the same number of threads (with the allocation of its result store,
// which a view makes for every computation too). Runs on the offscreen platform. While the view
// computes, the GUI thread sleeps in the event loop as in the application: a loop that polled
// for events would take a core from the computing threads.
//
// Usage: velmora_view_bench [repeats]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "app/TMDIChildWave.h"
#include "app/TThreadVolumeWriter.h"
#include "app/TUnit.h"
#include "app/TViewWave.h"
#include "core/fractal/StripScheduler.h"
#include "core/fractal/TFractArray.h"
#include "Workloads.h"

namespace {

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const TFractProps props = ShallowMandelbrot(1000);
  const int32_t threads = GuiComputeThreads();

  std::vector<double> bare, shown;
  for (int r = 0; r < repeats; ++r) {
    uint64_t steps = 0;
    std::string error;
    QElapsedTimer timer;
    timer.start();
    std::unique_ptr<TFractArray> array = TFractArray::Create(1000, 1000, error);
    ComputeInStrips(props, *array, threads, {}, steps, error);
    bare.push_back(timer.nsecsElapsed() / 1e9);
  }
  for (int r = 0; r < repeats; ++r) {
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
    view->repaint();
    QElapsedTimer timer;
    timer.start();
    view->StartComputation();
    // The worker's end reaches the GUI thread as a synchronised call, whose wake-up may come
    // just before Running turns false: a timer makes sure the loop looks again soon.
    QTimer nudge;
    nudge.start(1);
    while (view->Computation().Running()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    nudge.stop();
    // Everything computed is painted once the last progress paint has reached the screen.
    view->repaint();
    shown.push_back(timer.nsecsElapsed() / 1e9);
  }
  const double b = Median(bare);
  const double s = Median(shown);
  std::printf("threads %d, median of %d: bare computation %.4f s, view until painted %.4f s, "
              "%.1f%% more\n",
              threads, repeats, b, s, (s / b - 1.0) * 100.0);
  return 0;
}
