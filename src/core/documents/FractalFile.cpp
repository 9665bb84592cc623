#include "core/documents/FractalFile.h"

#include "core/colour/TVoldViewProps.h"
#include "core/fractal/FractalElement.h"
#include "core/fractal/TFractProps.h"
#include "core/report/Assert.h"
#include "core/report/ErrorReporter.h"
#include "core/xml/TXMLItem.h"
#include "core/xml/XMLWriter.h"

namespace {

constexpr const char* kVersion = "1.0";
constexpr const char* kSource = "unitfract";

}  // namespace

void WriteViewXML(TXMLComplexElement& parent, const TVoldViewProps& settings) {
  parent.Add(std::make_unique<TXMLComplexElement>("View"));
  parent.Add(settings.WriteXML());
}

std::unique_ptr<TDTDItem> ViewDTD() {
  return dtd::Concat(dtd::Compound("View", dtd::Empty()), TVoldViewProps::GetDTD());
}

bool ReadViewXML(const TXMLItem* xmlView, TVoldViewProps& settings, TFractProps& props,
                 std::string& message, int32_t& line, int32_t& column) {
  VELMORA_ASSERT(xmlView != nullptr, "xmlView != NULL");
  VELMORA_ASSERT(xmlView->GetElement() == "View", "xmlView->GetElement() == \"View\"");
  const TXMLItem* xmlFractalView = xmlView->Next();
  VELMORA_ASSERT(xmlFractalView != nullptr, "xmlFractalView != NULL");
  VELMORA_ASSERT(xmlFractalView->GetElement() == "FractalView",
                 "xmlFractalView->GetElement() == \"FractalView\"");
  if (!settings.ReadXML(*xmlFractalView, message, line, column)) return false;
  const TXMLItem* xmlFractal = xmlFractalView->Next();
  VELMORA_ASSERT(xmlFractal != nullptr, "xmlFractal != NULL");
  VELMORA_ASSERT(xmlFractal->GetElement() == "Fractal", "xmlFractal->GetElement() == \"Fractal\"");
  return ReadFractalXML(xmlFractal, props, message, line, column);
}

std::unique_ptr<TXMLComplexElement> BuildFractalDocument(const TVoldViewProps& settings,
                                                         const TFractProps& props) {
  auto xmlUnitFractal = std::make_unique<TXMLComplexElement>("UnitFractal");
  xmlUnitFractal->Add(std::make_unique<TXMLStringElement>("Version", kVersion));
  WriteViewXML(*xmlUnitFractal, settings);
  xmlUnitFractal->Add(WriteFractalXML(props));
  return xmlUnitFractal;
}

const TDTDItem& FractalFileDTD() {
  static const std::unique_ptr<TDTDItem> grammar = dtd::Compound(
      "UnitFractal", dtd::Concat(dtd::Attribute("Version"), dtd::Concat(ViewDTD(), FractalDTD())));
  return *grammar;
}

std::string FractalFileText(const TVoldViewProps& settings, const TFractProps& props) {
  return XMLDocumentText(*BuildFractalDocument(settings, props));
}

bool SaveFractalFile(const std::string& path, const TVoldViewProps& settings,
                     const TFractProps& props) {
  const std::unique_ptr<TXMLComplexElement> document = BuildFractalDocument(settings, props);
  std::string error;
  if (!SaveToFile(*document, path, error)) {
    ErrorReporter.ShowMessage("Cannot save Fractal File: " + error + ".", "FileError",
                              TMessageIcon::Information);
    return false;
  }
  return true;
}

namespace {

// A Version other than 1.0 is reported but read all the same; a file without any Version is
// refused by the grammar, which says why.
bool CheckFractalVersion(const std::string& version, std::string&) {
  if (!version.empty()) VELMORA_SOFT_ASSERT(version == kVersion, "version == \"1.0\"", kSource);
  return true;
}

// The part of a load after the grammar: the records from the element tree.
TXMLReadStatus ReadFractalTree(TXMLReadStatus status, const TXMLComplexElement* root,
                               TVoldViewProps& settings, TFractProps& props, std::string& message) {
  if (status != TXMLReadStatus::Ok) return status;

  const TXMLItem* xmlUnitFractal = root->GetFirst();
  const TXMLItem* xmlVersion = xmlUnitFractal->GetFirst();
  VELMORA_SOFT_ASSERT(xmlVersion != nullptr, "xmlVersion != NULL", kSource);
  if (xmlVersion == nullptr) return TXMLReadStatus::Failed;
  VELMORA_SOFT_ASSERT(xmlVersion->GetElement() == "Version",
                      "xmlVersion->GetElement() == \"Version\"", kSource);
  const std::string version = xmlVersion->GetText();
  VELMORA_SOFT_ASSERT(version == kVersion, "version == \"1.0\"", kSource);

  int32_t line = 0;
  int32_t column = 0;
  if (!ReadViewXML(xmlVersion->Next(), settings, props, message, line, column)) {
    message = WithPosition(message, line, column);
    return TXMLReadStatus::Failed;
  }
  return TXMLReadStatus::Ok;
}

}  // namespace

TXMLReadStatus LoadFractalFile(const std::string& path, TVoldViewProps& settings,
                               TFractProps& props, std::string& message) {
  std::unique_ptr<TXMLComplexElement> root;
  const TXMLReadStatus status =
      ReadXMLFile(path, FractalFileDTD(), CheckFractalVersion, root, message);
  return ReadFractalTree(status, root.get(), settings, props, message);
}

TXMLReadStatus LoadFractalBytes(const std::string& bytes, TVoldViewProps& settings,
                                TFractProps& props, std::string& message) {
  std::unique_ptr<TXMLComplexElement> root;
  const TXMLReadStatus status =
      ReadXMLBytes(bytes, FractalFileDTD(), CheckFractalVersion, root, message);
  return ReadFractalTree(status, root.get(), settings, props, message);
}

std::string LoadFailureReason(TXMLReadStatus status, const std::string& message) {
  return status == TXMLReadStatus::CannotOpen ? kFileCannotBeOpened : message;
}

std::string WithPosition(const std::string& message, int32_t line, int32_t column) {
  return message + " At line " + std::to_string(line) + ", column " + std::to_string(column + 1) +
         ".";
}
