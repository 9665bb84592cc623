#include "app/dialogs/TDlgVoldViewProps.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/dialogs/TDlgColorPalette1D.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "platform/TColorBox.h"
#include "platform/TRadioGroup.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/TempDir.h"

namespace {

template <class T = QAbstractButton>
T* Find(QWidget* parent, const char* name) {
  T* control = parent->findChild<T*>(name);
  EXPECT_NE(control, nullptr) << name;
  return control;
}

void ClickIn(QWidget* parent, const char* button) {
  QTest::mouseClick(Find(parent, button), Qt::LeftButton);
}

// Runs action on the palette editor once it runs modally; an editor left open is rejected,
// so that no test waits forever.
void WhenPaletteEditorOpens(std::function<void(TDlgColorPalette1D&)> action, int tries = 200) {
  QTimer::singleShot(10, [action = std::move(action), tries]() mutable {
    auto* editor = qobject_cast<TDlgColorPalette1D*>(QApplication::activeModalWidget());
    if (editor == nullptr) {
      if (tries > 0) WhenPaletteEditorOpens(std::move(action), tries - 1);
      return;
    }
    action(*editor);
    if (editor->isVisible()) editor->reject();
  });
}

// A record in which every field differs from its default.
TVoldViewProps Edited() {
  TVoldViewProps p;
  p.SensOutside = SensVeryHigh;
  p.StrengthOutside.SetValue(1.25);
  p.BackgroundColorOutside.SetValue(0x000080);
  p.ForegroundColorOutside.SetValue(0x008000);
  p.UsePalOutside = true;
  p.PalOutside.Insert(0.5, 0x030303);
  p.SensInside = SensLow;
  p.StrengthInside.SetValue(7);
  p.UsePalDepthInside = true;
  p.PalDepthInside = TColorPalette1DItem(0x040404, 0x050505);
  p.PalBackgroundInside = TColorPalette1DItem(0x060606, 0x070707);
  p.ColorBackgroundInside.SetValue(0x808000);
  p.UsePalForegroundInside = true;
  p.PalForegroundInside = TColorPalette1DItem(0x080808, 0x090909);
  p.ColorForegroundInside.SetValue(0x123456);
  p.CursorColor.SetValue(0x00FFFF);
  p.MaxDepthColor.SetValue(0xC0C0C0);
  return p;
}

class TDlgVoldViewPropsTest : public ::testing::Test {
 protected:
  void Open(const TVoldViewProps& settings) {
    dialog = std::make_unique<TDlgVoldViewProps>(nullptr, &defaults, settings);
    dialog->show();
  }
  template <class T = QAbstractButton>
  T* Get(const char* name) {
    return Find<T>(dialog.get(), name);
  }
  void Click(const char* button) { ClickIn(dialog.get(), button); }
  void SetText(const char* edit, const char* text) { Get<QLineEdit>(edit)->setText(text); }
  bool Checked(const char* button) { return Get(button)->isChecked(); }

  TRecordingSink sink;
  TVoldViewProps defaults;
  std::unique_ptr<TDlgVoldViewProps> dialog;
};

}  // namespace

TEST_F(TDlgVoldViewPropsTest, ShowsTheRecordAndOkHandsItBackAsEdited) {
  Open(Edited());
  EXPECT_EQ(dialog->windowTitle(), "Color Fractal");
  auto* outside = Get<TRadioGroup>("rgrSensitivityOutside");
  const char* captions[] = {"Low (Kwadratic)", "Normal (Linear)", "High (Square root)",
                            "Very High (Fourth root)"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(outside->Item(i)->text(), captions[i]);
  EXPECT_EQ(outside->ItemIndex(), 3);
  EXPECT_EQ(Get<QLineEdit>("editStrengthOutside")->text(), "1.25");
  EXPECT_EQ(Get<QLineEdit>("editStrengthInside")->maxLength(), 99);
  EXPECT_EQ(Get<TRadioGroup>("rgrSensitivityInside")->ItemIndex(), 0);
  EXPECT_TRUE(Checked("optDepthPaletteOutside") && Checked("optDepthPaletteInside") &&
              Checked("optBackgroundInside") && Checked("optForegroundPaletteInside"));
  const std::pair<const char*, const char*> boxes[] = {
      {"colbBackgroundOutside", "Maroon"}, {"colbForegroundOutside", "Green"},
      {"colbBackgroundInside", "Teal"},    {"colbForegroundInside", "#563412"},
      {"colbMaxDepth", "Silver"},          {"colbCursor", "Yellow"}};
  for (const auto& [box, name] : boxes) EXPECT_EQ(Get<TColorBox>(box)->currentText(), name);
  // Unchanged, every field comes back as it went in.
  Click("OKBtn");
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_TRUE(dialog->GetViewProps() == Edited());
  EXPECT_TRUE(defaults == TVoldViewProps());
  EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(TDlgVoldViewPropsTest, BadStrengthsGiveOneMessageAndKeepTheDialogAndDefaults) {
  Open(Edited());
  Click("chkDefault");
  SetText("editStrengthOutside", "abc");
  SetText("editStrengthInside", "-1");
  Click("OKBtn");
  EXPECT_EQ(sink.Messages(),
            (std::vector<TRecordedMessage>{{"In Strength Outside: Input has no value.",
                                            "Input Error", TMessageIcon::Information}}));
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(defaults == TVoldViewProps());

  sink.Clear();
  SetText("editStrengthOutside", "3");
  Click("OKBtn");
  EXPECT_EQ(sink.Texts(), std::vector<std::string>{
                              "In Strength Inside: Value must be positive and more than 0."});
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(defaults == TVoldViewProps());

  SetText("editStrengthInside", "2");
  Click("OKBtn");
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  TVoldViewProps expected = Edited();
  expected.StrengthOutside.SetValue(3);
  expected.StrengthInside.SetValue(2);
  EXPECT_TRUE(dialog->GetViewProps() == expected);
  EXPECT_TRUE(defaults == expected);

  // After a refused OK, Cancel still closes.
  Open(TVoldViewProps());
  SetText("editStrengthInside", "0");
  Click("OKBtn");
  Click("CancelBtn");
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

TEST_F(TDlgVoldViewPropsTest, PaletteEditorOkSelectsThePaletteAndCancelLeavesEverything) {
  Open(TVoldViewProps());
  WhenPaletteEditorOpens([](TDlgColorPalette1D& editor) {
    EXPECT_TRUE(editor.GetPalette() == TVoldViewProps().PalDepthInside);
    ClickIn(&editor, "btnPalItemAdd");
    ClickIn(&editor, "OKBtn");
  });
  Click("btnDepthPaletteInside");
  EXPECT_TRUE(Checked("optDepthPaletteInside"));

  // Cancel in the editor, even after loading a file, changes neither choice nor palette.
  TTempDir temp;
  const std::string file = temp.File("other.cp1");
  ASSERT_TRUE(TColorPalette1DItem(0x0000FF, 0x00FF00).SaveToFile(file));
  SetFileDialogHandler([file](const TFileDialogSpec&) { return std::vector<std::string>{file}; });
  WhenPaletteEditorOpens([](TDlgColorPalette1D& editor) {
    ClickIn(&editor, "btnOpen");
    EXPECT_TRUE(editor.GetPalette() == TColorPalette1DItem(0x0000FF, 0x00FF00));
    ClickIn(&editor, "CancelBtn");
  });
  Click("btnBackgroundPaletteInside");
  SetFileDialogHandler(nullptr);
  EXPECT_TRUE(Checked("optBackgroundInside"));

  Click("OKBtn");
  ASSERT_EQ(dialog->result(), QDialog::Accepted);
  TVoldViewProps expected;
  expected.PalDepthInside.Insert(0.5, expected.PalDepthInside.ColorAt(0.5));
  expected.UsePalDepthInside = true;
  EXPECT_TRUE(dialog->GetViewProps() == expected);
  EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(TDlgVoldViewPropsTest, CancelLeavesTheCallersSettingsAndTheDefaultsUnchanged) {
  const TVoldViewProps caller = Edited();
  TDlgVoldViewProps props(nullptr, &defaults, caller);
  // Everything the dialog offers is changed, then the dialog is cancelled.
  QTimer::singleShot(0, [&props] {
    WhenPaletteEditorOpens([](TDlgColorPalette1D& editor) {
      ClickIn(&editor, "btnPalItemAdd");
      ClickIn(&editor, "OKBtn");
    });
    ClickIn(&props, "btnDepthColorPaletteOutside");
    ClickIn(&props, "optBackgroundPaletteInside");
    Find<QLineEdit>(&props, "editStrengthOutside")->setText("9");
    QTest::keyClick(Find<TColorBox>(&props, "colbCursor"), Qt::Key_Down);
    ClickIn(&props, "chkDefault");
    ClickIn(&props, "HelpBtn");
    ClickIn(&props, "CancelBtn");
  });
  EXPECT_EQ(props.exec(), QDialog::Rejected);
  EXPECT_TRUE(caller == Edited());
  EXPECT_TRUE(defaults == TVoldViewProps());
  EXPECT_EQ(LastHelpContext(), kHelpColorDialog);
}
