// velmora [FILE]...: the fractal explorer. The files named on the command line open at start.
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>

#include <QMessageBox>

#include "app/Log.h"
#include "app/TMainForm.h"
#include "core/report/ErrorReporter.h"
#include "platform/Dialogs.h"
#include "platform/TApplication.h"

namespace {

constexpr const char* kUsage =
    "usage: velmora [FILE]...\n"
    "\n"
    "The fractal explorer. Each FILE opens at start, in the order given: a fractal file\n"
    "(.vlf), a PNG picture that carries its fractal (.png) or a project (.tkp).\n"
    "\n"
    "  -h, --help     print this text and exit\n"
    "  --version      print the version and exit\n";

}  // namespace

int main(int argc, char** argv) {
  // Answered before anything needs a display.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::fputs("velmora 1.0\n", stdout);
      return 0;
    }
  }
  TApplication app(argc, argv);
  QApplication::setApplicationName("Velmora");
  QApplication::setApplicationVersion("1.0");
  // Ties the windows to the installed desktop entry (its name and icon in task bars).
  QGuiApplication::setDesktopFileName("org.velmora.Velmora");
  ErrorReporter.SetSink(std::make_unique<TMessageBoxSink>());
  try {
    TMainForm mainForm;
    mainForm.show();
    app.exec();
  } catch (const std::exception& e) {
    LogOpen();
    LogWriteLine("voor exception show\n");
    QMessageBox::critical(nullptr, "Velmora 1.0", QString::fromLocal8Bit(e.what()));
    LogWriteLine("na exception show\n");
    LogClose();
  }
  return 0;
}
