#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QMainWindow>
#include <QString>
#include <QTimer>

#include "app/ShellServices.h"
#include "core/colour/TVoldViewProps.h"
#include "core/fractal/TFractProps.h"

class QAction;
class QLabel;
class QLineEdit;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class TAboutBox;
class TDlgSelZoom;
class TMDIChildWave;
class TViewWave;
class TUnitFract;
class TXMLComplexElement;

// A project save writes temp copies of the windows with unsaved work and their files; an
// export writes a copy of every window and no file names.
enum class TProjectSaveMode { Normal, Export };

// The main window: an MDI frame owning every fractal window, the menus, the tool bar, the
// status bar and the command table. Views and dialogs reach it only through ShellServices.
class TMainForm : public QMainWindow, public TShellServices {
 public:
  TMainForm();
  ~TMainForm() override;

  // The action of the command table with this name (its objectName), e.g. "FileSave".
  QAction* Action(const std::string& name) const;
  QMenu* Menu(const std::string& name) const;
  QLabel* StatusPanel(int index) const { return m_panels[static_cast<size_t>(index)]; }
  QMdiArea* MdiArea() const { return m_mdiArea; }
  QLineEdit* NameBox() const { return m_editName; }

  // Enables, checks and shows every action and menu from the active window; runs whenever
  // the event loop is about to wait.
  void ActionList1Update();

  // The child windows in index order: the top of the stacking order first.
  std::vector<TMDIChildWave*> ChildWindows() const;
  TMDIChildWave* ActiveFractalWindow() const;
  // The document of the last window (by index, scanning down) with exactly this name.
  TUnit* FindWindowByName(const std::string& name) const;
  void UpdateCaption();
  void SetBusyCursor();
  void RestoreCursor();
  bool Busy() const { return m_busy; }

  // Document commands.
  void FileNewWaveExecute();
  void FileOpenFractalExecute();
  void DuplicateWaveExecute();
  void FileSaveExecute();
  void FileSaveAsExecute();
  bool FileRevertExecute();
  // The active window's fractal picture to the clipboard.
  void CopyPictureExecute();
  void ExportPictureExecute();
  void UndoExecute();
  void RedoExecute();
  // Undo (back) or Redo of the active window, with the change mark the step carries.
  void StepHistory(bool back);
  void DeleteUndoExecute();
  void RegisterExecute();
  void FractPropsExecute();
  void ViewVoldExecute();
  void ToggleMode(uint8_t mode);
  void AddNextPointsExecute();
  void GroupAsPolynoomExecute();
  void RemovePointsExecute();
  void HelpAboutExecute();

  TMDIChildWave* CreateChildWindow(std::unique_ptr<TUnitFract> document, const TFractProps& fractal,
                                   const TVoldViewProps& settings);
  // Opens a fractal file in a new window; null (after the message) when it cannot be read.
  TUnitFract* OpenFractalFile(const std::string& path, const std::string& tempPath);
  // Opens the fractal a PNG picture carries in a new window, as a new document; null (after
  // the message) when the picture carries none.
  TUnitFract* OpenFractalPicture(const std::string& path);
  // A new window of the default fractal coloured outside by the palette file (.cp1, .gpl,
  // .ggr or .map); nullptr, with the message said, when the file cannot be read.
  TUnitFract* OpenPaletteFile(const std::string& path);
  // A new window of a new document (NONAME<n>) with these records, computing at once.
  TUnitFract* OpenNewDocument(const TFractProps& props, const TVoldViewProps& settings);
  bool SaveDocumentAs(TUnitFract* document);
  // The argument of the command line, if any; run once when the window is first shown.
  void HandleCommandLine(const std::vector<std::string>& arguments);
  // One file of the command line; true when it was a project (opened or not).
  bool OpenFromCommandLine(const std::string& argument);
  // The next generated name, NONAME<n>.
  std::string NextNoName();

  // Project commands.
  void ProjectNewExecute();
  void ProjectOpenExecute();
  void ProjectCloseExecute();
  void ProjectSaveExecute();
  void ProjectExportExecute();
  bool SaveProject(const std::string& path, TProjectSaveMode mode);
  std::unique_ptr<TXMLComplexElement> BuildProjectTree(TProjectSaveMode mode) const;
  bool CloseProjectWindows();
  void OpenProject(const std::string& path);

  // TShellServices.
  TUnit* CurrentDocument() override;
  TMDIChildWave* CurrentFractalWindow() override { return ActiveFractalWindow(); }
  bool IsNameUnique(const std::string& name, const TUnit* document) override;
  TDlgSelZoom* SelZoomDialog() override { return m_selZoom; }
  QPixmap Icons() override;
  void SetKeysCaptured(bool captured) override { keysCaptured = captured; }
  QRect MainWindowRect() override;
  void CreateJuliaWindow(const TVoldViewProps& settings, const TFractProps& fractal, double cRe,
                         double cIm, double dRe, double dIm) override;
  bool SaveDocument(TUnitFract* document) override;
  void ChildActivated(TMDIChildWave* window) override;
  void SetNameBox(const std::string& name) override;
  void ShowWhere(const std::string& text) override;
  // The status panels added to the design's eight.
  static constexpr size_t kWherePanel = 8;
  static constexpr size_t kComputingPanel = 9;
  // What the computing panel says once the bounds have reached the precision of the numbers.
  static const char* const kPrecisionLimitText;
  // The computing panel's text for a view: progress while it computes, the precision limit.
  static QString ComputingText(const TViewWave& view);
  void UpdateComputingPanel();

  TVoldViewProps defaultView;
  TFractProps defaultFractal;
  std::string ProjectFile;
  int32_t NoNameCounter = 0;
  uint8_t lastWindowKind = 3;
  bool editingName = false;
  bool keysCaptured = false;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateActions();
  void CreateMenus();
  void CreateToolBar();
  void CreateStatusBar();
  void RebuildWindowMenu();
  void TileWindows(bool horizontally);
  // Each open window keeps its size where the area has room, one title bar below and to the
  // right of the one before.
  void CascadeWindows();
  void ArrangeMinimized();
  // Moves a window into the visible part of the area, as far as it fits.
  void KeepInArea(QMdiSubWindow* frame);
  // The action of the command table whose key a shortcut event carries, when that event
  // would not trigger it: the key is also a menu's mnemonic, and the table's key comes first.
  QAction* ShortcutTakenFromMenu(QObject* receiver, QEvent* event) const;
  void EditNameEntered();
  bool FormCloseQuery();
  void SetMenusVisible(bool visible);
  TMDIChildWave* WindowOf(QMdiSubWindow* frame) const;

  std::map<std::string, QAction*> m_actions;
  std::map<std::string, QMenu*> m_menus;
  std::vector<QAction*> m_toolBarTwins;
  std::vector<QLabel*> m_panels;
  QTimer m_computingTimer;
  QMdiArea* m_mdiArea = nullptr;
  QToolBar* m_toolBar = nullptr;
  QLineEdit* m_editName = nullptr;
  TAboutBox* m_aboutBox = nullptr;
  TDlgSelZoom* m_selZoom = nullptr;
  bool m_busy = false;
  bool m_shown = false;
  // The folder and the samples of the last picture exported, proposed for the next one.
  std::string m_exportFolder;
  int32_t m_exportSamples = 1;
  QMetaObject::Connection m_idleConnection;
};
