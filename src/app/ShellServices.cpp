#include "app/ShellServices.h"

#include "core/report/Assert.h"

TShellServicesFacade ShellServices;

TUnit* TShellServicesFacade::CurrentDocument() {
  return m_services ? m_services->CurrentDocument() : nullptr;
}

TMDIChildWave* TShellServicesFacade::CurrentFractalWindow() {
  return m_services ? m_services->CurrentFractalWindow() : nullptr;
}

bool TShellServicesFacade::IsNameUnique(const std::string& name, const TUnit* document) {
  return m_services ? m_services->IsNameUnique(name, document) : true;
}

TDlgSelZoom* TShellServicesFacade::SelZoomDialog() {
  TDlgSelZoom* DlgSelZoom = m_services ? m_services->SelZoomDialog() : nullptr;
  VELMORA_ASSERT(DlgSelZoom != nullptr, "DlgSelZoom != NULL");
  return DlgSelZoom;
}

QPixmap TShellServicesFacade::Icons() { return m_services ? m_services->Icons() : QPixmap(); }

void TShellServicesFacade::SetKeysCaptured(bool captured) {
  if (m_services) m_services->SetKeysCaptured(captured);
}

QRect TShellServicesFacade::MainWindowRect() {
  return m_services ? m_services->MainWindowRect() : QRect();
}

void TShellServicesFacade::CreateJuliaWindow(const TVoldViewProps& settings,
                                             const TFractProps& fractal, double cRe, double cIm,
                                             double dRe, double dIm) {
  if (m_services) m_services->CreateJuliaWindow(settings, fractal, cRe, cIm, dRe, dIm);
}

bool TShellServicesFacade::SaveDocument(TUnitFract* document) {
  return m_services ? m_services->SaveDocument(document) : false;
}

void TShellServicesFacade::ChildActivated(TMDIChildWave* window) {
  if (m_services) m_services->ChildActivated(window);
}

void TShellServicesFacade::SetNameBox(const std::string& name) {
  if (m_services) m_services->SetNameBox(name);
}

void TShellServicesFacade::ShowWhere(const std::string& text) {
  if (m_services) m_services->ShowWhere(text);
}
