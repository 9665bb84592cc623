#include "app/dialogs/TDlgColorPalette1D.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/ShippedFiles.h"
#include "core/colour/PaletteFormats.h"
#include "core/documents/FractalFile.h"
#include "core/report/ErrorReporter.h"
#include "core/values/ValueUnits.h"
#include "platform/GuiHelpers.h"
#include "platform/Help.h"
#include "platform/TColorBox.h"
#include "render/QImageCanvas.h"

namespace {

constexpr const char* kSource = "Grafisch/DColorPalette1D";
// Palettes of other programs are read beside the program's own; a palette is written as a
// GIMP palette or a map too. Any other name is read and written as a palette file.
constexpr const char* kOpenPaletteFilter =
    "Color Palette 1D (*.cp1)|*.cp1|GIMP Palette (*.gpl)|*.gpl|GIMP Gradient (*.ggr)|*.ggr|"
    "Fractint Map (*.map)|*.map|XML Files (*.xml)|*.xml|All files (*.*)|*.*";
constexpr const char* kSavePaletteFilter =
    "Color Palette 1D (*.cp1)|*.cp1|GIMP Palette (*.gpl)|*.gpl|Fractint Map (*.map)|*.map|"
    "XML Files (*.xml)|*.xml|All files (*.*)|*.*";
constexpr int kStripMinimumHeight = 48;

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

// A widget that leaves its painting to its owner.
class TPaintBox : public QWidget {
 public:
  using TPaint = std::function<void(QPainter&, const QRect&)>;
  TPaintBox(QWidget* parent, TPaint paint) : QWidget(parent), m_paint(std::move(paint)) {}

 protected:
  void paintEvent(QPaintEvent* /*event*/) override {
    if (!m_paint) return;
    QPainter painter(this);
    m_paint(painter, rect());
  }

 private:
  TPaint m_paint;
};

QToolButton* GlyphButton(QWidget* parent, const char* name, QStyle::StandardPixmap glyph,
                         const char* tip) {
  auto* button = Named(new QToolButton(parent), name);
  button->setIcon(parent->style()->standardIcon(glyph, nullptr, button));
  button->setToolTip(tip);
  // Like the other buttons they take the focus when clicked, so that a typed position is
  // taken (or refused) before the button acts.
  button->setFocusPolicy(Qt::StrongFocus);
  return button;
}

QColor ToQColor(TColor color) { return QColor::fromRgb(ToQRgb(color)); }

// A GIMP palette, a GIMP gradient or a map by the name's extension; any other name is a
// palette file of the program's own (.cp1, .xml, or whatever it is called).
bool OtherPaletteFormat(const std::string& path) {
  const TPaletteFormat format = PaletteFormatOf(path);
  return format != TPaletteFormat::Native && format != TPaletteFormat::Unknown;
}

TXMLReadStatus LoadNativePalette(const std::string& path, TColorPalette1DItem& palette,
                                 std::string& message) {
  // Read into a copy: a file refused half-way would leave a palette without its end stop.
  TColorPalette1DItem loaded(palette);
  const TXMLReadStatus status = loaded.LoadFromFile(path, message);
  if (status == TXMLReadStatus::Ok) palette = loaded;
  return status;
}

}  // namespace

TDlgColorPalette1D::TDlgColorPalette1D(QWidget* owner, const TColorPalette1DItem& palette)
    : QDialog(owner), m_palette(palette), m_current(&m_palette) {
  setObjectName("DlgColorPalette1D");
  setWindowTitle("Color Palette");
  setModal(true);
  setSizeGripEnabled(true);
  OpenPal1DDialog = {"Open Color Palette 1D", "cp1", kOpenPaletteFilter, false, false, false, 0, ""};
  SavePal1DDialog = {"Save Color Palette 1D", "cp1", kSavePaletteFilter, true, false, true, 0, ""};
  CreateControls();
  CreateLayout();
  ConnectControls();
}

void TDlgColorPalette1D::CreateControls() {
  btnPalItemFirst = GlyphButton(this, "btnPalItemFirst", QStyle::SP_MediaSkipBackward, "First");
  btnPalItemPrevious =
      GlyphButton(this, "btnPalItemPrevious", QStyle::SP_MediaSeekBackward, "Previous");
  btnPalItemNext = GlyphButton(this, "btnPalItemNext", QStyle::SP_MediaSeekForward, "Next");
  btnPalItemLast = GlyphButton(this, "btnPalItemLast", QStyle::SP_MediaSkipForward, "Last");
  btnPalItemAdd = Named(new QPushButton("Add", this), "btnPalItemAdd");
  btnPalItemDelete = Named(new QPushButton("Delete", this), "btnPalItemDelete");
  btnOpen = GlyphButton(this, "btnOpen", QStyle::SP_DialogOpenButton, "Open");
  btnSave = GlyphButton(this, "btnSave", QStyle::SP_DialogSaveButton, "Save");

  editPosition = Named(new QLineEdit(this), "editPosition");
  cboColorBefore = Named(new TColorBox(this), "cboColorBefore");
  chkColorAfter = Named(new QCheckBox("Color After", this), "chkColorAfter");
  cboColorAfter = Named(new TColorBox(this), "cboColorAfter");
  btnColorPrevious = Named(new QPushButton("< Previous", this), "btnColorPrevious");
  btnColorNext = Named(new QPushButton("< Next", this), "btnColorNext");

  // pboLineal lies under the strip, as in the form; the strip repaints itself.
  pboLineal = Named(new QWidget(this), "pboLineal");
  pboColor = Named(new TPaintBox(this, [this](QPainter& painter,
                                              const QRect& rect) { PaintStrip(painter, rect); }),
                   "pboColor");
  pboColor->setMinimumHeight(kStripMinimumHeight);
  pboColor->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

  OKBtn = Named(new QPushButton("OK", this), "OKBtn");
  CancelBtn = Named(new QPushButton("Cancel", this), "CancelBtn");
  HelpBtn = Named(new QPushButton("&Help", this), "HelpBtn");
  OKBtn->setDefault(true);
  m_helpShortcut = new QShortcut(QKeySequence(Qt::Key_F1), this);
}

void TDlgColorPalette1D::CreateLayout() {
  auto* stops = new QHBoxLayout;
  stops->setSpacing(2);
  for (QToolButton* button : {btnPalItemFirst, btnPalItemPrevious, btnPalItemNext, btnPalItemLast})
    stops->addWidget(button);
  stops->addSpacing(12);
  stops->addWidget(btnPalItemAdd);
  stops->addWidget(btnPalItemDelete);
  stops->addStretch();
  stops->addWidget(btnOpen);
  stops->addWidget(btnSave);

  auto* stop = new QGridLayout;
  stop->addWidget(RowLabel("Position", editPosition), 0, 0);
  stop->addWidget(editPosition, 0, 1);
  stop->addWidget(RowLabel("Color (Before)", cboColorBefore), 1, 0);
  stop->addWidget(cboColorBefore, 1, 1);
  stop->addWidget(btnColorPrevious, 1, 2);
  stop->addWidget(chkColorAfter, 2, 0);
  stop->addWidget(cboColorAfter, 2, 1);
  stop->addWidget(btnColorNext, 2, 2);
  stop->setColumnStretch(3, 1);

  auto* left = new QVBoxLayout;
  left->addLayout(stops);
  left->addLayout(stop);

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  buttons->addWidget(HelpBtn);
  buttons->addStretch();

  // The strip takes every pixel the dialog grows by.
  auto* layout = new QGridLayout(this);
  layout->addLayout(left, 0, 0);
  layout->addLayout(buttons, 0, 1);
  layout->addWidget(pboLineal, 1, 0, 1, 2);
  layout->addWidget(pboColor, 1, 0, 1, 2);
  layout->setRowStretch(1, 1);
  layout->setColumnStretch(0, 1);
  pboLineal->lower();
  resize(sizeHint().width() + 60, sizeHint().height() + 60);
}

void TDlgColorPalette1D::ConnectControls() {
  connect(btnPalItemFirst, &QToolButton::clicked, this, &TDlgColorPalette1D::btnPalItemFirstClick);
  connect(btnPalItemPrevious, &QToolButton::clicked, this,
          &TDlgColorPalette1D::btnPalItemPreviousClick);
  connect(btnPalItemNext, &QToolButton::clicked, this, &TDlgColorPalette1D::btnPalItemNextClick);
  connect(btnPalItemLast, &QToolButton::clicked, this, &TDlgColorPalette1D::btnPalItemLastClick);
  connect(btnPalItemAdd, &QPushButton::clicked, this, &TDlgColorPalette1D::btnPalItemAddClick);
  connect(btnPalItemDelete, &QPushButton::clicked, this,
          &TDlgColorPalette1D::btnPalItemDeleteClick);
  connect(editPosition, &QLineEdit::textEdited, this, &TDlgColorPalette1D::editPositionChange);
  editPosition->installEventFilter(this);
  connect(cboColorBefore, &TColorBox::colorChanged, this,
          &TDlgColorPalette1D::cboColorBeforeChange);
  connect(cboColorAfter, &TColorBox::colorChanged, this, &TDlgColorPalette1D::cboColorAfterChange);
  connect(chkColorAfter, &QCheckBox::clicked, this, &TDlgColorPalette1D::chkColorAfterClick);
  connect(btnColorPrevious, &QPushButton::clicked, this,
          &TDlgColorPalette1D::btnColorPreviousClick);
  connect(btnColorNext, &QPushButton::clicked, this, &TDlgColorPalette1D::btnColorNextClick);
  connect(btnOpen, &QToolButton::clicked, this, &TDlgColorPalette1D::btnOpenClick);
  connect(btnSave, &QToolButton::clicked, this, &TDlgColorPalette1D::btnSaveClick);
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(HelpBtn, &QPushButton::clicked, this, &TDlgColorPalette1D::HelpBtnClick);
  connect(m_helpShortcut, &QShortcut::activated, this, &TDlgColorPalette1D::HelpBtnClick);
}

void TDlgColorPalette1D::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) RefreshControls();
}

bool TDlgColorPalette1D::eventFilter(QObject* watched, QEvent* event) {
  if (m_swallowClicks) {
    const QEvent::Type type = event->type();
    auto* widget = qobject_cast<QWidget*>(watched);
    if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
         type == QEvent::MouseButtonDblClick) &&
        widget != nullptr && (widget == this || isAncestorOf(widget)))
      return true;
  }
  if (watched == editPosition && event->type() == QEvent::FocusOut) {
    // Switching to another window or opening a popup does not leave the edit.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) editPositionExit();
  }
  return QDialog::eventFilter(watched, event);
}

void TDlgColorPalette1D::done(int result) {
  // OK by the Enter key leaves the focus in the edit: the position typed there is taken
  // first, and a refused one keeps the dialog open.
  if (result == QDialog::Accepted && m_positionEdited && !editPositionExit()) return;
  QDialog::done(result);
}

// Controls and strip -----------------------------------------------------------------------

void TDlgColorPalette1D::RefreshControls() {
  TUpdating updating(m_updating);
  const double x = m_current->GetDPosition();
  const bool inner = x > 0 && x < 1;
  btnPalItemFirst->setEnabled(x > 0);
  btnPalItemPrevious->setEnabled(x > 0);
  btnColorPrevious->setEnabled(x > 0);
  btnPalItemNext->setEnabled(x < 1);
  btnPalItemLast->setEnabled(x < 1);
  btnColorNext->setEnabled(x < 1);
  btnPalItemAdd->setEnabled(true);
  btnPalItemDelete->setEnabled(inner);
  SetEditEnabled(editPosition, inner, false);
  chkColorAfter->setEnabled(inner);

  editPosition->setText(QString::fromStdString(m_current->GetPosition().ToText()));
  m_positionEdited = false;
  cboColorBefore->SetColor(m_current->GetColorBefore());
  chkColorAfter->setChecked(m_current->GetUseColorAfter());
  cboColorAfter->SetColor(m_current->GetColorAfter());
  cboColorAfter->setEnabled(m_current->GetUseColorAfter());
}

void TDlgColorPalette1D::RepaintStrip() { pboColor->update(); }

void TDlgColorPalette1D::PaintStrip(QPainter& painter, const QRect& rect) const {
  // Client coordinates with right and bottom exclusive: a frame in the colour at 0, inside it
  // one vertical line per pixel column.
  const int left = rect.left();
  const int top = rect.top();
  const int right = rect.left() + rect.width();
  const int bottom = rect.top() + rect.height();
  painter.setPen(ToQColor(m_palette.ColorAt(0)));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(left, top, right - left - 1, bottom - top - 1);
  if (bottom - 2 < top + 1) return;
  for (int i = left + 1; i < right - 1; ++i) {
    const double p =
        static_cast<double>(i - (left + 1)) / static_cast<double>((right - 1) - (left + 1));
    painter.setPen(ToQColor(m_palette.ColorAt(p)));
    painter.drawLine(i, top + 1, i, bottom - 2);
  }
}

// Moving between stops, adding and deleting --------------------------------------------

void TDlgColorPalette1D::btnPalItemFirstClick() {
  m_current = &m_palette;
  RefreshControls();
}

void TDlgColorPalette1D::btnPalItemPreviousClick() {
  if (TColorPalette1DItem* previous = m_palette.Predecessor(m_current)) m_current = previous;
  RefreshControls();
}

void TDlgColorPalette1D::btnPalItemNextClick() {
  if (TColorPalette1DItem* next = m_current->GetNext()) m_current = next;
  RefreshControls();
}

void TDlgColorPalette1D::btnPalItemLastClick() {
  m_current = m_palette.GetLast();
  RefreshControls();
}

void TDlgColorPalette1D::btnPalItemAddClick() {
  TUpdating updating(m_updating);
  // Halfway to the next stop, or from the end stop halfway back to its predecessor.
  const TColorPalette1DItem* next = m_current->GetNext();
  const TColorPalette1DItem* low = next != nullptr ? m_current : m_palette.Predecessor(m_current);
  const TColorPalette1DItem* high = next != nullptr ? next : m_current;
  if (low == nullptr) return;
  const double position = (low->GetDPosition() + high->GetDPosition()) / 2;
  // Two stops a last bit apart leave no room between them.
  if (!(position > low->GetDPosition() && position < high->GetDPosition())) {
    QApplication::beep();
    return;
  }
  // The new stop takes the colour the strip already has there.
  m_current = m_palette.Insert(position, m_palette.ColorAt(position));
  RefreshControls();
  RepaintStrip();
}

void TDlgColorPalette1D::btnPalItemDeleteClick() {
  TUpdating updating(m_updating);
  if (TColorPalette1DItem* previous = m_palette.Delete(m_current)) m_current = previous;
  RefreshControls();
  RepaintStrip();
}

// The position edit ------------------------------------------------------------------------

void TDlgColorPalette1D::editPositionChange() {
  if (m_updating > 0) return;
  m_positionEdited = true;
}

bool TDlgColorPalette1D::editPositionExit() {
  if (m_updating > 0 || !m_positionEdited) return true;
  m_positionEdited = false;
  TUpdating updating(m_updating);
  const unitFactorPosMoreLess1 old = m_current->GetPosition();
  unitFactorPosMoreLess1 position = old;
  bool ok = true;
  position.CheckValue(ok, editPosition->text().toStdString(), "Position");
  if (ok && m_palette.PositionExists(position.GetValue(), m_current)) {
    ErrorReporter.ShowMessage("This Position already exists in the pallette.", "Input Error",
                              TMessageIcon::Information);
    ok = false;
  }
  if (!ok) {
    editPosition->setText(QString::fromStdString(old.ToText()));
    editPosition->setFocus();
    SwallowPendingClick();
    return false;
  }
  m_current->SetPosition(position);
  m_palette.Reposition(m_current);
  RefreshControls();
  RepaintStrip();
  return true;
}

void TDlgColorPalette1D::SwallowPendingClick() {
  // A click on another control took the focus from the edit; that click still has to reach
  // its control, and must not act on a refused position. Mouse buttons are ignored until
  // the event loop has finished with it.
  if (m_swallowClicks) return;
  m_swallowClicks = true;
  qApp->installEventFilter(this);
  QTimer::singleShot(0, this, [this] {
    qApp->removeEventFilter(this);
    m_swallowClicks = false;
  });
}

// Colours of the current stop ------------------------------------------------------------

void TDlgColorPalette1D::cboColorBeforeChange(TColor color) {
  if (m_updating > 0) return;
  TUpdating updating(m_updating);
  m_current->SetColorBefore(color);
  cboColorAfter->SetColor(m_current->GetColorAfter());
  RepaintStrip();
}

void TDlgColorPalette1D::cboColorAfterChange(TColor color) {
  if (m_updating > 0) return;
  TUpdating updating(m_updating);
  m_current->SetColorAfter(color);
  RepaintStrip();
}

void TDlgColorPalette1D::chkColorAfterClick() {
  if (m_updating > 0) return;
  TUpdating updating(m_updating);
  // The stored ColorAfter survives unticking; it is only no longer used.
  m_current->SetUseColorAfter(chkColorAfter->isChecked());
  cboColorAfter->setEnabled(m_current->GetUseColorAfter());
  cboColorAfter->SetColor(m_current->GetColorAfter());
  RepaintStrip();
}

void TDlgColorPalette1D::btnColorPreviousClick() {
  if (m_updating > 0) return;
  TUpdating updating(m_updating);
  VELMORA_SOFT_ASSERT(m_current->GetDPosition() > 0, "position > 0", kSource);
  const TColorPalette1DItem* previous = m_palette.Predecessor(m_current);
  if (previous == nullptr) return;
  // The colour runs on from the previous stop without a step.
  m_current->SetColorBefore(previous->GetColorAfter());
  cboColorBefore->SetColor(m_current->GetColorBefore());
  cboColorAfter->SetColor(m_current->GetColorAfter());
  RepaintStrip();
}

void TDlgColorPalette1D::btnColorNextClick() {
  if (m_updating > 0) return;
  TUpdating updating(m_updating);
  VELMORA_SOFT_ASSERT(m_current->GetDPosition() < 1, "position < 1", kSource);
  const TColorPalette1DItem* next = m_current->GetNext();
  if (next == nullptr) return;
  const TColor color = next->GetColorBefore();
  if (chkColorAfter->isChecked()) {
    m_current->SetColorAfter(color);
  } else {
    m_current->SetColorBefore(color);
    cboColorBefore->SetColor(color);
  }
  cboColorAfter->SetColor(color);
  RepaintStrip();
}

// Palette files and help -------------------------------------------------------------------

void TDlgColorPalette1D::btnOpenClick() {
  OpenPal1DDialog.shownFilter = PaletteDialogFilter(kOpenPaletteFilter);
  const std::vector<std::string> files =
      RunFileDialog(this, OpenPal1DDialog, PaletteDialogFolder());
  if (files.empty()) return;
  const std::string& path = files.front();
  RememberPaletteFolder(path);
  // The loaders change the palette only when the whole file is good.
  std::string message;
  const TXMLReadStatus status = OtherPaletteFormat(path)
                                    ? LoadPaletteFile(path, m_palette, message)
                                    : LoadNativePalette(path, m_palette, message);
  if (status == TXMLReadStatus::Ok) {
    m_current = &m_palette;
  } else {
    ErrorReporter.CannotReadFile(path, LoadFailureReason(status, message));
  }
  RefreshControls();
  RepaintStrip();
}

void TDlgColorPalette1D::btnSaveClick() {
  SavePal1DDialog.shownFilter = PaletteDialogFilter(kSavePaletteFilter);
  const std::vector<std::string> files =
      RunFileDialog(this, SavePal1DDialog, PaletteSaveFolder());
  if (files.empty()) return;
  RememberPaletteFolder(files.front());
  if (OtherPaletteFormat(files.front())) {
    SavePaletteFile(files.front(), m_palette);
  } else {
    m_palette.SaveToFile(files.front());
  }
}

void TDlgColorPalette1D::HelpBtnClick() { ShowHelp(this, kHelpPaletteEditor); }
