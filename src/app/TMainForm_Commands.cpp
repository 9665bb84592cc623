// The document commands of the main window: new, open, duplicate, save, save as, revert,
// the two property dialogs, naming, modes, orbit points, Julia windows and the command line.
#include <algorithm>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "app/PictureExport.h"
#include "app/TMDIChildWave.h"
#include "app/TMainForm.h"
#include "app/TUnit.h"
#include "app/TViewWave.h"
#include "app/dialogs/TDlgExportPicture.h"
#include "app/dialogs/TDlgFractal.h"
#include "app/dialogs/TDlgRegisterWave.h"
#include "app/dialogs/TDlgVoldViewProps.h"
#include "core/colour/PaletteFormats.h"
#include "core/documents/FractalFile.h"
#include "core/documents/PictureFractal.h"
#include "core/files/FileNames.h"
#include "core/report/Assert.h"
#include "core/report/ErrorReporter.h"
#include "platform/Dialogs.h"

namespace {

TFileDialogSpec FractalDialog(bool save) {
  TFileDialogSpec request;
  request.title = save ? "Save Fractal" : "Open Fractal";
  request.defaultExtension = "vlf";
  // A picture written with its fractal opens as that fractal.
  request.filter = save ? "Fractals (*.vlf)|*.vlf|All files (*.*)|*.*"
                        : "Fractals (*.vlf)|*.vlf|Pictures with a fractal (*.png)|*.png|"
                          "All files (*.*)|*.*";
  request.save = save;
  request.multiple = !save;
  request.overwritePrompt = save;
  return request;
}

}  // namespace

std::string TMainForm::NextNoName() { return "NONAME" + std::to_string(++NoNameCounter); }

TMDIChildWave* TMainForm::CreateChildWindow(std::unique_ptr<TUnitFract> document,
                                            const TFractProps& fractal,
                                            const TVoldViewProps& settings) {
  auto* window = new TMDIChildWave(std::move(document), fractal, settings);
  QMdiSubWindow* frame = m_mdiArea->addSubWindow(window);
  frame->setAttribute(Qt::WA_DeleteOnClose);
  frame->setWindowIcon(window->windowIcon());
  frame->resize(328, 418);
  window->RefreshCaption();
  frame->show();
  KeepInArea(frame);
  return window;
}

void TMainForm::FileNewWaveExecute() {
  SetBusyCursor();
  auto owned = std::make_unique<TUnitFract>(NextNoName(), "");
  TUnitFract* unit = owned.get();
  unit->TrackChanges = false;
  TMDIChildWave* window = CreateChildWindow(std::move(owned), defaultFractal, defaultView);
  // The dialog is a question to the user, not work: it shows the ordinary cursor.
  RestoreCursor();
  TViewWave* view = window->View();
  TDlgFractal dialog(this, view->ClientHeight(), view->ClientWidth(), &defaultFractal,
                     view->GetFractProps());
  if (dialog.exec() == QDialog::Accepted) {
    view->SetFractProps(dialog.GetFractProps());
    unit->SetChanged();
    view->RequestFullRepaint();
    SetNameBox(unit->Name());
    unit->TrackChanges = true;
    view->StartComputation();
  } else {
    window->SetCloseAllowed(true);
    delete window->SubWindow();
  }
}

void TMainForm::FileOpenFractalExecute() {
  const std::vector<std::string> files = RunFileDialog(this, FractalDialog(false));
  if (files.empty()) return;
  for (const std::string& file : files) {
    if (LowerExtension(file) == "png") {
      OpenFractalPicture(file);
    } else {
      OpenFractalFile(file, "");
    }
  }
}

TUnitFract* TMainForm::OpenFractalPicture(const std::string& path) {
  TVoldViewProps settings = defaultView;
  TFractProps props = defaultFractal;
  std::string message;
  const TXMLReadStatus status = LoadFractalPicture(path, settings, props, message);
  if (status != TXMLReadStatus::Ok) {
    ErrorReporter.CannotReadFile(path, LoadFailureReason(status, message));
    return nullptr;
  }
  // A new document, as a new window is: the picture is not its file.
  return OpenNewDocument(props, settings);
}

TUnitFract* TMainForm::OpenPaletteFile(const std::string& path) {
  TVoldViewProps settings = defaultView;
  // The loader changes the palette only when the whole file is good.
  TColorPalette1DItem palette(settings.PalOutside);
  std::string message;
  const TXMLReadStatus status = LoadPaletteFile(path, palette, message);
  if (status != TXMLReadStatus::Ok) {
    ErrorReporter.CannotReadFile(path, LoadFailureReason(status, message));
    return nullptr;
  }
  // The palette is shown at work, on the default fractal; the window is a new document and
  // the palette file stays the palette's.
  settings.PalOutside = palette;
  settings.UsePalOutside = true;
  return OpenNewDocument(defaultFractal, settings);
}

TUnitFract* TMainForm::OpenNewDocument(const TFractProps& props, const TVoldViewProps& settings) {
  SetBusyCursor();
  auto owned = std::make_unique<TUnitFract>(NextNoName(), "");
  TUnitFract* unit = owned.get();
  TMDIChildWave* window = CreateChildWindow(std::move(owned), props, settings);
  RestoreCursor();
  SetNameBox(unit->Name());
  window->View()->RequestFullRepaint();
  window->View()->StartComputation();
  unit->TrackChanges = true;
  return unit;
}

TUnitFract* TMainForm::OpenFractalFile(const std::string& path, const std::string& tempPath) {
  const bool ownCursor = !m_busy;
  if (ownCursor) SetBusyCursor();
  auto owned = std::make_unique<TUnitFract>("", path);
  TUnitFract* unit = owned.get();
  TMDIChildWave* window = CreateChildWindow(std::move(owned), defaultFractal, defaultView);
  std::string reason;
  // A project's temp copy holds the window's unsaved state; the file name stays the file's.
  const bool loaded = tempPath.empty() ? unit->Load(reason) : unit->LoadFrom(tempPath, reason);
  if (!loaded) {
    window->SetCloseAllowed(true);
    delete window->SubWindow();
    RestoreCursor();
    // A window restored from a temp copy names the copy when it has no file of its own.
    ErrorReporter.CannotReadFile(path.empty() ? tempPath : path, reason);
    return nullptr;
  }
  SetNameBox(unit->Name());
  window->View()->RequestFullRepaint();
  window->View()->StartComputation();
  unit->TrackChanges = true;
  if (ownCursor) RestoreCursor();
  return unit;
}

void TMainForm::DuplicateWaveExecute() {
  TMDIChildWave* source = ActiveFractalWindow();
  if (source == nullptr) return;
  SetBusyCursor();
  const TVoldViewProps settings = source->View()->GetViewProps();
  const TFractProps fractal = source->View()->GetFractProps();
  auto owned = std::make_unique<TUnitFract>(NextNoName(), "");
  TUnitFract* unit = owned.get();
  TMDIChildWave* window = CreateChildWindow(std::move(owned), fractal, settings);
  RestoreCursor();
  window->View()->StartComputation();
  unit->TrackChanges = true;
}

bool TMainForm::SaveDocument(TUnitFract* unitWave) {
  VELMORA_ASSERT(unitWave != nullptr, "unitWave != NULL");
  VELMORA_ASSERT(unitWave->CanSaveFract(), "unitWave->CanSaveFract()");
  if (unitWave->FileName().empty()) return SaveDocumentAs(unitWave);
  const bool ownCursor = !m_busy;
  if (ownCursor) SetBusyCursor();
  const bool saved = unitWave->Save();
  if (saved) unitWave->ClearChanged();
  if (ownCursor) RestoreCursor();
  // A failed write keeps the change mark; the caller must not treat the work as saved.
  return saved;
}

bool TMainForm::SaveDocumentAs(TUnitFract* unitWave) {
  VELMORA_ASSERT(unitWave != nullptr, "unitWave != NULL");
  VELMORA_ASSERT(unitWave->CanSaveFract(), "unitWave->CanSaveFract()");
  const std::vector<std::string> chosen = RunFileDialog(this, FractalDialog(true));
  if (chosen.empty()) return false;
  const bool ownCursor = !m_busy;
  if (ownCursor) SetBusyCursor();
  const std::string& path = chosen.front();
  const bool saved = unitWave->SaveAs(path);
  unitWave->SetFileName(path);
  // The new name is kept either way; a failed write leaves the work marked as unsaved, also
  // for a document that was new and so had no change mark.
  if (saved) {
    unitWave->ClearChanged();
  } else {
    unitWave->SetChanged();
  }
  if (unitWave->Window != nullptr) unitWave->Window->RefreshCaption();
  if (ownCursor) RestoreCursor();
  return saved;
}

void TMainForm::FileSaveExecute() {
  TMDIChildWave* window = ActiveFractalWindow();
  if (window != nullptr && window->unitWave()->CanSaveFract()) SaveDocument(window->unitWave());
}

void TMainForm::FileSaveAsExecute() {
  TMDIChildWave* window = ActiveFractalWindow();
  if (window != nullptr && window->unitWave()->CanSaveFract()) SaveDocumentAs(window->unitWave());
}

bool TMainForm::FileRevertExecute() {
  TMDIChildWave* window = ActiveFractalWindow();
  if (window == nullptr) return false;
  TUnitFract* unitWave = window->unitWave();
  VELMORA_ASSERT(unitWave != nullptr, "unitWave != NULL");
  const std::string waveFile = unitWave->FileName();
  VELMORA_ASSERT(!waveFile.empty(), "waveFile != \"\"");
  SetBusyCursor();
  std::string reason;
  TViewWave* view = window->View();
  TVoldViewProps settings = view->GetViewProps();
  TFractProps props = view->GetFractProps();
  // The file is read into copies: a file that cannot be read leaves the window as it was.
  if (!unitWave->Read(waveFile, settings, props, reason)) {
    RestoreCursor();
    ErrorReporter.ShowMessage("Cannot revert the file: \"" + waveFile + "\", " + reason,
                              "File Error", TMessageIcon::Error);
    return false;
  }
  // So does a record that cannot be computed. Undo goes back to the changes reverted.
  if (!view->ChangeState({props, settings}, true, true)) {
    RestoreCursor();
    return false;
  }
  unitWave->ClearChanged();
  RestoreCursor();
  return true;
}

void TMainForm::CopyPictureExecute() {
  TMDIChildWave* window = ActiveFractalWindow();
  if (window == nullptr) return;
  QApplication::clipboard()->setImage(window->View()->FractalPicture());
}

void TMainForm::ExportPictureExecute() {
  TMDIChildWave* window = ActiveFractalWindow();
  if (window == nullptr) return;
  TViewWave* view = window->View();
  TUnitFract* unit = window->unitWave();
  TPictureExportJob job;
  job.props = view->GetFractProps();
  job.settings = view->GetViewProps();
  // The picture carries the bytes Save writes of the window.
  job.fractalBytes = FractalFileText(job.settings, job.props);

  // Proposed: beside the fractal's file, or in the folder of the last export, named as the
  // window; at the grid's size.
  TExportChoice proposal;
  const QString source = FromBytes(unit->FileName());
  QString path;
  if (!source.isEmpty()) {
    const QFileInfo info(source);
    path = info.dir().filePath(info.completeBaseName() + ".png");
  } else {
    const QDir folder(m_exportFolder.empty() ? QDir::currentPath() : FromBytes(m_exportFolder));
    path = folder.filePath(QString::fromStdString(unit->Name()) + ".png");
  }
  proposal.path = ToBytes(path);
  proposal.width = job.props.XResolution.GetValue();
  proposal.height = job.props.YResolution.GetValue();
  proposal.samples = m_exportSamples;
  TDlgExportPicture dialog(this, proposal, view->ClientWidth(), view->ClientHeight());
  if (dialog.exec() != QDialog::Accepted) return;
  job.choice = dialog.Choice();
  m_exportFolder = ToBytes(QFileInfo(FromBytes(job.choice.path)).absolutePath());
  m_exportSamples = job.choice.samples;
  std::string reason;
  if (RunPictureExport(this, job, reason) == TExportResult::Failed) {
    ErrorReporter.ShowMessage("Cannot export the picture \"" + job.choice.path + "\": " + reason,
                              "File Error", TMessageIcon::Error);
  }
}

void TMainForm::RegisterExecute() {
  TUnit* unit = CurrentDocument();
  if (unit == nullptr) return;
  TDlgRegisterWave dialog(this, unit->Name(), [this](const std::string& name) {
    TUnit* current = CurrentDocument();
    VELMORA_ASSERT(current != nullptr, "unit != NULL");
    return IsNameUnique(name, current);
  });
  if (dialog.exec() == QDialog::Accepted) {
    unit->SetName(dialog.GetName());
    SetNameBox(unit->Name());
  }
}

void TMainForm::FractPropsExecute() {
  TMDIChildWave* window = ActiveFractalWindow();
  if (window == nullptr) return;
  TViewWave* view = window->View();
  TDlgFractal dialog(this, view->ClientHeight(), view->ClientWidth(), &defaultFractal,
                     view->GetFractProps());
  // A record the view refuses changes nothing, the change mark and the history included.
  if (dialog.exec() == QDialog::Accepted &&
      view->ChangeState({dialog.GetFractProps(), view->GetViewProps()}, true, true)) {
    window->unitWave()->SetChanged();
  }
}

void TMainForm::ViewVoldExecute() {
  TMDIChildWave* window = ActiveFractalWindow();
  if (window == nullptr) return;
  TViewWave* view = window->View();
  TDlgVoldViewProps dialog(this, &defaultView, view->GetViewProps());
  if (dialog.exec() == QDialog::Accepted &&
      view->ChangeState({view->GetFractProps(), dialog.GetViewProps()}, true, false)) {
    window->unitWave()->SetChanged();
  }
}

void TMainForm::UndoExecute() { StepHistory(true); }

void TMainForm::RedoExecute() { StepHistory(false); }

void TMainForm::StepHistory(bool back) {
  TMDIChildWave* window = ActiveFractalWindow();
  bool marksChanged = false;
  TViewWave* view = window != nullptr ? window->View() : nullptr;
  if (view != nullptr && (back ? view->Undo(marksChanged) : view->Redo(marksChanged)) &&
      marksChanged) {
    window->unitWave()->SetChanged();
  }
  ActionList1Update();
}

void TMainForm::DeleteUndoExecute() {
  if (TMDIChildWave* window = ActiveFractalWindow()) window->View()->ForgetHistory();
  ActionList1Update();
}

void TMainForm::ToggleMode(uint8_t mode) {
  TMDIChildWave* window = ActiveFractalWindow();
  if (window == nullptr) return;
  window->SetMode(window->Mode() == mode ? uint8_t{ModeNone} : mode);
  ActionList1Update();
}

void TMainForm::AddNextPointsExecute() {
  if (TMDIChildWave* window = ActiveFractalWindow()) window->View()->AddNextPoints();
}

void TMainForm::GroupAsPolynoomExecute() {
  TMDIChildWave* window = ActiveFractalWindow();
  if (window == nullptr) return;
  TViewWave* view = window->View();
  const bool wasGrouping = view->GroupAsPolygon();
  view->SetGroupAsPolygon(!wasGrouping);
  if (wasGrouping) view->GroupPoints();
  ActionList1Update();
}

void TMainForm::RemovePointsExecute() {
  if (TMDIChildWave* window = ActiveFractalWindow()) window->View()->RemovePoints();
}

void TMainForm::CreateJuliaWindow(const TVoldViewProps& settings, const TFractProps& fractal,
                                  double cRe, double cIm, double dRe, double dIm) {
  TMDIChildWave* active = ActiveFractalWindow();
  if (active == nullptr) return;
  SetBusyCursor();
  TFractProps julia = fractal;
  julia.CR.SetValue(cRe);
  julia.CI.SetValue(cIm);
  julia.DR.SetValue(dRe);
  julia.DI.SetValue(dIm);
  julia.Left.SetValue(-1.4);
  julia.Right.SetValue(1.4);
  julia.Top.SetValue(-1.3);
  julia.Bottom.SetValue(1.3);
  julia.Map = MapZ;
  auto owned = std::make_unique<TUnitFract>(NextNoName(), "");
  TUnitFract* unit = owned.get();
  TMDIChildWave* window = CreateChildWindow(std::move(owned), julia, settings);
  RestoreCursor();
  window->View()->StartComputation();
  unit->TrackChanges = true;
}

void TMainForm::HandleCommandLine(const std::vector<std::string>& arguments) {
  // Each file is opened as if it had been the only one, in the order given; a file that
  // cannot be opened says so and the others still open. A project opened on the way stays
  // the open project.
  bool projectOpened = false;
  for (const std::string& given : arguments) {
    if (OpenFromCommandLine(given)) projectOpened = !ProjectFile.empty();
  }
  if (!projectOpened) ProjectFile.clear();
  UpdateCaption();
}

bool TMainForm::OpenFromCommandLine(const std::string& given) {
  // A name relative to the folder the program was started in is taken as the full path, so
  // that a project keeps paths that work from anywhere.
  const std::string argument = ToBytes(QFileInfo(FromBytes(given)).absoluteFilePath());
  // The extension is taken after the last "." of the file-name part, so that dots in
  // folder names or in the name itself do not matter.
  std::string folder, file = argument, name, extension, unused;
  PathOfPathFile(argument, folder, file, unused);
  if (file.find('.') == std::string::npos) {
    ErrorReporter.ShowMessage("Cannot read the file: \"" + argument + "\" File has no extension",
                              "File Error", TMessageIcon::Information);
    extension = file;
  } else {
    NameOfFile(file, name, extension, unused);
  }
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == "tkp") {
    OpenProject(argument);
    return true;
  }
  if (extension == "vlf") {
    OpenFractalFile(argument, "");
  } else if (extension == "png") {
    OpenFractalPicture(argument);
  } else if (extension == "cp1" || extension == "gpl" || extension == "ggr" || extension == "map") {
    OpenPaletteFile(argument);
  } else {
    ErrorReporter.ShowMessage("Invalid extension \"" + extension + "\" used.", "File Error",
                              TMessageIcon::Information);
  }
  return false;
}
