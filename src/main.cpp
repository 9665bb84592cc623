// velmora [FILE]: the fractal explorer. A .vlf file named on the command line opens at start.
#include <exception>
#include <memory>

#include <QMessageBox>

#include "app/Log.h"
#include "app/TMainForm.h"
#include "core/report/ErrorReporter.h"
#include "platform/Dialogs.h"
#include "platform/TApplication.h"

int main(int argc, char** argv) {
  TApplication app(argc, argv);
  QApplication::setApplicationName("Velmora");
  QApplication::setApplicationVersion("1.0");
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
