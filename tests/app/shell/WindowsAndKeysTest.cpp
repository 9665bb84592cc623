// The keys of the command table with every menu present, the Window commands, and windows
// that stay within reach.
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QMenuBar>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>

#include "app/dialogs/TDlgFractal.h"
#include "tests/app/shell/MainFormFixture.h"

namespace {

using TWindowsAndKeysTest = TMainFormFixture;

// Rejects every modal dialog a command opens, for as long as it lives.
class TDialogCloser {
 public:
  TDialogCloser() {
    QObject::connect(&m_timer, &QTimer::timeout, [] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
    });
    m_timer.start(10);
  }

 private:
  QTimer m_timer;
};

QRect Area(TMainForm& form) { return form.MdiArea()->viewport()->rect(); }

}  // namespace

TEST_F(TWindowsAndKeysTest, EveryKeyOfTheTableTriggersItsActionWithAllMenusPresent) {
  const std::string file = DefaultFile("a.vlf");
  ASSERT_NE(Open(file), nullptr);
  form->ProjectFile = dir.File("p.tkp");
  form->ActionList1Update();
  for (const char* menu : {"File", "Edit", "Fractal", "Mode", "Window", "Help"})
    ASSERT_TRUE(form->Menu(menu)->menuAction()->isVisible()) << menu;
  ASSERT_NE(form->Menu("Project"), nullptr);

  const std::vector<std::pair<const char*, const char*>> table = {
      {"FileNewWave", "Ctrl+N"},       {"FileOpenWave", "Ctrl+O"},
      {"FileRevert", "Ctrl+Shift+R"},
      {"FileSave", "Ctrl+S"},          {"FileSaveAs", "Ctrl+A"},
      {"CopyPicture", "Ctrl+C"},       {"ExportPicture", "Ctrl+E"},
      {"Redo", "Ctrl+Y"},              {"Redo", "Ctrl+Shift+Z"},
      {"Register", "N"},               {"FractProps", "F"},
      {"ViewVold", "V"},               {"ZoomIn", "Z"},
      {"ZoomOut", "Shift+Z"},          {"DrawPoints", "Alt+D"},
      {"CreateJuliaFromMandelbrot", "J"}, {"AddNextPoints", "Alt+W"},
      {"GroupAsPolynoom", "Alt+P"},    {"RemovePoints", "Alt+Del"},
      {"WindowCascade", "Shift+F5"},   {"WindowTileHorizontal", "F4"},
      {"WindowTileVertical", "Shift+F4"}, {"HelpAbout", "Alt+F1"},
      {"Undo", "Ctrl+Z"},              {"ProjectNew", "Shift+Alt+N"},
      {"ProjectOpen", "Shift+Alt+O"},  {"ProjectSave", "Shift+S"},
      {"ProjectExport", "Shift+E"},    {"DuplicateWave", "D"},
      {"ProjectClose", "Shift+Alt+C"},
  };
  TDialogCloser closer;
  for (const auto& [name, key] : table) {
    // Every command finds a changed fractal window with a file, and an open project.
    if (form->ActiveFractalWindow() == nullptr) {
      ASSERT_NE(Open(file), nullptr);
    }
    TMDIChildWave* window = form->ActiveFractalWindow();
    window->unitWave()->SetChanged();
    // Undo needs a state to go back to, Redo one to go forward to.
    if (std::string(name) == "Undo" || std::string(name) == "Redo") {
      TFractProps props = window->View()->GetFractProps();
      window->View()->SetFractalBoundsAndRestart(props.Left.GetValue() / 2, props.Top.GetValue(),
                                                 props.Right.GetValue(), props.Bottom.GetValue());
      bool marks = false;
      if (std::string(name) == "Redo") window->View()->Undo(marks);
    }
    form->ProjectFile = dir.File("p.tkp");
    form->ActionList1Update();
    ASSERT_TRUE(Enabled(name)) << name;
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    const QList<QAction*> actions = form->findChildren<QAction*>();
    for (QAction* action : actions) spies.push_back(std::make_unique<QSignalSpy>(action, &QAction::triggered));

    const QKeyCombination combination = QKeySequence(QString(key))[0];
    // A dialog closed before leaves the activation to the window system.
    QApplication::setActiveWindow(form.get());
    window->View()->setFocus();
    QTest::keyClick(window->View(), combination.key(), combination.keyboardModifiers());
    QApplication::processEvents();

    std::vector<std::string> triggered;
    for (qsizetype i = 0; i < actions.size(); ++i) {
      // The tool bar's twins of three actions pass their trigger on; they are not keys.
      if (spies[static_cast<size_t>(i)]->count() > 0 && !actions[i]->objectName().endsWith("Button"))
        triggered.push_back(actions[i]->objectName().toStdString());
    }
    EXPECT_EQ(triggered, std::vector<std::string>{name}) << key;
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << key << " opened a menu";
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
  }
  EXPECT_TRUE(form->ProjectFile.empty());  // the last key closed the project
}

TEST_F(TWindowsAndKeysTest, TheFractalDialogRefusesARecordTheEngineCannotComputeAndTheWindowStays) {
  TMDIChildWave* window = Open(DefaultFile("a.vlf"));
  ASSERT_NE(window, nullptr);
  TViewWave* view = window->View();
  const TFractProps before = view->GetFractProps();
  const TFractArray* results = view->GetFractArray();
  bool refused = false;
  QTimer::singleShot(0, form.get(), [&] {
    auto* dialog = qobject_cast<TDlgFractal*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QLineEdit*>("editHorizontal")->setText("20000");
    dialog->findChild<QLineEdit*>("editVertical")->setText("20000");
    dialog->findChild<QLineEdit*>("editMaxCycleDetect")->setText("1");
    QTest::mouseClick(dialog->findChild<QAbstractButton*>("OKBtn"), Qt::LeftButton);
    refused = dialog->isVisible();
    QTest::mouseClick(dialog->findChild<QAbstractButton*>("CancelBtn"), Qt::LeftButton);
  });
  form->FractPropsExecute();
  EXPECT_TRUE(refused);
  ASSERT_EQ(sink.Messages().size(), 1u);
  EXPECT_EQ(sink.Messages()[0].title, "Input Error");
  EXPECT_EQ(view->GetFractProps(), before);
  EXPECT_EQ(view->GetFractArray(), results);
  EXPECT_FALSE(window->unitWave()->NeedsSave());
  // The paints that used to end the program: a resize and new colours.
  window->SubWindow()->resize(500, 450);
  QApplication::processEvents();
  view->SetViewProps(view->GetViewProps());
  view->RequestFullRepaint();
  view->repaint();
  EXPECT_EQ(form->ChildWindows().size(), 1u);
}

TEST_F(TWindowsAndKeysTest, CascadeKeepsWindowsUsableAndArrangeAllLinesUpTheIcons) {
  form->resize(1000, 800);
  QApplication::processEvents();
  const std::string file = DefaultFile("a.vlf");
  for (int i = 0; i < 3; ++i) ASSERT_NE(Open(file), nullptr);
  const QList<QMdiSubWindow*> frames = form->MdiArea()->subWindowList();
  const QSize size = frames[0]->size();
  form->Action("WindowCascade")->trigger();
  const QRect area = Area(*form);
  ASSERT_GE(area.height(), size.height());
  std::vector<QPoint> places;
  for (QMdiSubWindow* frame : frames) {
    // Each keeps its own size where the area has room for it.
    EXPECT_EQ(frame->size(), size);
    EXPECT_TRUE(area.contains(frame->geometry()) || frame->y() == 0);
    places.push_back(frame->pos());
  }
  EXPECT_NE(places[0], places[1]);
  EXPECT_NE(places[1], places[2]);
  EXPECT_EQ(places[0].x() == places[1].x(), false);

  // In a small area the windows get the room there is, never a bare title bar.
  form->resize(500, 330);
  QApplication::processEvents();
  form->Action("WindowCascade")->trigger();
  for (QMdiSubWindow* frame : frames) {
    EXPECT_GE(frame->height(), Area(*form).height() / 2);
    EXPECT_LE(frame->geometry().bottom(), Area(*form).bottom());
  }

  form->resize(1000, 800);
  QApplication::processEvents();
  form->Action("WindowMinimizeAll")->trigger();
  QApplication::processEvents();
  frames[1]->move(300, 200);  // an icon dragged away
  form->Action("WindowArrangeAll")->trigger();
  int x = 0;
  for (QMdiSubWindow* frame : form->MdiArea()->subWindowList()) {
    ASSERT_TRUE(frame->isMinimized());
    EXPECT_EQ(frame->geometry().bottom(), Area(*form).bottom());
    EXPECT_EQ(frame->x(), x);
    x += frame->width();
  }
}

TEST_F(TWindowsAndKeysTest, WindowsOpenInsideTheAreaAndTheScrollBarsReachTheRest) {
  form->resize(1000, 800);
  QApplication::processEvents();
  std::string bytes = ReadFileBytes(VELMORA_TEST_DATA "/default.vlf");
  bytes.replace(bytes.find("<MapZ />"), 8, "<MapC />");
  WriteFileBytes(dir.File("m.vlf"), bytes);
  TMDIChildWave* window = Open(dir.File("m.vlf"));
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(Area(*form).contains(window->SubWindow()->geometry()));
  // A Julia window opens inside the area too, wherever the window it came from stands.
  window->SubWindow()->move(Area(*form).width() - 200, Area(*form).height() - 200);
  form->ToggleMode(ModeJulia);
  QTest::mouseClick(window->View(), Qt::LeftButton, {}, QPoint(20, 20));
  TMDIChildWave* julia = form->ActiveFractalWindow();
  ASSERT_NE(julia, window);
  EXPECT_TRUE(Area(*form).contains(julia->SubWindow()->geometry()));
  WaitForComputation(julia);

  // A window moved beyond the right edge is reached with the horizontal scroll bar.
  julia->SubWindow()->move(Area(*form).width() + 300, 10);
  QApplication::processEvents();
  QScrollBar* bar = form->MdiArea()->horizontalScrollBar();
  EXPECT_TRUE(bar->isVisible());
  bar->setValue(bar->maximum());
  QApplication::processEvents();
  EXPECT_TRUE(Area(*form).contains(julia->SubWindow()->geometry()));
}

TEST_F(TWindowsAndKeysTest, CopyPictureCopiesTheFractalWithoutOrbitPoints) {
  TMDIChildWave* window = Open(DefaultFile("a.vlf"));
  ASSERT_NE(window, nullptr);
  TViewWave* view = window->View();
  view->RequestFullRepaint();
  view->repaint();
  const QImage fractal = view->Picture();
  form->ToggleMode(ModeDrawPoints);
  QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(60, 70));
  ASSERT_NE(view->Picture(), fractal);
  QApplication::clipboard()->clear();
  QApplication::setActiveWindow(form.get());
  view->setFocus();
  QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
  const QImage copied = QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(copied.size(), view->size());
  EXPECT_EQ(copied, fractal);
  // Without a fractal window there is nothing to copy.
  form->ToggleMode(ModeDrawPoints);
  window->SubWindow()->close();
  form->ActionList1Update();
  EXPECT_FALSE(Enabled("CopyPicture"));
}
