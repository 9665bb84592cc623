#include "platform/GuiHelpers.h"

#include <QApplication>
#include <QLineEdit>
#include <QPalette>

void SetEditEnabled(QLineEdit* edit, bool enabled, bool clearWhenDisabled) {
  QPalette palette = edit->palette();
  const QPalette system = QApplication::palette(edit);
  if (enabled) {
    edit->setEnabled(true);
    palette.setColor(QPalette::All, QPalette::Base, system.color(QPalette::Active, QPalette::Base));
  } else {
    if (clearWhenDisabled) edit->clear();
    palette.setColor(QPalette::All, QPalette::Base, system.color(QPalette::Active, QPalette::Button));
    edit->setEnabled(false);
  }
  edit->setPalette(palette);
}
