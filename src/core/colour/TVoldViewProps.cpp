#include "core/colour/TVoldViewProps.h"

#include <utility>

#include "core/report/Assert.h"
#include "core/xml/TDTDItem.h"
#include "core/xml/TXMLItem.h"

namespace {

// The element names of the sensitivities, indexed by their value.
constexpr const char* kSensitivityNames[] = {"SensLow", "SensNormal", "SensHigh", "SensVeryHigh"};

// The empty element that names sensitivity, or null for a value outside the enumeration.
std::unique_ptr<TXMLComplexElement> SensitivityElement(TSensitivity sensitivity) {
  if (sensitivity > SensVeryHigh) return nullptr;
  return std::make_unique<TXMLComplexElement>(kSensitivityNames[sensitivity]);
}

bool IsSensitivity(const TXMLItem& xmlSens) {
  for (const char* name : kSensitivityNames) {
    if (xmlSens.GetElement() == name) return true;
  }
  return false;
}

TSensitivity SensitivityOf(const TXMLItem& xmlSens) {
  for (uint8_t i = 0; i < 4; ++i) {
    if (xmlSens.GetElement() == kSensitivityNames[i]) return static_cast<TSensitivity>(i);
  }
  return SensNormal;
}

void AddFlag(bool flag, TXMLComplexElement& parent) {
  if (flag) parent.Add(std::make_unique<TXMLComplexElement>("UseColorPalette1D"));
}

void AddPalette(const TColorPalette1DItem& palette, TXMLComplexElement& parent) {
  palette.WriteXML(*parent.Add(std::make_unique<TXMLComplexElement>("ColorPalette1D")));
}

// Reads the optional UseColorPalette1D flag at xmlChild and the palette after it; on
// success xmlChild is the element after the palette.
bool ReadFlagAndPalette(const TXMLItem*& xmlChild, bool& flag, TColorPalette1DItem& palette,
                        std::string& message, int32_t& line, int32_t& column) {
  VELMORA_ASSERT(xmlChild != nullptr, "xmlColorPalette1D != NULL");
  flag = xmlChild->GetElement() == "UseColorPalette1D";
  const TXMLItem* xmlColorPalette1D = flag ? xmlChild->Next() : xmlChild;
  VELMORA_ASSERT(xmlColorPalette1D != nullptr, "xmlColorPalette1D != NULL");
  VELMORA_ASSERT(xmlColorPalette1D->GetElement() == "ColorPalette1D",
                 "xmlColorPalette1D->GetElement() == \"ColorPalette1D\"");
  if (!palette.ReadXML(*xmlColorPalette1D, message, line, column)) return false;
  xmlChild = xmlColorPalette1D->Next();
  return true;
}

// The group of one inside mix colour: Background or Foreground.
bool ReadInsideColor(const TXMLItem& xmlGroup, bool& flag, TColorPalette1DItem& palette,
                     unitColor& color, std::string& message, int32_t& line, int32_t& column) {
  const TXMLItem* xmlChild = xmlGroup.GetFirst();
  if (!ReadFlagAndPalette(xmlChild, flag, palette, message, line, column)) return false;
  const TXMLItem* xmlColor = xmlChild;
  VELMORA_ASSERT(xmlColor != nullptr, "xmlColor != NULL");
  VELMORA_ASSERT(xmlColor->GetElement() == "Color", "xmlColor->GetElement() == \"Color\"");
  if (!color.ReadXML(*xmlColor, message, line, column)) return false;
  const TXMLItem* xmlFinished = xmlColor->Next();
  VELMORA_ASSERT(xmlFinished == nullptr, "xmlFinished == NULL");
  return true;
}

std::unique_ptr<TDTDItem> Sensitivity() {
  using namespace dtd;
  return Choice(Compound("SensLow", Empty()), Compound("SensNormal", Empty()),
                Compound("SensHigh", Empty()), Compound("SensVeryHigh", Empty()));
}

std::unique_ptr<TDTDItem> UseColorPalette1D() {
  return dtd::Optional(dtd::Compound("UseColorPalette1D", dtd::Empty()));
}

// Background and Foreground of the inside depth colouring.
std::unique_ptr<TDTDItem> InsideColor(const char* name) {
  using namespace dtd;
  return Compound(name,
                  Concat(UseColorPalette1D(), TColorPalette1DItem::GetDTD(), Attribute("Color")));
}

}  // namespace

std::unique_ptr<TXMLComplexElement> TVoldViewProps::WriteXML() const {
  auto xmlFractalView = std::make_unique<TXMLComplexElement>("FractalView");

  auto* xmlOutside = xmlFractalView->Add(std::make_unique<TXMLComplexElement>("Outside"));
  std::unique_ptr<TXMLComplexElement> xmlSensOutsideKind = SensitivityElement(SensOutside);
  VELMORA_ASSERT(xmlSensOutsideKind != nullptr, "xmlSensOutsideKind != NULL");
  xmlOutside->Add(std::move(xmlSensOutsideKind));
  StrengthOutside.WriteXML("Strength", *xmlOutside);
  AddFlag(UsePalOutside, *xmlOutside);
  AddPalette(PalOutside, *xmlOutside);
  BackgroundColorOutside.WriteXML("BackgroundColor", *xmlOutside);
  ForegroundColorOutside.WriteXML("ForegroundColor", *xmlOutside);

  auto* xmlInside = xmlFractalView->Add(std::make_unique<TXMLComplexElement>("Inside"));
  std::unique_ptr<TXMLComplexElement> xmlSensInsideKind = SensitivityElement(SensInside);
  VELMORA_ASSERT(xmlSensInsideKind != nullptr, "xmlSensInsideKind != NULL");
  xmlInside->Add(std::move(xmlSensInsideKind));
  StrengthInside.WriteXML("Strength", *xmlInside);
  auto* xmlDepth = xmlInside->Add(std::make_unique<TXMLComplexElement>("Depth"));
  AddFlag(UsePalDepthInside, *xmlDepth);
  AddPalette(PalDepthInside, *xmlDepth);
  auto* xmlBackground = xmlDepth->Add(std::make_unique<TXMLComplexElement>("Background"));
  AddFlag(UsePalBackgroundInside, *xmlBackground);
  AddPalette(PalBackgroundInside, *xmlBackground);
  ColorBackgroundInside.WriteXML("Color", *xmlBackground);
  auto* xmlForeground = xmlDepth->Add(std::make_unique<TXMLComplexElement>("Foreground"));
  AddFlag(UsePalForegroundInside, *xmlForeground);
  AddPalette(PalForegroundInside, *xmlForeground);
  ColorForegroundInside.WriteXML("Color", *xmlForeground);

  // The file has always held the maximum-depth colour before the cursor colour.
  MaxDepthColor.WriteXML("MaxDepthColor", *xmlFractalView);
  CursorColor.WriteXML("CursorColor", *xmlFractalView);
  return xmlFractalView;
}

bool TVoldViewProps::ReadXML(const TXMLItem& xmlFractalView, std::string& message, int32_t& line,
                             int32_t& column) {
  VELMORA_ASSERT(xmlFractalView.GetElement() == "FractalView",
                 "xmlFractalView->GetElement() == \"FractalView\"");
  const TXMLItem* xmlOutside = xmlFractalView.GetFirst();
  VELMORA_ASSERT(xmlOutside != nullptr, "xmlOutside != NULL");
  VELMORA_ASSERT(xmlOutside->GetElement() == "Outside", "xmlOutside->GetElement() == \"Outside\"");
  const TXMLItem* xmlInside = xmlOutside->Next();
  VELMORA_ASSERT(xmlInside != nullptr, "xmlInside != NULL");
  VELMORA_ASSERT(xmlInside->GetElement() == "Inside", "xmlInside->GetElement() == \"Inside\"");
  const TXMLItem* xmlMaxDepthColor = xmlInside->Next();
  VELMORA_ASSERT(xmlMaxDepthColor != nullptr, "xmlMaxDepthColor != NULL");
  VELMORA_ASSERT(xmlMaxDepthColor->GetElement() == "MaxDepthColor",
                 "xmlMaxDepthColor->GetElement() == \"MaxDepthColor\"");

  // The two colours at the end come first, so a refused value further in still leaves
  // them read.
  if (!MaxDepthColor.ReadXML(*xmlMaxDepthColor, message, line, column)) return false;
  const TXMLItem* xmlCursorColor = xmlMaxDepthColor->Next();
  VELMORA_ASSERT(xmlCursorColor != nullptr, "xmlCursorColor != NULL");
  VELMORA_ASSERT(xmlCursorColor->GetElement() == "CursorColor",
                 "xmlCursorColor->GetElement() == \"CursorColor\"");
  if (!CursorColor.ReadXML(*xmlCursorColor, message, line, column)) return false;
  const TXMLItem* xmlFinished = xmlCursorColor->Next();
  VELMORA_ASSERT(xmlFinished == nullptr, "xmlFinished == NULL");

  // Outside
  const TXMLItem* xmlSensOutside = xmlOutside->GetFirst();
  VELMORA_ASSERT(xmlSensOutside != nullptr, "xmlSensOutside != NULL");
  VELMORA_ASSERT(IsSensitivity(*xmlSensOutside),
                 "xmlSensOutside->GetElement() == \"SensLow\"|| "
                 "xmlSensOutside->GetElement() == \"SensNormal\"|| "
                 "xmlSensOutside->GetElement() == \"SensHigh\"|| "
                 "xmlSensOutside->GetElement() == \"SensVeryHigh\"");
  SensOutside = SensitivityOf(*xmlSensOutside);
  const TXMLItem* xmlStrengthOutside = xmlSensOutside->Next();
  VELMORA_ASSERT(xmlStrengthOutside != nullptr, "xmlStrengthOutside != NULL");
  VELMORA_ASSERT(xmlStrengthOutside->GetElement() == "Strength",
                 "xmlStrengthOutside->GetElement() == \"Strength\"");
  if (!StrengthOutside.ReadXML(*xmlStrengthOutside, message, line, column)) return false;
  const TXMLItem* xmlChild = xmlStrengthOutside->Next();
  if (!ReadFlagAndPalette(xmlChild, UsePalOutside, PalOutside, message, line, column)) {
    return false;
  }
  const TXMLItem* xmlBackgroundColor = xmlChild;
  VELMORA_ASSERT(xmlBackgroundColor != nullptr, "xmlBackgroundColor != NULL");
  VELMORA_ASSERT(xmlBackgroundColor->GetElement() == "BackgroundColor",
                 "xmlBackgroundColor->GetElement() == \"BackgroundColor\"");
  if (!BackgroundColorOutside.ReadXML(*xmlBackgroundColor, message, line, column)) {
    return false;
  }
  const TXMLItem* xmlForegroundColor = xmlBackgroundColor->Next();
  VELMORA_ASSERT(xmlForegroundColor != nullptr, "xmlForegroundColor != NULL");
  VELMORA_ASSERT(xmlForegroundColor->GetElement() == "ForegroundColor",
                 "xmlForegroundColor->GetElement() == \"ForegroundColor\"");
  if (!ForegroundColorOutside.ReadXML(*xmlForegroundColor, message, line, column)) {
    return false;
  }
  xmlFinished = xmlForegroundColor->Next();
  VELMORA_ASSERT(xmlFinished == nullptr, "xmlFinished == NULL");

  // Inside
  const TXMLItem* xmlSensInside = xmlInside->GetFirst();
  VELMORA_ASSERT(xmlSensInside != nullptr, "xmlSensInside != NULL");
  VELMORA_ASSERT(IsSensitivity(*xmlSensInside),
                 "xmlSensInside->GetElement() == \"SensLow\"|| "
                 "xmlSensInside->GetElement() == \"SensNormal\"|| "
                 "xmlSensInside->GetElement() == \"SensHigh\"|| "
                 "xmlSensInside->GetElement() == \"SensVeryHigh\"");
  SensInside = SensitivityOf(*xmlSensInside);
  const TXMLItem* xmlStrengthInside = xmlSensInside->Next();
  VELMORA_ASSERT(xmlStrengthInside != nullptr, "xmlStrengthInside != NULL");
  VELMORA_ASSERT(xmlStrengthInside->GetElement() == "Strength",
                 "xmlStrengthInside->GetElement() == \"Strength\"");
  if (!StrengthInside.ReadXML(*xmlStrengthInside, message, line, column)) return false;
  const TXMLItem* xmlDepth = xmlStrengthInside->Next();
  VELMORA_ASSERT(xmlDepth != nullptr, "xmlDepth != NULL");
  VELMORA_ASSERT(xmlDepth->GetElement() == "Depth", "xmlDepth->GetElement() == \"Depth\"");
  xmlFinished = xmlDepth->Next();
  VELMORA_ASSERT(xmlFinished == nullptr, "xmlFinished == NULL");

  xmlChild = xmlDepth->GetFirst();
  if (!ReadFlagAndPalette(xmlChild, UsePalDepthInside, PalDepthInside, message, line, column)) {
    return false;
  }
  const TXMLItem* xmlBackground = xmlChild;
  VELMORA_ASSERT(xmlBackground != nullptr, "xmlBackground != NULL");
  VELMORA_ASSERT(xmlBackground->GetElement() == "Background",
                 "xmlBackground->GetElement() == \"Background\"");
  if (!ReadInsideColor(*xmlBackground, UsePalBackgroundInside, PalBackgroundInside,
                       ColorBackgroundInside, message, line, column)) {
    return false;
  }
  const TXMLItem* xmlForeground = xmlBackground->Next();
  VELMORA_ASSERT(xmlForeground != nullptr, "xmlForeground != NULL");
  VELMORA_ASSERT(xmlForeground->GetElement() == "Foreground",
                 "xmlForeground->GetElement() == \"Foreground\"");
  if (!ReadInsideColor(*xmlForeground, UsePalForegroundInside, PalForegroundInside,
                       ColorForegroundInside, message, line, column)) {
    return false;
  }
  xmlFinished = xmlForeground->Next();
  VELMORA_ASSERT(xmlFinished == nullptr, "xmlFinished == NULL");
  return true;
}

std::unique_ptr<TDTDItem> TVoldViewProps::GetDTD() {
  using namespace dtd;
  auto outside =
      Compound("Outside", Concat(Sensitivity(), Attribute("Strength"), UseColorPalette1D(),
                                 TColorPalette1DItem::GetDTD(), Attribute("BackgroundColor"),
                                 Attribute("ForegroundColor")));
  auto depth = Compound("Depth", Concat(UseColorPalette1D(), TColorPalette1DItem::GetDTD(),
                                        InsideColor("Background"), InsideColor("Foreground")));
  auto inside = Compound("Inside", Concat(Sensitivity(), Attribute("Strength"), std::move(depth)));
  return Compound("FractalView",
                  Concat(Concat(std::move(outside), std::move(inside)),
                         Concat(Attribute("MaxDepthColor"), Attribute("CursorColor"))));
}
