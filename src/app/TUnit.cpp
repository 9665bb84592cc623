#include "app/TUnit.h"

#include "app/TMDIChildWave.h"
#include "app/TViewWave.h"
#include "core/colour/TVoldViewProps.h"
#include "core/documents/FractalFile.h"
#include "core/fractal/TFractProps.h"
#include "core/xml/TXMLItem.h"

TUnit::TUnit(uint8_t kind, std::string name, std::string fileName)
    : m_name(std::move(name)), m_kind(kind), m_fileName(std::move(fileName)) {}

void TUnit::SetName(const std::string& name) {
  const std::string oldName = m_name;
  m_name = name;
  if (Window != nullptr) Window->NameChanged(oldName);
}

void TUnit::SetFileName(const std::string& fileName) {
  m_fileName = fileName;
  if (Window != nullptr) Window->RefreshCaption();
}

std::unique_ptr<TXMLStringElement> TUnit::FileElement() const {
  if (IsNew()) return nullptr;
  return std::make_unique<TXMLStringElement>("File", m_fileName);
}

std::unique_ptr<TXMLStringElement> TUnit::TempFileElement() const {
  if (TempFile == -1) return nullptr;
  return std::make_unique<TXMLStringElement>("TempFile", std::to_string(TempFile));
}

TUnitFract::TUnitFract(std::string name, std::string fileName)
    : TUnit(kUnitKindFractal, std::move(name), std::move(fileName)) {}

void TUnitFract::SetChanged() {
  if (TrackChanges) m_changed = true;
}

void TUnitFract::ClearChanged() {
  if (TrackChanges) m_changed = false;
}

bool TUnitFract::Save() {
  if (!NeedsSave()) return true;
  return SaveTo(FileName());
}

bool TUnitFract::SaveTo(const std::string& path) {
  const TViewWave* view = FractWindow->View();
  return SaveFractalFile(path, view->GetViewProps(), view->GetFractProps());
}

bool TUnitFract::Load(std::string& reason) { return LoadFrom(FileName(), reason); }

bool TUnitFract::Read(const std::string& path, TVoldViewProps& settings, TFractProps& props,
                      std::string& reason) {
  std::string message;
  const TXMLReadStatus status = LoadFractalFile(path, settings, props, message);
  if (status == TXMLReadStatus::Ok) return true;
  reason = LoadFailureReason(status, message);
  return false;
}

bool TUnitFract::LoadFrom(const std::string& path, std::string& reason) {
  TViewWave* view = FractWindow->View();
  TVoldViewProps settings = view->GetViewProps();
  TFractProps props = view->GetFractProps();
  if (!Read(path, settings, props, reason)) return false;
  view->SetViewProps(settings);
  view->SetFractProps(props);
  return true;
}

std::array<std::string, 6> TUnitFract::StatusTexts() const {
  const char* state = IsNew() ? "New" : NeedsSave() ? "Changed" : "";
  return {"oningevuld", "oningevuld kHz", "8", "MO", "xyz", state};
}
