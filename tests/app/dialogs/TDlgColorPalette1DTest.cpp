#include "app/dialogs/TDlgColorPalette1D.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include "app/ShippedFiles.h"
#include "core/colour/PaletteFormats.h"
#include "platform/Help.h"
#include "platform/TColorBox.h"
#include "render/QImageCanvas.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/TempDir.h"

namespace {

struct TStop {
  double position;
  TColor colorBefore;
  std::optional<TColor> colorAfter = std::nullopt;
};

// A palette from its begin and end colours and its inner stops in ascending order.
TColorPalette1DItem MakePalette(TColor begin, TColor end, const std::vector<TStop>& stops = {}) {
  TColorPalette1DItem palette(begin, end);
  for (const TStop& stop : stops) {
    TColorPalette1DItem* item = palette.Insert(stop.position, stop.colorBefore);
    item->SetUseColorAfter(stop.colorAfter.has_value());
    if (stop.colorAfter) item->SetColorAfter(*stop.colorAfter);
  }
  return palette;
}

std::vector<double> Positions(const TColorPalette1DItem& palette) {
  std::vector<double> positions;
  for (const TColorPalette1DItem* item = &palette; item != nullptr; item = item->GetNext())
    positions.push_back(item->GetDPosition());
  return positions;
}

const TColorPalette1DItem* StopAt(const TColorPalette1DItem& palette, double position) {
  const TColorPalette1DItem* item = &palette;
  while (item != nullptr && item->GetDPosition() != position) item = item->GetNext();
  return item;
}

class TDlgColorPalette1DTest : public ::testing::Test {
 protected:
  void TearDown() override { SetFileDialogHandler(nullptr); }
  void Open(const TColorPalette1DItem& palette) {
    dialog = std::make_unique<TDlgColorPalette1D>(nullptr, palette);
    dialog->show();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  }
  template <class T = QAbstractButton>
  T* Get(const char* name) {
    T* control = dialog->findChild<T*>(name);
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  void Click(const char* button) { QTest::mouseClick(Get(button), Qt::LeftButton); }
  QLineEdit* Position() { return Get<QLineEdit>("editPosition"); }
  void Type(const char* text) {
    Position()->setFocus();
    Position()->selectAll();
    QTest::keyClicks(Position(), text);
  }
  TColor ColorIn(const char* box) { return Get<TColorBox>(box)->GetColor(); }
  // The file dialogs answer with path and keep what they were asked.
  void AnswerFileDialogs(const std::string& path) {
    SetFileDialogHandler([this, path](const TFileDialogSpec& request) {
      specs.push_back(request);
      return std::vector<std::string>{path};
    });
  }
  std::vector<std::string> EnabledStopControls() {
    std::vector<std::string> enabled;
    for (const char* name : {"btnPalItemFirst", "btnPalItemPrevious", "btnColorPrevious",
                             "btnPalItemNext", "btnPalItemLast", "btnColorNext", "btnPalItemAdd",
                             "btnPalItemDelete", "editPosition", "chkColorAfter", "cboColorAfter"})
      if (Get<QWidget>(name)->isEnabled()) enabled.push_back(name);
    return enabled;
  }
  const TColorPalette1DItem& Palette() const { return dialog->GetPalette(); }

  TRecordingSink sink;
  TTempDir temp;
  std::vector<TFileDialogSpec> specs;
  std::unique_ptr<TDlgColorPalette1D> dialog;
};

}  // namespace

TEST_F(TDlgColorPalette1DTest, ControlsFollowTheStopAndAddGoesHalfwayInTheStripsColour) {
  const TColorPalette1DItem twoStops = MakePalette(0x000000, 0xFFFFFF);
  Open(twoStops);
  EXPECT_EQ(dialog->windowTitle(), "Color Palette");
  EXPECT_EQ(EnabledStopControls(), (std::vector<std::string>{"btnPalItemNext", "btnPalItemLast",
                                                             "btnColorNext", "btnPalItemAdd"}));
  EXPECT_EQ(Position()->text(), "0");
  Click("btnPalItemLast");
  EXPECT_EQ(EnabledStopControls(),
            (std::vector<std::string>{"btnPalItemFirst", "btnPalItemPrevious", "btnColorPrevious",
                                      "btnPalItemAdd"}));
  EXPECT_EQ(ColorIn("cboColorBefore"), 0xFFFFFFu);

  Click("btnPalItemFirst");
  Click("btnPalItemAdd");
  EXPECT_EQ(Positions(Palette()), (std::vector<double>{0, 0.5, 1}));
  EXPECT_EQ(StopAt(Palette(), 0.5)->GetColorBefore(), twoStops.ColorAt(0.5));
  EXPECT_EQ(Position()->text(), "0.5");          // the new stop is current
  EXPECT_EQ(EnabledStopControls().size(), 10u);  // all but cboColorAfter

  // From the end stop a new one goes halfway back to the stop before.
  const TColorPalette1DItem threeStops = Palette();
  Click("btnPalItemLast");
  Click("btnPalItemAdd");
  EXPECT_EQ(Positions(Palette()), (std::vector<double>{0, 0.5, 0.75, 1}));
  EXPECT_EQ(StopAt(Palette(), 0.75)->GetColorBefore(), threeStops.ColorAt(0.75));
  Click("btnPalItemDelete");
  EXPECT_EQ(Palette(), threeStops);
  EXPECT_EQ(Position()->text(), "0.5");
  EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(TDlgColorPalette1DTest, PositionEditMovesTheStopOrRestoresTheOldPosition) {
  Open(MakePalette(0x000000, 0xFFFFFF, {{0.25, 0x0000FF}, {0.5, 0x00FF00}}));
  Click("btnPalItemNext");
  Type("0.5");
  QTest::keyClick(Position(), Qt::Key_Tab);
  EXPECT_EQ(sink.Messages(),
            (std::vector<TRecordedMessage>{{"This Position already exists in the pallette.",
                                            "Input Error", TMessageIcon::Information}}));
  EXPECT_EQ(Position()->text(), "0.25");
  EXPECT_TRUE(Position()->hasFocus());
  EXPECT_EQ(Positions(Palette()), (std::vector<double>{0, 0.25, 0.5, 1}));

  // The click that took the focus from a refused position does not act.
  sink.Clear();
  Type("0");
  Click("btnPalItemDelete");
  EXPECT_EQ(sink.Texts(),
            std::vector<std::string>{"In Position: Value must be positive and more than 0."});
  EXPECT_EQ(Positions(Palette()), (std::vector<double>{0, 0.25, 0.5, 1}));
  QApplication::processEvents();

  // An accepted position moves the stop to its place in the chain; it stays current.
  sink.Clear();
  Type("0,75");
  QTest::keyClick(Position(), Qt::Key_Tab);
  EXPECT_EQ(Positions(Palette()), (std::vector<double>{0, 0.5, 0.75, 1}));
  EXPECT_EQ(StopAt(Palette(), 0.75)->GetColorBefore(), 0x0000FFu);
  EXPECT_EQ(Position()->text(), "0.75");

  // OK by the Enter key takes a position still being typed.
  Type("0.4");
  QTest::keyClick(Position(), Qt::Key_Return);
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(Positions(Palette()), (std::vector<double>{0, 0.4, 0.5, 1}));
  EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(TDlgColorPalette1DTest, ColourControlsChangeTheCurrentStop) {
  Open(MakePalette(0x111111, 0x555555, {{0.25, 0x222222, 0x333333}, {0.5, 0x444444}}));
  Click("btnPalItemNext");
  const TColorPalette1DItem* first = StopAt(Palette(), 0.25);
  // Unticking keeps the stored ColorAfter, but the strip no longer uses it.
  Click("chkColorAfter");
  EXPECT_FALSE(first->GetUseColorAfter());
  EXPECT_EQ(first->GetStoredColorAfter(), 0x333333u);
  EXPECT_FALSE(Get<TColorBox>("cboColorAfter")->isEnabled());
  EXPECT_EQ(ColorIn("cboColorAfter"), 0x222222u);
  EXPECT_EQ(Palette().ColorAt(0.25 + 1e-9), 0x222222u);
  Click("chkColorAfter");
  EXPECT_EQ(ColorIn("cboColorAfter"), 0x333333u);
  // "< Next" with Color After ticked sets the colour after.
  Click("btnColorNext");
  EXPECT_EQ(first->GetStoredColorAfter(), 0x444444u);
  EXPECT_EQ(first->GetColorBefore(), 0x222222u);

  // "< Previous" runs on from the previous stop's colour after; "< Next" without Color After
  // sets ColorBefore, and both boxes show it.
  Click("btnPalItemNext");
  const TColorPalette1DItem* second = StopAt(Palette(), 0.5);
  Click("btnColorPrevious");
  EXPECT_EQ(second->GetColorBefore(), 0x444444u);
  Click("btnColorNext");
  EXPECT_EQ(second->GetColorBefore(), 0x555555u);
  EXPECT_EQ(ColorIn("cboColorBefore"), 0x555555u);
  EXPECT_EQ(ColorIn("cboColorAfter"), 0x555555u);

  // A colour picked in the box goes to the stop.
  const TCustomColorHandler previous =
      SetCustomColorHandler([](TColor) { return std::optional<TColor>(0xABCDEF); });
  QTest::keyClick(Get<TColorBox>("cboColorBefore"), Qt::Key_Home);
  SetCustomColorHandler(previous);
  EXPECT_EQ(second->GetColorBefore(), 0xABCDEFu);
  EXPECT_EQ(ColorIn("cboColorAfter"), 0xABCDEFu);
  EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(TDlgColorPalette1DTest, StripIsFramedInTheColourAtZeroWithOneLinePerColumn) {
  Open(MakePalette(0x0000FF, 0xFFFFFF, {{0.3, 0x00FF00, 0xFF0000}, {0.7, 0x000000}}));
  dialog->resize(420, 260);
  QApplication::processEvents();
  auto* strip = Get<QWidget>("pboColor");
  const QImage image = strip->grab().toImage();
  const int w = image.width();
  const int h = image.height();
  ASSERT_GT(w, 100);
  ASSERT_GT(h, 10);
  const QRgb frame = ToQRgb(Palette().ColorAt(0));
  int wrong = 0;
  for (int x = 0; x < w; ++x)
    wrong += (image.pixel(x, 0) != frame) + (image.pixel(x, h - 1) != frame);
  for (int y = 0; y < h; ++y)
    wrong += (image.pixel(0, y) != frame) + (image.pixel(w - 1, y) != frame);
  EXPECT_EQ(wrong, 0) << "frame";
  for (int i = 1; i < w - 1; ++i) {
    const QRgb expected = ToQRgb(Palette().ColorAt(static_cast<double>(i - 1) / (w - 2)));
    for (int y = 1; y < h - 1; ++y) wrong += image.pixel(i, y) != expected;
  }
  EXPECT_EQ(wrong, 0) << "columns";
}

TEST_F(TDlgColorPalette1DTest, SaveAndOpenGoThroughThePaletteFileDialogs) {
  const std::string file = temp.File("saved.cp1");
  const TColorPalette1DItem edited = MakePalette(0x102030, 0x405060, {{0.25, 0x0000FF, 0x00FF00}});
  Open(edited);
  AnswerFileDialogs(file);
  Click("btnSave");
  dialog = nullptr;
  Open(MakePalette(0x000000, 0xFFFFFF, {{0.5, 0x00FF00}}));
  Click("btnPalItemNext");
  Click("btnOpen");
  EXPECT_EQ(Palette(), edited);
  EXPECT_EQ(Position()->text(), "0");  // the begin stop of the new palette is current

  ASSERT_EQ(specs.size(), 2u);
  for (const TFileDialogSpec& request : specs) {
    EXPECT_EQ(request.defaultExtension, "cp1");
    EXPECT_EQ(request.overwritePrompt, request.save);
  }
  EXPECT_EQ(specs[0].filter,
            "Color Palette 1D (*.cp1)|*.cp1|GIMP Palette (*.gpl)|*.gpl|Fractint Map (*.map)|*.map|"
            "XML Files (*.xml)|*.xml|All files (*.*)|*.*");
  EXPECT_EQ(specs[1].filter,
            "Color Palette 1D (*.cp1)|*.cp1|GIMP Palette (*.gpl)|*.gpl|GIMP Gradient (*.ggr)|*.ggr|"
            "Fractint Map (*.map)|*.map|XML Files (*.xml)|*.xml|All files (*.*)|*.*");
  EXPECT_EQ(specs[0].title, "Save Color Palette 1D");
  EXPECT_TRUE(specs[0].save);
  EXPECT_EQ(specs[1].title, "Open Color Palette 1D");
  EXPECT_FALSE(specs[1].save || specs[1].multiple);
  EXPECT_TRUE(sink.Messages().empty());
}

TEST_F(TDlgColorPalette1DTest, AFailedOpenKeepsThePreviousPaletteAndSaysWhy) {
  // The second stop's position is refused after the first stop was read.
  std::string text = ReadFileBytes(VELMORA_TEST_DATA "/palette.cp1");
  const std::string::size_type at = text.find("<Position>0.5<");
  ASSERT_NE(at, std::string::npos);
  text.replace(at, 14, "<Position>2<");
  const std::string bad = temp.File("bad.cp1");
  WriteFileBytes(bad, text);
  const TColorPalette1DItem previous = MakePalette(0x0000FF, 0xFF0000, {{0.5, 0x00FF00}});
  Open(previous);
  Click("btnPalItemNext");
  AnswerFileDialogs(bad);
  Click("btnOpen");
  EXPECT_EQ(sink.Messages(),
            (std::vector<TRecordedMessage>{
                {"Cannot read the file: \"" + bad +
                     "\", In Position: Value must be less than 1. At line 14, column 17.",
                 "File Error", TMessageIcon::Error}}));
  EXPECT_EQ(Palette(), previous);
  EXPECT_EQ(Position()->text(), "0.5");
  Get<QWidget>("pboColor")->grab();  // a whole palette paints without complaint
  EXPECT_EQ(sink.Messages().size(), 1u);

  Click("HelpBtn");
  EXPECT_EQ(LastHelpContext(), kHelpPaletteEditor);
}

TEST_F(TDlgColorPalette1DTest, PalettesOfOtherProgramsOpenAndSaveByTheirExtension) {
  const std::string gpl = temp.File("three.gpl");
  WriteFileBytes(gpl, "GIMP Palette\nName: Three\n#\n255 0 0 red\n0 255 0\n0 0 255 blue\n");
  Open(MakePalette(0x000000, 0xFFFFFF));
  AnswerFileDialogs(gpl);
  Click("btnOpen");
  EXPECT_EQ(Palette(),
            MakePalette(MakeColor(255, 0, 0), MakeColor(0, 0, 255), {{0.5, MakeColor(0, 255, 0)}}));
  // The next Open shows GIMP palettes again; Save has no filter of gradients to show.
  Click("btnOpen");
  EXPECT_EQ(specs.back().shownFilter, "GIMP Palette (*.gpl)");
  const std::string ggr = temp.File("flat.GGR");
  WriteFileBytes(ggr, "GIMP Gradient\n1\n0 0.5 1 0 0 0 1 1 1 1 1 0 0\n");
  AnswerFileDialogs(ggr);
  Click("btnOpen");
  EXPECT_EQ(Palette(), MakePalette(0x000000, 0xFFFFFF));
  AnswerFileDialogs(gpl);
  Click("btnSave");
  EXPECT_EQ(specs.back().shownFilter, "");
  Click("btnOpen");  // what was saved over the GIMP palette
  EXPECT_EQ(Palette(), MakePalette(0x000000, 0xFFFFFF));
  EXPECT_EQ(specs.back().shownFilter, "GIMP Palette (*.gpl)");

  // A map refused on its third colour says so and leaves the palette as it was.
  const std::string map = temp.File("bad.map");
  WriteFileBytes(map, "0 0 0\r\n10 20 30 a comment\r\n1 2 300\r\n");
  const TColorPalette1DItem previous = Palette();
  AnswerFileDialogs(map);
  Click("btnOpen");
  ASSERT_EQ(sink.Messages().size(), 1u);
  EXPECT_NE(sink.Messages()[0].text.find("line 3"), std::string::npos) << sink.Messages()[0].text;
  EXPECT_EQ(Palette(), previous);

  // Saved as a map and as a GIMP palette; each reads back with the palette's colours where
  // it holds them: the map at its 256 samples, the GIMP palette at the stops.
  const std::vector<std::pair<std::string, std::vector<double>>> saved = {
      {"out.map", {0.0, 85 / 255.0, 128 / 255.0, 1.0}}, {"out.gpl", {0.0, 0.5, 1.0}}};
  for (const auto& [name, positions] : saved) {
    const std::string file = temp.File(name);
    AnswerFileDialogs(file);
    Click("btnSave");
    TColorPalette1DItem back(0x000000, 0x000000);
    std::string message;
    ASSERT_EQ(LoadPaletteFile(file, back, message), TXMLReadStatus::Ok) << name << message;
    for (double at : positions) EXPECT_EQ(back.ColorAt(at), Palette().ColorAt(at)) << name << at;
  }
  EXPECT_EQ(sink.Messages().size(), 1u);
}

TEST_F(TDlgColorPalette1DTest, TheFileDialogsStartWithTheShippedPalettesUntilAFileIsChosen) {
  RememberPaletteFolder("");
  const std::string shipped = PaletteDialogFolder();
  EXPECT_EQ(shipped, ShippedFolder("palettes"));
  EXPECT_EQ(PaletteSaveFolder(), "");  // saving starts where the dialog likes
  ASSERT_FALSE(shipped.empty());
  EXPECT_TRUE(std::filesystem::is_directory(shipped));
  const std::string chosen = temp.File("chosen.cp1");
  Open(MakePalette(0x000000, 0xFFFFFF));
  AnswerFileDialogs(chosen);
  Click("btnSave");
  EXPECT_EQ(PaletteDialogFolder(), std::filesystem::path(chosen).parent_path().string());
  EXPECT_EQ(PaletteSaveFolder(), PaletteDialogFolder());
  SetFileDialogHandler([](const TFileDialogSpec&) { return std::vector<std::string>{}; });
  Click("btnOpen");  // cancelled: the folder stays the last one chosen
  EXPECT_EQ(PaletteDialogFolder(), std::filesystem::path(chosen).parent_path().string());
  RememberPaletteFolder("");
}
