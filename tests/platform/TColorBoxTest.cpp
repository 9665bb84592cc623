#include "platform/TColorBox.h"

#include <optional>
#include <vector>

#include <QTest>

#include <gtest/gtest.h>

TEST(TColorBoxTest, ListsTheColoursByNameAndShowsAnUnlistedOneAsOneCustomEntry) {
  TColorBox box;
  QStringList texts;
  for (int i = 0; i < box.count(); ++i) texts << box.itemText(i);
  EXPECT_EQ(texts,
            QStringList({"Custom...", "Black", "Maroon",     "Green",  "Olive", "Navy",
                         "Purple",    "Teal",  "Gray",       "Silver", "Red",   "Lime",
                         "Yellow",    "Blue",  "Fuchsia",    "Aqua",   "White", "Money Green",
                         "Sky Blue",  "Cream", "Medium Gray"}));
  // Colours are 0x00BBGGRR: red in the low byte.
  EXPECT_EQ(TColorBox::ColorName(0x0000FF), "Red");
  EXPECT_EQ(TColorBox::ColorName(0xF0CAA6), "Sky Blue");

  std::vector<TColor> reported;
  QObject::connect(&box, &TColorBox::colorChanged,
                   [&](TColor color) { reported.push_back(color); });
  box.SetColor(0x808000);
  EXPECT_EQ(box.currentText(), "Teal");
  box.SetColor(0x123456);
  EXPECT_EQ(box.currentText(), "#563412");
  EXPECT_EQ(box.GetColor(), 0x123456u);
  box.SetColor(0x0080FF);
  EXPECT_EQ(box.currentText(), "#FF8000");
  EXPECT_EQ(box.count(), texts.size() + 1);
  EXPECT_TRUE(reported.empty());
}

TEST(TColorBoxTest, TheUserPicksFromTheListOrThroughCustom) {
  TColorBox box;
  box.SetColor(0x000080);  // Maroon
  std::vector<TColor> reported;
  QObject::connect(&box, &TColorBox::colorChanged,
                   [&](TColor color) { reported.push_back(color); });
  QTest::keyClick(&box, Qt::Key_Down);
  EXPECT_EQ(box.GetColor(), 0x008000u);

  std::vector<TColor> offered;
  std::optional<TColor> answer = 0xABCDEF;
  const TCustomColorHandler previous = SetCustomColorHandler([&](TColor current) {
    offered.push_back(current);
    return answer;
  });
  QTest::keyClick(&box, Qt::Key_Home);  // "Custom..." is the first entry
  EXPECT_EQ(box.GetColor(), 0xABCDEFu);
  EXPECT_EQ(box.currentText(), "#EFCDAB");
  // Cancelled: the box goes back to the colour it had.
  answer = std::nullopt;
  QTest::keyClick(&box, Qt::Key_Home);
  EXPECT_EQ(box.currentText(), "#EFCDAB");
  // A listed colour chosen in the dialog shows under its name.
  answer = 0x00FFFF;
  QTest::keyClick(&box, Qt::Key_Home);
  EXPECT_EQ(box.currentText(), "Yellow");
  SetCustomColorHandler(previous);

  EXPECT_EQ(offered, (std::vector<TColor>{0x008000, 0xABCDEF, 0xABCDEF}));
  EXPECT_EQ(reported, (std::vector<TColor>{0x008000, 0xABCDEF, 0x00FFFF}));
}
