#include "platform/TThread.h"

#include <chrono>
#include <functional>
#include <stdexcept>
#include <thread>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

namespace {

// A thread whose body is a given function; Synchronize is made reachable for the body.
class TFunctionThread : public TThread {
 public:
  explicit TFunctionThread(std::function<void(TFunctionThread&)> body)
      : TThread(true), m_body(std::move(body)) {}
  ~TFunctionThread() override {
    Terminate();
    WaitFor();
  }
  void Sync(const std::function<void()>& call) { Synchronize(call); }

 protected:
  void Execute() override { m_body(*this); }

 private:
  std::function<void(TFunctionThread&)> m_body;
};

// Serves the event loop until done() holds or the time runs out.
bool ProcessEventsUntil(const std::function<bool()>& done, int milliseconds = 5000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > milliseconds) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

}  // namespace

TEST(TThreadTest, StartsOnlyOnResumeAndRunsOnTerminateOnTheGuiThreadAfterTheBody) {
  std::atomic<int> bodyRuns{0};
  bool terminateOnGui = false;
  int terminateRuns = 0;
  int bodyRunsAtTerminate = -1;
  TFunctionThread thread([&](TFunctionThread&) { ++bodyRuns; });
  thread.OnTerminate = [&] {
    terminateOnGui = TThread::IsGuiThread();
    bodyRunsAtTerminate = bodyRuns;
    ++terminateRuns;
  };
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(bodyRuns, 0);
  thread.Resume();
  thread.Resume();  // a second start does nothing
  ASSERT_TRUE(ProcessEventsUntil([&] { return thread.Finished(); }));
  thread.WaitFor();
  EXPECT_EQ(bodyRuns, 1);
  EXPECT_EQ(terminateRuns, 1);
  EXPECT_EQ(bodyRunsAtTerminate, 1);
  EXPECT_TRUE(terminateOnGui);
}

TEST(TThreadTest, SynchronizeRunsTheCallOnTheGuiThreadWhileTheWorkerWaits) {
  std::vector<int> order;
  bool callOnGui = false;
  TFunctionThread thread([&](TFunctionThread& self) {
    self.Sync([&] {
      callOnGui = TThread::IsGuiThread();
      order.push_back(1);
    });
    order.push_back(2);  // only after the call has run
  });
  thread.Resume();
  ASSERT_TRUE(ProcessEventsUntil([&] { return thread.Finished(); }));
  thread.WaitFor();
  EXPECT_TRUE(callOnGui);
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST(TThreadTest, WaitForOnTheGuiThreadServesSynchronisedCalls) {
  // The worker keeps asking for GUI calls until told to stop; the GUI thread stops it
  // without ever running its event loop. A plain join would deadlock here.
  std::atomic<int> calls{0};
  TFunctionThread thread([&](TFunctionThread& self) {
    while (!self.Terminated()) self.Sync([&] { ++calls; });
  });
  int ended = 0;
  thread.OnTerminate = [&] { ++ended; };
  thread.Resume();
  while (calls == 0) {
    TThread::CheckSynchronize();
    std::this_thread::yield();
  }
  thread.Terminate();
  thread.WaitFor();
  EXPECT_TRUE(thread.Finished());
  EXPECT_EQ(ended, 1);
  EXPECT_GE(calls, 1);
}

TEST(TThreadTest, AnExceptionInTheBodyStillEndsWithOnTerminate) {
  int ended = 0;
  TFunctionThread thread([](TFunctionThread&) { throw std::runtime_error("aborted"); });
  thread.OnTerminate = [&] { ++ended; };
  thread.Resume();
  thread.WaitFor();
  EXPECT_EQ(ended, 1);
  EXPECT_TRUE(thread.Finished());
}

TEST(TThreadTest, WaitForAThreadThatNeverStartedReturnsAtOnce) {
  TFunctionThread thread([](TFunctionThread&) {});
  thread.WaitFor();
  EXPECT_FALSE(thread.Finished());
}

TEST(TThreadTest, DeletingARunningThreadStopsIt) {
  std::atomic<bool> running{false};
  {
    TFunctionThread thread([&](TFunctionThread& self) {
      running = true;
      while (!self.Terminated()) {
        self.Sync([] {});
      }
    });
    thread.Resume();
    while (!running) std::this_thread::yield();
  }
  SUCCEED();
}
