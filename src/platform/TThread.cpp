#include "platform/TThread.h"

#include <condition_variable>
#include <deque>
#include <mutex>

#include <pthread.h>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
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

// Receives the posted events that make the GUI thread's event loop serve the queue.
class TSyncDispatcher : public QObject {
 public:
  static const QEvent::Type kEventType;
  bool event(QEvent* e) override {
    if (e->type() == kEventType) {
      TThread::CheckSynchronize();
      return true;
    }
    return QObject::event(e);
  }
};
const QEvent::Type TSyncDispatcher::kEventType =
    static_cast<QEvent::Type>(QEvent::registerEventType());

TSyncDispatcher* Dispatcher() {
  // Created on first use by the GUI thread (the first start of a worker happens there) and
  // moved to the application's thread in any case.
  static TSyncDispatcher* dispatcher = [] {
    auto* d = new TSyncDispatcher;
    if (QCoreApplication::instance() != nullptr) d->moveToThread(QCoreApplication::instance()->thread());
    return d;
  }();
  return dispatcher;
}

}  // namespace

TThread::TThread(bool createSuspended) {
  Dispatcher();
  if (!createSuspended) Resume();
}

TThread::~TThread() {
  if (m_started && !Finished()) {
    Terminate();
    WaitFor();
  }
  if (m_thread.joinable()) m_thread.join();
}

void TThread::Resume() {
  if (m_started) return;
  m_started = true;
  m_thread = std::thread([this] { Run(); });
}

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
  QCoreApplication::postEvent(Dispatcher(), new QEvent(TSyncDispatcher::kEventType));
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
