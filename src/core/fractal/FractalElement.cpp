#include "core/fractal/FractalElement.h"

#include "core/fractal/TFractProps.h"
#include "core/report/Assert.h"
#include "core/values/ValueUnits.h"
#include "core/xml/TDTDItem.h"
#include "core/xml/TXMLItem.h"

namespace {

const char* const kMapNames[kMapCount] = {"MapZ", "MapC", "MapD"};

// Checks that the walk stands on the element it expects; the grammar guarantees it.
#define VELMORA_EXPECT_ELEMENT(var, name)                                  \
  VELMORA_ASSERT(var != nullptr, #var " != NULL");                         \
  VELMORA_ASSERT(var->GetElement() == name, #var "->GetElement() == \"" name "\"")

}  // namespace

std::unique_ptr<TXMLComplexElement> WriteFractalXML(const TFractProps& props) {
  auto xmlFractal = std::make_unique<TXMLComplexElement>("Fractal");
  props.XResolution.WriteXML("XResolution", *xmlFractal);
  props.YResolution.WriteXML("YResolution", *xmlFractal);
  props.Left.WriteXML("Left", *xmlFractal);
  props.Right.WriteXML("Right", *xmlFractal);
  props.Top.WriteXML("Top", *xmlFractal);
  props.Bottom.WriteXML("Bottom", *xmlFractal);
  props.MaxDepth.WriteXML("MaxDepth", *xmlFractal);
  props.OuterCircle.WriteXML("OuterCircle", *xmlFractal);
  props.InnerDist.WriteXML("InnerDist", *xmlFractal);
  props.MaxCycle.WriteXML("MaxCycle", *xmlFractal);
  xmlFractal->Add(std::make_unique<TXMLStringElement>("Formula", props.FormulaKey(props.Formula)));
  const char* xmlMapVar = props.Map < kMapCount ? kMapNames[props.Map] : nullptr;
  VELMORA_ASSERT(xmlMapVar != nullptr, "xmlMapVar != NULL");
  xmlFractal->Add(std::make_unique<TXMLComplexElement>(xmlMapVar));
  // The file keeps z, then c, then d.
  props.ZR.WriteXML("ZR", *xmlFractal);
  props.ZI.WriteXML("ZI", *xmlFractal);
  props.CR.WriteXML("CR", *xmlFractal);
  props.CI.WriteXML("CI", *xmlFractal);
  props.DR.WriteXML("DR", *xmlFractal);
  props.DI.WriteXML("DI", *xmlFractal);
  props.N.WriteXML("N", *xmlFractal);
  props.M.WriteXML("M", *xmlFractal);
  return xmlFractal;
}

bool ReadFractalXML(const TXMLItem* xmlFractal, TFractProps& props, std::string& message,
                    int32_t& line, int32_t& column) {
  VELMORA_EXPECT_ELEMENT(xmlFractal, "Fractal");
  const TXMLItem* xml = xmlFractal->GetFirst();

  // Each text child in turn: the expected name, then its value object reads it.
#define VELMORA_READ_FIELD(field)                                           \
  {                                                                         \
    const TXMLItem* xml##field = xml;                                       \
    VELMORA_EXPECT_ELEMENT(xml##field, #field);                             \
    if (!props.field.ReadXML(*xml##field, message, line, column)) return false; \
    xml = xml##field->Next();                                               \
  }

  VELMORA_READ_FIELD(XResolution)
  VELMORA_READ_FIELD(YResolution)
  VELMORA_READ_FIELD(Left)
  VELMORA_READ_FIELD(Right)
  VELMORA_READ_FIELD(Top)
  VELMORA_READ_FIELD(Bottom)
  VELMORA_READ_FIELD(MaxDepth)
  VELMORA_READ_FIELD(OuterCircle)
  VELMORA_READ_FIELD(InnerDist)
  VELMORA_READ_FIELD(MaxCycle)

  const TXMLItem* xmlFormula = xml;
  VELMORA_EXPECT_ELEMENT(xmlFormula, "Formula");
  const std::string key = xmlFormula->GetText();
  int formula = -1;
  for (int i = 0; i < kFormulaCount && formula < 0; ++i) {
    if (props.FormulaKey(i) == key) formula = i;
  }
  if (formula < 0) {
    message = "Unknown Formula: '" + key + "'";
    line = xmlFormula->Line;
    column = xmlFormula->Column;
    return false;
  }
  props.Formula = static_cast<uint8_t>(formula);

  const TXMLItem* xmlMap = xmlFormula->Next();
  VELMORA_ASSERT(xmlMap != nullptr, "xmlMap != NULL");
  int map = -1;
  for (int i = 0; i < kMapCount; ++i) {
    if (xmlMap->GetElement() == kMapNames[i]) map = i;
  }
  VELMORA_ASSERT(map >= 0,
                 "xmlMap->GetElement() == \"MapZ\"|| xmlMap->GetElement() == \"MapC\"|| "
                 "xmlMap->GetElement() == \"MapD\"");
  props.Map = static_cast<TFractMap>(map);
  xml = xmlMap->Next();

  VELMORA_READ_FIELD(ZR)
  VELMORA_READ_FIELD(ZI)
  VELMORA_READ_FIELD(CR)
  VELMORA_READ_FIELD(CI)
  VELMORA_READ_FIELD(DR)
  VELMORA_READ_FIELD(DI)
  VELMORA_READ_FIELD(N)
  VELMORA_READ_FIELD(M)
#undef VELMORA_READ_FIELD

  const TXMLItem* xmlFinish = xml;
  VELMORA_ASSERT(xmlFinish == nullptr, "xmlFinish == NULL");
  return true;
}

std::unique_ptr<TDTDItem> FractalDTD() {
  using namespace dtd;
  return Compound(
      "Fractal",
      Concat(Attribute("XResolution"), Attribute("YResolution"), Attribute("Left"),
             Attribute("Right"), Attribute("Top"), Attribute("Bottom"), Attribute("MaxDepth"),
             Attribute("OuterCircle"), Attribute("InnerDist"), Attribute("MaxCycle"),
             Attribute("Formula"),
             Choice(Compound("MapC", Empty()), Compound("MapD", Empty()), Compound("MapZ", Empty())),
             Attribute("ZR"), Attribute("ZI"), Attribute("CR"), Attribute("CI"), Attribute("DR"),
             Attribute("DI"), Attribute("N"), Attribute("M")));
}
