#pragma once

#include <QDialog>

#include "core/colour/TColorPalette1DItem.h"
#include "core/values/TColor.h"
#include "platform/Dialogs.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QShortcut;
class QShowEvent;
class QToolButton;
class TColorBox;

// The dialog "Color Palette": edits a copy of one palette stop by stop, shows it as a colour
// strip and loads or saves it as a palette file. The caller runs exec() and, on
// QDialog::Accepted, takes a copy of GetPalette().
class TDlgColorPalette1D : public QDialog {
  Q_OBJECT

 public:
  TDlgColorPalette1D(QWidget* owner, const TColorPalette1DItem& palette);

  const TColorPalette1DItem& GetPalette() const { return m_palette; }

  // A position still being typed is taken before the dialog closes with OK.
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Raises the updating counter for its lifetime: the change handlers then do nothing.
  class TUpdating {
   public:
    explicit TUpdating(int& counter) : m_counter(counter) { ++m_counter; }
    ~TUpdating() { --m_counter; }
    TUpdating(const TUpdating&) = delete;
    TUpdating& operator=(const TUpdating&) = delete;

   private:
    int& m_counter;
  };

  void CreateControls();
  void CreateLayout();
  void ConnectControls();

  // Sets every control from the current stop.
  void RefreshControls();
  void RepaintStrip();
  void PaintStrip(QPainter& painter, const QRect& rect) const;

  void btnPalItemFirstClick();
  void btnPalItemPreviousClick();
  void btnPalItemNextClick();
  void btnPalItemLastClick();
  void btnPalItemAddClick();
  void btnPalItemDeleteClick();
  void editPositionChange();
  // Takes a typed position into the current stop; false when it was refused and the old
  // position is shown again.
  bool editPositionExit();
  // Drops the mouse click that is being delivered, after a refused position.
  void SwallowPendingClick();
  void cboColorBeforeChange(TColor color);
  void cboColorAfterChange(TColor color);
  void chkColorAfterClick();
  void btnColorPreviousClick();
  void btnColorNextClick();
  void btnOpenClick();
  void btnSaveClick();
  void HelpBtnClick();

  // The controls keep the names of the form.
  QLineEdit* editPosition;
  TColorBox* cboColorBefore;
  QCheckBox* chkColorAfter;
  TColorBox* cboColorAfter;
  QPushButton* btnColorPrevious;
  QPushButton* btnColorNext;
  QToolButton* btnPalItemFirst;
  QToolButton* btnPalItemPrevious;
  QToolButton* btnPalItemNext;
  QToolButton* btnPalItemLast;
  QPushButton* btnPalItemAdd;
  QPushButton* btnPalItemDelete;
  QToolButton* btnOpen;
  QToolButton* btnSave;
  QWidget* pboColor;
  QWidget* pboLineal;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;
  QPushButton* HelpBtn;
  TFileDialogSpec OpenPal1DDialog;
  TFileDialogSpec SavePal1DDialog;
  QShortcut* m_helpShortcut;

  TColorPalette1DItem m_palette;
  TColorPalette1DItem* m_current;
  int m_updating = 0;
  bool m_positionEdited = false;
  bool m_swallowClicks = false;
};
