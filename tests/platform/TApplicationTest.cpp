#include "platform/TApplication.h"

#include <new>
#include <stdexcept>

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include "tests/support/RecordingSink.h"

namespace {

// An object whose handler fails on a user event.
class TFailingObject : public QObject {
 public:
  int handled = 0;
  bool outOfMemory = false;

 protected:
  bool event(QEvent* e) override {
    if (e->type() != QEvent::User) return QObject::event(e);
    ++handled;
    if (outOfMemory) throw std::bad_alloc();
    throw std::runtime_error("the disk went away");
  }
};

}  // namespace

TEST(TApplicationTest, AnExceptionInAHandlerIsShownAndTheLoopGoesOn) {
  // The test programs run on the program's own application object.
  ASSERT_NE(dynamic_cast<TApplication*>(QCoreApplication::instance()), nullptr);
  TRecordingSink sink;
  TFailingObject failing;
  QEvent sent(QEvent::User);
  EXPECT_FALSE(QCoreApplication::sendEvent(&failing, &sent));
  failing.outOfMemory = true;
  QCoreApplication::postEvent(&failing, new QEvent(QEvent::User));
  // A handler run by the event loop itself, after the failing one.
  bool later = false;
  QTimer::singleShot(0, [&] { later = true; });
  QCoreApplication::processEvents();
  EXPECT_EQ(failing.handled, 2);
  EXPECT_TRUE(later);
  EXPECT_EQ(sink.Messages(),
            (std::vector<TRecordedMessage>{
                {"The operation failed: the disk went away", "Error", TMessageIcon::Error},
                {"There is not enough memory to finish this operation.", "Error",
                 TMessageIcon::Error}}));
}
