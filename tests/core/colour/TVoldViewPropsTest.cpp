#include "core/colour/TVoldViewProps.h"

#include <string>

#include <gtest/gtest.h>

#include "core/xml/TDTDItem.h"
#include "core/xml/TXMLItem.h"
#include "core/xml/XMLWriter.h"
#include "tests/core/xml/XMLTestHelpers.h"

namespace {

// The record as a file of its own, with FractalView as the root.
std::string FileOf(const TVoldViewProps& props) { return XMLDocumentText(*props.WriteXML()); }

// Reads bytes through the FractalView grammar into props.
bool ReadInto(TVoldViewProps& props, const std::string& bytes, std::string& message, int32_t& line,
              int32_t& column) {
  const std::unique_ptr<TDTDItem> grammar = TVoldViewProps::GetDTD();
  std::unique_ptr<TXMLComplexElement> root;
  EXPECT_EQ(ReadXMLBytes(bytes, *grammar, nullptr, root, message), TXMLReadStatus::Ok) << message;
  if (!root) return false;
  return props.ReadXML(*root->GetFirst(), message, line, column);
}

TVoldViewProps RoundTrip(const TVoldViewProps& props) {
  TVoldViewProps read;
  read.PalOutside.Insert(0.5, 0x123456);  // must go again
  std::string message;
  int32_t line = 0, column = 0;
  EXPECT_TRUE(ReadInto(read, FileOf(props), message, line, column)) << message;
  return read;
}

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

}  // namespace

TEST(TVoldViewPropsTest, DefaultRecordIsWrittenInFileOrderAndReadBack) {
  const TVoldViewProps props;
  EXPECT_EQ(Dump(*props.WriteXML()),
            "FractalView(Outside(SensHigh() Strength=2.5 ColorPalette1D(BeginColor=000000 "
            "EndColor=FF8000) BackgroundColor=000000 ForegroundColor=FF8000) Inside(SensNormal() "
            "Strength=3.5 Depth(ColorPalette1D(BeginColor=000000 EndColor=0080FF) "
            "Background(ColorPalette1D(BeginColor=000000 EndColor=808080) Color=000000) "
            "Foreground(ColorPalette1D(BeginColor=0080FF EndColor=00FF80) Color=0080FF))) "
            "MaxDepthColor=000000 CursorColor=FF00FF)");
  EXPECT_EQ(RoundTrip(props), props);
}

TEST(TVoldViewPropsTest, EachFlagAddsOneElementFirstInItsGroup) {
  TVoldViewProps props;
  props.UsePalBackgroundInside = true;
  const std::unique_ptr<TXMLComplexElement> xml = props.WriteXML();
  const std::string dump = Dump(*xml);
  EXPECT_EQ(Count(dump, "UseColorPalette1D"), 1u);
  EXPECT_NE(dump.find("Background(UseColorPalette1D() ColorPalette1D("), std::string::npos);
  EXPECT_EQ(RoundTrip(props), props);

  props.UsePalOutside = props.UsePalDepthInside = props.UsePalForegroundInside = true;
  props.SensOutside = SensLow;
  props.SensInside = SensVeryHigh;
  props.StrengthInside.SetValue(0.25);
  props.PalForegroundInside.Insert(0.5, 0xABCDEF)->SetUseColorAfter(true);
  EXPECT_EQ(Count(Dump(*props.WriteXML()), "UseColorPalette1D"), 4u);
  EXPECT_EQ(RoundTrip(props), props);
}

TEST(TVoldViewPropsTest, RefusedOutsideStrengthKeepsOnlyWhatWasReadBefore) {
  TVoldViewProps inFile;
  inFile.SensOutside = SensVeryHigh;
  inFile.MaxDepthColor.SetValue(0x111111);
  inFile.CursorColor.SetValue(0x222222);
  inFile.UsePalOutside = true;
  inFile.BackgroundColorOutside.SetValue(0x333333);
  inFile.StrengthInside.SetValue(9);
  inFile.PalDepthInside.Insert(0.5, 0x444444);
  std::string bytes = FileOf(inFile);
  bytes.replace(bytes.find("<Strength>2.5<"), 14, "<Strength>-2.5<");

  TVoldViewProps props;
  std::string message;
  int32_t line = 0, column = 0;
  EXPECT_FALSE(ReadInto(props, bytes, message, line, column));
  EXPECT_EQ(message, "In Strength: Value must be positive and more than 0.");
  EXPECT_EQ(line, 7);
  EXPECT_EQ(column, 14);
  TVoldViewProps expected;
  expected.SensOutside = SensVeryHigh;
  expected.MaxDepthColor.SetValue(0x111111);
  expected.CursorColor.SetValue(0x222222);
  EXPECT_EQ(props, expected);
}

TEST(TVoldViewPropsTest, RefusedPaletteValueIsReportedWithItsPosition) {
  TVoldViewProps inFile;
  inFile.PalBackgroundInside.Insert(0.5, 0x444444);
  std::string bytes = FileOf(inFile);
  bytes.replace(bytes.find("<Position>0.5<"), 14, "<Position>0<");
  TVoldViewProps props;
  std::string message;
  int32_t line = 0, column = 0;
  EXPECT_FALSE(ReadInto(props, bytes, message, line, column));
  EXPECT_EQ(message, "In Position: Value must be positive and more than 0.");
  EXPECT_EQ(line, 27);
  EXPECT_EQ(column, 22);
}

TEST(TVoldViewPropsTest, CopiesAreDeep) {
  TVoldViewProps source;
  source.PalOutside.Insert(0.5, 0x0000FF);
  TVoldViewProps copy(source);
  TVoldViewProps assigned;
  assigned = source;
  copy.PalOutside.GetNext()->SetColorBefore(0x00FF00);
  assigned.PalOutside.GetNext()->SetColorBefore(0x00FF00);
  EXPECT_EQ(source.PalOutside.GetNext()->GetColorBefore(), 0x0000FFu);
  EXPECT_NE(copy, source);
  EXPECT_EQ(copy, assigned);
}

TEST(TVoldViewPropsDeathTest, ImpossibleStructureStopsTheProgram) {
  TVoldViewProps props;
  props.SensInside = static_cast<TSensitivity>(4);
  EXPECT_DEATH(props.WriteXML(), "xmlSensInsideKind != NULL");
  TXMLComplexElement xml("View");
  std::string message;
  int32_t line = 0, column = 0;
  EXPECT_DEATH(props.ReadXML(xml, message, line, column),
               "xmlFractalView->GetElement\\(\\) == \"FractalView\"");
}
