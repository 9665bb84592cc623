// The tour of the examples, opened as scripts/run opens it.
#include <filesystem>
#include <string>
#include <vector>

#include <QMdiSubWindow>

#include "tests/app/shell/MainFormFixture.h"

using TTourTest = TMainFormFixture;

TEST_F(TTourTest, EveryWindowOpensWithItsNameAndTheFileBesideTheProject) {
  const std::string examples = VELMORA_SOURCE_DIR "/examples";
  const std::string tour = examples + "/tour.tkp";
  // The files are named relative to the project, which must not mean relative to here.
  ASSERT_NE(std::filesystem::current_path(), std::filesystem::path(examples));
  form->HandleCommandLine({tour});
  const std::vector<TMDIChildWave*> windows = form->ChildWindows();
  for (TMDIChildWave* w : windows) WaitForComputation(w);
  EXPECT_TRUE(sink.Messages().empty()) << sink.Texts().front();
  EXPECT_EQ(form->ProjectFile, tour);
  std::vector<std::string> captions;
  for (TMDIChildWave* w : windows) {
    captions.push_back(w->SubWindow()->windowTitle().toStdString());
    EXPECT_FALSE(w->unitWave()->NeedsSave()) << captions.back();
  }
  // The top of the stacking order first, which is the project's last window.
  EXPECT_EQ(captions, (std::vector<std::string>{
                          "Cloverleaf Julia - " + examples + "/julia-cloverleaf.vlf",
                          "Sine spirals - " + examples + "/sine-julia-spirals.vlf",
                          "Cubic lotus - " + examples + "/cubic-d-plane-lotus.vlf",
                          "Seahorse valley - " + examples + "/seahorse-valley-cycles.vlf",
                          "Mandelbrot overview - " + examples + "/mandelbrot-overview.vlf"}));
}
