#include "app/dialogs/TDlgRegisterWave.h"

#include <memory>
#include <string>
#include <vector>

#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include "core/report/ErrorReporter.h"
#include "platform/Help.h"
#include "tests/support/RecordingSink.h"

namespace {

const TRecordedMessage kBadName{
    "A window name cannot contain \"<\", \">\" or line breaks, nor begin or end with blanks.",
    "Input Error", TMessageIcon::Information};

// A dialog opened on a name, with the other windows' names taken as the main window does.
class TDlgRegisterWaveTest : public ::testing::Test {
 protected:
  void Open(const std::string& name) {
    dialog = std::make_unique<TDlgRegisterWave>(nullptr, name, [this](const std::string& text) {
      asked.push_back(text);
      for (const std::string& other : otherNames) {
        if (!text.empty() && text == other) {
          ErrorReporter.WindowNameExists(text);
          return false;
        }
      }
      return true;
    });
    dialog->show();
  }

  QLineEdit* Edit() { return dialog->findChild<QLineEdit*>("EditName"); }
  QPushButton* Button(const char* name) { return dialog->findChild<QPushButton*>(name); }
  void Ok(const QString& text) {
    Edit()->setText(text);
    QTest::mouseClick(Button("OKBtn"), Qt::LeftButton);
  }

  TRecordingSink sink;
  std::vector<std::string> otherNames = {"Fern", "NONAME2"};
  std::vector<std::string> asked;
  std::unique_ptr<TDlgRegisterWave> dialog;
};

}  // namespace

TEST(TDlgRegisterWaveNameTest, NamesThatAProjectCanKeep) {
  EXPECT_TRUE(IsValidWindowName(""));
  EXPECT_TRUE(IsValidWindowName("NONAME1"));
  EXPECT_TRUE(IsValidWindowName("Julia of -0.75 + 0.1i"));
  EXPECT_TRUE(IsValidWindowName("a&b \"q\" 'x'"));
  EXPECT_TRUE(IsValidWindowName("x"));
  for (const char* bad : {"<b>", "a<b", "a>b", "line\nbreak", "line\rbreak", "end\n", " lead",
                          "trail ", "\ttab", "tab\t", " ", "  "}) {
    EXPECT_FALSE(IsValidWindowName(bad)) << '"' << bad << '"';
  }
}

TEST_F(TDlgRegisterWaveTest, OkWithANewNameClosesWithIt) {
  Open("NONAME1");
  EXPECT_EQ(Edit()->text(), "NONAME1");
  Ok("Seahorse valley");
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(dialog->GetName(), "Seahorse valley");
  EXPECT_EQ(asked, std::vector<std::string>{"Seahorse valley"});
  EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(TDlgRegisterWaveTest, RefusedNameKeepsTheDialogOpenUntilCancel) {
  Open("NONAME1");
  Ok("Fern");
  EXPECT_TRUE(dialog->isVisible());
  ASSERT_EQ(sink.Messages().size(), 1u);
  EXPECT_EQ(sink.Messages()[0], (TRecordedMessage{"A window with name \"Fern\" already exists.",
                                                  "Error", TMessageIcon::Information}));
  // A second try with a free name goes through.
  Ok("Fern 2");
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->GetName(), "Fern 2");

  Open("NONAME1");
  Ok("NONAME2");
  EXPECT_TRUE(dialog->isVisible());
  // The refusal holds for that OK only: Cancel closes at once.
  QTest::mouseClick(Button("CancelBtn"), Qt::LeftButton);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

TEST_F(TDlgRegisterWaveTest, BadCharactersAreRefusedBeforeTheUniquenessCheck) {
  Open("NONAME1");
  for (const QString& bad : {QString("<Fern>"), QString("two\nlines"), QString(" Fern")}) {
    Ok(bad);
    EXPECT_TRUE(dialog->isVisible()) << bad.toStdString();
  }
  EXPECT_EQ(sink.Messages(), (std::vector<TRecordedMessage>{kBadName, kBadName, kBadName}));
  EXPECT_TRUE(asked.empty());
  // Escape after a refusal closes the dialog too.
  QTest::keyClick(Edit(), Qt::Key_Escape);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

TEST_F(TDlgRegisterWaveTest, EmptyNameIsAccepted) {
  Open("Fern");
  Edit()->clear();
  QTest::keyClick(Edit(), Qt::Key_Return);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(dialog->GetName(), "");
  EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(TDlgRegisterWaveTest, HelpButtonAndF1OpenTheNamingPage) {
  Open("NONAME1");
  ShowHelp(nullptr, kHelpContents);
  QTest::mouseClick(Button("HelpBtn"), Qt::LeftButton);
  EXPECT_EQ(LastHelpContext(), kHelpRegister);
  ShowHelp(nullptr, kHelpContents);
  dialog->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  QTest::keyClick(Edit(), Qt::Key_F1);
  EXPECT_EQ(LastHelpContext(), kHelpRegister);
  EXPECT_TRUE(dialog->isVisible());
}
