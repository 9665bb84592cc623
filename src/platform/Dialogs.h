#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/report/ErrorReporter.h"

class QFileDialog;
class QString;
class QWidget;

// Shows the messages of ErrorReporter as modal message boxes with their title and icon.
class TMessageBoxSink : public TMessageSink {
 public:
  void ShowMessage(const std::string& text, const std::string& title, TMessageIcon icon) override;
};

enum class TAnswer { Yes, No, Cancel };

// A modal question with Yes, No and Cancel and no icon. Tests answer it through
// SetQuestionHandler instead of a message box.
TAnswer AskYesNoCancel(QWidget* parent, const std::string& text, const std::string& title);
using TQuestionHandler = std::function<TAnswer(const std::string& text, const std::string& title)>;
// Installs a handler (null restores the message box) and returns the previous one.
TQuestionHandler SetQuestionHandler(TQuestionHandler handler);

// What an open or save dialog shows and allows. The filter is written as pairs of a caption
// and its patterns, "Fractals (*.vlf)|*.vlf|All files (*.*)|*.*".
struct TFileDialogSpec {
  std::string title;
  std::string defaultExtension;  // added to a typed name without extension
  std::string filter;
  bool save = false;
  bool multiple = false;         // open: several files may be chosen
  bool overwritePrompt = false;  // save: ask before replacing a file
  int helpContext = 0;           // 0: no help
  std::string shownFilter;       // the caption of the filter shown at first; "": the first
};

// The filter in Qt's form: "Fractals (*.vlf);;All files (*)".
std::string QtFileFilter(const std::string& filter);

// The dialog RunFileDialog runs, ready to show. With a help context it is Qt's own dialog
// rather than the desktop's, so that it can carry a "&Help" button (object name "HelpBtn");
// the button and F1 open the help at that context.
std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* parent, const TFileDialogSpec& request,
                                            const std::string& initialPath = "");
// Runs the dialog; the chosen files as byte paths, none when it was cancelled. A typed save
// name without extension gets the default one.
std::vector<std::string> RunFileDialog(QWidget* parent, const TFileDialogSpec& request,
                                       const std::string& initialPath = "");
// Tests choose the files through a handler instead of a dialog.
using TFileDialogHandler = std::function<std::vector<std::string>(const TFileDialogSpec& request)>;
TFileDialogHandler SetFileDialogHandler(TFileDialogHandler handler);

// Paths between Qt and the byte strings of the core.
std::string ToBytes(const QString& path);
QString FromBytes(const std::string& path);
