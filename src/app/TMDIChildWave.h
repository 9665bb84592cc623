#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <QWidget>

#include "app/TUnit.h"

class QMdiSubWindow;
class TFractProps;
class TViewWave;
class TXMLComplexElement;
class TXMLItem;
struct TVoldViewProps;

// The base of every child window of the main window: it owns its document.
class TMDIChildVelmora : public QWidget {
 public:
  explicit TMDIChildVelmora(std::unique_ptr<TUnit> document);
  ~TMDIChildVelmora() override;

  TUnit* Document() const { return m_document.get(); }
  virtual void SetViewCursor(int id) = 0;
  // The document was renamed.
  virtual void NameChanged(const std::string& oldName);
  virtual int Kind() const { return m_document->Kind(); }
  // The caption from the name and the file: "name - file", "file", "name" or "".
  void RefreshCaption();
  static std::string Caption(const std::string& name, const std::string& file);

  // The MDI frame window that holds this child, once it has been added to the area.
  QMdiSubWindow* SubWindow() const;

 private:
  std::unique_ptr<TUnit> m_document;
};

// A fractal window: the document, the view filling the client area, the mouse mode and the
// size of the selection rectangle.
class TMDIChildWave : public TMDIChildVelmora {
 public:
  TMDIChildWave(std::unique_ptr<TUnitFract> document, const TFractProps& props,
                const TVoldViewProps& settings);
  ~TMDIChildWave() override;

  TUnitFract* unitWave() const { return m_unitWave; }
  TViewWave* View() const { return m_viewWave; }

  uint8_t Mode() const { return m_mode; }
  // Stores the mode and shows its cursor over the view.
  void SetMode(uint8_t mode);
  double SelectionFactor() const { return m_selectionFactor; }
  void SetSelectionFactor(double factor) { m_selectionFactor = factor; }
  void SetViewCursor(int id) override;

  // The close question; true when the window may close.
  bool FormCloseQuery();
  // Asks the close question only once per close: the main window asks all windows before
  // it closes and then lets them go without asking again.
  void SetCloseAllowed(bool allowed) { m_closeAllowed = allowed; }

  // The window's part of a project Window element: Name (when set), geometry and state.
  void WriteWindowElement(TXMLComplexElement& parent) const;
  // Renames the window to name, then applies Left, Top, Width and Height from the elements
  // starting at first, and the state element after them. A bad number fails with "In
  // <element>: <reason>" and its position; the values before it stay applied.
  bool ReadWindowElement(const TXMLItem* first, const std::string& name, std::string& message,
                         int32_t& line, int32_t& column);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  TUnitFract* m_unitWave;
  TViewWave* m_viewWave;
  uint8_t m_mode = 0;
  double m_selectionFactor = 0.5;
  bool m_closeAllowed = false;
};

// The cursor id of a mode: none 0, zoom in 4, zoom out 5, draw points 1, Julia 6.
int ModeCursorId(uint8_t mode);
