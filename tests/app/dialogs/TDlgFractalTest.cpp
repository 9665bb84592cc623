#include "app/dialogs/TDlgFractal.h"

#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "platform/Help.h"
#include "tests/support/RecordingSink.h"

namespace {

constexpr int kWindowHeight = 480;
constexpr int kWindowWidth = 640;

class TDlgFractalTest : public ::testing::Test {
 protected:
  void Open(const TFractProps& source = TFractProps()) {
    dialog =
        std::make_unique<TDlgFractal>(nullptr, kWindowHeight, kWindowWidth, &defaultRecord, source);
    dialog->show();
  }

  template <class T = QLineEdit>
  T* Get(const char* name) {
    T* control = dialog->findChild<T*>(name);
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  void SetText(const char* edit, const char* text) { Get(edit)->setText(text); }
  void Click(const char* button) {
    QTest::mouseClick(Get<QAbstractButton>(button), Qt::LeftButton);
  }
  void ClickFormula(int row) {
    auto* list = Get<QListWidget>("lstFormulas");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
  }
  // The parameter edits that are enabled, in a fixed order.
  std::vector<std::string> EnabledParameters() {
    std::vector<std::string> enabled;
    for (const char* name :
         {"editZR", "editZI", "editCR", "editCI", "editDR", "editDI", "editN", "editM"})
      if (Get(name)->isEnabled()) enabled.push_back(name);
    return enabled;
  }

  TRecordingSink sink;
  TFractProps defaultRecord;
  std::unique_ptr<TDlgFractal> dialog;
};

TEST_F(TDlgFractalTest, EditsFollowTheFormulaAndTheMappedField) {
  Open();
  EXPECT_EQ(dialog->windowTitle(), "Fractal");
  EXPECT_EQ(Get("editSelLeft")->text(), "-1.5");
  EXPECT_EQ(Get("editCR")->text(), "-0.122561");
  EXPECT_EQ(Get("editInnerDist")->text(), "0.0001");
  EXPECT_EQ(Get("editHorizontal")->maxLength(), 99);
  EXPECT_EQ(Get<QListWidget>("lstFormulas")->currentItem()->text(), "z^2 + c");
  EXPECT_TRUE(Get<QRadioButton>("optZ")->isChecked());
  EXPECT_EQ(EnabledParameters(), (std::vector<std::string>{"editCR", "editCI"}));
  // Disabled edits keep showing their values.
  EXPECT_EQ(Get("editN")->text(), "5");

  ClickFormula(5);  // z^n + d z^m + c
  const std::vector<std::string> cdnm{"editCR", "editCI", "editDR", "editDI", "editN", "editM"};
  EXPECT_EQ(EnabledParameters(), cdnm);
  Click("optD");
  EXPECT_EQ(EnabledParameters(),
            (std::vector<std::string>{"editZR", "editZI", "editCR", "editCI", "editN", "editM"}));
  Click("optC");
  EXPECT_EQ(EnabledParameters(),
            (std::vector<std::string>{"editZR", "editZI", "editDR", "editDI", "editN", "editM"}));
  Click("optZ");
  EXPECT_EQ(EnabledParameters(), cdnm);
  ClickFormula(7);  // n, but no d
  EXPECT_EQ(EnabledParameters(), (std::vector<std::string>{"editCR", "editCI", "editN"}));
}

TEST_F(TDlgFractalTest, InvalidOkKeepsTheDialogOpenWithTheEarlierFieldsTaken) {
  Open();
  SetText("editSelLeft", "-2");
  SetText("editSelRight", "2");
  SetText("editSelTop", "1");
  SetText("editSelBottom", "-1");
  SetText("editHorizontal", "0");
  SetText("editVertical", "300");
  SetText("editCR", "0.5");
  SetText("editCont", "2");
  Click("optC");
  Click("OKBtn");

  ASSERT_EQ(sink.Messages(),
            (std::vector<TRecordedMessage>{
                {"In Horizontal Resolution: Value must be positive and more than 0.", "Input Error",
                 TMessageIcon::Information}}));
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(Get("editHorizontal")->text(), "0");
  const TFractProps& props = dialog->GetFractProps();
  EXPECT_EQ((std::vector<double>{props.Left.GetValue(), props.Right.GetValue(),
                                 props.Top.GetValue(), props.Bottom.GetValue()}),
            (std::vector<double>{-2.0, 2.0, 1.0, -1.0}));
  EXPECT_EQ(props.XResolution.GetValue(), 250);
  EXPECT_EQ(props.YResolution.GetValue(), 250);
  EXPECT_EQ(props.CR.GetValue(), -0.122561);
  EXPECT_EQ(props.ContValue.GetValue(), 1.0);
  EXPECT_EQ(props.Map, MapC);  // the choices are taken whatever the checks found

  SetText("editHorizontal", "320");
  Click("OKBtn");
  EXPECT_EQ(sink.Messages().size(), 1u);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(props.XResolution.GetValue(), 320);
  EXPECT_EQ(props.YResolution.GetValue(), 300);
  EXPECT_EQ(props.ContValue.GetValue(), 2.0);
}

// Z, D, N and M are disabled for the default record and still block OK.
TEST_F(TDlgFractalTest, EachFieldIsReportedByItsOwnNameEvenWhenDisabled) {
  const struct {
    const char* edit;
    const char* text;
    const char* message;
  } cases[] = {
      {"editSelBottom", "x", "In Selection Bottom: Input has no value."},
      {"editCI", "x", "In C Imaginair: Input has no value."},
      {"editDI", "x", "In D Imaginair: Input has no value."},
      {"editZI", "x", "In Z Imarigair: Input has no value."},
      {"editN", "0", "In N: Value must be positive and more than 0."},
      {"editM", "0", "In M: Value must be positive and more than 0."},
      {"editMaxCycleDetect", "-1", "In Max Cycles to Detect: Value must be positive."},
      {"editCont", "0", "In Discontinue: Value must be positive and more than 0."},
  };
  for (const auto& c : cases) {
    Open();
    SetText(c.edit, c.text);
    sink.Clear();
    Click("OKBtn");
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{c.message}) << c.edit;
    EXPECT_TRUE(dialog->isVisible()) << c.edit;
  }
}

TEST_F(TDlgFractalTest, UseAsDefaultCopiesOnlyAValidRecord) {
  const TFractProps original;
  Open();
  SetText("editMaxDepth", "500");
  Click("OKBtn");
  EXPECT_EQ(defaultRecord, original);  // not ticked

  Open();
  SetText("editMaxDepth", "500");
  Click("chkDefault");
  SetText("editCont", "0");
  Click("OKBtn");
  EXPECT_EQ(defaultRecord, original);  // the last check failed
  SetText("editCont", "3");
  Click("OKBtn");
  EXPECT_EQ(defaultRecord.MaxDepth.GetValue(), 500);
  EXPECT_EQ(defaultRecord, dialog->GetFractProps());
}

TEST_F(TDlgFractalTest, FormulaColorsAndWindowSizeAreStoredOnOk) {
  Open();
  ClickFormula(11);
  EXPECT_EQ(Get<QListWidget>("lstFormulas")->currentItem()->text(), "c sin(z)");
  Click("rgrContDiscontinue");
  Click("btnXResWindow");
  Click("btnYResWindow");
  EXPECT_EQ(Get("editHorizontal")->text(), "640");
  EXPECT_EQ(Get("editVertical")->text(), "480");
  EXPECT_EQ(dialog->GetFractProps().XResolution.GetValue(), 250);  // only OK takes them
  Click("OKBtn");
  const TFractProps& props = dialog->GetFractProps();
  EXPECT_EQ(props.Formula, 11);
  EXPECT_EQ(props.FormulaKey(props.Formula), "csin(z)");
  EXPECT_EQ(props.Cont, 1);
  EXPECT_EQ(props.XResolution.GetValue(), 640);
  EXPECT_EQ(props.YResolution.GetValue(), 480);
}

TEST_F(TDlgFractalTest, CancelClosesAfterARefusedOkAndTheSourceStaysAsItWas) {
  TFractProps source;
  source.Formula = 8;
  source.Map = MapD;
  source.Cont = 1;
  source.MaxDepth.SetValue(77);
  const TFractProps before = source;
  Open(source);
  EXPECT_EQ(Get<QListWidget>("lstFormulas")->currentRow(), 8);
  EXPECT_TRUE(Get<QRadioButton>("optD")->isChecked());
  EXPECT_TRUE(Get<QRadioButton>("rgrContDiscontinue")->isChecked());
  EXPECT_EQ(Get("editMaxDepth")->text(), "77");
  SetText("editSelLeft", "-3");
  SetText("editVertical", "0");
  Click("OKBtn");
  ASSERT_TRUE(dialog->isVisible());
  Click("CancelBtn");
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  EXPECT_EQ(source, before);
}

TEST_F(TDlgFractalTest, ModalRunEndsOnlyWithAValidOk) {
  dialog = std::make_unique<TDlgFractal>(nullptr, kWindowHeight, kWindowWidth, &defaultRecord,
                                         TFractProps());
  bool refused = false;
  QTimer::singleShot(0, dialog.get(), [&] {
    SetText("editMaxDepth", "0");
    Click("OKBtn");
    refused = dialog->isVisible();
    SetText("editMaxDepth", "50");
    Click("OKBtn");
  });
  // Ends the run should the steps above not.
  QTimer::singleShot(10000, dialog.get(), [&] { dialog->reject(); });
  EXPECT_EQ(dialog->exec(), QDialog::Accepted);
  EXPECT_TRUE(refused);
  EXPECT_EQ(dialog->GetFractProps().MaxDepth.GetValue(), 50);
}

TEST_F(TDlgFractalTest, ARecordTheEngineCannotComputeIsRefusedLikeABadValue) {
  Open();
  SetText("editHorizontal", "20000");
  SetText("editVertical", "20000");
  SetText("editMaxCycleDetect", "1");
  Get<QCheckBox>("chkDefault")->setChecked(true);
  Click("OKBtn");
  EXPECT_EQ(sink.Messages(),
            (std::vector<TRecordedMessage>{
                {"A grid of 20000 x 20000 pixels is too large: at most 268435456 pixels can be "
                 "computed.",
                 "Input Error", TMessageIcon::Information}}));
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(defaultRecord.XResolution.GetValue(), 250);

  SetText("editHorizontal", "2000");
  SetText("editVertical", "2000");
  SetText("editMaxCycleDetect", "2000000");
  Click("OKBtn");
  EXPECT_EQ(sink.Texts().back(), "Max Cycles to Detect must lie between 0 and 1000000.");
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(defaultRecord.MaxCycle.GetValue(), 3);

  SetText("editMaxCycleDetect", "1000000");
  Click("OKBtn");
  EXPECT_EQ(sink.Messages().size(), 2u);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(defaultRecord.XResolution.GetValue(), 2000);
}

TEST_F(TDlgFractalTest, HelpButtonAndF1OpenTheDialogsPage) {
  Open();
  Click("HelpBtn");
  EXPECT_EQ(LastHelpContext(), kHelpFractalDialog);

  ShowHelp(nullptr, kHelpContents);
  dialog->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  QTest::keyClick(Get("editSelLeft"), Qt::Key_F1);
  EXPECT_EQ(LastHelpContext(), kHelpFractalDialog);
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->windowTitle() == "Velmora Help") window->close();
}

}  // namespace
