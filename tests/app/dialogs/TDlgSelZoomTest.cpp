#include "app/dialogs/TDlgSelZoom.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include "platform/Help.h"

namespace {

class TDlgSelZoomTest : public ::testing::Test {
 protected:
  template <class T = QLineEdit>
  T* Get(const char* name) {
    T* widget = dialog.findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  TDlgSelZoom dialog{nullptr};
};

const char* const kEdits[] = {"editCursorAt", "editPartBegin",  "editPartEnd", "editZoom1Begin",
                              "editZoom1End", "editZoom2Begin", "editZoom2End"};

}  // namespace

TEST_F(TDlgSelZoomTest, FillingWithoutAndWithAnActiveWindow) {
  for (const char* name : kEdits) Get(name)->setText("1 s");
  ASSERT_TRUE(Get<QRadioButton>("optPart")->isChecked());
  dialog.Fill(false);
  for (const char* name : kEdits) {
    EXPECT_TRUE(Get(name)->text().isEmpty()) << name;
    EXPECT_FALSE(Get(name)->isEnabled()) << name;
  }
  for (const char* name : {"optCursor", "optPart"}) {
    EXPECT_FALSE(Get<QRadioButton>(name)->isChecked()) << name;
    EXPECT_FALSE(Get<QRadioButton>(name)->isEnabled()) << name;
  }
  for (const char* name : {"chkZoomed1", "chkZoomed2"}) {
    EXPECT_FALSE(Get<QCheckBox>(name)->isChecked()) << name;
    EXPECT_FALSE(Get<QCheckBox>(name)->isEnabled()) << name;
  }

  dialog.Fill(true);
  EXPECT_TRUE(Get<QCheckBox>("chkZoomed1")->isEnabled());
  EXPECT_TRUE(Get("editZoom1Begin")->isEnabled());
  EXPECT_TRUE(Get("editZoom1End")->isEnabled());
  // Only the first zoom opens; the rest stays as it was.
  EXPECT_FALSE(Get<QCheckBox>("chkZoomed2")->isEnabled());
  EXPECT_FALSE(Get("editCursorAt")->isEnabled());

  Get("editZoom1Begin")->setText("2 ms");
  ASSERT_TRUE(Get<QCheckBox>("chkZoomed1")->isChecked());
  dialog.Fill(true);
  EXPECT_FALSE(Get<QCheckBox>("chkZoomed1")->isChecked());
  EXPECT_TRUE(Get("editZoom1Begin")->text().isEmpty());
}

TEST_F(TDlgSelZoomTest, TypingChecksTheOptionOrTheZoomedBox) {
  Get("editCursorAt")->setText("1 s");
  EXPECT_TRUE(Get<QRadioButton>("optCursor")->isChecked());
  Get("editPartEnd")->setText("2 s");
  EXPECT_TRUE(Get<QRadioButton>("optPart")->isChecked());
  EXPECT_FALSE(Get<QRadioButton>("optCursor")->isChecked());
  Get("editCursorAt")->setText("3 s");
  EXPECT_TRUE(Get<QRadioButton>("optCursor")->isChecked());
  Get("editPartBegin")->setText("1 s");
  EXPECT_TRUE(Get<QRadioButton>("optPart")->isChecked());

  EXPECT_FALSE(Get<QCheckBox>("chkZoomed2")->isChecked());
  Get("editZoom2End")->setText("4 s");
  EXPECT_TRUE(Get<QCheckBox>("chkZoomed2")->isChecked());
  EXPECT_FALSE(Get<QCheckBox>("chkZoomed1")->isChecked());
  Get("editZoom1End")->setText("4 s");
  EXPECT_TRUE(Get<QCheckBox>("chkZoomed1")->isChecked());
}

TEST_F(TDlgSelZoomTest, PlacedAtTheMainWindowsCornerAndKeptOnTheScreen) {
  const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
  dialog.PlaceBeside(QRect(10, 20, 100, 80));
  EXPECT_EQ(dialog.pos(), QPoint(110, 100));
  const QSize own = dialog.frameGeometry().size();
  ASSERT_LT(own.width(), screen.width() - 110);
  dialog.PlaceBeside(QRect(300, 250, screen.width(), screen.height()));
  EXPECT_EQ(dialog.pos(), QPoint(screen.width() - own.width(), screen.height() - own.height()));
  // Each edge is clamped on its own.
  dialog.PlaceBeside(QRect(0, 0, screen.width(), 40));
  EXPECT_EQ(dialog.pos(), QPoint(screen.width() - own.width(), 40));
}

TEST_F(TDlgSelZoomTest, CloseHidesApplyDoesNothingHelpOpensItsPage) {
  // Created hidden, and on top of the program's windows once shown.
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
  dialog.show();
  dialog.Fill(true);
  Get("editZoom1Begin")->setText("5 s");
  QTest::mouseClick(Get<QPushButton>("ApplyBtn"), Qt::LeftButton);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(Get("editZoom1Begin")->text(), "5 s");
  QTest::mouseClick(Get<QPushButton>("HelpBtn"), Qt::LeftButton);
  EXPECT_EQ(LastHelpContext(), kHelpSelectZoom);
  QTest::mouseClick(Get<QPushButton>("CloseBtn"), Qt::LeftButton);
  EXPECT_FALSE(dialog.isVisible());
}
