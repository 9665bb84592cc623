#include "app/TThreadVolumeWriter.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <thread>
#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include "core/canvas/ArgbRows.h"
#include "core/colour/FractalColouring.h"
#include "core/fractal/TFractArray.h"

namespace {

// A view that records what the worker asks of it.
class TFakeView : public TVolumeWriterView {
 public:
  const TFractProps& GetFractProps() const override {
    if (throwOnStart) throw std::runtime_error("no record");
    return props;
  }
  TFractArray* GetFractArray() override { return computation->FractArray(); }
  void ProgressPaint() override {
    onGui = onGui && TThread::IsGuiThread();
    progress.push_back(computation->FractArray()->ColumnsDone());
    if (onProgress) onProgress();
  }
  void ComputationEnded() override {
    ++ended;
    arrayAtEnd.push_back(computation->FractArray());
    const TThreadVolumeWriter* worker = computation->Worker();
    failures.push_back(worker != nullptr && worker->Failed() ? worker->ErrorText() : "");
  }

  TFractProps props;
  TVolumeComputation* computation = nullptr;
  bool throwOnStart = false;
  bool onGui = true;
  std::vector<int32_t> progress;
  std::vector<TFractArray*> arrayAtEnd;
  std::vector<std::string> failures;  // why each work failed, "" when it did not
  std::function<void()> onProgress;
  int ended = 0;
};

// Serves the event loop until the worker has ended.
void WaitForEnd(TFakeView& view, int expectedEnds = 1) {
  QElapsedTimer timer;
  timer.start();
  while (view.ended < expectedEnds && timer.elapsed() < 20000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
}

// Columns in the interior of z^3 + c (formula 4 with d = 0), slow enough that a strip takes a
// while on any engine path.
TFractProps SlowInterior(int32_t width) {
  TFractProps props;
  props.Formula = 4;
  props.DR.SetValue(0.0);
  props.DI.SetValue(0.0);
  props.Map = MapC;
  props.XResolution.SetValue(width);
  props.YResolution.SetValue(40);
  props.Left.SetValue(-0.2);
  props.Right.SetValue(0.1);
  props.Top.SetValue(0.1);
  props.Bottom.SetValue(-0.1);
  props.MaxCycle.SetValue(0);
  props.MaxDepth.SetValue(150000);
  return props;
}

}  // namespace

TEST(TThreadVolumeWriterTest, TenColumnsGiveThreeProgressPaintsOnTheGuiThread) {
  TFakeView view;
  view.props.XResolution.SetValue(10);
  view.props.YResolution.SetValue(10);
  TVolumeComputation computation(view, 1);
  view.computation = &computation;
  std::string error;
  ASSERT_TRUE(computation.Start(view.props, error)) << error;
  WaitForEnd(view);
  EXPECT_EQ(view.progress, (std::vector<int32_t>{4, 8, 10}));
  EXPECT_EQ(view.ended, 1);
  EXPECT_TRUE(view.onGui);
  EXPECT_EQ(computation.FractArray()->ColumnsDone(), 10);
  EXPECT_GT(computation.Worker()->Steps(), 0u);
}

TEST(TThreadVolumeWriterTest, AStopDuringStripTwoFinishesThatStripOnly) {
  TFakeView view;
  view.props = SlowInterior(40);
  TVolumeComputation computation(view, 1);
  view.computation = &computation;
  // After the first strip's paint the worker goes on with strip 2; the stop comes while it
  // is computing.
  view.onProgress = [&] {
    if (view.progress.size() == 1) {
      std::thread([&computation] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        computation.Worker()->Terminate();
      }).detach();
    }
  };
  std::string error;
  ASSERT_TRUE(computation.Start(view.props, error));
  WaitForEnd(view);
  EXPECT_EQ(computation.FractArray()->ColumnsDone(), 8);
  EXPECT_EQ(view.ended, 1);
}

TEST(TThreadVolumeWriterTest, ANewStartStopsAndDeletesTheOldWorkerBeforeReplacingTheResults) {
  TFakeView view;
  view.props = SlowInterior(200);
  TVolumeComputation computation(view, 1);
  view.computation = &computation;
  std::string error;
  ASSERT_TRUE(computation.Start(view.props, error));
  TFractArray* first = computation.FractArray();
  while (view.progress.empty()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  view.props.XResolution.SetValue(8);
  view.props.MaxDepth.SetValue(50);
  ASSERT_TRUE(computation.Start(view.props, error));
  // The first worker had ended, with its own results still in place, before the new start
  // replaced them.
  ASSERT_EQ(view.arrayAtEnd.size(), 1u);
  EXPECT_EQ(view.arrayAtEnd[0], first);
  WaitForEnd(view, 2);
  EXPECT_EQ(view.ended, 2);
  EXPECT_EQ(computation.FractArray()->Width(), 8);
  EXPECT_EQ(computation.FractArray()->ColumnsDone(), 8);
}

TEST(TThreadVolumeWriterTest, AnExceptionStillEndsTheWorkOnce) {
  TFakeView view;
  view.throwOnStart = true;
  TVolumeComputation computation(view, 1);
  view.computation = &computation;
  std::string error;
  ASSERT_TRUE(computation.Start(view.props, error));
  WaitForEnd(view);
  computation.Stop();
  EXPECT_EQ(view.ended, 1);
  EXPECT_TRUE(view.progress.empty());
  EXPECT_EQ(computation.FractArray()->ColumnsDone(), 0);
  EXPECT_EQ(view.failures, std::vector<std::string>{"no record"});
}

TEST(TThreadVolumeWriterTest, AFailureOfTheWorkIsKeptForTheViewAndAStopIsNone) {
  TFakeView view;
  TVolumeComputation computation(view, 2);
  view.computation = &computation;
  TFractProps started;
  started.XResolution.SetValue(64);
  started.YResolution.SetValue(64);
  // The worker reads another grid than the store was made for: no strip can be computed.
  view.props.XResolution.SetValue(32);
  view.props.YResolution.SetValue(32);
  std::string error;
  ASSERT_TRUE(computation.Start(started, error));
  WaitForEnd(view);
  EXPECT_EQ(view.failures, std::vector<std::string>{"The results of 64 x 64 pixels do not fit "
                                                    "the grid of 32 x 32 pixels."});
  EXPECT_EQ(computation.Props(), started);

  view.props = SlowInterior(400);
  ASSERT_TRUE(computation.Start(view.props, error));
  computation.Stop();
  EXPECT_EQ(view.failures.back(), "");
}

TEST(TThreadVolumeWriterTest, StoppingWhileTheWorkerWaitsForThePaintDoesNotDeadlock) {
  TFakeView view;
  view.props = SlowInterior(400);
  view.props.MaxDepth.SetValue(2000);
  for (int threads : {1, 2}) {
    view.progress.clear();
    view.ended = 0;
    TVolumeComputation computation(view, threads);
    view.computation = &computation;
    std::string error;
    ASSERT_TRUE(computation.Start(view.props, error));
    // Without serving the event loop the worker soon blocks in its first paint request.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    computation.Stop();
    EXPECT_EQ(view.ended, 1);
    EXPECT_FALSE(computation.Running());
    // One thread waits for its first paint; a pool goes on computing meanwhile.
    if (threads == 1) {
      EXPECT_EQ(computation.FractArray()->ColumnsDone(), 4);
    }
  }
}

TEST(TThreadVolumeWriterTest, UncomputableRecordsAreRefusedAndKeepTheResults) {
  TFakeView view;
  TVolumeComputation computation(view, 1);
  view.computation = &computation;
  std::string error;
  ASSERT_TRUE(computation.Start(view.props, error));
  WaitForEnd(view);
  TFractArray* results = computation.FractArray();
  TFractProps huge = view.props;
  huge.XResolution.SetValue(100000);
  huge.YResolution.SetValue(100000);
  EXPECT_FALSE(computation.Start(huge, error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(computation.FractArray(), results);
}

TEST(TThreadVolumeWriterTest, ThePictureHasEveryCellsColourFromEveryThread) {
  TFakeView view;
  view.props.XResolution.SetValue(37);
  view.props.YResolution.SetValue(29);
  view.props.MaxCycle.SetValue(3);
  const TVoldViewProps settings;
  const auto expectPicture = [&](const TVolumeComputation& computation) {
    const TPixelPlane* picture = computation.Pixels();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(computation.Colours(), nullptr);
    // Rows on whole cache lines.
    EXPECT_EQ(picture->Stride() % 16, 0);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(picture->Pixels()) % 64, 0u);
    const TFractArray& results = *computation.FractArray();
    for (int32_t x = 0; x < results.Width(); ++x) {
      for (int32_t y = 0; y < results.Height(); ++y) {
        ASSERT_EQ(
            picture->Pixels()[y * picture->Stride() + x],
            ToOpaqueArgb(CellColor(results.GetDepth(x, y), results.GetCycle(x, y), settings, 3)))
            << x << ", " << y;
      }
    }
  };
  for (const int32_t threads : {1, 3}) {
    view.ended = 0;
    TVolumeComputation computation(view, threads);
    view.computation = &computation;
    std::string error;
    ASSERT_TRUE(computation.Start(view.props, error, &settings, true));
    WaitForEnd(view, 1);
    expectPicture(computation);
    // The next computation of the grid paints the same picture again.
    const TPixelPlane* first = computation.Pixels();
    view.props.Left.SetValue(-1.0);
    ASSERT_TRUE(computation.Start(view.props, error, &settings, true));
    EXPECT_EQ(computation.Pixels(), first);
    WaitForEnd(view, 2);
    expectPicture(computation);
    view.props.XResolution.SetValue(53);
    ASSERT_TRUE(computation.Start(view.props, error, &settings, true));
    WaitForEnd(view, 3);
    expectPicture(computation);
    view.props.XResolution.SetValue(37);
    // Without a picture, the colours are laid out as the results are.
    ASSERT_TRUE(computation.Start(view.props, error, &settings, false));
    WaitForEnd(view, 4);
    EXPECT_EQ(computation.Pixels(), nullptr);
    EXPECT_NE(computation.Colours(), nullptr);
  }
}

TEST(GuiComputeThreadsTest, TheEnvironmentChoosesTheThreads) {
  setenv("VELMORA_THREADS", "3", 1);
  EXPECT_EQ(GuiComputeThreads(), 3);
  setenv("VELMORA_THREADS", "0", 1);
  EXPECT_GE(GuiComputeThreads(), 1);
  setenv("VELMORA_THREADS", "many", 1);
  EXPECT_GE(GuiComputeThreads(), 1);
  unsetenv("VELMORA_THREADS");
}
