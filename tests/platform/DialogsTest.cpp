#include "platform/Dialogs.h"

#include <memory>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QTest>

#include <gtest/gtest.h>

#include "platform/Help.h"

namespace {

TFileDialogSpec ProjectSpec(int helpContext) {
  TFileDialogSpec request;
  request.title = "New Project";
  request.defaultExtension = "tkp";
  request.filter = "Project Files (*.tkp)|*.tkp|All files (*.*)|*.*";
  request.save = true;
  request.overwritePrompt = true;
  request.helpContext = helpContext;
  return request;
}

// Shows the dialog as the active window, as exec() would.
void ShowActive(QFileDialog& dialog) {
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
}

void CloseHelp() {
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->windowTitle() == "Velmora Help") window->close();
}

}  // namespace

TEST(FileDialogTest, AHelpContextGivesAHelpButtonAndF1) {
  const std::unique_ptr<QFileDialog> dialog = MakeFileDialog(nullptr, ProjectSpec(kHelpNewProject));
  // The request's own settings survive the switch to Qt's dialog.
  EXPECT_EQ(dialog->windowTitle(), "New Project");
  EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
  EXPECT_EQ(dialog->defaultSuffix(), "tkp");
  EXPECT_EQ(dialog->nameFilters(), QStringList({"Project Files (*.tkp)", "All files (*)"}));
  EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
  ShowActive(*dialog);

  auto* help = dialog->findChild<QAbstractButton*>("HelpBtn");
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->text(), "&Help");
  EXPECT_TRUE(help->isVisible());
  ShowHelp(nullptr, kHelpContents);
  QTest::mouseClick(help, Qt::LeftButton);
  EXPECT_EQ(LastHelpContext(), kHelpNewProject);
  EXPECT_TRUE(dialog->isVisible());  // help leaves the choice open

  ShowHelp(nullptr, kHelpContents);
  ShowActive(*dialog);
  QTest::keyClick(dialog.get(), Qt::Key_F1);
  EXPECT_EQ(LastHelpContext(), kHelpNewProject);
  EXPECT_TRUE(dialog->isVisible());
  CloseHelp();
}

TEST(FileDialogTest, NoHelpContextNoHelp) {
  const std::unique_ptr<QFileDialog> dialog = MakeFileDialog(nullptr, ProjectSpec(0));
  ShowActive(*dialog);
  EXPECT_EQ(dialog->findChild<QAbstractButton*>("HelpBtn"), nullptr);
  for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
    EXPECT_NE(button->text(), "&Help");
  }
  ShowHelp(nullptr, kHelpContents);
  CloseHelp();
  ShowActive(*dialog);
  QTest::keyClick(dialog.get(), Qt::Key_F1);
  EXPECT_EQ(LastHelpContext(), kHelpContents);
}

TEST(FileDialogTest, ATypedNameTakesTheChosenFiltersExtension) {
  TFileDialogSpec request = ProjectSpec(kHelpNewProject);
  request.defaultExtension = "cp1";
  request.filter = "Palette (*.cp1)|*.cp1|GIMP Palette (*.gpl)|*.gpl|All files (*.*)|*.*";
  const std::unique_ptr<QFileDialog> dialog = MakeFileDialog(nullptr, request);
  ShowActive(*dialog);
  auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
  ASSERT_NE(types, nullptr);
  EXPECT_EQ(dialog->defaultSuffix(), "cp1");
  types->setFocus();
  QTest::keyClick(types, Qt::Key_Down);
  EXPECT_EQ(dialog->selectedNameFilter(), "GIMP Palette (*.gpl)");
  EXPECT_EQ(dialog->defaultSuffix(), "gpl");
  // A filter of every file names no extension: the request's own comes back.
  QTest::keyClick(types, Qt::Key_Down);
  EXPECT_EQ(dialog->defaultSuffix(), "cp1");
  QTest::keyClick(types, Qt::Key_Up);
  EXPECT_EQ(dialog->defaultSuffix(), "gpl");

  // A dialog may show another filter first; its extension is then the typed name's.
  request.shownFilter = "GIMP Palette (*.gpl)";
  const std::unique_ptr<QFileDialog> shown = MakeFileDialog(nullptr, request);
  EXPECT_EQ(shown->selectedNameFilter(), "GIMP Palette (*.gpl)");
  EXPECT_EQ(shown->defaultSuffix(), "gpl");
  request.shownFilter = "All files (*.*)";
  const std::unique_ptr<QFileDialog> all = MakeFileDialog(nullptr, request);
  EXPECT_EQ(all->selectedNameFilter(), "All files (*)");
  EXPECT_EQ(all->defaultSuffix(), "cp1");
}
