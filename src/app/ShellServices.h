#pragma once

#include <string>

#include <QPixmap>
#include <QRect>

class TDlgSelZoom;
class TFractProps;
class TMDIChildWave;
class TUnit;
class TUnitFract;
struct TVoldViewProps;

// What views, fractal windows and dialogs may ask of the main window. They reach it only
// through the global ShellServices, so that none of them needs the main window's class;
// tests install an implementation of their own.
class TShellServices {
 public:
  virtual ~TShellServices() = default;

  // The document of the active child window, or null.
  virtual TUnit* CurrentDocument() = 0;
  // The active child window when it is a fractal window, else null.
  virtual TMDIChildWave* CurrentFractalWindow() = 0;
  // True when name is "" or no other open window has it; otherwise says so and is false.
  virtual bool IsNameUnique(const std::string& name, const TUnit* document) = 0;
  virtual TDlgSelZoom* SelZoomDialog() = 0;
  // Image 0 of the icons: the application icon, also every child window's.
  virtual QPixmap Icons() = 0;
  virtual void SetKeysCaptured(bool captured) = 0;
  // Left, top, right and bottom of the main window.
  virtual QRect MainWindowRect() = 0;
  // A new Julia window of fractal at c, coloured with settings.
  virtual void CreateJuliaWindow(const TVoldViewProps& settings, const TFractProps& fractal,
                                 double cRe, double cIm, double dRe, double dIm) = 0;
  // Saves a document, asking for a file name when it has none; false when it was not saved.
  virtual bool SaveDocument(TUnitFract* document) = 0;
  // A fractal window became the active one.
  virtual void ChildActivated(TMDIChildWave* window) = 0;
  virtual void SetNameBox(const std::string& name) = 0;
  // What lies under the mouse in a view, for the status bar; "" when the mouse left it.
  virtual void ShowWhere(const std::string& text) = 0;
};

// The global facade: forwards every call to the installed implementation; without one,
// questions get a neutral answer and requests are ignored.
class TShellServicesFacade {
 public:
  void Install(TShellServices* services) { m_services = services; }
  TShellServices* Installed() const { return m_services; }

  TUnit* CurrentDocument();
  TMDIChildWave* CurrentFractalWindow();
  bool IsNameUnique(const std::string& name, const TUnit* document);
  TDlgSelZoom* SelZoomDialog();
  QPixmap Icons();
  void SetKeysCaptured(bool captured);
  QRect MainWindowRect();
  void CreateJuliaWindow(const TVoldViewProps& settings, const TFractProps& fractal, double cRe,
                         double cIm, double dRe, double dIm);
  bool SaveDocument(TUnitFract* document);
  void ChildActivated(TMDIChildWave* window);
  void SetNameBox(const std::string& name);
  void ShowWhere(const std::string& text);

 private:
  TShellServices* m_services = nullptr;
};

extern TShellServicesFacade ShellServices;
