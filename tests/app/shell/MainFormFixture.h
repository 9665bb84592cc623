#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include <gtest/gtest.h>

#include "app/TMDIChildWave.h"
#include "app/TMainForm.h"
#include "app/TUnit.h"
#include "app/TViewWave.h"
#include "platform/Dialogs.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/TempDir.h"

// A shown main window with recorded messages, scripted answers and scripted file dialogs.
class TMainFormFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    m_previousQuestion = SetQuestionHandler([this](const std::string& text, const std::string& title) {
      questions.push_back(title + ": " + text);
      return answer;
    });
    m_previousDialog = SetFileDialogHandler([this](const TFileDialogSpec& request) {
      dialogTitles.push_back(request.title);
      return chosenFiles;
    });
    form = std::make_unique<TMainForm>();
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }

  void TearDown() override {
    if (form) {
      for (TMDIChildWave* w : form->ChildWindows()) w->SetCloseAllowed(true);
    }
    form.reset();
    SetQuestionHandler(m_previousQuestion);
    SetFileDialogHandler(m_previousDialog);
  }

  std::string DefaultFile(const std::string& name) {
    const std::string path = dir.File(name);
    WriteFileBytes(path, ReadFileBytes(VELMORA_TEST_DATA "/default.vlf"));
    return path;
  }

  // Opens a fractal file into a new, active window and waits for its computation.
  TMDIChildWave* Open(const std::string& path) {
    TUnitFract* unit = form->OpenFractalFile(path, "");
    if (unit == nullptr) return nullptr;
    WaitForComputation(unit->FractWindow);
    return unit->FractWindow;
  }

  static void WaitForComputation(TMDIChildWave* window) {
    for (int i = 0; i < 6000 && window->View()->Computation().Running(); ++i) QTest::qWait(10);
    QApplication::processEvents();
  }

  bool Enabled(const char* name) { return form->Action(name)->isEnabled(); }

  TTempDir dir;
  TRecordingSink sink;
  std::unique_ptr<TMainForm> form;
  std::vector<std::string> questions;
  std::vector<std::string> dialogTitles;
  std::vector<std::string> chosenFiles;
  TAnswer answer = TAnswer::Cancel;

 private:
  TQuestionHandler m_previousQuestion;
  TFileDialogHandler m_previousDialog;
};

