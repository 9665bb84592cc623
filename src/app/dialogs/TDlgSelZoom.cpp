#include "app/dialogs/TDlgSelZoom.h"

#include <algorithm>

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QShowEvent>
#include <QVBoxLayout>

#include "platform/GuiHelpers.h"
#include "platform/Help.h"

namespace {

constexpr int kTimeEditWidth = 90;

template <class T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

QLineEdit* TimeEdit(const char* name) {
  auto* edit = Named(new QLineEdit, name);
  edit->setFixedWidth(kTimeEditWidth);
  return edit;
}

// Clears a radio button even though it belongs to an exclusive group.
void Uncheck(QRadioButton* option) {
  option->setAutoExclusive(false);
  option->setChecked(false);
  option->setAutoExclusive(true);
}

// A "Zoomed" box and the begin and end of a view's zoom.
void LayOutZoomGroup(QGroupBox* group, QCheckBox* zoomed, QLineEdit* begin, QLineEdit* end) {
  auto* grid = new QGridLayout(group);
  grid->addWidget(zoomed, 0, 0, 1, 2);
  grid->addWidget(new QLabel("Begin"), 1, 0);
  grid->addWidget(begin, 1, 1);
  grid->addWidget(new QLabel("End"), 2, 0);
  grid->addWidget(end, 2, 1);
}

}  // namespace

TDlgSelZoom::TDlgSelZoom(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName("DlgSelZoom");
  setWindowTitle("Select and Zoom");
  CreateControls();
  CreateLayout();
  ConnectControls();
}

void TDlgSelZoom::CreateControls() {
  grpSelected = Named(new QGroupBox("Selected"), "grpSelected");
  optCursor = Named(new QRadioButton("Cursor"), "optCursor");
  optPart = Named(new QRadioButton("Part"), "optPart");
  editCursorAt = TimeEdit("editCursorAt");
  editPartBegin = TimeEdit("editPartBegin");
  editPartEnd = TimeEdit("editPartEnd");
  grpZoom1 = Named(new QGroupBox("Zoom First View"), "grpZoom1");
  chkZoomed1 = Named(new QCheckBox("Zoomed"), "chkZoomed1");
  editZoom1Begin = TimeEdit("editZoom1Begin");
  editZoom1End = TimeEdit("editZoom1End");
  grpZoom2 = Named(new QGroupBox("Zoom Second View"), "grpZoom2");
  chkZoomed2 = Named(new QCheckBox("Zoomed"), "chkZoomed2");
  editZoom2Begin = TimeEdit("editZoom2Begin");
  editZoom2End = TimeEdit("editZoom2End");
  ApplyBtn = Named(new QPushButton("Apply"), "ApplyBtn");
  CloseBtn = Named(new QPushButton("Close"), "CloseBtn");
  HelpBtn = Named(new QPushButton("&Help"), "HelpBtn");
  m_helpShortcut = new QShortcut(QKeySequence(Qt::Key_F1), this);
}

void TDlgSelZoom::CreateLayout() {
  auto* selected = new QGridLayout(grpSelected);
  selected->addWidget(optCursor, 0, 0);
  selected->addWidget(new QLabel("At"), 0, 1);
  selected->addWidget(editCursorAt, 0, 2);
  selected->addWidget(optPart, 1, 0);
  selected->addWidget(new QLabel("Begin"), 1, 1);
  selected->addWidget(editPartBegin, 1, 2);
  selected->addWidget(new QLabel("End"), 2, 1);
  selected->addWidget(editPartEnd, 2, 2);
  selected->setColumnStretch(3, 1);
  LayOutZoomGroup(grpZoom1, chkZoomed1, editZoom1Begin, editZoom1End);
  LayOutZoomGroup(grpZoom2, chkZoomed2, editZoom2Begin, editZoom2End);

  auto* zooms = new QHBoxLayout;
  zooms->addWidget(grpZoom1);
  zooms->addWidget(grpZoom2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ApplyBtn);
  buttons->addWidget(CloseBtn);
  buttons->addWidget(HelpBtn);
  auto* main = new QVBoxLayout(this);
  main->addWidget(grpSelected);
  main->addLayout(zooms);
  main->addLayout(buttons);
  main->setSizeConstraint(QLayout::SetFixedSize);
}

void TDlgSelZoom::ConnectControls() {
  connect(editCursorAt, &QLineEdit::textChanged, this, &TDlgSelZoom::editCursorAtChange);
  connect(editPartBegin, &QLineEdit::textChanged, this, &TDlgSelZoom::editPartChange);
  connect(editPartEnd, &QLineEdit::textChanged, this, &TDlgSelZoom::editPartChange);
  connect(editZoom1Begin, &QLineEdit::textChanged, this, &TDlgSelZoom::editZoom1Change);
  connect(editZoom1End, &QLineEdit::textChanged, this, &TDlgSelZoom::editZoom1Change);
  connect(editZoom2Begin, &QLineEdit::textChanged, this, &TDlgSelZoom::editZoom2Change);
  connect(editZoom2End, &QLineEdit::textChanged, this, &TDlgSelZoom::editZoom2Change);
  // "Apply" is not connected: the dialog changes nothing of a fractal.
  connect(CloseBtn, &QPushButton::clicked, this, &TDlgSelZoom::close);
  connect(HelpBtn, &QPushButton::clicked, this, &TDlgSelZoom::HelpBtnClick);
  connect(m_helpShortcut, &QShortcut::activated, this, &TDlgSelZoom::HelpBtnClick);
}

void TDlgSelZoom::Fill(bool hasActiveWindow) {
  m_hasActiveWindow = hasActiveWindow;
  m_updating = true;
  if (!hasActiveWindow) {
    for (QLineEdit* edit : {editCursorAt, editPartBegin, editPartEnd, editZoom1Begin, editZoom1End,
                            editZoom2Begin, editZoom2End})
      SetEditEnabled(edit, false, true);
    for (QCheckBox* zoomed : {chkZoomed1, chkZoomed2}) {
      zoomed->setChecked(false);
      zoomed->setEnabled(false);
    }
    for (QRadioButton* option : {optCursor, optPart}) {
      Uncheck(option);
      option->setEnabled(false);
    }
  } else {
    chkZoomed1->setEnabled(true);
    chkZoomed1->setChecked(false);
    for (QLineEdit* edit : {editZoom1Begin, editZoom1End}) {
      SetEditEnabled(edit, true, false);
      edit->clear();
    }
  }
  m_updating = false;
}

void TDlgSelZoom::PlaceBeside(const QRect& mainWindowRect) {
  if (!testAttribute(Qt::WA_Resized)) adjustSize();
  const QSize own = frameGeometry().size();
  // The main window's rectangle runs to left + width and top + height.
  int left = mainWindowRect.x() + mainWindowRect.width();
  int top = mainWindowRect.y() + mainWindowRect.height();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    left = std::min(left, screen->geometry().width() - own.width());
    top = std::min(top, screen->geometry().height() - own.height());
  }
  move(left, top);
}

void TDlgSelZoom::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  if (parentWidget() != nullptr) PlaceBeside(parentWidget()->window()->frameGeometry());
  Fill(m_hasActiveWindow);
}

void TDlgSelZoom::editCursorAtChange() {
  if (!m_updating) optCursor->setChecked(true);
}

void TDlgSelZoom::editPartChange() {
  if (!m_updating) optPart->setChecked(true);
}

void TDlgSelZoom::editZoom1Change() {
  if (!m_updating) chkZoomed1->setChecked(true);
}

void TDlgSelZoom::editZoom2Change() {
  if (!m_updating) chkZoomed2->setChecked(true);
}

void TDlgSelZoom::HelpBtnClick() { ShowHelp(this, kHelpSelectZoom); }
