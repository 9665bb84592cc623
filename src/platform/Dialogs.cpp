#include "platform/Dialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
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

std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* parent, const TFileDialogSpec& request,
                                            const std::string& initialPath) {
  auto dialog = std::make_unique<QFileDialog>(parent, Text(request.title), FromBytes(initialPath),
                                              Text(QtFileFilter(request.filter)));
  QFileDialog* d = dialog.get();
  // The desktop's dialog takes no buttons of ours; Qt's own has a button box to add one to.
  if (request.helpContext != 0) d->setOption(QFileDialog::DontUseNativeDialog);
  d->setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  d->setFileMode(request.save       ? QFileDialog::AnyFile
                 : request.multiple ? QFileDialog::ExistingFiles
                                    : QFileDialog::ExistingFile);
  // A typed name without extension takes that of the chosen filter, when it names one.
  const QString fallback = Text(request.defaultExtension);
  auto suffixOf = [fallback](const QString& filter) {
    static const QRegularExpression kOnePattern(R"(\(\*\.([^ ()*]+)\)$)");
    const QRegularExpressionMatch match = kOnePattern.match(filter);
    return match.hasMatch() ? match.captured(1) : fallback;
  };
  d->setDefaultSuffix(fallback);
  if (!request.shownFilter.empty()) {
    QString caption = Text(request.shownFilter);
    caption.replace("(*.*)", "(*)");
    d->selectNameFilter(caption);
    d->setDefaultSuffix(suffixOf(d->selectedNameFilter()));
  }
  QObject::connect(d, &QFileDialog::filterSelected, d,
                   [d, suffixOf](const QString& filter) { d->setDefaultSuffix(suffixOf(filter)); });
  d->setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
  d->setSizeGripEnabled(true);
  if (request.helpContext == 0) return dialog;

  const int context = request.helpContext;
  auto* buttons = d->findChild<QDialogButtonBox*>();
  if (buttons != nullptr) {
    QPushButton* help = buttons->addButton("&Help", QDialogButtonBox::HelpRole);
    help->setObjectName("HelpBtn");
    help->setAutoDefault(false);
    QObject::connect(help, &QPushButton::clicked, d, [d, context] { ShowHelp(d, context); });
  }
  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), d);
  QObject::connect(f1, &QShortcut::activated, d, [d, context] { ShowHelp(d, context); });
  return dialog;
}

std::vector<std::string> RunFileDialog(QWidget* parent, const TFileDialogSpec& request,
                                       const std::string& initialPath) {
  if (FileDialogHandler()) return FileDialogHandler()(request);
  const std::unique_ptr<QFileDialog> dialog = MakeFileDialog(parent, request, initialPath);
  std::vector<std::string> chosen;
  if (dialog->exec() != QDialog::Accepted) return chosen;
  for (const QString& file : dialog->selectedFiles()) chosen.push_back(ToBytes(file));
  return chosen;
}

TFileDialogHandler SetFileDialogHandler(TFileDialogHandler handler) {
  std::swap(FileDialogHandler(), handler);
  return handler;
}
