#include "app/dialogs/TDlgFractal.h"

#include <algorithm>

#include <QCheckBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QShowEvent>
#include <QString>
#include <QVBoxLayout>

#include "core/fractal/Engine.h"
#include "core/report/ErrorReporter.h"
#include "core/values/ValueUnits.h"
#include "platform/GuiHelpers.h"
#include "platform/Help.h"

namespace {

// Resolution edits take at most this many characters.
constexpr int kResolutionMaxLength = 99;

template <class T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

// A label in a grid that belongs to an edit, aligned to its left.
QLabel* RowLabel(const char* text, QWidget* buddy) {
  auto* label = new QLabel(text);
  label->setBuddy(buddy);
  return label;
}

QString ToQString(const unit& value) { return QString::fromStdString(value.ToText()); }

}  // namespace

TDlgFractal::TDlgFractal(QWidget* owner, int32_t windowHeight, int32_t windowWidth,
                         TFractProps* defaultRecord, const TFractProps& source)
    : QDialog(owner),
      m_fractProps(source),
      m_defaultRecord(defaultRecord),
      m_windowWidth(windowWidth),
      m_windowHeight(windowHeight) {
  setObjectName("DlgFractal");
  setWindowTitle("Fractal");
  setModal(true);
  CreateControls();
  CreateLayout();
  ConnectControls();
}

void TDlgFractal::CreateControls() {
  lstFormulas = Named(new QListWidget(this), "lstFormulas");
  for (const TFormulaInfo& formula : FormulaTable)
    lstFormulas->addItem(QString::fromUtf8(formula.DialogText.data(),
                                           static_cast<qsizetype>(formula.DialogText.size())));
  lstFormulas->setSelectionMode(QAbstractItemView::SingleSelection);

  grpMapToField = Named(new QGroupBox("Map to Field", this), "grpMapToField");
  editSelLeft = Named(new QLineEdit(grpMapToField), "editSelLeft");
  editSelRight = Named(new QLineEdit(grpMapToField), "editSelRight");
  editSelTop = Named(new QLineEdit(grpMapToField), "editSelTop");
  editSelBottom = Named(new QLineEdit(grpMapToField), "editSelBottom");

  grpParameters = Named(new QGroupBox("Parameters", this), "grpParameters");
  optZ = Named(new QRadioButton(grpParameters), "optZ");
  optC = Named(new QRadioButton(grpParameters), "optC");
  optD = Named(new QRadioButton(grpParameters), "optD");
  editZR = Named(new QLineEdit(grpParameters), "editZR");
  editZI = Named(new QLineEdit(grpParameters), "editZI");
  editCR = Named(new QLineEdit(grpParameters), "editCR");
  editCI = Named(new QLineEdit(grpParameters), "editCI");
  editDR = Named(new QLineEdit(grpParameters), "editDR");
  editDI = Named(new QLineEdit(grpParameters), "editDI");
  editN = Named(new QLineEdit(grpParameters), "editN");
  editM = Named(new QLineEdit(grpParameters), "editM");

  rgrCont = Named(new QGroupBox("Colors", this), "rgrCont");
  rgrContContinue = Named(new QRadioButton("Continue", rgrCont), "rgrContContinue");
  rgrContDiscontinue = Named(new QRadioButton("Discontinue", rgrCont), "rgrContDiscontinue");
  editCont = Named(new QLineEdit(rgrCont), "editCont");

  grpResolution = Named(new QGroupBox("Resolution", this), "grpResolution");
  editHorizontal = Named(new QLineEdit(grpResolution), "editHorizontal");
  editVertical = Named(new QLineEdit(grpResolution), "editVertical");
  editHorizontal->setMaxLength(kResolutionMaxLength);
  editVertical->setMaxLength(kResolutionMaxLength);
  btnXResWindow = Named(new QPushButton("< Window", grpResolution), "btnXResWindow");
  btnYResWindow = Named(new QPushButton("< Window", grpResolution), "btnYResWindow");

  editMaxDepth = Named(new QLineEdit(this), "editMaxDepth");
  editOuterCircle = Named(new QLineEdit(this), "editOuterCircle");
  editInnerDist = Named(new QLineEdit(this), "editInnerDist");
  editMaxCycleDetect = Named(new QLineEdit(this), "editMaxCycleDetect");

  chkDefault = Named(new QCheckBox("Use As Default", this), "chkDefault");
  OKBtn = Named(new QPushButton("OK", this), "OKBtn");
  CancelBtn = Named(new QPushButton("Cancel", this), "CancelBtn");
  HelpBtn = Named(new QPushButton("&Help", this), "HelpBtn");
  OKBtn->setDefault(true);
  m_helpShortcut = new QShortcut(QKeySequence(Qt::Key_F1), this);

  // Real numbers get room for about eleven characters, whole numbers for seven; the limits
  // share one width so that they line up.
  const QFontMetrics metrics(font());
  const int realWidth = metrics.horizontalAdvance("-0.000000000") + 12;
  const int wholeWidth = metrics.horizontalAdvance("0000000") + 12;
  for (QLineEdit* edit :
       {editSelLeft, editSelRight, editSelTop, editSelBottom, editZR, editZI, editCR, editCI,
        editDR, editDI, editMaxDepth, editOuterCircle, editInnerDist, editMaxCycleDetect})
    edit->setFixedWidth(realWidth);
  for (QLineEdit* edit : {editN, editM, editHorizontal, editVertical, editCont})
    edit->setFixedWidth(wholeWidth);
  // Thirteen lines without a scroll bar, wide enough for the longest formula.
  int textWidth = 0;
  for (int row = 0; row < lstFormulas->count(); ++row)
    textWidth = std::max(textWidth, metrics.horizontalAdvance(lstFormulas->item(row)->text()));
  lstFormulas->setMinimumSize(textWidth + 24, lstFormulas->sizeHintForRow(0) * kFormulaCount +
                                                  2 * lstFormulas->frameWidth() + 2);
  lstFormulas->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void TDlgFractal::CreateLayout() {
  // Left and Right are real parts, Top and Bottom imaginary ones, each in its own column.
  // The block is centred in its group, which is as wide as the two groups below it.
  auto* mapGrid = new QGridLayout(grpMapToField);
  mapGrid->addWidget(new QLabel("Real"), 0, 2);
  mapGrid->addWidget(new QLabel("Imaginair"), 0, 3);
  mapGrid->addWidget(RowLabel("Left", editSelLeft), 1, 1);
  mapGrid->addWidget(editSelLeft, 1, 2);
  mapGrid->addWidget(RowLabel("Right", editSelRight), 2, 1);
  mapGrid->addWidget(editSelRight, 2, 2);
  mapGrid->addWidget(RowLabel("Top", editSelTop), 3, 1);
  mapGrid->addWidget(editSelTop, 3, 3);
  mapGrid->addWidget(RowLabel("Bottom", editSelBottom), 4, 1);
  mapGrid->addWidget(editSelBottom, 4, 3);
  mapGrid->setColumnStretch(0, 1);
  mapGrid->setColumnStretch(4, 1);
  mapGrid->setRowStretch(5, 1);

  auto* parameterGrid = new QGridLayout(grpParameters);
  parameterGrid->addWidget(new QLabel("Map to Field"), 0, 1, Qt::AlignHCenter);
  parameterGrid->addWidget(new QLabel("Real"), 0, 2);
  parameterGrid->addWidget(new QLabel("Imaginair"), 0, 3);
  const struct {
    const char* label;
    QRadioButton* option;
    QLineEdit* real;
    QLineEdit* imaginary;
  } parameterRows[] = {{"Z", optZ, editZR, editZI},
                       {"C", optC, editCR, editCI},
                       {"D", optD, editDR, editDI},
                       {"N", nullptr, editN, nullptr},
                       {"M", nullptr, editM, nullptr}};
  int row = 1;
  for (const auto& parameter : parameterRows) {
    parameterGrid->addWidget(RowLabel(parameter.label, parameter.real), row, 0);
    // Centred at its size hint, so that a click on the middle hits the indicator.
    if (parameter.option != nullptr)
      parameterGrid->addWidget(parameter.option, row, 1, Qt::AlignCenter);
    parameterGrid->addWidget(parameter.real, row, 2);
    if (parameter.imaginary != nullptr) parameterGrid->addWidget(parameter.imaginary, row, 3);
    ++row;
  }
  parameterGrid->setColumnStretch(4, 1);
  parameterGrid->setRowStretch(row, 1);

  auto* contGrid = new QGridLayout(rgrCont);
  contGrid->addWidget(rgrContContinue, 0, 0);
  contGrid->addWidget(rgrContDiscontinue, 1, 0);
  contGrid->addWidget(editCont, 1, 1);
  contGrid->setRowStretch(2, 1);

  auto* resolutionGrid = new QGridLayout(grpResolution);
  resolutionGrid->addWidget(RowLabel("Horizontal", editHorizontal), 0, 0);
  resolutionGrid->addWidget(editHorizontal, 0, 1);
  resolutionGrid->addWidget(btnXResWindow, 0, 2);
  resolutionGrid->addWidget(RowLabel("Vertical", editVertical), 1, 0);
  resolutionGrid->addWidget(editVertical, 1, 1);
  resolutionGrid->addWidget(btnYResWindow, 1, 2);
  resolutionGrid->setRowStretch(2, 1);

  auto* limitsGrid = new QGridLayout;
  limitsGrid->addWidget(RowLabel("Max Depth", editMaxDepth), 0, 0);
  limitsGrid->addWidget(editMaxDepth, 0, 1);
  limitsGrid->addWidget(RowLabel("Outer Circle", editOuterCircle), 1, 0);
  limitsGrid->addWidget(editOuterCircle, 1, 1);
  limitsGrid->addWidget(RowLabel("Inner Distance", editInnerDist), 2, 0);
  limitsGrid->addWidget(editInnerDist, 2, 1);
  limitsGrid->addWidget(RowLabel("Max Cycle to Detect", editMaxCycleDetect), 3, 0);
  limitsGrid->addWidget(editMaxCycleDetect, 3, 1);
  limitsGrid->setColumnStretch(2, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(chkDefault);
  buttons->addStretch(1);
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  buttons->addWidget(HelpBtn);

  auto* grid = new QGridLayout(this);
  grid->addWidget(lstFormulas, 0, 0);
  grid->addWidget(grpMapToField, 0, 1, 1, 2);
  grid->addWidget(grpParameters, 1, 0, 2, 1);
  grid->addWidget(rgrCont, 1, 1);
  grid->addWidget(grpResolution, 1, 2);
  grid->addLayout(limitsGrid, 2, 1, 1, 2);
  grid->addLayout(buttons, 3, 0, 1, 3);
  // A dialog of fixed size, as its layout wants it.
  grid->setSizeConstraint(QLayout::SetFixedSize);
}

void TDlgFractal::ConnectControls() {
  connect(lstFormulas, &QListWidget::currentRowChanged, this, &TDlgFractal::EnableEdits);
  for (QRadioButton* option : {optZ, optC, optD})
    connect(option, &QRadioButton::toggled, this, &TDlgFractal::EnableEdits);
  connect(btnXResWindow, &QPushButton::clicked, this, &TDlgFractal::btnXResWindowClick);
  connect(btnYResWindow, &QPushButton::clicked, this, &TDlgFractal::btnYResWindowClick);
  // The close follows the check, as a button's modal result follows its click handler.
  connect(OKBtn, &QPushButton::clicked, this, &TDlgFractal::OKBtnClick);
  connect(OKBtn, &QPushButton::clicked, this, &TDlgFractal::accept);
  connect(CancelBtn, &QPushButton::clicked, this, &TDlgFractal::reject);
  connect(HelpBtn, &QPushButton::clicked, this, &TDlgFractal::HelpBtnClick);
  connect(m_helpShortcut, &QShortcut::activated, this, &TDlgFractal::HelpBtnClick);
}

std::array<TDlgFractal::TEditField, TDlgFractal::kEditFieldCount> TDlgFractal::EditFields() {
  TFractProps& p = m_fractProps;
  return {{
      {editSelLeft, &p.Left, "Selection Left"},
      {editSelRight, &p.Right, "Selection Right"},
      {editSelTop, &p.Top, "Selection Top"},
      {editSelBottom, &p.Bottom, "Selection Bottom"},
      {editHorizontal, &p.XResolution, "Horizontal Resolution"},
      {editVertical, &p.YResolution, "Vertical Resolution"},
      {editCR, &p.CR, "C Real"},
      {editCI, &p.CI, "C Imaginair"},
      {editDR, &p.DR, "D Real"},
      {editDI, &p.DI, "D Imaginair"},
      {editZR, &p.ZR, "Z Real"},
      {editZI, &p.ZI, "Z Imarigair"},
      {editN, &p.N, "N"},
      {editM, &p.M, "M"},
      {editMaxDepth, &p.MaxDepth, "Max Depth"},
      {editOuterCircle, &p.OuterCircle, "Outer Circle"},
      {editInnerDist, &p.InnerDist, "Inner Distance"},
      {editMaxCycleDetect, &p.MaxCycle, "Max Cycles to Detect"},
  }};
}

void TDlgFractal::showEvent(QShowEvent* event) {
  // Restoring a minimised dialog is not a new show.
  if (!event->spontaneous()) FormShow();
  QDialog::showEvent(event);
}

void TDlgFractal::FormShow() {
  for (const TEditField& field : EditFields()) field.edit->setText(ToQString(*field.field));
  (m_fractProps.Cont == 0 ? rgrContContinue : rgrContDiscontinue)->setChecked(true);
  lstFormulas->setCurrentRow(m_fractProps.Formula);
  QRadioButton* const options[kMapCount] = {optZ, optC, optD};
  options[m_fractProps.Map < kMapCount ? m_fractProps.Map : MapZ]->setChecked(true);
  // Checking an option that already was checked emits nothing.
  EnableEdits();
  editCont->setText(ToQString(m_fractProps.ContValue));
  m_ok = true;
}

void TDlgFractal::EnableEdits() {
  const int formula = lstFormulas->currentRow();
  const bool usesD = formula == 4 || formula == 5 || formula == 8;
  const bool usesN = formula == 3 || formula == 5 || formula == 6 || formula == 7 || formula == 8;
  const bool usesM = formula == 5;
  SetEditEnabled(editCR, !optC->isChecked(), false);
  SetEditEnabled(editCI, !optC->isChecked(), false);
  SetEditEnabled(editDR, !optD->isChecked() && usesD, false);
  SetEditEnabled(editDI, !optD->isChecked() && usesD, false);
  SetEditEnabled(editZR, !optZ->isChecked(), false);
  SetEditEnabled(editZI, !optZ->isChecked(), false);
  SetEditEnabled(editN, usesN, false);
  SetEditEnabled(editM, usesM, false);
}

void TDlgFractal::btnXResWindowClick() {
  editHorizontal->setText(ToQString(unitIntegerPos(m_windowWidth)));
}

void TDlgFractal::btnYResWindowClick() {
  editVertical->setText(ToQString(unitIntegerPos(m_windowHeight)));
}

void TDlgFractal::OKBtnClick() {
  m_ok = true;
  // Each check stores its value; after the first failure the later ones do nothing.
  for (const TEditField& field : EditFields())
    field.field->CheckValue(m_ok, field.edit->text().toStdString(), field.name);
  m_fractProps.Cont = rgrContDiscontinue->isChecked() ? 1 : 0;
  if (optC->isChecked())
    m_fractProps.Map = MapC;
  else if (optD->isChecked())
    m_fractProps.Map = MapD;
  else if (optZ->isChecked())
    m_fractProps.Map = MapZ;
  if (lstFormulas->currentRow() >= 0)
    m_fractProps.Formula = static_cast<uint8_t>(lstFormulas->currentRow());
  m_fractProps.ContValue.CheckValue(m_ok, editCont->text().toStdString(), "Discontinue");
  // Values that are each in range may still make a record the engine cannot compute (too
  // many cells, too long a cycle history): it is refused here like a bad value.
  std::string reason;
  if (m_ok && !CheckComputable(m_fractProps, reason)) {
    ErrorReporter.InputError(reason);
    m_ok = false;
  }
  if (m_ok && chkDefault->isChecked() && m_defaultRecord != nullptr)
    *m_defaultRecord = m_fractProps;
}

void TDlgFractal::FormCloseQuery(bool& canClose) {
  canClose = m_ok;
  // The refusal is used up: the next attempt is decided by its own check.
  m_ok = true;
}

void TDlgFractal::done(int result) {
  bool canClose = true;
  FormCloseQuery(canClose);
  if (canClose) QDialog::done(result);
}

void TDlgFractal::HelpBtnClick() { ShowHelp(this, kHelpFractalDialog); }
