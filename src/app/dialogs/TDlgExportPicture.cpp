#include "app/dialogs/TDlgExportPicture.h"

#include <algorithm>

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/colour/PictureRender.h"
#include "core/files/FileNames.h"
#include "core/report/ErrorReporter.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "render/PictureFile.h"

namespace {

template <class T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

QSpinBox* SizeBox(const char* name, int32_t value) {
  auto* box = Named(new QSpinBox, name);
  box->setRange(1, 65535);
  box->setValue(value);
  box->setAccelerated(true);
  return box;
}

}  // namespace

std::string PictureFormatsFilter() {
  return "PNG pictures with their fractal (*.png)|*.png|JPEG pictures (*.jpg;*.jpeg)|*.jpg;*.jpeg|"
         "WebP pictures (*.webp)|*.webp|BMP pictures (*.bmp)|*.bmp|All files (*.*)|*.*";
}

TDlgExportPicture::TDlgExportPicture(QWidget* owner, const TExportChoice& proposal,
                                     int32_t windowWidth, int32_t windowHeight)
    : QDialog(owner), m_windowWidth(windowWidth), m_windowHeight(windowHeight) {
  setObjectName("DlgExportPicture");
  setWindowTitle("Export Picture");
  setModal(true);

  editFile = Named(new QLineEdit(FromBytes(proposal.path)), "editFile");
  editFile->setMinimumWidth(300);
  btnBrowse = Named(new QPushButton("&Browse..."), "btnBrowse");
  editWidth = SizeBox("editWidth", proposal.width);
  editHeight = SizeBox("editHeight", proposal.height);
  btnWidthWindow = Named(new QPushButton("< Window"), "btnWidthWindow");
  btnHeightWindow = Named(new QPushButton("< Window"), "btnHeightWindow");
  cmbSamples = Named(new QComboBox, "cmbSamples");
  cmbSamples->addItem("None (1 sample a pixel)");
  for (int32_t a = 2; a <= kMaxPictureSamples; ++a) {
    cmbSamples->addItem(QString("%1 x %1 samples a pixel").arg(a));
  }
  cmbSamples->setCurrentIndex(std::clamp(proposal.samples, 1, kMaxPictureSamples) - 1);
  OKBtn = Named(new QPushButton("OK"), "OKBtn");
  OKBtn->setDefault(true);
  CancelBtn = Named(new QPushButton("Cancel"), "CancelBtn");
  HelpBtn = Named(new QPushButton("&Help"), "HelpBtn");
  m_helpShortcut = new QShortcut(QKeySequence(Qt::Key_F1), this);

  auto* file = new QHBoxLayout;
  file->addWidget(editFile, 1);
  file->addWidget(btnBrowse);
  auto* width = new QHBoxLayout;
  width->addWidget(editWidth, 1);
  width->addWidget(btnWidthWindow);
  auto* height = new QHBoxLayout;
  height->addWidget(editHeight, 1);
  height->addWidget(btnHeightWindow);
  auto* form = new QFormLayout;
  auto label = [](const char* text, QWidget* buddy) {
    auto* l = new QLabel(text);
    l->setBuddy(buddy);
    return l;
  };
  form->addRow(label("&File:", editFile), file);
  form->addRow(label("&Width:", editWidth), width);
  form->addRow(label("H&eight:", editHeight), height);
  form->addRow(label("&Anti-aliasing:", cmbSamples), cmbSamples);
  auto* hint = new QLabel(
      "The picture is computed afresh at its size. A PNG picture carries its fractal: opening "
      "it in Velmora opens the fractal.");
  hint->setWordWrap(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  buttons->addWidget(HelpBtn);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(hint);
  layout->addLayout(buttons);

  connect(btnBrowse, &QPushButton::clicked, this, &TDlgExportPicture::BrowseBtnClick);
  connect(btnWidthWindow, &QPushButton::clicked, this, [this] { editWidth->setValue(m_windowWidth); });
  connect(btnHeightWindow, &QPushButton::clicked, this,
          [this] { editHeight->setValue(m_windowHeight); });
  connect(OKBtn, &QPushButton::clicked, this, &TDlgExportPicture::OKBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &TDlgExportPicture::reject);
  connect(HelpBtn, &QPushButton::clicked, this, [this] { ShowHelp(this, kHelpExportPicture); });
  connect(m_helpShortcut, &QShortcut::activated, this,
          [this] { ShowHelp(this, kHelpExportPicture); });
}

TExportChoice TDlgExportPicture::Choice() const {
  TExportChoice choice;
  choice.path = ToBytes(editFile->text());
  choice.width = editWidth->value();
  choice.height = editHeight->value();
  choice.samples = cmbSamples->currentIndex() + 1;
  return choice;
}

void TDlgExportPicture::BrowseBtnClick() {
  TFileDialogSpec request;
  request.title = "Export Picture";
  request.defaultExtension = "png";
  request.filter = PictureFormatsFilter();
  request.save = true;
  request.overwritePrompt = true;
  request.helpContext = kHelpExportPicture;
  const std::vector<std::string> chosen = RunFileDialog(this, request, Choice().path);
  if (!chosen.empty()) editFile->setText(FromBytes(chosen.front()));
}

void TDlgExportPicture::OKBtnClick() {
  const TExportChoice choice = Choice();
  if (choice.path.empty()) {
    ErrorReporter.InputError("Give the file the picture is exported to.");
    editFile->setFocus();
    return;
  }
  std::string reason;
  if (LowerExtension(choice.path) != "png" &&
      !WholePictureWritable(choice.path, choice.width, choice.height, reason)) {
    ErrorReporter.InputError("Cannot export the picture as \"" + choice.path + "\": " + reason);
    editFile->setFocus();
    return;
  }
  accept();
}
