// Export Picture: the dialog, the picture it writes, and exports that are cancelled or fail.
#include <dirent.h>

#include <functional>

#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include "app/dialogs/TDlgExportPicture.h"
#include "core/documents/FractalFile.h"
#include "tests/app/shell/MainFormFixture.h"
#include "tests/support/FileSizeLimit.h"

namespace {

class TExportPictureTest : public TMainFormFixture {
 protected:
  // Runs Export Picture; fill sees the dialog when it opens and sets it up. OK is then
  // pressed, unless fill closed the dialog itself.
  void Export(const std::function<void(TDlgExportPicture*)>& fill) {
    QTimer::singleShot(0, [this, fill] {
      auto* dialog = qobject_cast<TDlgExportPicture*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      seen = dialog->Choice();
      fill(dialog);
      if (dialog->isVisible()) QTest::mouseClick(Find<QPushButton>(dialog, "OKBtn"), Qt::LeftButton);
      // A dialog that refused its choice is still open: it is closed as the user would.
      if (dialog->isVisible()) {
        refused = true;
        dialog->reject();
      }
    });
    form->Action("ExportPicture")->trigger();
  }

  template <class T>
  static T* Find(QWidget* parent, const char* name) {
    T* child = parent->findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
  }

  static void Choose(TDlgExportPicture* dialog, const std::string& path, int width, int height,
                     int samples) {
    Find<QLineEdit>(dialog, "editFile")->setText(QString::fromStdString(path));
    Find<QSpinBox>(dialog, "editWidth")->setValue(width);
    Find<QSpinBox>(dialog, "editHeight")->setValue(height);
    Find<QComboBox>(dialog, "cmbSamples")->setCurrentIndex(samples - 1);
  }

  static int ThreadCount() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/task")) {
      while (dirent* e = readdir(d)) n += e->d_name[0] != '.';
      closedir(d);
    }
    return n;
  }

  TExportChoice seen;
  bool refused = false;
};

}  // namespace

TEST_F(TExportPictureTest, AnExportAtTheGridsSizeIsTheWindowsPicture) {
  TMDIChildWave* window = Open(DefaultFile("a.vlf"));
  ASSERT_NE(window, nullptr);
  TViewWave* view = window->View();
  // A grid of the view's own size, so that the window shows one cell a pixel.
  TFractProps props = view->GetFractProps();
  props.XResolution.SetValue(view->ClientWidth());
  props.YResolution.SetValue(view->ClientHeight());
  props.MaxCycle.SetValue(2);
  ASSERT_TRUE(view->ApplyFractProps(props));
  WaitForComputation(window);

  const std::string path = dir.File("exported.png");
  Export([&](TDlgExportPicture* dialog) {
    // The dialog proposes the grid's size, no anti-aliasing, and a file beside the fractal.
    Find<QLineEdit>(dialog, "editFile")->setText(QString::fromStdString(path));
    Find<QSpinBox>(dialog, "editWidth")->setValue(10);
    QTest::mouseClick(Find<QPushButton>(dialog, "btnWidthWindow"), Qt::LeftButton);
    EXPECT_EQ(Find<QSpinBox>(dialog, "editWidth")->value(), view->ClientWidth());
  });
  EXPECT_EQ(seen.path, dir.File("a.png"));
  EXPECT_EQ(seen.width, view->ClientWidth());
  EXPECT_EQ(seen.height, view->ClientHeight());
  EXPECT_EQ(seen.samples, 1);
  ASSERT_TRUE(sink.Messages().empty()) << sink.Messages()[0].text;
  const QImage exported(QString::fromStdString(path));
  ASSERT_FALSE(exported.isNull());
  EXPECT_EQ(exported.convertToFormat(QImage::Format_RGB32), view->FractalPicture());

  // Orbit points drawn on the window are not part of the picture.
  const QImage before = exported;
  form->Action("DrawPoints")->trigger();
  QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(40, 40));
  QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(90, 60));
  Export([&](TDlgExportPicture*) {});
  EXPECT_EQ(QImage(QString::fromStdString(path)), before);
}

TEST_F(TExportPictureTest, APngCarriesTheFractalThatSaveWrites) {
  TMDIChildWave* window = Open(DefaultFile("a.vlf"));
  ASSERT_NE(window, nullptr);
  TFractProps props = window->View()->GetFractProps();
  props.MaxDepth.SetValue(77);
  props.Left.SetValue(-0.25);
  ASSERT_TRUE(window->View()->ApplyFractProps(props));
  WaitForComputation(window);
  chosenFiles = {dir.File("original.vlf")};
  ASSERT_TRUE(form->SaveDocumentAs(window->unitWave()));

  Export([&](TDlgExportPicture* dialog) { Choose(dialog, dir.File("p.png"), 120, 90, 3); });
  ASSERT_TRUE(sink.Messages().empty()) << sink.Messages()[0].text;
  EXPECT_EQ(QImage(QString::fromStdString(dir.File("p.png"))).size(), QSize(120, 90));
  // The next export proposes the samples chosen, beside the fractal's file.
  Export([&](TDlgExportPicture* dialog) { dialog->reject(); });
  EXPECT_EQ(seen.samples, 3);
  EXPECT_EQ(seen.path, dir.File("original.png"));

  ASSERT_NE(form->OpenFractalPicture(dir.File("p.png")), nullptr);
  TMDIChildWave* reopened = form->ActiveFractalWindow();
  ASSERT_NE(reopened, window);
  WaitForComputation(reopened);
  chosenFiles = {dir.File("back.vlf")};
  ASSERT_TRUE(form->SaveDocumentAs(reopened->unitWave()));
  EXPECT_EQ(ReadFileBytes(dir.File("back.vlf")), ReadFileBytes(dir.File("original.vlf")));
}

TEST_F(TExportPictureTest, OtherFormatsAreWrittenByTheirExtensionAndUnknownOnesRefused) {
  TMDIChildWave* window = Open(DefaultFile("a.vlf"));
  ASSERT_NE(window, nullptr);
  Export([&](TDlgExportPicture* dialog) { Choose(dialog, dir.File("p.jpg"), 64, 48, 2); });
  ASSERT_TRUE(sink.Messages().empty()) << sink.Messages()[0].text;
  EXPECT_EQ(QImage(QString::fromStdString(dir.File("p.jpg"))).size(), QSize(64, 48));

  Export([&](TDlgExportPicture* dialog) { Choose(dialog, dir.File("p.xyz"), 64, 48, 1); });
  EXPECT_TRUE(refused);
  ASSERT_EQ(sink.Messages().size(), 1u);
  EXPECT_EQ(sink.Messages()[0].title, "Input Error");
  EXPECT_EQ(sink.Messages()[0].text.rfind("Cannot export the picture as \"" + dir.File("p.xyz") +
                                              "\": the picture format \"xyz\" is unknown. Known are: ",
                                          0),
            0u)
      << sink.Messages()[0].text;
  sink.Clear();
  refused = false;
  Export([&](TDlgExportPicture* dialog) { Choose(dialog, dir.File("big.bmp"), 20000, 20000, 1); });
  EXPECT_TRUE(refused);
  ASSERT_EQ(sink.Messages().size(), 1u);
  EXPECT_NE(sink.Messages()[0].text.find("A PNG picture can be of any size."), std::string::npos);
  sink.Clear();
  refused = false;
  Export([&](TDlgExportPicture* dialog) { Choose(dialog, "", 20, 20, 1); });
  EXPECT_TRUE(refused);
  ASSERT_EQ(sink.Messages().size(), 1u);
  EXPECT_EQ(sink.Messages()[0].text, "Give the file the picture is exported to.");
  EXPECT_FALSE(std::filesystem::exists(dir.File("p.xyz")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("big.bmp")));
}

TEST_F(TExportPictureTest, ACancelledExportLeavesNoFileAndNoThread) {
  TMDIChildWave* window = Open(DefaultFile("a.vlf"));
  ASSERT_NE(window, nullptr);
  WriteFileBytes(dir.File("old.png"), "old picture");
  const int threads = ThreadCount();
  bool progressSeen = false;
  // Cancels as soon as the progress shows, which it does after half a second.
  QTimer watcher;
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* progress = qobject_cast<QProgressDialog*>(w);
      if (progress == nullptr || !progress->isVisible() || progressSeen) continue;
      EXPECT_EQ(progress->objectName(), "ExportProgress");
      progressSeen = true;
      QPushButton* cancel = progress->findChild<QPushButton*>();
      ASSERT_NE(cancel, nullptr);
      QTest::mouseClick(cancel, Qt::LeftButton);
    }
  });
  watcher.start(20);
  // A picture that takes many seconds: 16000 x 16000 cells.
  Export([&](TDlgExportPicture* dialog) { Choose(dialog, dir.File("old.png"), 4000, 4000, 4); });
  watcher.stop();
  EXPECT_TRUE(progressSeen);
  EXPECT_TRUE(sink.Messages().empty());
  EXPECT_EQ(ReadFileBytes(dir.File("old.png")), "old picture");
  size_t files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++files;
  EXPECT_EQ(files, 2u);  // a.vlf and old.png
  EXPECT_EQ(ThreadCount(), threads);
}

TEST_F(TExportPictureTest, AFullDiskSaysSoAndLeavesNoPartialFile) {
  TMDIChildWave* window = Open(DefaultFile("a.vlf"));
  ASSERT_NE(window, nullptr);
  {
    const TFileSizeLimit disk(2000);
    Export([&](TDlgExportPicture* dialog) { Choose(dialog, dir.File("p.png"), 400, 400, 1); });
  }
  ASSERT_EQ(sink.Messages().size(), 1u);
  EXPECT_EQ(sink.Messages()[0].title, "File Error");
  EXPECT_EQ(sink.Messages()[0].text.rfind("Cannot export the picture \"" + dir.File("p.png") +
                                              "\": Operating System could not write the whole "
                                              "file, maybe the disk is full",
                                          0),
            0u)
      << sink.Messages()[0].text;
  EXPECT_FALSE(std::filesystem::exists(dir.File("p.png")));
  size_t files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++files;
  EXPECT_EQ(files, 1u);
}
