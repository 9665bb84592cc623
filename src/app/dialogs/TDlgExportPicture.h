#pragma once

#include <cstdint>
#include <string>

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;
class QShortcut;
class QSpinBox;

// What the Export Picture dialog asks for.
struct TExportChoice {
  std::string path;
  int32_t width = 0;
  int32_t height = 0;
  int32_t samples = 1;  // per pixel in each direction
};

// The dialog "Export Picture": the file (its extension is the format), the picture's width
// and height, each with a "< Window" button that proposes the window's size, and the
// anti-aliasing. OK checks the choice and keeps the dialog open with a message when the
// format is unknown or cannot take the size.
class TDlgExportPicture : public QDialog {
  Q_OBJECT

 public:
  TDlgExportPicture(QWidget* owner, const TExportChoice& proposal, int32_t windowWidth,
                    int32_t windowHeight);

  TExportChoice Choice() const;

 private:
  void BrowseBtnClick();
  void OKBtnClick();

  QLineEdit* editFile;
  QPushButton* btnBrowse;
  QSpinBox* editWidth;
  QSpinBox* editHeight;
  QPushButton* btnWidthWindow;
  QPushButton* btnHeightWindow;
  QComboBox* cmbSamples;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;
  QPushButton* HelpBtn;
  QShortcut* m_helpShortcut;
  int32_t m_windowWidth;
  int32_t m_windowHeight;
};

// The file dialog's filter of the picture formats, PNG first.
std::string PictureFormatsFilter();
