#include "app/TMainForm.h"

#include <algorithm>
#include <array>

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QShortcutEvent>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "app/Artwork.h"
#include "app/Log.h"
#include "app/TMDIChildWave.h"
#include "app/TUnit.h"
#include "app/TViewWave.h"
#include "app/dialogs/TAboutBox.h"
#include "app/dialogs/TDlgRegisterWave.h"
#include "app/dialogs/TDlgSelZoom.h"
#include "core/report/Assert.h"
#include "core/report/ErrorReporter.h"
#include "platform/Dialogs.h"

namespace {

constexpr const char* kVersion = "1.0";

// One line of the command table.
struct TCommand {
  const char* name;
  const char* caption;
  const char* key;   // "" for none
  const char* hint;  // "short|long", or one text for both
};

// Single-letter keys are shared by two actions in two cases (F, D); each key goes to the
// action that does something, and the other keeps its caption without the key.
const TCommand kCommands[] = {
    {"FileNewWave", "&New wave...", "Ctrl+N", "New|Create a new empty wave window"},
    {"FileOpenWave", "&Open wave...", "Ctrl+O", "Open|Open a wave file"},
    {"DuplicateWave", "&Duplicate", "D", "Duplicate fractal|Make a duplicate of the fractal"},
    {"FileClose", "&Close", "", "Close|Close current file"},
    {"FileSave", "&Save", "Ctrl+S", "Save|Save current file"},
    {"FileSaveAs", "Save &As...", "Ctrl+A", "Save As|Save current file with different name"},
    {"CopyPicture", "Cop&y Picture", "Ctrl+C",
     "Copy Picture|Copy the picture of the current fractal to the clipboard"},
    {"ExportPicture", "&Export Picture...", "Ctrl+E",
     "Export Picture|Save the picture of the current fractal as an image"},
    {"FileRevert", "&Revert", "Ctrl+Shift+R", "Discard changes and re-open the file"},
    {"Register", "&Register...", "N", "Register|Register a wave using a name"},
    {"Options", "Options...", "", ""},
    {"FileExit", "E&xit", "", "Exit|Exit the Tarnwick"},
    {"FileProperties", "Properties", "", "Properties|Change the properties of the wave"},
    {"FractProps", "Fractal Properties", "F", "properties of fractal"},
    {"ViewVold", "&Fractal...", "V", "view properties of fractal"},
    {"ZoomIn", "&Zoom in", "Z", "Zoom In|Zoom the selected part in"},
    {"ZoomOut", "Zoom &out", "Shift+Z", "Zoom Out|Zoom the selected part out"},
    {"DrawPoints", "&Draw Points", "Alt+D", "Put points"},
    {"CreateJuliaFromMandelbrot", "Create &Julia from Mandelbrot", "J",
     "Make Julia of Mandebrot|Make a Julia fractal of the Mandebrot fractal"},
    {"AddNextPoints", "&Add Next Points", "Alt+W", "Make next step of points"},
    {"GroupAsPolynoom", "Group as Polynoom", "Alt+P", "Set new points in polygon"},
    {"RemovePoints", "&Remove Points", "Alt+Del", "Remove all points"},
    {"WindowCascade", "&Cascade", "Shift+F5", "Cascade"},
    {"WindowTileHorizontal", "Tile &Horizontally", "F4", "Tile Horizontally"},
    {"WindowTileVertical", "Tile &Vertically", "Shift+F4", "Tile Vertically"},
    {"WindowMinimizeAll", "&Minimize All", "", "Minimize All"},
    {"WindowArrangeAll", "&Arrange All", "", "Arrange All"},
    {"HelpAbout", "&About...", "Alt+F1",
     "About|Displays program information, version number, and copyright"},
    {"keyD", "keyD", "", ""},
    {"Undo", "&Undo", "Ctrl+Z", "Undo|Undo last wave action"},
    {"Redo", "&Redo", "Ctrl+Y", "Redo|Redo the wave action undone last"},
    {"DeleteUndo", "De&lete Undo", "", "Delete Undo|Forget wave before last wave action"},
    {"ProjectNew", "&New Project...", "Shift+Alt+N", "Create New Project"},
    {"ProjectOpen", "&Open Project...", "Shift+Alt+O", "Open Project"},
    {"ProjectClose", "&Close Project", "Shift+Alt+C", "Close Current Project"},
    {"ProjectSave", "&Save Project", "Shift+S", "Save Current Project"},
    {"ProjectExport", "&Export Project", "Shift+E", "Export all data of the Current Project"},
};

// The short part of a hint is the tool tip, the long part the status-bar text.
void ApplyHint(QAction* action, const std::string& hint) {
  const std::string::size_type bar = hint.find('|');
  const QString shortHint = QString::fromStdString(hint.substr(0, bar));
  const QString longHint = QString::fromStdString(bar == std::string::npos ? hint : hint.substr(bar + 1));
  action->setToolTip(shortHint);
  action->setStatusTip(longHint);
}

}  // namespace

TMainForm::TMainForm() {
  LogOpen();
  LogWriteLine("---- START --------------------------------------\n");
  setObjectName("MainForm");
  setWindowTitle(QString("Velmora ") + kVersion);
  setWindowIcon(AppIconSet());
  resize(763, 463);
  move(223, 152);

  m_mdiArea = new QMdiArea(this);
  m_mdiArea->setBackground(QColor(64, 64, 64));
  // Windows moved or opened beyond the visible part stay reachable.
  m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(m_mdiArea);
  connect(m_mdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* frame) {
    if (TMDIChildWave* window = WindowOf(frame)) ChildActivated(window);
    ActionList1Update();
  });

  CreateActions();
  CreateMenus();
  CreateToolBar();
  CreateStatusBar();
  UpdateCaption();

  m_aboutBox = new TAboutBox(this);
  m_selZoom = new TDlgSelZoom(this);
  m_selZoom->hide();

  ShellServices.Install(this);
  qApp->installEventFilter(this);
  // The action update runs whenever the event loop is about to wait: cheap, and always
  // current when the user looks.
  if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
    m_idleConnection = connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                               &TMainForm::ActionList1Update);
  }
  ActionList1Update();
}

TMainForm::~TMainForm() {
  disconnect(m_idleConnection);
  qApp->removeEventFilter(this);
  // The windows go first, each stopping its worker, while the services are still there.
  for (QMdiSubWindow* frame : m_mdiArea->subWindowList()) delete frame;
  if (ShellServices.Installed() == this) ShellServices.Install(nullptr);
  LogWriteLine("---- END ----------------------------------------\n");
  LogClose();
}

void TMainForm::CreateActions() {
  for (const TCommand& c : kCommands) {
    auto* action = new QAction(QString::fromUtf8(c.caption), this);
    action->setObjectName(c.name);
    if (*c.key != '\0') action->setShortcut(QKeySequence(QString::fromUtf8(c.key)));
    ApplyHint(action, c.hint);
    const QIcon icon = ToolIcon(c.name);
    if (!icon.isNull()) action->setIcon(icon);
    // Every action belongs to the window itself too, so that its key works even while its
    // menu is hidden.
    addAction(action);
    m_actions[c.name] = action;
  }
  // Redo answers to both keys users know it by.
  Action("Redo")->setShortcuts({QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")});
  for (const char* name : {"ZoomIn", "ZoomOut", "DrawPoints", "CreateJuliaFromMandelbrot",
                           "GroupAsPolynoom", "ViewVold"}) {
    Action(name)->setCheckable(true);
  }

  auto on = [this](const char* name, auto handler) {
    connect(Action(name), &QAction::triggered, this, handler);
  };
  on("FileNewWave", [this] { FileNewWaveExecute(); });
  on("FileOpenWave", [this] { FileOpenFractalExecute(); });
  on("DuplicateWave", [this] { DuplicateWaveExecute(); });
  on("keyD", [this] {
    if (Action("DuplicateWave")->isEnabled()) DuplicateWaveExecute();
  });
  on("FileClose", [this] {
    if (QMdiSubWindow* frame = m_mdiArea->activeSubWindow()) frame->close();
  });
  on("FileSave", [this] { FileSaveExecute(); });
  on("FileSaveAs", [this] { FileSaveAsExecute(); });
  on("CopyPicture", [this] { CopyPictureExecute(); });
  on("ExportPicture", [this] { ExportPictureExecute(); });
  on("Undo", [this] { UndoExecute(); });
  on("Redo", [this] { RedoExecute(); });
  on("DeleteUndo", [this] { DeleteUndoExecute(); });
  on("FileRevert", [this] { FileRevertExecute(); });
  on("Register", [this] { RegisterExecute(); });
  on("FileExit", [this] { close(); });
  on("FractProps", [this] { FractPropsExecute(); });
  on("ViewVold", [this] { ViewVoldExecute(); });
  on("ZoomIn", [this] { ToggleMode(ModeZoomIn); });
  on("ZoomOut", [this] { ToggleMode(ModeZoomOut); });
  on("DrawPoints", [this] { ToggleMode(ModeDrawPoints); });
  on("CreateJuliaFromMandelbrot", [this] { ToggleMode(ModeJulia); });
  on("AddNextPoints", [this] { AddNextPointsExecute(); });
  on("GroupAsPolynoom", [this] { GroupAsPolynoomExecute(); });
  on("RemovePoints", [this] { RemovePointsExecute(); });
  on("WindowCascade", [this] { CascadeWindows(); });
  on("WindowTileHorizontal", [this] { TileWindows(true); });
  on("WindowTileVertical", [this] { TileWindows(false); });
  on("WindowMinimizeAll", [this] {
    for (QMdiSubWindow* frame : m_mdiArea->subWindowList()) frame->showMinimized();
  });
  on("WindowArrangeAll", [this] { ArrangeMinimized(); });
  on("HelpAbout", [this] { HelpAboutExecute(); });
  on("ProjectNew", [this] { ProjectNewExecute(); });
  on("ProjectOpen", [this] { ProjectOpenExecute(); });
  on("ProjectClose", [this] {
    if (!ProjectFile.empty()) ProjectCloseExecute();
  });
  on("ProjectSave", [this] {
    if (!ProjectFile.empty()) ProjectSaveExecute();
  });
  on("ProjectExport", [this] {
    if (!ProjectFile.empty()) ProjectExportExecute();
  });
}

QAction* TMainForm::Action(const std::string& name) const {
  const auto it = m_actions.find(name);
  VELMORA_ASSERT(it != m_actions.end(), "action != NULL");
  return it->second;
}

QMenu* TMainForm::Menu(const std::string& name) const {
  const auto it = m_menus.find(name);
  return it == m_menus.end() ? nullptr : it->second;
}

void TMainForm::CreateMenus() {
  auto add = [this](const char* key, const char* title, const char* hint) {
    QMenu* menu = menuBar()->addMenu(QString::fromUtf8(title));
    menu->setObjectName(key);
    if (*hint != '\0') menu->menuAction()->setStatusTip(hint);
    m_menus[key] = menu;
    return menu;
  };
  QMenu* file = add("File", "&File", "File related commands");
  file->addAction(Action("FileNewWave"));
  file->addAction(Action("FileOpenWave"));
  file->addAction(Action("DuplicateWave"));
  file->addSeparator();
  file->addAction(Action("FileClose"));
  file->addAction(Action("FileSave"));
  file->addAction(Action("FileSaveAs"));
  file->addAction(Action("ExportPicture"));
  file->addAction(Action("CopyPicture"));
  file->addSeparator();
  file->addAction(Action("FileExit"));
  // Register and Options are kept out of sight; Register's key still works.

  QMenu* project = add("Project", "&Project", "");
  for (const char* name : {"ProjectNew", "ProjectOpen", "ProjectClose"}) project->addAction(Action(name));
  project->addSeparator();
  project->addAction(Action("ProjectSave"));
  project->addAction(Action("ProjectExport"));
  project->menuAction()->setVisible(false);

  QMenu* edit = add("Edit", "&Edit", "Undo and redo the changes of the window");
  edit->addAction(Action("Undo"));
  edit->addAction(Action("Redo"));
  edit->addSeparator();
  edit->addAction(Action("DeleteUndo"));

  QMenu* fractal = add("Fractal", "F&ractal", "");
  fractal->addAction(Action("FileProperties"));
  fractal->addAction(Action("ViewVold"));
  fractal->addSeparator();
  fractal->addAction(Action("AddNextPoints"));
  fractal->addAction(Action("GroupAsPolynoom"));
  fractal->addAction(Action("RemovePoints"));

  QMenu* mode = add("Mode", "&Mode", "");
  for (const char* name : {"ZoomIn", "ZoomOut", "DrawPoints", "CreateJuliaFromMandelbrot"}) {
    mode->addAction(Action(name));
  }

  QMenu* window = add("Window", "&Window", "Window related commands");
  connect(window, &QMenu::aboutToShow, this, &TMainForm::RebuildWindowMenu);
  RebuildWindowMenu();

  QMenu* help = add("Help", "&Help", "Help topics");
  help->addAction(Action("HelpAbout"));
}

void TMainForm::RebuildWindowMenu() {
  QMenu* window = Menu("Window");
  window->clear();
  for (const char* name : {"WindowCascade", "WindowTileHorizontal", "WindowTileVertical",
                           "WindowMinimizeAll", "WindowArrangeAll"}) {
    window->addAction(Action(name));
  }
  const QList<QMdiSubWindow*> frames = m_mdiArea->subWindowList(QMdiArea::CreationOrder);
  if (!frames.isEmpty()) window->addSeparator();
  int number = 1;
  for (QMdiSubWindow* frame : frames) {
    const QString title = frame->windowTitle().isEmpty() ? QString("(no name)") : frame->windowTitle();
    QAction* item = window->addAction(number < 10 ? QString("&%1 %2").arg(number).arg(title) : title);
    item->setCheckable(true);
    item->setChecked(frame == m_mdiArea->activeSubWindow());
    connect(item, &QAction::triggered, this, [this, frame] {
      if (frame->isMinimized()) frame->showNormal();
      m_mdiArea->setActiveSubWindow(frame);
    });
    ++number;
  }
}

void TMainForm::CreateToolBar() {
  m_toolBar = addToolBar("Basic");
  m_toolBar->setObjectName("ToolBarBasic");
  m_toolBar->setMovable(true);
  m_toolBar->setFloatable(true);
  m_toolBar->setIconSize(QSize(24, 24));
  // Three buttons carry hints of their own; they act through twins of their actions.
  auto twin = [this](const char* name, const char* hint) {
    QAction* original = Action(name);
    auto* copy = new QAction(original->icon(), original->text(), this);
    copy->setObjectName(QString(name) + "Button");
    ApplyHint(copy, hint);
    connect(copy, &QAction::triggered, original, &QAction::trigger);
    m_toolBarTwins.push_back(copy);
    return copy;
  };
  m_toolBar->addAction(twin("FileNewWave", "New fractal|Create a new fractal window"));
  m_toolBar->addAction(twin("FileOpenWave", "Open|Open a fractal file"));
  m_toolBar->addSeparator();
  m_toolBar->addAction(Action("FileSave"));
  m_toolBar->addAction(twin("FileSaveAs", "Save As|Save current file under a different name"));
  m_toolBar->addSeparator();
  m_toolBar->addAction(Action("Undo"));
  m_toolBar->addAction(Action("Redo"));
  m_toolBar->addSeparator();
  m_toolBar->addAction(Action("DuplicateWave"));
  m_toolBar->addSeparator();
  m_toolBar->addAction(Action("CreateJuliaFromMandelbrot"));
  m_toolBar->addSeparator();
  m_editName = new QLineEdit(this);
  m_editName->setObjectName("EditName");
  m_editName->setMaxLength(99);
  m_editName->setFixedWidth(139);
  m_editName->setToolTip("Name of window");
  m_editName->setStatusTip("a unique name of the window");
  m_editName->setEnabled(false);
  QAction* nameBox = m_toolBar->addWidget(m_editName);
  nameBox->setVisible(false);  // nothing shows the name box; it mirrors the active name
  connect(m_editName, &QLineEdit::returnPressed, this, &TMainForm::EditNameEntered);
  m_editName->installEventFilter(this);
  m_toolBar->addAction(Action("FractProps"));
  m_toolBar->addAction(Action("ViewVold"));
  m_toolBar->addSeparator();
  m_toolBar->addAction(Action("ZoomIn"));
  m_toolBar->addAction(Action("ZoomOut"));
  m_toolBar->addSeparator();
  for (const char* name : {"DrawPoints", "AddNextPoints", "GroupAsPolynoom", "RemovePoints"}) {
    m_toolBar->addAction(Action(name));
  }
  for (QAction* action : m_toolBar->actions()) {
    if (QWidget* button = m_toolBar->widgetForAction(action)) button->setMinimumSize(35, 32);
  }
}

void TMainForm::CreateStatusBar() {
  const int widths[] = {300, 160, 75, 70, 45, 24, 65, 60};
  for (int i = 0; i < 8; ++i) {
    auto* panel = new QLabel(this);
    panel->setObjectName(QString("StatusPanel%1").arg(i));
    panel->setFixedWidth(widths[i]);
    panel->setFrameStyle(QFrame::Panel | (i == 1 ? QFrame::Raised : QFrame::Sunken));
    statusBar()->addWidget(panel);
    m_panels.push_back(panel);
  }
  // Two more: where the mouse points in a view and what its cell did, and how the active
  // window's computation goes (or that it has reached the precision of the numbers). They
  // share the room that is left; a long text is cut, and its tool tip holds all of it.
  for (int i = 8; i < 10; ++i) {
    auto* panel = new QLabel(this);
    panel->setObjectName(QString("StatusPanel%1").arg(i));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setMinimumWidth(60);
    panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusBar()->addWidget(panel, i == 8 ? 3 : 2);
    m_panels.push_back(panel);
  }
  statusBar()->setSizeGripEnabled(true);
  m_computingTimer.setInterval(250);
  connect(&m_computingTimer, &QTimer::timeout, this, &TMainForm::UpdateComputingPanel);
  m_computingTimer.start();
}

void TMainForm::ShowWhere(const std::string& text) {
  QLabel* panel = m_panels[kWherePanel];
  const QString shown = QString::fromStdString(text);
  if (panel->text() == shown) return;
  panel->setText(shown);
  panel->setToolTip(shown);
}

namespace {

// "3 s", "2 min 5 s", "1 h 12 min".
QString Duration(double seconds) {
  const auto s = static_cast<qint64>(std::llround(std::max(seconds, 1.0)));
  if (s < 60) return QString("%1 s").arg(s);
  if (s < 3600) return QString("%1 min %2 s").arg(s / 60).arg(s % 60);
  return QString("%1 h %2 min").arg(s / 3600).arg(s % 3600 / 60);
}

}  // namespace

const char* const TMainForm::kPrecisionLimitText = "Precision limit reached";

QString TMainForm::ComputingText(const TViewWave& view) {
  // A computation shows its progress once it has run for about a third of a second.
  const qint64 ms = view.ComputingFor();
  if (ms >= 330) {
    const double share = view.ShareDone();
    QString text = QString("%1 % done").arg(static_cast<int>(share * 100));
    if (share > 0.0) text += ", " + Duration(ms / 1000.0 * (1.0 - share) / share) + " left";
    return text;
  }
  if (ms < 0 && view.AtPrecisionLimit()) return kPrecisionLimitText;
  return {};
}

void TMainForm::UpdateComputingPanel() {
  TMDIChildWave* window = ActiveFractalWindow();
  const QString text = window != nullptr ? ComputingText(*window->View()) : QString();
  QLabel* panel = m_panels[kComputingPanel];
  if (panel->text() == text) return;
  panel->setText(text);
  panel->setToolTip(text == kPrecisionLimitText
                        ? "Neighbouring pixels are hardly apart in the numbers the computer "
                          "calculates with: zooming in further makes the picture blocky."
                        : text);
}

bool TMainForm::event(QEvent* e) {
  // Status tips go to the first panel rather than over the panels.
  if (e->type() == QEvent::StatusTip) {
    m_panels[0]->setText(static_cast<QStatusTipEvent*>(e)->tip());
    return true;
  }
  return QMainWindow::event(e);
}

TMDIChildWave* TMainForm::WindowOf(QMdiSubWindow* frame) const {
  return frame == nullptr ? nullptr : dynamic_cast<TMDIChildWave*>(frame->widget());
}

std::vector<TMDIChildWave*> TMainForm::ChildWindows() const {
  std::vector<TMDIChildWave*> windows;
  const QList<QMdiSubWindow*> frames = m_mdiArea->subWindowList(QMdiArea::StackingOrder);
  for (auto it = frames.rbegin(); it != frames.rend(); ++it) {
    if (TMDIChildWave* window = WindowOf(*it)) windows.push_back(window);
  }
  return windows;
}

TMDIChildWave* TMainForm::ActiveFractalWindow() const {
  TMDIChildWave* window = WindowOf(m_mdiArea->activeSubWindow());
  return window != nullptr && window->Kind() == kUnitKindFractal ? window : nullptr;
}

TUnit* TMainForm::CurrentDocument() {
  TMDIChildWave* window = WindowOf(m_mdiArea->activeSubWindow());
  return window != nullptr ? window->Document() : nullptr;
}

void TMainForm::SetMenusVisible(bool visible) {
  for (const char* name : {"Edit", "Fractal", "Mode", "Window"}) {
    Menu(name)->menuAction()->setVisible(visible);
  }
}

void TMainForm::ActionList1Update() {
  TMDIChildWave* window = WindowOf(m_mdiArea->activeSubWindow());
  if (window != nullptr) {
    if (window->Kind() == kUnitKindFractal) {
      TUnitFract* unit = window->unitWave();
      if (lastWindowKind != 1) SetMenusVisible(true);
      m_editName->setEnabled(true);
      Action("FileNewWave")->setEnabled(true);
      Action("FileProperties")->setEnabled(true);
      Action("FileSave")->setEnabled(unit->NeedsSave());
      Action("FileSaveAs")->setEnabled(unit->CanSaveFract());
      Action("CopyPicture")->setEnabled(true);
      Action("ExportPicture")->setEnabled(true);
      Action("Undo")->setEnabled(window->View()->CanUndo());
      Action("Redo")->setEnabled(window->View()->CanRedo());
      Action("DeleteUndo")->setEnabled(window->View()->CanUndo());
      Action("FileRevert")->setEnabled(!unit->FileName().empty() && unit->NeedsSave());
      Action("FractProps")->setEnabled(true);
      const uint8_t mode = window->Mode();
      const std::pair<const char*, uint8_t> modes[] = {{"ZoomIn", ModeZoomIn},
                                                       {"ZoomOut", ModeZoomOut},
                                                       {"DrawPoints", ModeDrawPoints},
                                                       {"CreateJuliaFromMandelbrot", ModeJulia}};
      for (const auto& [name, value] : modes) {
        Action(name)->setEnabled(true);
        Action(name)->setChecked(mode == value);
      }
      Action("AddNextPoints")->setEnabled(true);
      Action("RemovePoints")->setEnabled(true);
      Action("GroupAsPolynoom")->setEnabled(true);
      Action("GroupAsPolynoom")->setChecked(window->View()->GroupAsPolygon());
      Action("ViewVold")->setEnabled(true);
      Action("ViewVold")->setChecked(false);
      Action("DuplicateWave")->setEnabled(true);
      Action("DuplicateWave")->setVisible(true);
    }
    lastWindowKind = static_cast<uint8_t>(window->Kind());
  } else {
    if (lastWindowKind != 0) {
      SetMenusVisible(false);
      m_editName->setText("");
      m_editName->setEnabled(false);
      for (const char* name : {"FileProperties", "FileSave", "FileSaveAs", "CopyPicture",
                               "ExportPicture", "Undo", "Redo", "DeleteUndo",
                               "FileRevert", "FractProps",
                               "DuplicateWave", "ZoomIn", "ZoomOut", "CreateJuliaFromMandelbrot",
                               "DrawPoints", "AddNextPoints", "GroupAsPolynoom", "RemovePoints",
                               "ViewVold"}) {
        Action(name)->setEnabled(false);
      }
      for (const char* name : {"ZoomIn", "ZoomOut", "DrawPoints", "CreateJuliaFromMandelbrot",
                               "GroupAsPolynoom"}) {
        Action(name)->setChecked(false);
      }
    }
    lastWindowKind = 0;
  }
  const bool project = !ProjectFile.empty();
  for (const char* name : {"ProjectClose", "ProjectSave", "ProjectExport"}) Action(name)->setEnabled(project);
  Action("ProjectOpen")->setEnabled(true);
  Action("ProjectNew")->setEnabled(true);
  for (QAction* twin : m_toolBarTwins) {
    const std::string name = twin->objectName().toStdString();
    twin->setEnabled(Action(name.substr(0, name.size() - 6))->isEnabled());
  }

  TMDIChildWave* fractal = ActiveFractalWindow();
  if (fractal != nullptr) {
    const std::array<std::string, 6> texts = fractal->unitWave()->StatusTexts();
    for (int i = 0; i < 6; ++i) {
      const QString text = QString::fromStdString(texts[static_cast<size_t>(i)]);
      if (m_panels[static_cast<size_t>(i + 2)]->text() != text) m_panels[static_cast<size_t>(i + 2)]->setText(text);
    }
  } else {
    for (int i = 2; i <= 7; ++i) {
      if (!m_panels[static_cast<size_t>(i)]->text().isEmpty()) m_panels[static_cast<size_t>(i)]->clear();
    }
  }
}

void TMainForm::UpdateCaption() {
  QString caption = QString("Velmora ") + kVersion;
  if (!ProjectFile.empty()) caption += " - " + FromBytes(ProjectFile);
  setWindowTitle(caption);
}

void TMainForm::SetBusyCursor() {
  VELMORA_ASSERT(!m_busy, "SavedCursor == crDefault");
  m_busy = true;
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

void TMainForm::RestoreCursor() {
  if (!m_busy) return;
  m_busy = false;
  QApplication::restoreOverrideCursor();
}

QPixmap TMainForm::Icons() { return AppIcon(32); }

QRect TMainForm::MainWindowRect() { return frameGeometry(); }

bool TMainForm::IsNameUnique(const std::string& name, const TUnit* document) {
  if (name.empty()) return true;
  for (TMDIChildWave* window : ChildWindows()) {
    if (window->Document() != document && window->Document()->Name() == name) {
      ErrorReporter.WindowNameExists(name);
      return false;
    }
  }
  return true;
}

TUnit* TMainForm::FindWindowByName(const std::string& name) const {
  const std::vector<TMDIChildWave*> windows = ChildWindows();
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    if ((*it)->Document()->Name() == name) return (*it)->Document();
  }
  return nullptr;
}

void TMainForm::SetNameBox(const std::string& name) { m_editName->setText(FromBytes(name)); }

void TMainForm::ChildActivated(TMDIChildWave* window) {
  editingName = false;
  RestoreCursor();
  SetNameBox(window->Document()->Name());
  keysCaptured = false;
}

void TMainForm::TileWindows(bool horizontally) {
  // Horizontally: one above the other, each as wide as the area; vertically: side by side.
  const QList<QMdiSubWindow*> frames = m_mdiArea->subWindowList();
  QList<QMdiSubWindow*> open;
  for (QMdiSubWindow* frame : frames)
    if (!frame->isMinimized()) open << frame;
  if (open.isEmpty()) return;
  const QRect area = m_mdiArea->viewport()->rect();
  const int n = static_cast<int>(open.size());
  for (int i = 0; i < n; ++i) {
    open[i]->showNormal();
    if (horizontally) {
      const int h = area.height() / n;
      open[i]->setGeometry(0, i * h, area.width(), h);
    } else {
      const int w = area.width() / n;
      open[i]->setGeometry(i * w, 0, w, area.height());
    }
  }
}

void TMainForm::CascadeWindows() {
  const QRect area = m_mdiArea->viewport()->rect();
  // From the bottom of the stacking order up, so that the active window ends on top.
  QList<QMdiSubWindow*> open;
  for (QMdiSubWindow* frame : m_mdiArea->subWindowList(QMdiArea::StackingOrder))
    if (!frame->isMinimized()) open << frame;
  if (open.isEmpty()) return;
  QStyleOptionTitleBar option;
  option.initFrom(open.front());
  const int step = std::max(open.front()->style()->pixelMetric(QStyle::PM_TitleBarHeight, &option,
                                                               open.front()),
                            16);
  // A window larger than the area, or than what is left of it at its place, gets the room
  // there is, but never less than half the area: then the cascade starts again at the top.
  const QSize least(std::max(area.width() / 2, 1), std::max(area.height() / 2, 1));
  int offset = 0;
  for (QMdiSubWindow* frame : open) {
    if (frame->isMaximized()) frame->showNormal();
    QSize size = frame->size();
    QSize room(area.width() - offset, area.height() - offset);
    if (offset > 0 && (room.width() < std::min(size.width(), least.width()) ||
                       room.height() < std::min(size.height(), least.height()))) {
      offset = 0;
      room = area.size();
    }
    size = size.boundedTo(room).expandedTo(frame->minimumSizeHint());
    frame->setGeometry(offset, offset, size.width(), size.height());
    frame->raise();
    offset += step;
  }
  m_mdiArea->setActiveSubWindow(open.back());
}

void TMainForm::ArrangeMinimized() {
  // The minimized windows line up from the bottom left of the area, in rows upwards.
  const QRect area = m_mdiArea->viewport()->rect();
  int x = 0;
  int bottom = area.height();
  for (QMdiSubWindow* frame : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
    if (!frame->isMinimized()) continue;
    const QSize size = frame->size();
    if (x > 0 && x + size.width() > area.width()) {
      x = 0;
      bottom -= size.height();
    }
    frame->move(x, bottom - size.height());
    x += size.width();
  }
}

void TMainForm::KeepInArea(QMdiSubWindow* frame) {
  const QRect area = m_mdiArea->viewport()->rect();
  const QRect place = frame->geometry();
  const int x = std::clamp(place.x(), 0, std::max(area.width() - place.width(), 0));
  const int y = std::clamp(place.y(), 0, std::max(area.height() - place.height(), 0));
  if (x != place.x() || y != place.y()) frame->move(x, y);
}

QAction* TMainForm::ShortcutTakenFromMenu(QObject* receiver, QEvent* e) const {
  if (e->type() != QEvent::Shortcut) return nullptr;
  auto* shortcut = static_cast<QShortcutEvent*>(e);
  // Only what reaches this window's menu bar or its own actions: a dialog's keys are its own.
  const bool ours = receiver == menuBar() ||
                    std::any_of(m_actions.begin(), m_actions.end(),
                                [receiver](const auto& entry) { return entry.second == receiver; });
  if (!ours) return nullptr;
  for (const auto& [name, action] : m_actions) {
    if (action->shortcut().isEmpty() || action->shortcut() != shortcut->key()) continue;
    if (!action->isEnabled()) return nullptr;
    // An action that receives its own key unambiguously triggers itself.
    if (action == receiver && !shortcut->isAmbiguous()) return nullptr;
    return action;
  }
  return nullptr;
}

void TMainForm::EditNameEntered() {
  const QString trimmed = m_editName->text().trimmed();
  TUnit* unit = CurrentDocument();
  const std::string name = ToBytes(trimmed);
  if (unit != nullptr && !IsValidWindowName(name)) {
    ErrorReporter.ShowMessage(kInvalidWindowNameText, "Input Error", TMessageIcon::Information);
  } else if (unit != nullptr && IsNameUnique(name, unit)) {
    unit->SetName(name);
  }
  editingName = false;
  RestoreCursor();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* e) {
  // Alt+W and Alt+P are keys of the command table and mnemonics of the Window and Project
  // menus; Qt would take such a key as ambiguous and do nothing.
  if (QAction* action = ShortcutTakenFromMenu(watched, e)) {
    action->trigger();
    return true;
  }
  if (watched == m_editName && e->type() == QEvent::MouseButtonPress && !editingName) {
    editingName = true;
    SetBusyCursor();
    QApplication::changeOverrideCursor(Qt::IBeamCursor);
  }
  // While a name is typed or a tool window has the keyboard, keys are text for the focused
  // field and never trigger the single-letter commands.
  if ((editingName || keysCaptured) && e->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(e);
    const int k = key->key();
    const bool navigation = k == Qt::Key_Tab || k == Qt::Key_Return || k == Qt::Key_Enter ||
                            k == Qt::Key_End || k == Qt::Key_Home || k == Qt::Key_Left ||
                            k == Qt::Key_Up || k == Qt::Key_Right || k == Qt::Key_Down ||
                            k == Qt::Key_Insert || k == Qt::Key_Delete;
    if (!navigation && !(key->modifiers() & Qt::AltModifier)) {
      key->accept();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, e);
}

bool TMainForm::FormCloseQuery() {
  // With a project its windows are kept in it; otherwise every window asks for itself, and
  // one Cancel keeps the program open.
  if (!ProjectFile.empty()) {
    if (SaveProject(ProjectFile, TProjectSaveMode::Normal)) return CloseProjectWindows();
    // The project could not keep the work (its message has said why): each window with
    // unsaved work asks for itself, as without a project, so the program can still be left.
  }
  for (TMDIChildWave* window : ChildWindows()) {
    if (!window->FormCloseQuery()) return false;
  }
  for (TMDIChildWave* window : ChildWindows()) window->SetCloseAllowed(true);
  return true;
}

void TMainForm::closeEvent(QCloseEvent* e) {
  if (!FormCloseQuery()) {
    e->ignore();
    return;
  }
  m_selZoom->close();
  e->accept();
}

void TMainForm::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  if (m_shown) return;
  m_shown = true;
  const QStringList args = QCoreApplication::arguments();
  std::vector<std::string> arguments;
  for (qsizetype i = 1; i < args.size(); ++i) arguments.push_back(ToBytes(args[i]));
  // After the window is on the screen.
  QTimer::singleShot(0, this, [this, arguments] { HandleCommandLine(arguments); });
}

void TMainForm::HelpAboutExecute() { m_aboutBox->exec(); }
