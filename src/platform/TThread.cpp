#include "platform/TThread.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <new>
#include <system_error>
#include <utility>

#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QObject>
#include <QSocketNotifier>
#include <QThread>

namespace {

// One synchronised call waiting for the GUI thread.
struct TSyncRequest {
  const std::function<void()>* call = nullptr;
  bool done = false;
};

// The queue of synchronised calls of all workers, served in order by the GUI thread.
struct TSyncQueue {
  std::mutex mutex;
  std::condition_variable changed;  // a call was queued or run, or a worker finished
  std::deque<TSyncRequest*> pending;
};

TSyncQueue& Queue() {
  static TSyncQueue queue;
  return queue;
}

// Wakes the GUI thread's event loop when a synchronised call is waiting. The worker writes
// to an eventfd that a socket notifier on the GUI thread watches, so nothing of Qt is handed
// from one thread to the other; the queue itself is guarded by its own mutex.
class TSyncDispatcher {
 public:
  TSyncDispatcher() : m_fd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read);
    if (QCoreApplication::instance() != nullptr) {
      m_notifier->moveToThread(QCoreApplication::instance()->thread());
    }
    QObject::connect(m_notifier, &QSocketNotifier::activated, [this] {
      uint64_t count = 0;
      [[maybe_unused]] const ssize_t n = ::read(m_fd, &count, sizeof count);
      TThread::CheckSynchronize();
    });
  }
  void Wake() {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_fd, &one, sizeof one);
  }

 private:
  int m_fd;
  QSocketNotifier* m_notifier;
};

TSyncDispatcher* Dispatcher() {
  // Made on first use by the GUI thread: the first worker is created there.
  static TSyncDispatcher* dispatcher = new TSyncDispatcher;
  return dispatcher;
}

}  // namespace

TThread::TThread(bool createSuspended) {
  if (QCoreApplication::instance() != nullptr) Dispatcher();
  if (!createSuspended) Resume();
}

TThread::~TThread() {
  if (m_started && !Finished()) {
    Terminate();
    WaitFor();
  }
  if (m_thread.joinable()) m_thread.join();
}

bool TThread::Resume() {
  if (m_started) return true;
  try {
    m_thread = StartThread([this] { Run(); });
  } catch (const std::system_error&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  m_started = true;
  return true;
}

std::thread TThread::StartThread(std::function<void()> run) { return std::thread(std::move(run)); }

void TThread::Run() {
  try {
    Execute();
  } catch (...) {
    // An exception ends the body quietly; the end-of-work notification still runs.
  }
  try {
    if (OnTerminate) Synchronize(OnTerminate);
  } catch (...) {
  }
  {
    std::lock_guard<std::mutex> lock(Queue().mutex);
    m_finished.store(true, std::memory_order_release);
  }
  Queue().changed.notify_all();
}

bool TThread::IsGuiThread() {
  QCoreApplication* app = QCoreApplication::instance();
  return app != nullptr && QThread::currentThread() == app->thread();
}

void TThread::Synchronize(const std::function<void()>& call) {
  if (IsGuiThread() || QCoreApplication::instance() == nullptr) {
    // Without an application there is no GUI thread to hand over to.
    call();
    return;
  }
  TSyncRequest request;
  request.call = &call;
  TSyncQueue& queue = Queue();
  std::unique_lock<std::mutex> lock(queue.mutex);
  queue.pending.push_back(&request);
  queue.changed.notify_all();
  Dispatcher()->Wake();
  queue.changed.wait(lock, [&] { return request.done; });
}

void TThread::CheckSynchronize() {
  TSyncQueue& queue = Queue();
  std::unique_lock<std::mutex> lock(queue.mutex);
  while (!queue.pending.empty()) {
    TSyncRequest* request = queue.pending.front();
    queue.pending.pop_front();
    lock.unlock();
    try {
      (*request->call)();
    } catch (...) {
      // A failing call must still release its worker.
    }
    lock.lock();
    request->done = true;
    queue.changed.notify_all();
  }
}

void TThread::WaitFor() {
  if (!m_started) return;
  if (IsGuiThread()) {
    TSyncQueue& queue = Queue();
    for (;;) {
      CheckSynchronize();
      std::unique_lock<std::mutex> lock(queue.mutex);
      if (Finished()) break;
      queue.changed.wait(lock, [&] { return Finished() || !queue.pending.empty(); });
      if (Finished() && queue.pending.empty()) break;
    }
  }
  if (m_thread.joinable()) m_thread.join();
}

void TThread::NameThread(const char* name) {
  char shortName[16] = {};
  for (int i = 0; i < 15 && name[i] != '\0'; ++i) shortName[i] = name[i];
  pthread_setname_np(pthread_self(), shortName);
}
