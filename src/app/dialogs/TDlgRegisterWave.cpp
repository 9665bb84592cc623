#include "app/dialogs/TDlgRegisterWave.h"

#include <utility>

#include <QFrame>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>

#include "core/report/ErrorReporter.h"
#include "platform/Help.h"

const char* const kInvalidWindowNameText =
    "A window name cannot contain \"<\", \">\" or line breaks, nor begin or end with blanks.";

namespace {

constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonTop = 84;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

template <class T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

}  // namespace

bool IsValidWindowName(const std::string& name) {
  if (name.empty()) return true;
  // The project file keeps a name as element text on one line: markup characters and
  // line breaks would break it, and blanks at the ends would not survive reading.
  if (name.find_first_of("<>\r\n") != std::string::npos) return false;
  return !IsBlank(name.front()) && !IsBlank(name.back());
}

TDlgRegisterWave::TDlgRegisterWave(QWidget* owner, const std::string& name,
                                   std::function<bool(const std::string& name)> acceptName)
    : QDialog(owner), m_name(name), m_acceptName(std::move(acceptName)) {
  setObjectName("DlgRegisterWave");
  setWindowTitle("Register");
  setModal(true);
  setFixedSize(315, 121);

  Bevel1 = Named(new QFrame(this), "Bevel1");
  Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  Bevel1->setGeometry(8, 8, 299, 68);
  LabelName = Named(new QLabel("Name:", this), "LabelName");
  LabelName->move(16, 16);
  EditName = Named(new QLineEdit(this), "EditName");
  EditName->setGeometry(16, 40, 281, EditName->sizeHint().height());
  LabelName->setBuddy(EditName);
  OKBtn = Named(new QPushButton("OK", this), "OKBtn");
  OKBtn->setGeometry(70, kButtonTop, kButtonWidth, kButtonHeight);
  OKBtn->setDefault(true);
  CancelBtn = Named(new QPushButton("Cancel", this), "CancelBtn");
  CancelBtn->setGeometry(150, kButtonTop, kButtonWidth, kButtonHeight);
  HelpBtn = Named(new QPushButton("&Help", this), "HelpBtn");
  HelpBtn->setGeometry(230, kButtonTop, kButtonWidth, kButtonHeight);
  HelpBtn->setAutoDefault(false);
  m_helpShortcut = new QShortcut(QKeySequence(Qt::Key_F1), this);

  connect(OKBtn, &QPushButton::clicked, this, &TDlgRegisterWave::OKBtnClick);
  connect(OKBtn, &QPushButton::clicked, this, &TDlgRegisterWave::accept);
  connect(CancelBtn, &QPushButton::clicked, this, &TDlgRegisterWave::reject);
  connect(HelpBtn, &QPushButton::clicked, this, &TDlgRegisterWave::FormHelp);
  connect(m_helpShortcut, &QShortcut::activated, this, &TDlgRegisterWave::FormHelp);
}

void TDlgRegisterWave::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) EvOnShow();
}

void TDlgRegisterWave::EvOnShow() {
  EditName->setText(QString::fromStdString(m_name));
  EditName->selectAll();
  EditName->setFocus();
  m_accept = true;
}

void TDlgRegisterWave::OKBtnClick() {
  m_name = EditName->text().toStdString();
  if (!IsValidWindowName(m_name)) {
    ErrorReporter.InputError(kInvalidWindowNameText);
    m_accept = false;
  } else if (m_acceptName && !m_acceptName(m_name)) {
    m_accept = false;
  }
}

bool TDlgRegisterWave::EvOnClose() {
  if (m_accept) return true;
  m_accept = true;
  return false;
}

void TDlgRegisterWave::done(int result) {
  if (EvOnClose()) QDialog::done(result);
}

void TDlgRegisterWave::FormHelp() { ShowHelp(this, kHelpRegister); }
