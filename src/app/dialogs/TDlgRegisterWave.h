#pragma once

#include <functional>
#include <string>

#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QShortcut;
class QShowEvent;

// The text shown when a window name breaks IsValidWindowName.
extern const char* const kInvalidWindowNameText;

// Whether a window name can be stored in a project and read back: no "<", ">", carriage
// return or line feed, and no blank at either end. The empty name is valid.
bool IsValidWindowName(const std::string& name);

// The dialog "Register": gives a fractal window its name. The caller runs exec() and, on
// QDialog::Accepted, takes the name from GetName(). OK refuses, and the dialog stays open,
// for a name that IsValidWindowName rejects (with a message) or that acceptName refuses
// (acceptName shows its own message).
class TDlgRegisterWave : public QDialog {
  Q_OBJECT

 public:
  TDlgRegisterWave(QWidget* owner, const std::string& name,
                   std::function<bool(const std::string& name)> acceptName);

  // The name last confirmed with OK; before that, the name the dialog was opened with.
  std::string GetName() const { return m_name; }

  // Every way of closing ends here, so a refused OK can keep the dialog open.
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void EvOnShow();
  void OKBtnClick();
  // Whether the dialog may close; a refusal is given once and then forgotten.
  bool EvOnClose();
  void FormHelp();

  // The controls keep the names of the form.
  QFrame* Bevel1;
  QLabel* LabelName;
  QLineEdit* EditName;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;
  QPushButton* HelpBtn;
  QShortcut* m_helpShortcut;

  std::string m_name;
  std::function<bool(const std::string& name)> m_acceptName;
  bool m_accept = true;
};
