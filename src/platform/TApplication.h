#pragma once

#include <string>

#include <QApplication>

// The application object of the GUI: an exception that escapes an event handler is shown in
// a message box and the event loop goes on, so that one failed command never ends the
// program and takes the open windows with it.
class TApplication : public QApplication {
 public:
  TApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;

  // The message an escaped exception is shown with; for one that is not a std::exception,
  // what is null.
  static std::string ExceptionText(const char* what, bool outOfMemory);
};
