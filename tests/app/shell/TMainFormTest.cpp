#include "app/TMainForm.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/TMDIChildWave.h"
#include "app/TUnit.h"
#include "app/TViewWave.h"
#include "core/fractal/TFractArray.h"
#include "platform/Dialogs.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/TempDir.h"

#include <filesystem>

#include "tests/app/shell/MainFormFixture.h"

using TMainFormTest = TMainFormFixture;

TEST_F(TMainFormTest, ActionsAndMenusFollowTheActiveWindow) {
  form->ActionList1Update();
  EXPECT_FALSE(form->Menu("Fractal")->menuAction()->isVisible());
  EXPECT_FALSE(form->Menu("Mode")->menuAction()->isVisible());
  EXPECT_FALSE(form->Menu("Window")->menuAction()->isVisible());
  EXPECT_TRUE(form->Menu("File")->menuAction()->isVisible());
  EXPECT_FALSE(form->Menu("Project")->menuAction()->isVisible());
  for (const char* name : {"FileSave", "FileSaveAs", "FileRevert", "ZoomIn", "DuplicateWave", "ViewVold"})
    EXPECT_FALSE(Enabled(name)) << name;
  EXPECT_FALSE(Enabled("ProjectSave"));
  EXPECT_TRUE(Enabled("FileNewWave"));
  EXPECT_TRUE(Enabled("HelpAbout"));
  EXPECT_EQ(form->StatusPanel(7)->text(), "");

  TMDIChildWave* window = Open(DefaultFile("a.vlf"));
  ASSERT_NE(window, nullptr);
  form->ActionList1Update();
  EXPECT_TRUE(form->Menu("Fractal")->menuAction()->isVisible());
  EXPECT_TRUE(form->Menu("Window")->menuAction()->isVisible());
  EXPECT_FALSE(Enabled("FileSave"));  // loaded and unchanged
  EXPECT_FALSE(Enabled("FileRevert"));
  EXPECT_TRUE(Enabled("FileSaveAs"));
  EXPECT_EQ(form->StatusPanel(7)->text(), "");
  EXPECT_EQ(form->StatusPanel(2)->text(), "oningevuld");
  window->unitWave()->SetChanged();
  form->ActionList1Update();
  EXPECT_TRUE(Enabled("FileSave"));
  EXPECT_TRUE(Enabled("FileRevert"));
  EXPECT_EQ(form->StatusPanel(7)->text(), "Changed");

  form->DuplicateWaveExecute();
  form->ActionList1Update();
  TMDIChildWave* copy = form->ActiveFractalWindow();
  ASSERT_NE(copy, window);
  EXPECT_EQ(copy->unitWave()->Name(), "NONAME1");
  EXPECT_TRUE(Enabled("FileSave"));    // never saved
  EXPECT_FALSE(Enabled("FileRevert"));  // no file
  EXPECT_EQ(form->StatusPanel(7)->text(), "New");
  EXPECT_FALSE(copy->unitWave()->Changed());
}

TEST_F(TMainFormTest, ModeKeysToggleAndSetTheCursor) {
  TMDIChildWave* window = Open(DefaultFile("a.vlf"));
  ASSERT_NE(window, nullptr);
  QTest::keyClick(window->View(), Qt::Key_Z);
  EXPECT_EQ(window->Mode(), ModeZoomIn);
  EXPECT_TRUE(form->Action("ZoomIn")->isChecked());
  QTest::keyClick(window->View(), Qt::Key_Z);
  EXPECT_EQ(window->Mode(), ModeNone);
  EXPECT_EQ(window->View()->cursor().shape(), Qt::ArrowCursor);
  QTest::keyClick(window->View(), Qt::Key_Z);
  QTest::keyClick(window->View(), Qt::Key_Z, Qt::ShiftModifier);
  EXPECT_EQ(window->Mode(), ModeZoomOut);
  EXPECT_EQ(window->View()->cursor().shape(), Qt::BitmapCursor);
  // A right click swaps the two zoom modes and leaves the others alone.
  QTest::mouseClick(window->View(), Qt::RightButton, {}, QPoint(20, 20));
  EXPECT_EQ(window->Mode(), ModeZoomIn);
  form->ToggleMode(ModeDrawPoints);
  QTest::mouseClick(window->View(), Qt::RightButton, {}, QPoint(20, 20));
  EXPECT_EQ(window->Mode(), ModeDrawPoints);
}

TEST_F(TMainFormTest, ZoomDoesNotMarkTheDocumentChanged) {
  TMDIChildWave* window = Open(DefaultFile("a.vlf"));
  ASSERT_NE(window, nullptr);
  form->ToggleMode(ModeZoomIn);
  QTest::mouseClick(window->View(), Qt::LeftButton, {}, QPoint(50, 50));
  WaitForComputation(window);
  EXPECT_NE(window->View()->GetFractProps().Left.GetValue(), -1.5);
  EXPECT_FALSE(window->unitWave()->NeedsSave());
  const std::string before = ReadFileBytes(dir.File("a.vlf"));
  EXPECT_TRUE(form->SaveDocument(window->unitWave()));
  EXPECT_EQ(ReadFileBytes(dir.File("a.vlf")), before);
}

TEST_F(TMainFormTest, JuliaWindowsTakeTheClickedPoint) {
  std::string bytes = ReadFileBytes(VELMORA_TEST_DATA "/default.vlf");
  bytes.replace(bytes.find("<MapZ />"), 8, "<MapC />");
  WriteFileBytes(dir.File("m.vlf"), bytes);
  TMDIChildWave* window = Open(dir.File("m.vlf"));
  ASSERT_NE(window, nullptr);
  form->ToggleMode(ModeJulia);
  const TFractProps source = window->View()->GetFractProps();
  const int w = window->View()->width();
  const int h = window->View()->height();
  QTest::mouseClick(window->View(), Qt::LeftButton, {}, QPoint(w / 4, h / 2));
  TMDIChildWave* julia = form->ActiveFractalWindow();
  ASSERT_NE(julia, window);
  const TFractProps props = julia->View()->GetFractProps();
  EXPECT_EQ(props.Map, MapZ);
  EXPECT_EQ(props.Left.GetValue(), -1.4);
  EXPECT_EQ(props.Right.GetValue(), 1.4);
  EXPECT_EQ(props.Top.GetValue(), -1.3);
  EXPECT_EQ(props.Bottom.GetValue(), 1.3);
  EXPECT_EQ(props.CR.GetValue(), -1.5 + (w / 4) / static_cast<double>(w) * 3.0);
  EXPECT_EQ(props.CI.GetValue(), 1.5 + (h / 2) / static_cast<double>(h) * -3.0);
  EXPECT_EQ(props.DR.GetValue(), source.DR.GetValue());
  EXPECT_EQ(props.MaxDepth.GetValue(), source.MaxDepth.GetValue());
  EXPECT_EQ(julia->unitWave()->Name(), "NONAME1");
  WaitForComputation(julia);
}

TEST_F(TMainFormTest, CloseQuestionsAndTheirAnswers) {
  form->DuplicateWaveExecute();  // nothing active: nothing happens
  EXPECT_TRUE(form->ChildWindows().empty());
  TMDIChildWave* opened = Open(DefaultFile("a.vlf"));
  ASSERT_NE(opened, nullptr);
  // An unchanged window from a file closes without a question.
  opened->SubWindow()->close();
  QApplication::processEvents();
  EXPECT_TRUE(questions.empty());
  EXPECT_TRUE(form->ChildWindows().empty());

  Open(DefaultFile("b.vlf"));
  form->DuplicateWaveExecute();
  TMDIChildWave* fresh = form->ActiveFractalWindow();
  ASSERT_EQ(fresh->unitWave()->Name(), "NONAME1");
  answer = TAnswer::Cancel;
  fresh->SubWindow()->close();
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0],
            "You have unsaved changes: Do you want to save the Wave with name \"NONAME1\" to a new file?");
  EXPECT_EQ(form->ChildWindows().size(), 2u);

  // Yes with a write that fails keeps the window and its change mark.
  answer = TAnswer::Yes;
  chosenFiles = {dir.File("missing/folder/x.vlf")};
  fresh->SubWindow()->close();
  QApplication::processEvents();
  EXPECT_EQ(form->ChildWindows().size(), 2u);
  EXPECT_TRUE(fresh->unitWave()->NeedsSave());
  ASSERT_FALSE(sink.Messages().empty());
  EXPECT_EQ(sink.Messages().back().title, "FileError");

  // A changed window with a file names it; Yes writes it and closes.
  fresh->unitWave()->SetFileName(dir.File("c.vlf"));
  fresh->unitWave()->SetChanged();
  questions.clear();
  fresh->SubWindow()->close();
  QApplication::processEvents();
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0], "You have unsaved changes: Do you want to save the Wave with name \"NONAME1\" to current file \"" +
                              dir.File("c.vlf") + "\"?");
  EXPECT_TRUE(FileExists(dir.File("c.vlf")));
  EXPECT_EQ(form->ChildWindows().size(), 1u);

  // No closes without writing.
  form->DuplicateWaveExecute();
  answer = TAnswer::No;
  form->ActiveFractalWindow()->SubWindow()->close();
  QApplication::processEvents();
  EXPECT_EQ(form->ChildWindows().size(), 1u);
}

TEST_F(TMainFormTest, ANewWindowCancelledIsGoneAndTheCounterGoesOn) {
  QTimer::singleShot(0, [] {
    if (QWidget* dialog = QApplication::activeModalWidget()) dialog->close();
  });
  form->FileNewWaveExecute();
  QApplication::processEvents();
  EXPECT_TRUE(form->ChildWindows().empty());
  EXPECT_EQ(form->NoNameCounter, 1);
  QTimer::singleShot(0, [] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->accept();
  });
  form->FileNewWaveExecute();
  ASSERT_EQ(form->ChildWindows().size(), 1u);
  TMDIChildWave* window = form->ChildWindows().front();
  EXPECT_EQ(window->unitWave()->Name(), "NONAME2");
  EXPECT_EQ(window->SubWindow()->windowTitle(), "NONAME2");
  WaitForComputation(window);
  EXPECT_EQ(window->View()->GetFractArray()->ColumnsDone(), 250);
}

TEST_F(TMainFormTest, OpeningThreeFilesWithABadSecondGivesTwoWindowsAndOneMessage) {
  WriteFileBytes(dir.File("bad.vlf"), "not a fractal");
  chosenFiles = {DefaultFile("one.vlf"), dir.File("bad.vlf"), DefaultFile("three.vlf")};
  form->FileOpenFractalExecute();
  EXPECT_EQ(dialogTitles, std::vector<std::string>{"Open Fractal"});
  EXPECT_EQ(form->ChildWindows().size(), 2u);
  ASSERT_EQ(sink.Messages().size(), 1u);
  EXPECT_EQ(sink.Messages()[0].title, "File Error");
  EXPECT_EQ(sink.Messages()[0].text.rfind("Cannot read the file: \"" + dir.File("bad.vlf") + "\", ", 0), 0u);
  for (TMDIChildWave* w : form->ChildWindows()) WaitForComputation(w);
}

TEST_F(TMainFormTest, SaveAsWritesAndFailuresKeepTheName) {
  TMDIChildWave* window = Open(DefaultFile("a.vlf"));
  ASSERT_NE(window, nullptr);
  chosenFiles = {dir.File("b.vlf")};
  form->FileSaveAsExecute();
  EXPECT_EQ(dialogTitles.back(), "Save Fractal");
  EXPECT_EQ(window->unitWave()->FileName(), dir.File("b.vlf"));
  EXPECT_EQ(ReadFileBytes(dir.File("b.vlf")), ReadFileBytes(dir.File("a.vlf")));
  EXPECT_EQ(window->SubWindow()->windowTitle().toStdString(), dir.File("b.vlf"));

  chosenFiles = {dir.File("gone/c.vlf")};
  window->unitWave()->SetChanged();
  EXPECT_FALSE(form->SaveDocumentAs(window->unitWave()));
  EXPECT_EQ(window->unitWave()->FileName(), dir.File("gone/c.vlf"));
  form->ActionList1Update();
  EXPECT_TRUE(Enabled("FileSave"));
}

TEST_F(TMainFormTest, RevertReloadsTheFile) {
  TMDIChildWave* window = Open(DefaultFile("a.vlf"));
  ASSERT_NE(window, nullptr);
  TFractProps changed = window->View()->GetFractProps();
  changed.MaxDepth.SetValue(77);
  window->View()->SetFractProps(changed);
  window->unitWave()->SetChanged();
  ASSERT_TRUE(form->FileRevertExecute());
  EXPECT_EQ(window->View()->GetFractProps().MaxDepth.GetValue(), 200);
  EXPECT_FALSE(window->unitWave()->NeedsSave());
  WaitForComputation(window);

  WriteFileBytes(dir.File("a.vlf"), "garbage");
  window->View()->SetFractProps(changed);
  window->unitWave()->SetChanged();
  EXPECT_FALSE(form->FileRevertExecute());
  EXPECT_EQ(window->View()->GetFractProps().MaxDepth.GetValue(), 77);
  ASSERT_FALSE(sink.Messages().empty());
  EXPECT_EQ(sink.Messages().back().text.rfind("Cannot revert the file: \"" + dir.File("a.vlf") + "\", ", 0), 0u);
}

TEST_F(TMainFormTest, TheCommandLineOpensFractalFilesByTheirLastExtension) {
  const std::string folder = dir.File("my.fractals");
  std::filesystem::create_directory(folder);
  WriteFileBytes(folder + "/PIC.VLF", ReadFileBytes(VELMORA_TEST_DATA "/default.vlf"));
  form->HandleCommandLine({folder + "/PIC.VLF"});
  EXPECT_EQ(form->ChildWindows().size(), 1u);
  EXPECT_TRUE(sink.Messages().empty());

  form->HandleCommandLine({dir.File("README")});
  ASSERT_EQ(sink.Messages().size(), 2u);
  EXPECT_EQ(sink.Messages()[0].text, "Cannot read the file: \"" + dir.File("README") + "\" File has no extension");
  EXPECT_EQ(sink.Messages()[1].text, "Invalid extension \"readme\" used.");
  sink.Clear();
  form->HandleCommandLine({dir.File("picture.gif")});
  EXPECT_EQ(sink.Texts(), std::vector<std::string>{"Invalid extension \"gif\" used."});
  // A PNG picture is opened for the fractal it carries.
  sink.Clear();
  form->HandleCommandLine({dir.File("picture.png")});
  EXPECT_EQ(sink.Texts(), std::vector<std::string>{
                              "Cannot read the file: \"" + dir.File("picture.png") +
                              "\", the file does not exist or cannot be opened."});
  EXPECT_EQ(form->ChildWindows().size(), 1u);
  for (TMDIChildWave* w : form->ChildWindows()) WaitForComputation(w);
}

TEST_F(TMainFormTest, SeveralFilesOnTheCommandLineOpenEachInTurn) {
  const std::string a = DefaultFile("a.vlf");
  const std::string b = DefaultFile("b.vlf");
  // "Open With" on several files: each opens as if it were the only one; a bad one says so
  // and the rest still open.
  form->HandleCommandLine({a, dir.File("notes.txt"), b});
  std::vector<std::string> opened;
  for (TMDIChildWave* w : form->ChildWindows()) opened.push_back(w->unitWave()->FileName());
  std::sort(opened.begin(), opened.end());
  EXPECT_EQ(opened, (std::vector<std::string>{a, b}));
  EXPECT_EQ(sink.Texts(), std::vector<std::string>{"Invalid extension \"txt\" used."});
  EXPECT_TRUE(form->ProjectFile.empty());
  for (TMDIChildWave* w : form->ChildWindows()) WaitForComputation(w);
}

TEST_F(TMainFormTest, APaletteOnTheCommandLineColoursANewWindowOfTheDefaultFractal) {
  WriteFileBytes(dir.File("fire.CP1"), ReadFileBytes(VELMORA_TEST_DATA "/palette.cp1"));
  TColorPalette1DItem expected(form->defaultView.PalOutside);
  std::string message;
  ASSERT_EQ(expected.LoadFromFile(dir.File("fire.CP1"), message), TXMLReadStatus::Ok);
  ASSERT_NE(expected, form->defaultView.PalOutside);

  form->HandleCommandLine({dir.File("fire.CP1")});
  EXPECT_TRUE(sink.Messages().empty());
  ASSERT_EQ(form->ChildWindows().size(), 1u);
  TMDIChildWave* window = form->ChildWindows().front();
  WaitForComputation(window);
  // A new document: nothing of it is on disk, and the palette file is not its file.
  EXPECT_EQ(window->unitWave()->Name().rfind("NONAME", 0), 0u);
  EXPECT_TRUE(window->unitWave()->FileName().empty());
  const TVoldViewProps& settings = window->View()->GetViewProps();
  EXPECT_TRUE(settings.UsePalOutside);
  EXPECT_EQ(settings.PalOutside, expected);
  EXPECT_EQ(window->View()->GetFractProps(), form->defaultFractal);
  EXPECT_EQ(window->View()->GetFractArray()->ColumnsDone(),
            window->View()->GetFractProps().XResolution.GetValue());

  // A palette that cannot be read says why and opens nothing.
  WriteFileBytes(dir.File("broken.cp1"), "<?xml version=\"1.0\"?><nothing/>");
  form->HandleCommandLine({dir.File("broken.cp1"), dir.File("missing.cp1")});
  ASSERT_EQ(sink.Messages().size(), 2u);
  EXPECT_EQ(
      sink.Messages()[0].text.rfind("Cannot read the file: \"" + dir.File("broken.cp1") + "\"", 0),
      0u);
  EXPECT_EQ(
      sink.Messages()[1].text.rfind("Cannot read the file: \"" + dir.File("missing.cp1") + "\"", 0),
      0u);
  EXPECT_EQ(form->ChildWindows().size(), 1u);

  // A GIMP palette opens the same way.
  WriteFileBytes(dir.File("two.gpl"), "GIMP Palette\n10 20 30\n40 50 60\n");
  form->HandleCommandLine({dir.File("two.gpl")});
  EXPECT_EQ(sink.Messages().size(), 2u);
  ASSERT_EQ(form->ChildWindows().size(), 2u);
  ASSERT_NE(form->ActiveFractalWindow(), window);
  EXPECT_EQ(form->ActiveFractalWindow()->View()->GetViewProps().PalOutside,
            TColorPalette1DItem(MakeColor(10, 20, 30), MakeColor(40, 50, 60)));
  for (TMDIChildWave* w : form->ChildWindows()) WaitForComputation(w);
}

TEST_F(TMainFormTest, NamesAreUniqueAndTheCaptionShowsNameAndFile) {
  TMDIChildWave* a = Open(DefaultFile("a.vlf"));
  form->DuplicateWaveExecute();
  TMDIChildWave* b = form->ActiveFractalWindow();
  EXPECT_EQ(a->SubWindow()->windowTitle().toStdString(), dir.File("a.vlf"));
  a->Document()->SetName("Julia");
  EXPECT_EQ(a->SubWindow()->windowTitle().toStdString(), "Julia - " + dir.File("a.vlf"));
  EXPECT_TRUE(form->IsNameUnique("", b->Document()));
  EXPECT_TRUE(form->IsNameUnique("Julia", a->Document()));
  EXPECT_FALSE(form->IsNameUnique("Julia", b->Document()));
  EXPECT_EQ(sink.Messages().back(),
            (TRecordedMessage{"A window with name \"Julia\" already exists.", "Error", TMessageIcon::Information}));
  EXPECT_TRUE(form->IsNameUnique("julia", b->Document()));
  EXPECT_EQ(form->FindWindowByName("Julia"), a->Document());
  EXPECT_EQ(TMDIChildVelmora::Caption("", ""), "");
  for (TMDIChildWave* w : form->ChildWindows()) WaitForComputation(w);
}
