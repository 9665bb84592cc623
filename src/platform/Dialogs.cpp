#include "platform/Dialogs.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>

#include "platform/Help.h"

namespace {

TQuestionHandler& QuestionHandler() {
  static TQuestionHandler handler;
  return handler;
}

TFileDialogHandler& FileDialogHandler() {
  static TFileDialogHandler handler;
  return handler;
}

QString Text(const std::string& s) { return QString::fromLocal8Bit(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

std::string ToBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString FromBytes(const std::string& path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

void TMessageBoxSink::ShowMessage(const std::string& text, const std::string& title,
                                  TMessageIcon icon) {
  QMessageBox box(icon == TMessageIcon::Error       ? QMessageBox::Critical
                  : icon == TMessageIcon::Information ? QMessageBox::Information
                                                      : QMessageBox::NoIcon,
                  Text(title), Text(text), QMessageBox::Ok, QApplication::activeWindow());
  box.exec();
}

TAnswer AskYesNoCancel(QWidget* parent, const std::string& text, const std::string& title) {
  if (QuestionHandler()) return QuestionHandler()(text, title);
  QMessageBox box(QMessageBox::NoIcon, Text(title), Text(text),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
  box.setDefaultButton(QMessageBox::Yes);
  box.setEscapeButton(QMessageBox::Cancel);
  switch (box.exec()) {
    case QMessageBox::Yes: return TAnswer::Yes;
    case QMessageBox::No: return TAnswer::No;
    default: return TAnswer::Cancel;
  }
}

TQuestionHandler SetQuestionHandler(TQuestionHandler handler) {
  std::swap(QuestionHandler(), handler);
  return handler;
}

std::string QtFileFilter(const std::string& filter) {
  // Captions and patterns alternate; Qt takes the patterns from the caption, so "(*.*)"
  // becomes "(*)", which also matches names without a dot.
  const QStringList parts = Text(filter).split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString caption = parts[i];
    caption.replace("(*.*)", "(*)");
    filters << caption;
  }
  return filters.join(";;").toStdString();
}

std::vector<std::string> RunFileDialog(QWidget* parent, const TFileDialogSpec& request,
                                       const std::string& initialPath) {
  if (FileDialogHandler()) return FileDialogHandler()(request);
  QFileDialog dialog(parent, Text(request.title), FromBytes(initialPath), Text(QtFileFilter(request.filter)));
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save       ? QFileDialog::AnyFile
                     : request.multiple ? QFileDialog::ExistingFiles
                                     : QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(Text(request.defaultExtension));
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
  dialog.setSizeGripEnabled(true);
  std::vector<std::string> chosen;
  if (dialog.exec() != QDialog::Accepted) return chosen;
  for (const QString& file : dialog.selectedFiles()) chosen.push_back(ToBytes(file));
  return chosen;
}

TFileDialogHandler SetFileDialogHandler(TFileDialogHandler handler) {
  std::swap(FileDialogHandler(), handler);
  return handler;
}
