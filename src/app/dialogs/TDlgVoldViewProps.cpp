#include "app/dialogs/TDlgVoldViewProps.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QShowEvent>
#include <QString>
#include <QStringList>
#include <QVBoxLayout>

#include "app/dialogs/TDlgColorPalette1D.h"
#include "platform/Help.h"
#include "platform/TColorBox.h"
#include "platform/TRadioGroup.h"

namespace {

// Strength edits take at most this many characters.
constexpr int kStrengthMaxLength = 99;

template <class T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

QLabel* RowLabel(const char* text, QWidget* buddy) {
  auto* label = new QLabel(text);
  label->setBuddy(buddy);
  return label;
}

// The sensitivities in the order of TSensitivity.
QStringList SensitivityItems() {
  return {"Low (Kwadratic)", "Normal (Linear)", "High (Square root)", "Very High (Fourth root)"};
}

// A "Use Palette" button and its partner exclude each other, apart from the other pairs.
void Pair(QWidget* owner, QRadioButton* usePalette, QRadioButton* partner) {
  auto* group = new QButtonGroup(owner);
  group->addButton(usePalette);
  group->addButton(partner);
}

void SetUsePalette(QRadioButton* usePalette, QRadioButton* partner, bool use) {
  (use ? usePalette : partner)->setChecked(true);
}

}  // namespace

TDlgVoldViewProps::TDlgVoldViewProps(QWidget* owner, TVoldViewProps* defaults,
                                     const TVoldViewProps& source)
    : QDialog(owner),
      m_viewProps(source),
      m_palOutside(source.PalOutside),
      m_palDepthInside(source.PalDepthInside),
      m_palBackgroundInside(source.PalBackgroundInside),
      m_palForegroundInside(source.PalForegroundInside),
      m_defaults(defaults) {
  setObjectName("DlgVoldViewProps");
  setWindowTitle("Color Fractal");
  setModal(true);
  CreateControls();
  CreateLayout();
  ConnectControls();
}

void TDlgVoldViewProps::CreateControls() {
  grpOutside = Named(new QGroupBox("Outside", this), "grpOutside");
  rgrSensitivityOutside = Named(new TRadioGroup("Sensitivity", SensitivityItems(), grpOutside),
                                "rgrSensitivityOutside");
  editStrengthOutside = Named(new QLineEdit(grpOutside), "editStrengthOutside");
  optDepthPaletteOutside =
      Named(new QRadioButton("Use Palette", grpOutside), "optDepthPaletteOutside");
  optDepthMixOutside = Named(new QRadioButton("Mix Colors:", grpOutside), "optDepthMixOutside");
  btnDepthColorPaletteOutside =
      Named(new QPushButton("Edit Palette...", grpOutside), "btnDepthColorPaletteOutside");
  colbBackgroundOutside = Named(new TColorBox(grpOutside), "colbBackgroundOutside");
  colbForegroundOutside = Named(new TColorBox(grpOutside), "colbForegroundOutside");

  grpInside = Named(new QGroupBox("Inside", this), "grpInside");
  rgrSensitivityInside =
      Named(new TRadioGroup("Sensitivity", SensitivityItems(), grpInside), "rgrSensitivityInside");
  editStrengthInside = Named(new QLineEdit(grpInside), "editStrengthInside");

  grpDepthInside = Named(new QGroupBox("Depth Color", grpInside), "grpDepthInside");
  optDepthPaletteInside =
      Named(new QRadioButton("Use Palette", grpDepthInside), "optDepthPaletteInside");
  optDepthMixInside = Named(new QRadioButton("Mix Colors:", grpDepthInside), "optDepthMixInside");
  btnDepthPaletteInside =
      Named(new QPushButton("Edit Palette...", grpDepthInside), "btnDepthPaletteInside");

  grpBackgroundInside = Named(new QGroupBox("Background Color", grpInside), "grpBackgroundInside");
  optBackgroundPaletteInside =
      Named(new QRadioButton("Use Palette", grpBackgroundInside), "optBackgroundPaletteInside");
  optBackgroundInside = Named(new QRadioButton(grpBackgroundInside), "optBackgroundInside");
  btnBackgroundPaletteInside =
      Named(new QPushButton("Edit Palette...", grpBackgroundInside), "btnBackgroundPaletteInside");
  colbBackgroundInside = Named(new TColorBox(grpBackgroundInside), "colbBackgroundInside");

  grpForegroundInside = Named(new QGroupBox("Foreground Color", grpInside), "grpForegroundInside");
  optForegroundPaletteInside =
      Named(new QRadioButton("Use Palette", grpForegroundInside), "optForegroundPaletteInside");
  optForegroundInside = Named(new QRadioButton(grpForegroundInside), "optForegroundInside");
  btnForegroundPaletteInside =
      Named(new QPushButton("Edit Palette...", grpForegroundInside), "btnForegroundPaletteInside");
  colbForegroundInside = Named(new TColorBox(grpForegroundInside), "colbForegroundInside");

  grpColors = Named(new QGroupBox("Colors", this), "grpColors");
  colbMaxDepth = Named(new TColorBox(grpColors), "colbMaxDepth");
  colbCursor = Named(new TColorBox(grpColors), "colbCursor");

  chkDefault = Named(new QCheckBox("Use As Default", this), "chkDefault");
  OKBtn = Named(new QPushButton("OK", this), "OKBtn");
  CancelBtn = Named(new QPushButton("Cancel", this), "CancelBtn");
  HelpBtn = Named(new QPushButton("&Help", this), "HelpBtn");
  OKBtn->setDefault(true);
  m_helpShortcut = new QShortcut(QKeySequence(Qt::Key_F1), this);

  Pair(this, optDepthPaletteOutside, optDepthMixOutside);
  Pair(this, optDepthPaletteInside, optDepthMixInside);
  Pair(this, optBackgroundPaletteInside, optBackgroundInside);
  Pair(this, optForegroundPaletteInside, optForegroundInside);
  // The radio buttons without caption stand for the colour box beside them.
  optBackgroundInside->setAccessibleName("Background Color");
  optForegroundInside->setAccessibleName("Foreground Color");

  const int strengthWidth = QFontMetrics(font()).horizontalAdvance("0.000000000") + 12;
  for (QLineEdit* edit : {editStrengthOutside, editStrengthInside}) {
    edit->setMaxLength(kStrengthMaxLength);
    edit->setFixedWidth(strengthWidth);
  }
}

void TDlgVoldViewProps::CreateLayout() {
  // Outside: the curve on the left; strength, palette or mix and the mix colours beside it.
  auto* outside = new QGridLayout(grpOutside);
  outside->addWidget(rgrSensitivityOutside, 0, 0, 5, 1);
  outside->addWidget(RowLabel("Strength", editStrengthOutside), 0, 1);
  outside->addWidget(editStrengthOutside, 0, 2, 1, 2, Qt::AlignLeft);
  outside->addWidget(optDepthPaletteOutside, 1, 1);
  outside->addWidget(btnDepthColorPaletteOutside, 1, 2, 1, 2, Qt::AlignLeft);
  outside->addWidget(optDepthMixOutside, 2, 1);
  outside->addWidget(RowLabel("Background", colbBackgroundOutside), 2, 2);
  outside->addWidget(colbBackgroundOutside, 2, 3);
  outside->addWidget(RowLabel("Foreground", colbForegroundOutside), 3, 2);
  outside->addWidget(colbForegroundOutside, 3, 3);
  outside->setRowStretch(4, 1);
  outside->setColumnStretch(3, 1);

  auto* depth = new QGridLayout(grpDepthInside);
  depth->addWidget(optDepthPaletteInside, 0, 0);
  depth->addWidget(btnDepthPaletteInside, 0, 1);
  depth->addWidget(optDepthMixInside, 1, 0);
  depth->setColumnStretch(2, 1);

  // Background and foreground: a palette at the cycle position or a fixed colour.
  const struct {
    QGroupBox* group;
    QRadioButton* usePalette;
    QPushButton* editPalette;
    QRadioButton* useColor;
    TColorBox* color;
  } mixColors[] = {
      {grpBackgroundInside, optBackgroundPaletteInside, btnBackgroundPaletteInside,
       optBackgroundInside, colbBackgroundInside},
      {grpForegroundInside, optForegroundPaletteInside, btnForegroundPaletteInside,
       optForegroundInside, colbForegroundInside},
  };
  for (const auto& mix : mixColors) {
    auto* grid = new QGridLayout(mix.group);
    grid->addWidget(mix.usePalette, 0, 0);
    grid->addWidget(mix.editPalette, 0, 1, Qt::AlignLeft);
    grid->addWidget(mix.useColor, 1, 0);
    grid->addWidget(mix.color, 1, 1);
    grid->setColumnStretch(1, 1);
  }

  auto* strengthInside = new QHBoxLayout;
  strengthInside->addWidget(RowLabel("Strength", editStrengthInside));
  strengthInside->addWidget(editStrengthInside);
  strengthInside->addStretch();

  auto* inside = new QGridLayout(grpInside);
  inside->addWidget(rgrSensitivityInside, 0, 0, 2, 1);
  inside->addLayout(strengthInside, 0, 1);
  inside->addWidget(grpDepthInside, 1, 1);
  inside->addWidget(grpBackgroundInside, 2, 0);
  inside->addWidget(grpForegroundInside, 2, 1);

  auto* colors = new QGridLayout(grpColors);
  colors->addWidget(RowLabel("Max Depth", colbMaxDepth), 0, 0);
  colors->addWidget(colbMaxDepth, 0, 1);
  colors->addWidget(RowLabel("Cursor", colbCursor), 0, 2);
  colors->addWidget(colbCursor, 0, 3);
  colors->setColumnStretch(4, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(chkDefault);
  buttons->addStretch(1);
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  buttons->addWidget(HelpBtn);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(grpOutside);
  layout->addWidget(grpInside);
  layout->addWidget(grpColors);
  layout->addLayout(buttons);
  // A dialog of fixed size, as its layout wants it.
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TDlgVoldViewProps::ConnectControls() {
  connect(btnDepthColorPaletteOutside, &QPushButton::clicked, this,
          &TDlgVoldViewProps::btnDepthColorPaletteOutsideClick);
  connect(btnDepthPaletteInside, &QPushButton::clicked, this,
          &TDlgVoldViewProps::btnDepthPaletteInsideClick);
  connect(btnBackgroundPaletteInside, &QPushButton::clicked, this,
          &TDlgVoldViewProps::btnBackgroundPaletteInsideClick);
  connect(btnForegroundPaletteInside, &QPushButton::clicked, this,
          &TDlgVoldViewProps::btnForegroundPaletteInsideClick);
  // The close follows the check, as a button's modal result follows its click handler.
  connect(OKBtn, &QPushButton::clicked, this, &TDlgVoldViewProps::OKBtnClick);
  connect(OKBtn, &QPushButton::clicked, this, &TDlgVoldViewProps::accept);
  connect(CancelBtn, &QPushButton::clicked, this, &TDlgVoldViewProps::reject);
  connect(HelpBtn, &QPushButton::clicked, this, &TDlgVoldViewProps::HelpBtnClick);
  connect(m_helpShortcut, &QShortcut::activated, this, &TDlgVoldViewProps::HelpBtnClick);
}

void TDlgVoldViewProps::showEvent(QShowEvent* event) {
  // Restoring a minimised dialog is not a new show.
  if (!event->spontaneous()) FormShow();
  QDialog::showEvent(event);
}

void TDlgVoldViewProps::FormShow() {
  const TVoldViewProps& p = m_viewProps;
  colbBackgroundOutside->SetColor(p.BackgroundColorOutside.GetValue());
  colbForegroundOutside->SetColor(p.ForegroundColorOutside.GetValue());
  colbBackgroundInside->SetColor(p.ColorBackgroundInside.GetValue());
  colbForegroundInside->SetColor(p.ColorForegroundInside.GetValue());
  colbMaxDepth->SetColor(p.MaxDepthColor.GetValue());
  colbCursor->SetColor(p.CursorColor.GetValue());
  SetUsePalette(optDepthPaletteOutside, optDepthMixOutside, p.UsePalOutside);
  SetUsePalette(optDepthPaletteInside, optDepthMixInside, p.UsePalDepthInside);
  SetUsePalette(optBackgroundPaletteInside, optBackgroundInside, p.UsePalBackgroundInside);
  SetUsePalette(optForegroundPaletteInside, optForegroundInside, p.UsePalForegroundInside);
  editStrengthOutside->setText(QString::fromStdString(p.StrengthOutside.ToText()));
  editStrengthInside->setText(QString::fromStdString(p.StrengthInside.ToText()));
  rgrSensitivityOutside->SetItemIndex(p.SensOutside);
  rgrSensitivityInside->SetItemIndex(p.SensInside);
  m_valid = true;
}

void TDlgVoldViewProps::EditPalette(TColorPalette1DItem& palette, QRadioButton* usePalette) {
  TDlgColorPalette1D editor(this, palette);
  if (editor.exec() != QDialog::Accepted) return;
  palette = editor.GetPalette();
  usePalette->setChecked(true);
}

void TDlgVoldViewProps::btnDepthColorPaletteOutsideClick() {
  EditPalette(m_palOutside, optDepthPaletteOutside);
}

void TDlgVoldViewProps::btnDepthPaletteInsideClick() {
  EditPalette(m_palDepthInside, optDepthPaletteInside);
}

void TDlgVoldViewProps::btnBackgroundPaletteInsideClick() {
  EditPalette(m_palBackgroundInside, optBackgroundPaletteInside);
}

void TDlgVoldViewProps::btnForegroundPaletteInsideClick() {
  EditPalette(m_palForegroundInside, optForegroundPaletteInside);
}

void TDlgVoldViewProps::OKBtnClick() {
  TVoldViewProps& p = m_viewProps;
  p.BackgroundColorOutside.SetValue(colbBackgroundOutside->GetColor());
  p.ColorBackgroundInside.SetValue(colbBackgroundInside->GetColor());
  p.ForegroundColorOutside.SetValue(colbForegroundOutside->GetColor());
  p.ColorForegroundInside.SetValue(colbForegroundInside->GetColor());
  p.CursorColor.SetValue(colbCursor->GetColor());
  p.MaxDepthColor.SetValue(colbMaxDepth->GetColor());
  if (rgrSensitivityOutside->ItemIndex() >= 0)
    p.SensOutside = static_cast<TSensitivity>(rgrSensitivityOutside->ItemIndex());
  if (rgrSensitivityInside->ItemIndex() >= 0)
    p.SensInside = static_cast<TSensitivity>(rgrSensitivityInside->ItemIndex());
  // One flag for both: after a refused outside strength the inside one is not looked at.
  p.StrengthOutside.CheckValue(m_valid, editStrengthOutside->text().toStdString(),
                               "Strength Outside");
  p.StrengthInside.CheckValue(m_valid, editStrengthInside->text().toStdString(), "Strength Inside");
  p.PalOutside = m_palOutside;
  p.PalDepthInside = m_palDepthInside;
  p.PalBackgroundInside = m_palBackgroundInside;
  p.PalForegroundInside = m_palForegroundInside;
  p.UsePalOutside = optDepthPaletteOutside->isChecked();
  p.UsePalDepthInside = optDepthPaletteInside->isChecked();
  p.UsePalBackgroundInside = optBackgroundPaletteInside->isChecked();
  p.UsePalForegroundInside = optForegroundPaletteInside->isChecked();
  if (m_valid && chkDefault->isChecked() && m_defaults != nullptr) *m_defaults = p;
}

void TDlgVoldViewProps::FormCloseQuery(bool& canClose) {
  canClose = m_valid;
  // The refusal is used up: the next OK starts afresh.
  m_valid = true;
}

void TDlgVoldViewProps::done(int result) {
  bool canClose = true;
  FormCloseQuery(canClose);
  if (canClose) QDialog::done(result);
}

void TDlgVoldViewProps::HelpBtnClick() { ShowHelp(this, kHelpColorDialog); }
