#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

// A worker thread in the manner the views rely on: created suspended, started by Resume,
// asked to stop through Terminate (the body polls Terminated), waited for by WaitFor, and
// able to run a call on the GUI thread with Synchronize while it waits for that call.
//
// Stopping never deadlocks: WaitFor on the GUI thread keeps serving pending synchronised
// calls, so a worker blocked in Synchronize gets its call run and can go on to its end.
// OnTerminate runs on the GUI thread, through the same synchronised call, after the body
// has ended (also when the body threw). The owner deletes the thread; it never frees itself.
class TThread {
 public:
  explicit TThread(bool createSuspended);
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  // Starts the body; true when it is started, now or before. False when the system cannot
  // start one more thread: the thread then counts as never started (WaitFor returns at once,
  // OnTerminate never runs, a later Resume tries again).
  bool Resume();
  void Terminate() { m_terminated.store(true, std::memory_order_release); }
  bool Terminated() const { return m_terminated.load(std::memory_order_acquire); }
  // Returns once the body and OnTerminate have run; at once for a thread that never started.
  void WaitFor();
  bool Finished() const { return m_finished.load(std::memory_order_acquire); }

  std::function<void()> OnTerminate;

  // Runs every pending synchronised call; the GUI thread's event loop calls this through a
  // posted event, WaitFor calls it while it waits.
  static void CheckSynchronize();
  static bool IsGuiThread();

 protected:
  virtual void Execute() = 0;
  // Runs call on the GUI thread and returns when it has run. Called on the GUI thread
  // itself, it simply runs the call.
  void Synchronize(const std::function<void()>& call);
  // Gives the thread a name for debuggers and system tools (at most 15 characters show).
  void NameThread(const char* name);
  // Starts the system thread that runs run; throws std::system_error when there is none to
  // be had, as std::thread does. A seam for tests, which make it fail.
  virtual std::thread StartThread(std::function<void()> run);

 private:
  void Run();

  std::thread m_thread;
  std::atomic<bool> m_terminated{false};
  std::atomic<bool> m_finished{false};
  bool m_started = false;
};
