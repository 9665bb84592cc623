#pragma once

#include <QDialog>

#include "core/colour/TColorPalette1DItem.h"
#include "core/colour/TVoldViewProps.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QShortcut;
class QShowEvent;
class TColorBox;
class TRadioGroup;

// The dialog "Color Fractal": edits a copy of a view's colour settings. The caller runs exec()
// and, on QDialog::Accepted, takes the edited record from GetViewProps(). With "Use As
// Default" ticked, a valid OK also replaces the default record.
class TDlgVoldViewProps : public QDialog {
  Q_OBJECT

 public:
  // defaults is not owned and may be null.
  TDlgVoldViewProps(QWidget* owner, TVoldViewProps* defaults, const TVoldViewProps& source);

  const TVoldViewProps& GetViewProps() const { return m_viewProps; }

  // Every way of closing ends here, so an invalid OK can refuse it.
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void CreateControls();
  void CreateLayout();
  void ConnectControls();

  void FormShow();
  void FormCloseQuery(bool& canClose);
  // Opens the palette editor on palette; OK there takes its palette and checks usePalette.
  void EditPalette(TColorPalette1DItem& palette, QRadioButton* usePalette);
  void btnDepthColorPaletteOutsideClick();
  void btnDepthPaletteInsideClick();
  void btnBackgroundPaletteInsideClick();
  void btnForegroundPaletteInsideClick();
  void OKBtnClick();
  void HelpBtnClick();

  // The controls keep the names of the form.
  QGroupBox* grpOutside;
  TRadioGroup* rgrSensitivityOutside;
  QLineEdit* editStrengthOutside;
  QRadioButton* optDepthPaletteOutside;
  QRadioButton* optDepthMixOutside;
  QPushButton* btnDepthColorPaletteOutside;
  TColorBox* colbBackgroundOutside;
  TColorBox* colbForegroundOutside;
  QGroupBox* grpInside;
  TRadioGroup* rgrSensitivityInside;
  QLineEdit* editStrengthInside;
  QGroupBox* grpDepthInside;
  QRadioButton* optDepthPaletteInside;
  QRadioButton* optDepthMixInside;
  QPushButton* btnDepthPaletteInside;
  QGroupBox* grpBackgroundInside;
  QRadioButton* optBackgroundPaletteInside;
  QRadioButton* optBackgroundInside;
  QPushButton* btnBackgroundPaletteInside;
  TColorBox* colbBackgroundInside;
  QGroupBox* grpForegroundInside;
  QRadioButton* optForegroundPaletteInside;
  QRadioButton* optForegroundInside;
  QPushButton* btnForegroundPaletteInside;
  TColorBox* colbForegroundInside;
  QGroupBox* grpColors;
  TColorBox* colbMaxDepth;
  TColorBox* colbCursor;
  QCheckBox* chkDefault;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;
  QPushButton* HelpBtn;
  QShortcut* m_helpShortcut;

  TVoldViewProps m_viewProps;
  // The palettes as the palette editor left them; they reach m_viewProps on OK.
  TColorPalette1DItem m_palOutside;
  TColorPalette1DItem m_palDepthInside;
  TColorPalette1DItem m_palBackgroundInside;
  TColorPalette1DItem m_palForegroundInside;
  TVoldViewProps* m_defaults;
  bool m_valid = true;
};
