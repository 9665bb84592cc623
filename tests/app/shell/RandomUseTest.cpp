// A seeded stream of random user actions on the whole program: keys of the command table,
// clicks, wheel turns, dialogs filled with good and bad values, files good and bad, windows
// opened, moved, closed. The program must stay up and keep its invariants throughout.
//
// VELMORA_STRESS_ACTIONS and VELMORA_STRESS_SEED choose a longer run by hand, e.g.
//   VELMORA_STRESS_ACTIONS=20000 VELMORA_STRESS_SEED=7 build/tests/app_tests
//     --gtest_filter='TRandomUseTest.*'
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTimer>
#include <QWheelEvent>

#include "core/fractal/TFractArray.h"
#include "tests/app/shell/MainFormFixture.h"
#include "tests/support/TinyPng.h"

namespace {

int EnvNumber(const char* name, int fallback) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return fallback;
  return std::atoi(value);
}

// Texts typed into the edits of a dialog: good values of every kind, and bad ones.
const char* const kTexts[] = {
    "0",     "1",     "2",     "3",        "-1",         "0.5",     "-2.25",  "50",
    "64",    "120",   "200",   "250",      "999",        "5000",    "20000",  "2000000",
    "1e3",   "abc",   "",      "  7  ",    "1,5",        "nan",     "inf",    "-0",
    "1e400", "1e-320", "0x10", "99999999999999999999",  "FF00FF",  "00FF00", "GGGGGG",
    "NONAME1", "Julia", "a b", "\xc3\xa9t\xc3\xa9",
};

// The keys of the command table and a few others.
const char* const kKeys[] = {
    "Ctrl+N",      "Ctrl+O",      "D",           "Ctrl+S",   "Ctrl+A",   "Ctrl+Shift+R",
    "Ctrl+C",      "Ctrl+E",      "Ctrl+Y",      "Ctrl+Shift+Z",
    "N",           "F",           "V",           "Z",        "Shift+Z",  "Alt+D",
    "J",           "Alt+W",       "Alt+P",       "Alt+Del",  "Shift+F5", "F4",
    "Shift+F4",    "Alt+F1",      "Ctrl+Z",      "Shift+Alt+N", "Shift+Alt+O", "Shift+S",
    "Shift+E",     "Shift+Alt+C", "Escape",      "Return",   "Delete",   "X",
    "Alt+F",       "Alt+M",       "F1",
};

class TRandomUseTest : public TMainFormFixture {
 protected:
  void SetUp() override {
    TMainFormFixture::SetUp();
    // What the program writes where it was started (an exported picture of a new window)
    // goes into the test's folder.
    m_startFolder = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir.Path()));
    form->resize(900, 650);
    // Files of every kind the user may come across.
    good = SmallFile("good.vlf", "<XResolution>250<", "<XResolution>120<", "<YResolution>250<",
                     "<YResolution>90<");
    mandelbrot = SmallFile("m.vlf", "<MapZ />", "<MapC />", "<XResolution>250<", "<XResolution>160<");
    huge = SmallFile("huge.vlf", "<XResolution>250<", "<XResolution>20000<", "<YResolution>250<",
                     "<YResolution>20000<");
    WriteFileBytes(dir.File("garbage.vlf"), "<?xml version=\"1.0\"?>\r\n<garbage/>\r\n");
    // A picture that carries the Mandelbrot file, and one that carries nothing.
    WriteFileBytes(dir.File("pic.png"), TinyPngCarrying(ReadFileBytes(mandelbrot)));
    WriteFileBytes(dir.File("plain.png"), TinyPng());
    std::filesystem::create_directory(dir.File("sub"));
    SetQuestionHandler([this](const std::string&, const std::string&) {
      const TAnswer answers[] = {TAnswer::Yes, TAnswer::No, TAnswer::Cancel};
      return answers[Pick(3)];
    });
    SetFileDialogHandler([this](const TFileDialogSpec& request) {
      const std::string choices[] = {
          "",          good,           mandelbrot,         huge,
          dir.File("garbage.vlf"),     dir.File("missing.vlf"), dir.File("new" + std::to_string(Pick(4)) + ".vlf"),
          dir.File("p.tkp"),           dir.File("sub/q.tkp"),   dir.File("nofolder/r.tkp"),
          dir.File("sub"),             dir.File("pal.cp1"),     dir.File("nofolder/x.vlf"),
          dir.File("pic.png"),         dir.File("plain.png"),
      };
      std::vector<std::string> chosen;
      const std::string& pick = choices[Pick(std::size(choices))];
      if (!pick.empty()) chosen.push_back(pick);
      if (!request.save && request.multiple && Pick(4) == 0) chosen.push_back(good);
      return chosen;
    });
    // Every modal dialog that opens is played with and then closed.
    // Each step runs from a call of its own: a button it clicks may open a dialog in turn,
    // and a timer whose call is still running does not fire again.
    QObject::connect(&m_modalTimer, &QTimer::timeout, [this] {
      if (m_serving) return;
      m_serving = true;
      QTimer::singleShot(0, &m_modalTimer, [this] {
        m_serving = false;
        ServeModal();
      });
    });
    m_modalTimer.start(2);
  }

  void TearDown() override {
    m_modalTimer.stop();
    SetQuestionHandler([](const std::string&, const std::string&) { return TAnswer::No; });
    TMainFormFixture::TearDown();
    QDir::setCurrent(m_startFolder);
    for (QWidget* window : QApplication::topLevelWidgets())
      if (window->windowTitle() == "Velmora Help") window->close();
  }

  QString m_startFolder;

  std::string SmallFile(const std::string& name, const std::string& a, const std::string& b,
                        const std::string& c, const std::string& d) {
    std::string bytes = ReadFileBytes(VELMORA_TEST_DATA "/default.vlf");
    bytes.replace(bytes.find(a), a.size(), b);
    bytes.replace(bytes.find(c), c.size(), d);
    const std::string path = dir.File(name);
    WriteFileBytes(path, bytes);
    return path;
  }

  size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); }
  int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

  // One step with the dialog on top: a few random edits, then OK or Cancel.
  void ServeModal() {
    QWidget* modal = QApplication::activeModalWidget();
    auto* dialog = qobject_cast<QDialog*>(modal);
    if (dialog == nullptr) return;
    if (dialog != m_served) {
      m_served = dialog;
      m_steps = 0;
    }
    ++m_steps;
    ++dialogSteps;
    if (m_steps > 12) {
      dialog->reject();
      return;
    }
    switch (Pick(8)) {
      case 0:
      case 1:
      case 2: {
        const QList<QLineEdit*> edits = dialog->findChildren<QLineEdit*>();
        if (!edits.isEmpty()) edits[static_cast<qsizetype>(Pick(edits.size()))]->setText(kTexts[Pick(std::size(kTexts))]);
        break;
      }
      case 3: {
        QList<QAbstractButton*> buttons;
        for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
          if (b->isVisible() && b->isEnabled() && b->objectName() != "OKBtn" &&
              b->objectName() != "CancelBtn")
            buttons << b;
        if (!buttons.isEmpty()) QTest::mouseClick(buttons[static_cast<qsizetype>(Pick(buttons.size()))], Qt::LeftButton);
        break;
      }
      case 4: {
        const QList<QListWidget*> lists = dialog->findChildren<QListWidget*>();
        for (QListWidget* list : lists)
          if (list->count() > 0) list->setCurrentRow(static_cast<int>(Pick(list->count())));
        const QList<QComboBox*> boxes = dialog->findChildren<QComboBox*>();
        if (!boxes.isEmpty()) {
          QComboBox* box = boxes[static_cast<qsizetype>(Pick(boxes.size()))];
          if (box->count() > 0) box->setCurrentIndex(static_cast<int>(Pick(box->count())));
        }
        break;
      }
      case 5:
      case 6: {
        if (auto* ok = dialog->findChild<QAbstractButton*>("OKBtn")) {
          QTest::mouseClick(ok, Qt::LeftButton);
        } else {
          dialog->reject();
        }
        break;
      }
      default:
        if (auto* cancel = dialog->findChild<QAbstractButton*>("CancelBtn")) {
          QTest::mouseClick(cancel, Qt::LeftButton);
        } else {
          dialog->reject();
        }
        break;
    }
  }

  TViewWave* ActiveView() {
    TMDIChildWave* window = form->ActiveFractalWindow();
    return window != nullptr ? window->View() : nullptr;
  }

  QPoint SomewhereIn(QWidget* widget) {
    return {Between(-5, widget->width() + 5), Between(-5, widget->height() + 5)};
  }

  void Act() {
    TViewWave* view = ActiveView();
    QWidget* target = view != nullptr ? static_cast<QWidget*>(view) : form.get();
    const size_t action = Pick(16);
    if (trace) std::fprintf(stderr, "action %zu\n", action);
    switch (action) {
      case 0:
      case 1:
      case 2:
      case 3: {
        const char* name = kKeys[Pick(std::size(kKeys))];
        if (trace) std::fprintf(stderr, "key %s\n", name);
        const QKeyCombination key = QKeySequence(QString(name))[0];
        QApplication::setActiveWindow(form.get());
        target->setFocus();
        QTest::keyClick(target, key.key(), key.keyboardModifiers());
        break;
      }
      case 4:
        if (view != nullptr) QTest::mouseClick(view, Qt::LeftButton, {}, SomewhereIn(view));
        break;
      case 5:
        if (view == nullptr) break;
        if (Pick(3) == 0) {
          // The mouse's side buttons walk the history.
          QTest::mouseClick(view, Pick(2) == 0 ? Qt::BackButton : Qt::ForwardButton, {},
                            SomewhereIn(view));
        } else {
          // A drag, which moves the picture when no mode is on.
          QTest::mousePress(view, Qt::LeftButton, {}, SomewhereIn(view));
          for (int i = Between(0, 3); i > 0; --i) QTest::mouseMove(view, SomewhereIn(view));
          QTest::mouseRelease(view, Qt::LeftButton, {}, SomewhereIn(view));
        }
        break;
      case 6:
        if (view != nullptr) QTest::mouseClick(view, Qt::RightButton, {}, SomewhereIn(view));
        break;
      case 7:
        if (view != nullptr) {
          for (int i = Between(1, 4); i > 0; --i) QTest::mouseMove(view, SomewhereIn(view));
        }
        break;
      case 8:
        if (view != nullptr) {
          const QPoint at = SomewhereIn(view);
          QWheelEvent e(QPointF(at), QPointF(view->mapToGlobal(at)), QPoint(),
                        QPoint(0, Between(-360, 360)), Qt::NoButton, Qt::NoModifier,
                        Qt::NoScrollPhase, false);
          QApplication::sendEvent(view, &e);
        }
        break;
      case 9: {
        const std::string files[] = {good, mandelbrot, huge, dir.File("garbage.vlf"),
                                     dir.File("missing.vlf")};
        if (Pick(4) == 0) {
          form->OpenFractalPicture(dir.File(Pick(2) == 0 ? "pic.png" : "plain.png"));
        } else {
          form->OpenFractalFile(files[Pick(std::size(files))], "");
        }
        break;
      }
      case 10:
        if (Pick(3) == 0 && form->ChildWindows().size() > 1) form->Action("FileClose")->trigger();
        break;
      case 11: {
        const QList<QMdiSubWindow*> frames = form->MdiArea()->subWindowList();
        if (frames.isEmpty()) break;
        QMdiSubWindow* frame = frames[static_cast<qsizetype>(Pick(frames.size()))];
        const size_t change = Pick(5);
        if (trace) std::fprintf(stderr, "window change %zu\n", change);
        switch (change) {
          case 0:
            // As the user drags an edge: icons have no edges to drag.
            if (!frame->isMinimized()) frame->resize(Between(1, 700), Between(1, 600));
            break;
          case 1: frame->move(Between(-300, 1200), Between(-300, 900)); break;
          case 2: form->MdiArea()->setActiveSubWindow(frame); break;
          case 3: frame->showMinimized(); break;
          default: frame->showMaximized(); break;
        }
        break;
      }
      case 12: {
        const char* window[] = {"WindowCascade", "WindowTileHorizontal", "WindowTileVertical",
                                "WindowMinimizeAll", "WindowArrangeAll"};
        const char* command = window[Pick(std::size(window))];
        if (trace) std::fprintf(stderr, "%s\n", command);
        form->Action(command)->trigger();
        break;
      }
      case 13: {
        const QSize size(Between(200, 1100), Between(150, 900));
        if (trace) std::fprintf(stderr, "main window %d x %d\n", size.width(), size.height());
        form->resize(size);
        break;
      }
      case 14:
        // Time for the workers.
        QTest::qWait(Between(0, 15));
        break;
      default:
        QApplication::processEvents();
        break;
    }
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    QApplication::processEvents();
  }

  // What must hold after every action.
  void CheckInvariants(int step) {
    std::vector<std::string> names;
    for (TMDIChildWave* window : form->ChildWindows()) {
      TViewWave* view = window->View();
      ASSERT_LE(window->Mode(), ModeJulia) << "step " << step;
      const TFractArray* results = view->GetFractArray();
      if (results != nullptr) {
        // Results always belong to the record they were computed with.
        const TFractProps& computed = view->Computation().Props();
        ASSERT_EQ(results->Width(), computed.XResolution.GetValue()) << "step " << step;
        ASSERT_EQ(results->Height(), computed.YResolution.GetValue()) << "step " << step;
        ASSERT_LE(results->ColumnsDone(), results->Width()) << "step " << step;
      }
      const double factor = window->SelectionFactor();
      ASSERT_TRUE(std::isfinite(factor) && factor >= 0.0 && factor < 1.0) << "step " << step;
      if (!window->unitWave()->Name().empty()) names.push_back(window->unitWave()->Name());
    }
    std::sort(names.begin(), names.end());
    ASSERT_EQ(std::adjacent_find(names.begin(), names.end()), names.end())
        << "two windows share a name at step " << step;
    for (const TRecordedMessage& m : sink.Messages()) {
      ASSERT_FALSE(m.text.empty()) << "step " << step;
      ASSERT_NE(m.title, "Assertion failed") << m.text << " at step " << step;
    }
  }

  void Run(int actions, unsigned seed) {
    random.seed(seed);
    ASSERT_NE(form->OpenFractalFile(good, ""), nullptr);
    for (int step = 0; step < actions; ++step) {
      if (trace) {
        std::fprintf(stderr, "frame %dx%d area %dx%d:", form->width(), form->height(),
                     form->MdiArea()->viewport()->width(), form->MdiArea()->viewport()->height());
        for (QMdiSubWindow* f : form->MdiArea()->subWindowList())
          std::fprintf(stderr, " [%d,%d %dx%d%s]", f->x(), f->y(), f->width(), f->height(),
                       f->isMinimized() ? " min" : f->isMaximized() ? " max" : "");
        std::fprintf(stderr, "\nstep %d: ", step);
      }
      Act();
      CheckInvariants(step);
      if (HasFatalFailure()) return;
      // Messages are only counted: each is checked as it comes.
      messages += sink.Messages().size();
      sink.Clear();
    }
    std::printf("%d actions (seed %u): %zu windows open at the end, %d dialog steps, %zu messages\n",
                actions, seed, form->ChildWindows().size(), dialogSteps, messages);
    // Closing the program with whatever is open ends every worker.
    SetQuestionHandler([](const std::string&, const std::string&) { return TAnswer::No; });
    form->ProjectFile.clear();
    EXPECT_TRUE(form->close());
  }

  std::mt19937 random;
  // VELMORA_STRESS_TRACE=1 tells each step on standard error, to find the one that fails.
  const bool trace = EnvNumber("VELMORA_STRESS_TRACE", 0) != 0;
  std::string good;
  std::string mandelbrot;
  std::string huge;
  int dialogSteps = 0;
  size_t messages = 0;

 private:
  QTimer m_modalTimer;
  QDialog* m_served = nullptr;
  bool m_serving = false;
  int m_steps = 0;
};

}  // namespace

TEST_F(TRandomUseTest, ThousandsOfRandomActionsLeaveTheProgramRunning) {
  Run(EnvNumber("VELMORA_STRESS_ACTIONS", 1500),
      static_cast<unsigned>(EnvNumber("VELMORA_STRESS_SEED", 1)));
}
