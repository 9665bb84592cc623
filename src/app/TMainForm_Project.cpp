// The project commands of the main window: a project keeps the set of open windows, with
// temp copies of unsaved work beside the project file.
#include <algorithm>

#include <QMdiArea>
#include <QMdiSubWindow>

#include "app/TMDIChildWave.h"
#include "app/TMainForm.h"
#include "app/TUnit.h"
#include "app/TViewWave.h"
#include "core/documents/FractalFile.h"
#include "core/documents/ProjectFile.h"
#include "core/report/Assert.h"
#include "core/report/ErrorReporter.h"
#include "core/values/ValueUnits.h"
#include "core/xml/TXMLItem.h"
#include "core/xml/XMLWriter.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"

namespace {

TFileDialogSpec ProjectDialog(const char* title, bool save, int helpContext) {
  TFileDialogSpec request;
  request.title = title;
  request.defaultExtension = "tkp";
  request.filter = "Project Files (*.tkp)|*.tkp|XML Files (*.xml)|*.xml|All files (*.*)|*.*";
  request.save = save;
  request.overwritePrompt = save;
  request.helpContext = helpContext;
  return request;
}

// Reading a project into the main window: each Window becomes an open window.
class TWindowProjectReader : public TProjectReader {
 public:
  explicit TWindowProjectReader(TMainForm& form) : m_form(form) {}

  void SetNoNameCounter(int32_t value) override { m_form.NoNameCounter = value; }
  void SetFrameValue(int index, int32_t value) override {
    switch (index) {
      case 0: m_form.move(value, m_form.y()); break;
      case 1: m_form.move(m_form.x(), value); break;
      case 2: m_form.resize(std::max(value, 1), m_form.height()); break;
      default: m_form.resize(m_form.width(), std::max(value, 1)); break;
    }
  }
  void SetFrameState(int state) override {
    if (state == 1) {
      m_form.showMinimized();
    } else if (state == 2) {
      m_form.showMaximized();
    } else {
      m_form.showNormal();
    }
  }
  bool OpenWindow(const std::string& file, const std::string& tempPath) override {
    m_opened = m_form.OpenFractalFile(file, tempPath);
    if (m_opened == nullptr) return false;
    // Restored from a temp copy: the content is the unsaved work, so it still needs saving.
    m_fromTempCopy = !tempPath.empty();
    return true;
  }
  bool NameInUse(const std::string& name) override { return m_form.FindWindowByName(name) != nullptr; }
  bool ApplyWindow(const std::string& name, const TXMLItem* first, std::string& message,
                   int32_t& line, int32_t& column) override {
    if (!m_opened->FractWindow->ReadWindowElement(first, name, message, line, column)) return false;
    m_opened->TrackChanges = true;
    if (m_fromTempCopy) m_opened->SetChanged();
    return true;
  }
  void LastName(const std::string& name) override { m_form.SetNameBox(name); }

 private:
  TMainForm& m_form;
  TUnitFract* m_opened = nullptr;
  bool m_fromTempCopy = false;
};

}  // namespace

std::unique_ptr<TXMLComplexElement> TMainForm::BuildProjectTree(TProjectSaveMode mode) const {
  auto xmlProject = std::make_unique<TXMLComplexElement>("Project");
  xmlProject->Add(std::make_unique<TXMLStringElement>("Version", kProjectVersion));
  unitInteger(NoNameCounter).WriteXML("NoNameCounter", *xmlProject);
  auto* xmlFrame = xmlProject->Add(std::make_unique<TXMLComplexElement>("Frame"));
  const QRect place = isMinimized() || isMaximized() ? normalGeometry() : geometry();
  unitInteger(place.x()).WriteXML("Left", *xmlFrame);
  unitInteger(place.y()).WriteXML("Top", *xmlFrame);
  unitInteger(place.width()).WriteXML("Width", *xmlFrame);
  unitInteger(place.height()).WriteXML("Height", *xmlFrame);
  xmlFrame->Add(std::make_unique<TXMLComplexElement>(
      WindowStateName(isMinimized() ? 1 : isMaximized() ? 2 : 0)));
  // From the bottom of the stacking order to the top, so that reopening in file order puts
  // every window back in its place.
  const std::vector<TMDIChildWave*> windows = ChildWindows();
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    const TUnitFract* unit = (*it)->unitWave();
    auto* xmlWindow = xmlProject->Add(std::make_unique<TXMLComplexElement>("Window"));
    auto* xmlWave = xmlWindow->Add(std::make_unique<TXMLComplexElement>("Wave"));
    if (mode == TProjectSaveMode::Normal) {
      if (auto file = unit->FileElement()) xmlWave->Add(std::move(file));
    }
    if (auto temp = unit->TempFileElement()) xmlWave->Add(std::move(temp));
    (*it)->WriteWindowElement(*xmlWindow);
  }
  return xmlProject;
}

bool TMainForm::SaveProject(const std::string& path, TProjectSaveMode mode) {
  if (path.empty()) return true;
  TProjectPaths paths;
  if (!paths.Split(path)) return false;
  std::string error;
  // Says why a step failed, naming the project; error names the file and the reason.
  auto fail = [&] {
    ErrorReporter.ShowMessage(
        std::string(mode == TProjectSaveMode::Export ? "Cannot export" : "Cannot save") +
            " the project \"" + path + "\": " + error + ".",
        "FileError", TMessageIcon::Information);
    return false;
  };
  if (!paths.CheckFolder(error)) return fail();

  // 1. Temp copies of every window with unsaved work (of every window when exporting).
  int32_t n = 0;
  bool copiesWritten = true;
  const std::vector<TMDIChildWave*> windows = ChildWindows();
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    TUnitFract* unit = (*it)->unitWave();
    if (mode == TProjectSaveMode::Export || unit->NeedsSave()) {
      unit->TempFile = n;
      if (n == 0 && !paths.EnsureTempDirectory(error)) return fail();
      // Every copy counts: a save with one copy missing must not replace the saved ones.
      if (!unit->SaveTo(paths.NewCopy(n))) copiesWritten = false;
      ++n;
    } else {
      unit->TempFile = -1;
    }
  }
  if (!copiesWritten) {
    paths.DiscardNewCopies(n);
    return false;
  }
  // Whatever would stop the copies from replacing the saved ones stops the save here, while
  // the previous project file still names the previous copies.
  if (!paths.CheckCopiesReplaceable(n, error)) {
    paths.DiscardNewCopies(n);
    return fail();
  }

  // 2. The project file itself; a failed write keeps the previous one.
  const std::unique_ptr<TXMLComplexElement> tree = BuildProjectTree(mode);
  if (!SaveToFile(*tree, path, error)) {
    ErrorReporter.ShowMessage("Cannot save Project File: " + error, "FileError",
                              TMessageIcon::Information);
    paths.DiscardNewCopies(n);
    return false;
  }

  // 3 and 4. Each new copy is renamed over its saved name, which replaces it in one step, and
  // only then go the saved copies of an earlier save beyond the new ones.
  if (!paths.PromoteNewCopies(n, error) || !paths.DeleteSavedCopies(n, error)) return fail();
  return true;
}

bool TMainForm::CloseProjectWindows() {
  const std::vector<TMDIChildWave*> windows = ChildWindows();
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    TMDIChildWave* window = *it;
    if (ProjectFile.empty()) {
      if (!window->FormCloseQuery()) return false;
    } else if (window->unitWave()->TempFile != -1) {
      // Its unsaved work is in the project's temp copy.
      window->unitWave()->ClearChanged();
    }
    window->SetCloseAllowed(true);
    delete window->SubWindow();
  }
  return true;
}

void TMainForm::OpenProject(const std::string& path) {
  ProjectFile = path;
  std::string errorText;
  TWindowProjectReader reader(*this);
  switch (ReadProject(path, reader, errorText)) {
    case TProjectReadResult::Failed:
      RestoreCursor();
      if (!errorText.empty() && errorText.front() == ' ') errorText.erase(0, 1);
      ErrorReporter.CannotReadFile(path, errorText);
      ProjectFile.clear();
      break;
    case TProjectReadResult::CannotOpen:
      ErrorReporter.CannotReadFile(path, kFileCannotBeOpened);
      ProjectFile.clear();
      break;
    case TProjectReadResult::Read:
      break;
  }
  UpdateCaption();
}

void TMainForm::ProjectNewExecute() {
  const std::vector<std::string> chosen =
      RunFileDialog(this, ProjectDialog("New Project", true, kHelpNewProject));
  if (chosen.empty()) return;
  if (SaveProject(ProjectFile, TProjectSaveMode::Normal) && CloseProjectWindows()) {
    ProjectFile = chosen.front();
    UpdateCaption();
  }
}

void TMainForm::ProjectOpenExecute() {
  const std::vector<std::string> chosen =
      RunFileDialog(this, ProjectDialog("Open Project", false, kHelpOpenProject));
  if (chosen.empty()) return;
  if (SaveProject(ProjectFile, TProjectSaveMode::Normal) && CloseProjectWindows()) {
    OpenProject(chosen.front());
  }
}

void TMainForm::ProjectCloseExecute() {
  VELMORA_ASSERT(!ProjectFile.empty(), "ProjectFile != \"\"");
  if (SaveProject(ProjectFile, TProjectSaveMode::Normal) && CloseProjectWindows()) {
    ProjectFile.clear();
    UpdateCaption();
  }
}

void TMainForm::ProjectSaveExecute() {
  VELMORA_ASSERT(!ProjectFile.empty(), "ProjectFile != \"\"");
  SaveProject(ProjectFile, TProjectSaveMode::Normal);
}

void TMainForm::ProjectExportExecute() {
  const std::vector<std::string> chosen =
      RunFileDialog(this, ProjectDialog("Export Project", true, kHelpExportProject));
  if (chosen.empty()) return;
  SaveProject(chosen.front(), TProjectSaveMode::Export);
}
