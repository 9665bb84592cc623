// Projects through the main window: saving the set of windows with temp copies, closing,
// reopening and exporting.
#include <QMdiArea>
#include <QMdiSubWindow>

#include "core/documents/ProjectFile.h"
#include "tests/app/shell/MainFormFixture.h"

namespace {

class TProjectTest : public TMainFormFixture {
 protected:
  std::string Project() const { return dir.File("session.tkp"); }
  std::string Temp(const std::string& name) const { return dir.File("sessionTempSaveFiles/" + name); }

  // Three windows: a clean one with a file, a changed one with a file, a never-saved one.
  void ThreeWindows() {
    clean = Open(DefaultFile("clean.vlf"));
    clean->Document()->SetName("Clean");
    clean->SubWindow()->setGeometry(10, 12, 300, 250);
    changed = Open(DefaultFile("changed.vlf"));
    TFractProps props = changed->View()->GetFractProps();
    props.MaxDepth.SetValue(321);
    changed->View()->SetFractProps(props);
    changed->unitWave()->SetChanged();
    changed->SubWindow()->setGeometry(40, 30, 320, 260);
    form->DuplicateWaveExecute();
    fresh = form->ActiveFractalWindow();
    fresh->SubWindow()->setGeometry(70, 50, 280, 240);
    WaitForComputation(fresh);
  }

  TMDIChildWave* clean = nullptr;
  TMDIChildWave* changed = nullptr;
  TMDIChildWave* fresh = nullptr;
};

std::vector<std::string> Names(const std::vector<TMDIChildWave*>& windows) {
  std::vector<std::string> names;
  for (TMDIChildWave* w : windows) names.push_back(w->Document()->Name());
  return names;
}

}  // namespace

TEST_F(TProjectTest, SavedWindowsComeBackWithTheirWork) {
  ThreeWindows();
  form->ProjectFile = Project();
  ASSERT_TRUE(form->SaveProject(Project(), TProjectSaveMode::Normal));
  const std::string text = ReadFileBytes(Project());
  // Bottom of the stacking order first: clean, changed, fresh.
  const auto cleanAt = text.find("<Name>Clean</Name>");
  const auto freshAt = text.find("<Name>NONAME1</Name>");
  ASSERT_NE(cleanAt, std::string::npos);
  ASSERT_NE(freshAt, std::string::npos);
  EXPECT_LT(cleanAt, freshAt);
  EXPECT_NE(text.find("<File>" + dir.File("clean.vlf") + "</File>\r\n    </Wave>"), std::string::npos);
  EXPECT_NE(text.find("<File>" + dir.File("changed.vlf") + "</File>\r\n      <TempFile>0</TempFile>"),
            std::string::npos);
  EXPECT_NE(text.find("<Wave>\r\n      <TempFile>1</TempFile>\r\n    </Wave>"), std::string::npos);
  EXPECT_EQ(clean->unitWave()->TempFile, -1);
  EXPECT_TRUE(FileExists(Temp("savedProjectWindowFile0.wav")));
  EXPECT_TRUE(FileExists(Temp("savedProjectWindowFile1.wav")));
  EXPECT_FALSE(FileExists(Temp("newProjectWindowFile0.wav")));
  const std::vector<std::string> order = Names(form->ChildWindows());

  form->ProjectCloseExecute();
  EXPECT_TRUE(questions.empty());  // the project keeps the unsaved work; nothing to ask
  EXPECT_TRUE(form->ChildWindows().empty());
  EXPECT_EQ(form->ProjectFile, "");
  // The changed file itself was never written.
  EXPECT_EQ(ReadFileBytes(dir.File("changed.vlf")), ReadFileBytes(VELMORA_TEST_DATA "/default.vlf"));

  form->NoNameCounter = 0;
  form->OpenProject(Project());
  EXPECT_TRUE(sink.Messages().empty()) << sink.Texts().front();
  EXPECT_EQ(form->ProjectFile, Project());
  EXPECT_EQ(form->windowTitle().toStdString(), "Velmora 1.0 - " + Project());
  EXPECT_EQ(form->NoNameCounter, 1);
  const std::vector<TMDIChildWave*> windows = form->ChildWindows();
  ASSERT_EQ(windows.size(), 3u);
  EXPECT_EQ(Names(windows), order);
  TMDIChildWave* freshBack = windows[0];
  TMDIChildWave* changedBack = windows[1];
  TMDIChildWave* cleanBack = windows[2];
  EXPECT_EQ(cleanBack->SubWindow()->geometry(), QRect(10, 12, 300, 250));
  EXPECT_EQ(changedBack->SubWindow()->geometry(), QRect(40, 30, 320, 260));
  EXPECT_EQ(freshBack->SubWindow()->geometry(), QRect(70, 50, 280, 240));
  EXPECT_EQ(cleanBack->unitWave()->FileName(), dir.File("clean.vlf"));
  EXPECT_FALSE(cleanBack->unitWave()->NeedsSave());
  EXPECT_EQ(changedBack->unitWave()->FileName(), dir.File("changed.vlf"));
  EXPECT_EQ(changedBack->View()->GetFractProps().MaxDepth.GetValue(), 321);
  EXPECT_TRUE(changedBack->unitWave()->Changed());
  EXPECT_TRUE(freshBack->unitWave()->IsNew());
  EXPECT_TRUE(freshBack->unitWave()->NeedsSave());
  for (TMDIChildWave* w : windows) WaitForComputation(w);
}

TEST_F(TProjectTest, SavingTwiceRotatesTheCopies) {
  ThreeWindows();
  ASSERT_TRUE(form->SaveProject(Project(), TProjectSaveMode::Normal));
  const std::string first = ReadFileBytes(Temp("savedProjectWindowFile0.wav"));
  TFractProps props = changed->View()->GetFractProps();
  props.MaxDepth.SetValue(654);
  changed->View()->SetFractProps(props);
  ASSERT_TRUE(form->SaveProject(Project(), TProjectSaveMode::Normal));
  const std::string second = ReadFileBytes(Temp("savedProjectWindowFile0.wav"));
  EXPECT_NE(first, second);
  EXPECT_NE(second.find("<MaxDepth>654</MaxDepth>"), std::string::npos);
  EXPECT_FALSE(FileExists(Temp("newProjectWindowFile0.wav")));
  EXPECT_FALSE(FileExists(Temp("savedProjectWindowFile2.wav")));
}

TEST_F(TProjectTest, AFailedCopyFailsTheSaveAndKeepsThePreviousOne) {
  ThreeWindows();
  ASSERT_TRUE(form->SaveProject(Project(), TProjectSaveMode::Normal));
  const std::string project = ReadFileBytes(Project());
  const std::string saved0 = ReadFileBytes(Temp("savedProjectWindowFile0.wav"));
  // The first copy cannot be written; the second could.
  std::filesystem::create_directory(Temp("newProjectWindowFile0.wav"));
  sink.Clear();
  EXPECT_FALSE(form->SaveProject(Project(), TProjectSaveMode::Normal));
  ASSERT_FALSE(sink.Messages().empty());
  EXPECT_EQ(sink.Messages().front().title, "FileError");
  EXPECT_EQ(ReadFileBytes(Project()), project);
  EXPECT_EQ(ReadFileBytes(Temp("savedProjectWindowFile0.wav")), saved0);
  EXPECT_TRUE(FileExists(Temp("savedProjectWindowFile1.wav")));
  EXPECT_FALSE(FileExists(Temp("newProjectWindowFile1.wav")));
}

TEST_F(TProjectTest, ATempFolderThatCannotBeMadeFailsTheSave) {
  ThreeWindows();
  WriteFileBytes(dir.File("sessionTempSaveFiles"), "in the way");
  EXPECT_FALSE(form->SaveProject(Project(), TProjectSaveMode::Normal));
  EXPECT_EQ(sink.Messages(),
            (std::vector<TRecordedMessage>{
                {"Cannot save the project \"" + Project() + "\": the folder \"" +
                     dir.File("sessionTempSaveFiles") +
                     "\" for the temp copies cannot be made: a file of that name is in the way.",
                 "FileError", TMessageIcon::Information}}));
  EXPECT_FALSE(FileExists(Project()));
  EXPECT_EQ(ReadFileBytes(dir.File("sessionTempSaveFiles")), "in the way");
  // A project whose windows need no copy saves without the folder.
  changed->unitWave()->ClearChanged();
  fresh->SetCloseAllowed(true);
  delete fresh->SubWindow();
  sink.Clear();
  EXPECT_TRUE(form->SaveProject(Project(), TProjectSaveMode::Normal));
  EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(TProjectTest, SavingIntoAFolderThatDoesNotExistSaysSo) {
  ThreeWindows();
  const std::string project = dir.File("gone/session.tkp");
  EXPECT_FALSE(form->SaveProject(project, TProjectSaveMode::Normal));
  EXPECT_EQ(
      sink.Messages(),
      (std::vector<TRecordedMessage>{{"Cannot save the project \"" + project + "\": the folder \"" +
                                          dir.File("gone") + "\" does not exist.",
                                      "FileError", TMessageIcon::Information}}));
  EXPECT_FALSE(FileExists(dir.File("gone")));

  // Closing the program saves the project first, and says why that failed; a Cancel then
  // keeps the program open.
  sink.Clear();
  form->ProjectFile = project;
  answer = TAnswer::Cancel;
  EXPECT_FALSE(form->close());
  ASSERT_EQ(sink.Messages().size(), 1u);
  EXPECT_EQ(sink.Messages()[0].text, "Cannot save the project \"" + project + "\": the folder \"" +
                                         dir.File("gone") + "\" does not exist.");
  EXPECT_EQ(form->ChildWindows().size(), 3u);
}

TEST_F(TProjectTest, AnOldCopyThatCannotBeReplacedKeepsThePreviousSave) {
  ThreeWindows();
  ASSERT_TRUE(form->SaveProject(Project(), TProjectSaveMode::Normal));
  const std::string project = ReadFileBytes(Project());
  const std::string saved1 = ReadFileBytes(Temp("savedProjectWindowFile1.wav"));
  std::filesystem::remove(Temp("savedProjectWindowFile0.wav"));
  std::filesystem::create_directory(Temp("savedProjectWindowFile0.wav"));
  WriteFileBytes(Temp("savedProjectWindowFile0.wav/inside"), "kept");
  // A save that would change the project file and both copies.
  form->NoNameCounter += 5;
  TFractProps props = changed->View()->GetFractProps();
  props.MaxDepth.SetValue(654);
  changed->View()->SetFractProps(props);
  props = fresh->View()->GetFractProps();
  props.MaxDepth.SetValue(987);
  fresh->View()->SetFractProps(props);

  EXPECT_FALSE(form->SaveProject(Project(), TProjectSaveMode::Normal));
  EXPECT_EQ(sink.Messages(),
            (std::vector<TRecordedMessage>{
                {"Cannot save the project \"" + Project() + "\": the old copy \"" +
                     Temp("savedProjectWindowFile0.wav") + "\" cannot be replaced: it is a folder.",
                 "FileError", TMessageIcon::Information}}));
  EXPECT_EQ(ReadFileBytes(Project()), project);
  EXPECT_EQ(ReadFileBytes(Temp("savedProjectWindowFile1.wav")), saved1);
  EXPECT_EQ(ReadFileBytes(Temp("savedProjectWindowFile0.wav/inside")), "kept");
  EXPECT_FALSE(FileExists(Temp("newProjectWindowFile0.wav")));
  EXPECT_FALSE(FileExists(Temp("newProjectWindowFile1.wav")));
}

TEST_F(TProjectTest, ExportCopiesEveryWindowAndNamesNoFile) {
  ThreeWindows();
  form->ProjectFile = Project();
  chosenFiles = {dir.File("export.tkp")};
  form->ProjectExportExecute();
  EXPECT_EQ(dialogTitles, std::vector<std::string>{"Export Project"});
  const std::string text = ReadFileBytes(dir.File("export.tkp"));
  EXPECT_EQ(text.find("<File>"), std::string::npos);
  for (const char* n : {"0", "1", "2"}) {
    EXPECT_TRUE(FileExists(dir.File(std::string("exportTempSaveFiles/savedProjectWindowFile") + n + ".wav")));
  }
  EXPECT_EQ(form->ProjectFile, Project());
}

TEST_F(TProjectTest, ExportToAFolderThatDoesNotExistSaysSo) {
  ThreeWindows();
  form->ProjectFile = Project();
  const std::string target = dir.File("gone/export.tkp");
  chosenFiles = {target};
  form->ProjectExportExecute();
  EXPECT_EQ(sink.Messages(), (std::vector<TRecordedMessage>{
                                 {"Cannot export the project \"" + target + "\": the folder \"" +
                                      dir.File("gone") + "\" does not exist.",
                                  "FileError", TMessageIcon::Information}}));
  EXPECT_FALSE(FileExists(dir.File("gone")));
  EXPECT_EQ(form->ProjectFile, Project());
}

TEST_F(TProjectTest, AnEmptyProjectKeepsThePlaceAndTheCounter) {
  form->NoNameCounter = 42;
  form->setGeometry(50, 60, 640, 420);
  ASSERT_TRUE(form->SaveProject(Project(), TProjectSaveMode::Normal));
  const std::string text = ReadFileBytes(Project());
  EXPECT_EQ(text.find("<Window>"), std::string::npos);
  EXPECT_NE(text.find("<NoNameCounter>42</NoNameCounter>"), std::string::npos);
  form->NoNameCounter = 0;
  form->setGeometry(0, 0, 500, 300);
  form->HandleCommandLine({Project()});
  EXPECT_EQ(form->NoNameCounter, 42);
  EXPECT_EQ(form->geometry().size(), QSize(640, 420));
  EXPECT_EQ(form->ProjectFile, Project());
}

TEST_F(TProjectTest, ABadProjectIsRefusedWithItsReason) {
  WriteFileBytes(Project(), "<?xml?>\r\n<!DOCTYPE>\r\n\r\n<Project><Version>1.1</Version></Project>\r\n");
  form->OpenProject(Project());
  EXPECT_EQ(form->ProjectFile, "");
  ASSERT_EQ(sink.Messages().size(), 1u);
  EXPECT_EQ(sink.Messages()[0].text,
            "Cannot read the file: \"" + Project() +
                "\", the project file has the version \"1.1\", and this program reads only version 1.0.");
  EXPECT_EQ(sink.Messages()[0].title, "File Error");
}

TEST_F(TProjectTest, ClosingTheProgramWithAProjectSavesIt) {
  ThreeWindows();
  form->ProjectFile = Project();
  form->close();
  EXPECT_TRUE(questions.empty());
  EXPECT_TRUE(FileExists(Project()));
  EXPECT_TRUE(form->ChildWindows().empty());
}
