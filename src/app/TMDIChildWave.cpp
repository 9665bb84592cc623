#include "app/TMDIChildWave.h"

#include <algorithm>

#include <QCloseEvent>
#include <QMdiSubWindow>
#include <QVBoxLayout>

#include "app/Artwork.h"
#include "app/ShellServices.h"
#include "app/TViewWave.h"
#include "core/documents/ProjectFile.h"
#include "core/report/Assert.h"
#include "core/values/ValueUnits.h"
#include "core/xml/TXMLItem.h"
#include "platform/Dialogs.h"

TMDIChildVelmora::TMDIChildVelmora(std::unique_ptr<TUnit> document)
    : m_document(std::move(document)) {
  m_document->Window = this;
}

TMDIChildVelmora::~TMDIChildVelmora() = default;

void TMDIChildVelmora::NameChanged(const std::string&) { RefreshCaption(); }

std::string TMDIChildVelmora::Caption(const std::string& name, const std::string& file) {
  if (!name.empty() && !file.empty()) return name + " - " + file;
  return name.empty() ? file : name;
}

void TMDIChildVelmora::RefreshCaption() {
  setWindowTitle(FromBytes(Caption(m_document->Name(), m_document->FileName())));
}

QMdiSubWindow* TMDIChildVelmora::SubWindow() const {
  return qobject_cast<QMdiSubWindow*>(parentWidget());
}

int ModeCursorId(uint8_t mode) {
  switch (mode) {
    case ModeZoomIn: return 4;
    case ModeZoomOut: return 5;
    case ModeDrawPoints: return 1;
    case ModeJulia: return 6;
    default: return 0;
  }
}

TMDIChildWave::TMDIChildWave(std::unique_ptr<TUnitFract> document, const TFractProps& props,
                             const TVoldViewProps& settings)
    : TMDIChildVelmora(std::move(document)) {
  m_unitWave = static_cast<TUnitFract*>(Document());
  m_unitWave->FractWindow = this;
  setObjectName("MDIChildWave");
  setWindowIcon(AppIconSet());
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  m_viewWave = new TViewWave(this, settings, props);
  layout->addWidget(m_viewWave);
  resize(328, 418);
}

TMDIChildWave::~TMDIChildWave() {
  // The worker must end while the view and its results still exist.
  m_viewWave->StopComputation();
}

void TMDIChildWave::SetMode(uint8_t mode) {
  m_mode = mode;
  SetViewCursor(ModeCursorId(mode));
  m_viewWave->ModeChanged();
}

void TMDIChildWave::SetViewCursor(int id) { m_viewWave->setCursor(ModeCursor(id)); }

bool TMDIChildWave::FormCloseQuery() {
  TUnitFract* unit = m_unitWave;
  if (!unit->NeedsSave()) return true;
  std::string question = "Do you want to save the Wave";
  question += unit->Name().empty() ? " without name" : " with name \"" + unit->Name() + "\"";
  question += unit->IsNew() ? " to a new file" : " to current file \"" + unit->FileName() + "\"";
  question += "?";
  switch (AskYesNoCancel(this, question, "You have unsaved changes")) {
    case TAnswer::Cancel:
      return false;
    case TAnswer::Yes:
      // A failed or cancelled save keeps the window, so nothing unsaved is lost.
      return ShellServices.SaveDocument(unit);
    case TAnswer::No:
      return true;
  }
  return false;
}

void TMDIChildWave::closeEvent(QCloseEvent* event) {
  if (m_closeAllowed || FormCloseQuery()) {
    m_viewWave->StopComputation();
    event->accept();
  } else {
    event->ignore();
  }
}

void TMDIChildWave::WriteWindowElement(TXMLComplexElement& parent) const {
  const QMdiSubWindow* frame = SubWindow();
  const QWidget* w = frame != nullptr ? static_cast<const QWidget*>(frame) : this;
  if (!m_unitWave->Name().empty()) {
    parent.Add(std::make_unique<TXMLStringElement>("Name", m_unitWave->Name()));
  }
  const QRect g = w->isMinimized() || w->isMaximized() ? w->normalGeometry() : w->geometry();
  const QRect place = g.isValid() ? g : w->geometry();
  unitInteger(place.x()).WriteXML("Left", parent);
  unitInteger(place.y()).WriteXML("Top", parent);
  unitInteger(place.width()).WriteXML("Width", parent);
  unitInteger(place.height()).WriteXML("Height", parent);
  const char* xmlWindowState = WindowStateName(w->isMinimized() ? 1 : w->isMaximized() ? 2 : 0);
  VELMORA_ASSERT(xmlWindowState != nullptr, "xmlWindowState != NULL");
  parent.Add(std::make_unique<TXMLComplexElement>(xmlWindowState));
}

bool TMDIChildWave::ReadWindowElement(const TXMLItem* first, const std::string& name,
                                      std::string& message, int32_t& line, int32_t& column) {
  m_unitWave->SetName(name);
  QWidget* w = SubWindow() != nullptr ? static_cast<QWidget*>(SubWindow()) : this;
  // Each value takes effect at once, as it is read.
  auto apply = [w](int index, int32_t value) {
    switch (index) {
      case 0: w->move(value, w->y()); break;
      case 1: w->move(w->x(), value); break;
      case 2: w->resize(std::max(value, 1), w->height()); break;
      default: w->resize(w->width(), std::max(value, 1)); break;
    }
  };
  int state = 0;
  if (!ReadGeometry(first, apply, state, message, line, column)) return false;
  if (state == 1) {
    w->showMinimized();
  } else if (state == 2) {
    w->showMaximized();
  } else {
    w->showNormal();
  }
  return true;
}
