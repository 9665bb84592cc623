#pragma once

#include <array>
#include <cstdint>

#include <QDialog>

#include "core/fractal/TFractProps.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QShortcut;
class QShowEvent;

// The dialog "Fractal": edits a copy of a complete fractal record. The caller runs exec() and,
// on QDialog::Accepted, takes the edited record from GetFractProps(). With "Use As Default"
// ticked, a valid OK also replaces the default record.
class TDlgFractal : public QDialog {
  Q_OBJECT

 public:
  // windowHeight and windowWidth are the client size of the fractal view, for "< Window";
  // defaultRecord is not owned and may be null.
  TDlgFractal(QWidget* owner, int32_t windowHeight, int32_t windowWidth, TFractProps* defaultRecord,
              const TFractProps& source);

  // The working record: every value that passed its check so far.
  const TFractProps& GetFractProps() const { return m_fractProps; }

  // Every way of closing ends here, so an invalid OK can refuse it.
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // One edit with the field it stands for and the name its messages use.
  struct TEditField {
    QLineEdit* edit;
    unit* field;
    const char* name;
  };
  static constexpr int kEditFieldCount = 18;

  void CreateControls();
  void CreateLayout();
  void ConnectControls();
  // The edits in the order in which they are filled and checked.
  std::array<TEditField, kEditFieldCount> EditFields();

  void FormShow();
  void FormCloseQuery(bool& canClose);
  void EnableEdits();
  void btnXResWindowClick();
  void btnYResWindowClick();
  void OKBtnClick();
  void HelpBtnClick();

  // The controls keep the names of the form.
  QListWidget* lstFormulas;
  QGroupBox* grpMapToField;
  QLineEdit* editSelLeft;
  QLineEdit* editSelRight;
  QLineEdit* editSelTop;
  QLineEdit* editSelBottom;
  QGroupBox* grpParameters;
  QRadioButton* optZ;
  QRadioButton* optC;
  QRadioButton* optD;
  QLineEdit* editZR;
  QLineEdit* editZI;
  QLineEdit* editCR;
  QLineEdit* editCI;
  QLineEdit* editDR;
  QLineEdit* editDI;
  QLineEdit* editN;
  QLineEdit* editM;
  QGroupBox* rgrCont;
  QRadioButton* rgrContContinue;
  QRadioButton* rgrContDiscontinue;
  QLineEdit* editCont;
  QGroupBox* grpResolution;
  QLineEdit* editHorizontal;
  QLineEdit* editVertical;
  QPushButton* btnXResWindow;
  QPushButton* btnYResWindow;
  QLineEdit* editMaxDepth;
  QLineEdit* editOuterCircle;
  QLineEdit* editInnerDist;
  QLineEdit* editMaxCycleDetect;
  QCheckBox* chkDefault;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;
  QPushButton* HelpBtn;
  QShortcut* m_helpShortcut;

  TFractProps m_fractProps;
  TFractProps* m_defaultRecord;
  int32_t m_windowWidth;
  int32_t m_windowHeight;
  bool m_ok = true;
};
