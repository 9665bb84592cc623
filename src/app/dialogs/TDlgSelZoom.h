#pragma once

#include <QDialog>
#include <QRect>

#include "core/values/ValueUnits.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QShortcut;
class QShowEvent;

// The times the selection dialog stands for, all 0 at the start.
struct TSelZoomValues {
  unitTimePos CursorAt;
  unitTimePos PartBegin;
  unitTimePosMore PartEnd;
  unitTimePos Zoom1Begin;
  unitTimePosMore Zoom1End;
  unitTimePos Zoom2Begin;
  unitTimePosMore Zoom2End;
};

// The tool window "Select and Zoom": a cursor position, a selected part and the zoom ranges
// of two views, as times. It stays on top of the program's windows; "Apply" has no effect.
class TDlgSelZoom : public QDialog {
  Q_OBJECT

 public:
  explicit TDlgSelZoom(QWidget* parent);

  // Fills the controls for the state of the main window: without an active window
  // everything is emptied and disabled, with one the first zoom group is opened for entry.
  void Fill(bool hasActiveWindow);
  // Puts the dialog's top-left corner at the bottom-right corner of the main window's
  // frame, moved back where needed so that the dialog stays on the primary screen.
  void PlaceBeside(const QRect& mainWindowRect);

  const TSelZoomValues& Values() const { return m_values; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void CreateControls();
  void CreateLayout();
  void ConnectControls();

  void editCursorAtChange();
  void editPartChange();
  void editZoom1Change();
  void editZoom2Change();
  void HelpBtnClick();

  // The controls keep the names of the form.
  QGroupBox* grpSelected;
  QRadioButton* optCursor;
  QRadioButton* optPart;
  QLineEdit* editCursorAt;
  QLineEdit* editPartBegin;
  QLineEdit* editPartEnd;
  QGroupBox* grpZoom1;
  QCheckBox* chkZoomed1;
  QLineEdit* editZoom1Begin;
  QLineEdit* editZoom1End;
  QGroupBox* grpZoom2;
  QCheckBox* chkZoomed2;
  QLineEdit* editZoom2Begin;
  QLineEdit* editZoom2End;
  QPushButton* ApplyBtn;
  QPushButton* CloseBtn;
  QPushButton* HelpBtn;
  QShortcut* m_helpShortcut;

  TSelZoomValues m_values;
  // Set while the dialog fills its own controls, so that the change handlers keep still.
  bool m_updating = false;
  bool m_hasActiveWindow = false;
};
