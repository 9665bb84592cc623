#include "platform/TThread.h"

#include <chrono>
#include <functional>
#include <stdexcept>
#include <system_error>
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

// A function thread the system refuses to start the first `refusals` times, as std::thread
// is refused when there are no more threads.
class TRefusedThread : public TFunctionThread {
 public:
  TRefusedThread(int refusals, std::function<void(TFunctionThread&)> body)
      : TFunctionThread(std::move(body)), m_refusals(refusals) {}
  // The starts asked for, refused or not.
  int Starts() const { return m_starts; }

 protected:
  std::thread StartThread(std::function<void()> run) override {
    if (m_starts++ < m_refusals) {
      throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    }
    return TFunctionThread::StartThread(std::move(run));
  }

 private:
  int m_refusals;
  int m_starts = 0;
};

// What a TLoopingThread has seen. Kept outside the thread, whose own members are gone once
// TThread's destructor runs.
struct TLoopState {
  std::atomic<bool> running{false};
  std::atomic<bool> sawTerminated{false};
  std::atomic<int> calls{0};
};
TLoopState* loopState = nullptr;

// Asks the GUI thread for calls until it is told to stop. It has no destructor of its own,
// so deleting it leaves the stopping to TThread's.
class TLoopingThread : public TThread {
 public:
  TLoopingThread() : TThread(true) {}

 protected:
  void Execute() override {
    loopState->running = true;
    while (!Terminated()) Synchronize([] { ++loopState->calls; });
    loopState->sawTerminated = true;
  }
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
  TLoopState state;
  loopState = &state;
  int ended = 0;
  bool bodyEndedFirst = false;
  auto* thread = new TLoopingThread;
  thread->OnTerminate = [&] {
    ++ended;
    bodyEndedFirst = state.sawTerminated;
  };
  ASSERT_TRUE(thread->Resume());
  while (!state.running) std::this_thread::yield();
  // The body is in Synchronize or about to be: the deletion must serve its calls, stop it
  // and wait for it.
  delete thread;
  EXPECT_TRUE(state.sawTerminated);
  EXPECT_EQ(ended, 1);
  EXPECT_TRUE(bodyEndedFirst);
  EXPECT_GE(state.calls, 1);
  loopState = nullptr;
}

TEST(TThreadTest, AThreadTheSystemCannotStartCountsAsNeverStarted) {
  std::atomic<int> bodyRuns{0};
  int ended = 0;
  TRefusedThread thread(1, [&](TFunctionThread&) { ++bodyRuns; });
  thread.OnTerminate = [&] { ++ended; };
  EXPECT_FALSE(thread.Resume());
  thread.WaitFor();  // returns at once
  QCoreApplication::processEvents();
  EXPECT_FALSE(thread.Finished());
  EXPECT_EQ(bodyRuns, 0);
  EXPECT_EQ(ended, 0);

  // A later start, once the system has a thread again, runs it as usual.
  EXPECT_TRUE(thread.Resume());
  thread.WaitFor();
  EXPECT_TRUE(thread.Finished());
  EXPECT_EQ(bodyRuns, 1);
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(thread.Starts(), 2);
}
