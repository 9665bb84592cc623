#include "platform/Help.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace {

int g_lastContext = 0;

struct TPage {
  int context;
  const char* path;
};

constexpr TPage kPages[] = {
    {kHelpContents, ":/help/index.html"},         {kHelpFractalDialog, ":/help/fractal.html"},
    {kHelpColorDialog, ":/help/colours.html"},     {kHelpPaletteEditor, ":/help/palette.html"},
    {kHelpRegister, ":/help/names.html"},          {kHelpSelectZoom, ":/help/index.html"},
    {kHelpOpenProject, ":/help/projects.html"},    {kHelpNewProject, ":/help/projects.html"},
    {kHelpExportProject, ":/help/projects.html"},  {kHelpExportPicture, ":/help/pictures.html"},
};

}  // namespace

const char* HelpPage(int context) {
  for (const TPage& page : kPages)
    if (page.context == context) return page.path;
  return kPages[0].path;
}

int LastHelpContext() { return g_lastContext; }

void ShowHelp(QWidget* parent, int context) {
  g_lastContext = context;
  static QPointer<QDialog> window;
  // Help asked for from a modal dialog belongs to that dialog, or the dialog's modality would
  // keep the user from scrolling it.
  QWidget* owner = QApplication::activeModalWidget();
  if (window != nullptr && window->parentWidget() != owner) delete window;
  if (window == nullptr) {
    window = new QDialog(owner, Qt::Window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle("Velmora Help");
    window->resize(560, 520);
    auto* layout = new QVBoxLayout(window);
    auto* browser = new QTextBrowser(window);
    browser->setObjectName("helpBrowser");
    browser->setOpenLinks(true);
    layout->addWidget(browser);
  }
  auto* browser = window->findChild<QTextBrowser*>("helpBrowser");
  browser->setSource(QUrl(QString("qrc") + HelpPage(context)));
  if (parent != nullptr && !window->isVisible()) window->move(parent->window()->geometry().topRight());
  window->show();
  window->raise();
  window->activateWindow();
}
