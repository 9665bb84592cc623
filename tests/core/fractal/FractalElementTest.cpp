#include "core/fractal/FractalElement.h"

#include <gtest/gtest.h>

#include "core/fractal/TFractProps.h"
#include "core/xml/TDTDItem.h"
#include "core/xml/TXMLItem.h"
#include "core/xml/XMLWriter.h"

namespace {

// Writes the element as the body of a file and reads it back through its grammar.
bool RoundTrip(const TFractProps& in, TFractProps& out, std::string& message) {
  TXMLComplexElement document("Doc");
  document.Add(WriteFractalXML(in));
  const std::string bytes = XMLDocumentText(document);
  const auto grammar = dtd::Compound("Doc", FractalDTD());
  std::unique_ptr<TXMLComplexElement> root;
  if (ReadXMLBytes(bytes, *grammar, nullptr, root, message) != TXMLReadStatus::Ok) return false;
  int32_t line = 0, column = 0;
  return ReadFractalXML(root->GetFirst()->GetFirst(), out, message, line, column);
}

std::vector<std::string> ChildNames(const TXMLItem& element) {
  std::vector<std::string> names;
  for (const TXMLItem* c = element.GetFirst(); c != nullptr; c = c->Next()) names.push_back(c->GetElement());
  return names;
}

}  // namespace

TEST(FractalElementTest, ChildrenInFileOrder) {
  const auto element = WriteFractalXML(TFractProps());
  EXPECT_EQ(ChildNames(*element),
            (std::vector<std::string>{"XResolution", "YResolution", "Left", "Right", "Top", "Bottom",
                                      "MaxDepth", "OuterCircle", "InnerDist", "MaxCycle", "Formula",
                                      "MapZ", "ZR", "ZI", "CR", "CI", "DR", "DI", "N", "M"}));
  const TXMLItem* formula = element->GetFirst();
  while (formula->GetElement() != "Formula") formula = formula->Next();
  EXPECT_EQ(formula->GetText(), "z^2+c");
}

TEST(FractalElementTest, RecordsRoundTripAndKeepTheirContinuity) {
  TFractProps in;
  in.Map = MapD;
  in.Formula = 8;
  in.CR.SetValue(0.25);
  in.CI.SetValue(-0.125);
  in.DR.SetValue(1.75);
  in.DI.SetValue(-2.5);
  in.ZR.SetValue(0.5);
  in.Left.SetValue(-0.744862000001);
  in.XResolution.SetValue(640);
  in.N.SetValue(7);
  TFractProps out;
  out.Cont = 1;
  out.ContValue.SetValue(4.5);
  std::string message;
  ASSERT_TRUE(RoundTrip(in, out, message)) << message;
  EXPECT_EQ(out.Cont, 1);
  EXPECT_EQ(out.ContValue.GetValue(), 4.5);
  out.Cont = in.Cont;
  out.ContValue = in.ContValue;
  EXPECT_EQ(out, in);

  TFractProps defaults;
  ASSERT_TRUE(RoundTrip(TFractProps(), defaults, message)) << message;
  EXPECT_EQ(defaults, TFractProps());
}

TEST(FractalElementTest, UnknownFormulaStopsBeforeTheFormula) {
  TXMLComplexElement element("Fractal");
  TFractProps source;
  source.XResolution.SetValue(300);
  const auto written = WriteFractalXML(source);
  for (const TXMLItem* c = written->GetFirst(); c != nullptr; c = c->Next()) {
    if (c->GetElement() == "Formula") {
      auto formula = std::make_unique<TXMLStringElement>("Formula", "z^2 + c");
      formula->Line = 17;
      formula->Column = 13;
      element.Add(std::move(formula));
    } else if (dynamic_cast<const TXMLComplexElement*>(c) != nullptr) {
      element.Add(std::make_unique<TXMLComplexElement>("MapC"));
    } else {
      element.Add(std::make_unique<TXMLStringElement>(c->GetElement(), c->GetText()));
    }
  }
  TFractProps props;
  props.Formula = 3;
  std::string message;
  int32_t line = 0, column = 0;
  EXPECT_FALSE(ReadFractalXML(&element, props, message, line, column));
  EXPECT_EQ(message, "Unknown Formula: 'z^2 + c'");
  EXPECT_EQ(line, 17);
  EXPECT_EQ(column, 13);
  EXPECT_EQ(props.XResolution.GetValue(), 300);  // read before the formula
  EXPECT_EQ(props.Formula, 3);
  EXPECT_EQ(props.Map, MapZ);
}
