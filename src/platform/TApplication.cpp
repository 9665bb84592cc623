#include "platform/TApplication.h"

#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "core/report/ErrorReporter.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

std::string TApplication::ExceptionText(const char* what, bool outOfMemory) {
  if (outOfMemory) return "There is not enough memory to finish this operation.";
  if (what == nullptr || *what == '\0') return "The operation failed for an unknown reason.";
  return std::string("The operation failed: ") + what;
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  std::string text;
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::bad_alloc&) {
    text = ExceptionText(nullptr, true);
  } catch (const std::exception& e) {
    text = ExceptionText(e.what(), false);
  } catch (...) {
    text = ExceptionText(nullptr, false);
  }
  // The message box runs an event loop of its own; should the failing handler run again
  // meanwhile (a paint, say), its failure goes to standard error instead of a second box.
  static bool showing = false;
  if (showing) {
    std::fprintf(stderr, "Velmora: %s\n", text.c_str());
    return false;
  }
  showing = true;
  ErrorReporter.ShowMessage(text, "Error", TMessageIcon::Error);
  showing = false;
  return false;
}
