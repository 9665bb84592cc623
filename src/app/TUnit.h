#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "core/xml/TDTDItem.h"

class TMDIChildVelmora;
class TMDIChildWave;
class TFractProps;
class TXMLStringElement;
struct TVoldViewProps;

// Document kinds.
inline constexpr uint8_t kUnitKindFractal = 1;

// What belongs to a window's file rather than to its picture: the name, the file, the temp
// copy of a project and whether changes are tracked.
class TUnit {
 public:
  TUnit(uint8_t kind, std::string name, std::string fileName);
  virtual ~TUnit() = default;
  TUnit(const TUnit&) = delete;
  TUnit& operator=(const TUnit&) = delete;

  const std::string& Name() const { return m_name; }
  // Stores the name and has the window refresh its caption.
  void SetName(const std::string& name);
  const std::string& FileName() const { return m_fileName; }
  void SetFileName(const std::string& fileName);
  // A document is new while it was never saved or loaded.
  bool IsNew() const { return m_fileName.empty(); }
  uint8_t Kind() const { return m_kind; }

  // A File element holding FileName, or null for a new document.
  std::unique_ptr<TXMLStringElement> FileElement() const;
  // A TempFile element holding TempFile, or null when there is no temp copy.
  std::unique_ptr<TXMLStringElement> TempFileElement() const;

  int32_t TempFile = -1;
  TMDIChildVelmora* Window = nullptr;
  bool TrackChanges = true;

 private:
  std::string m_name;
  uint8_t m_kind;
  std::string m_fileName;
};

// The document of a fractal window: it writes and reads the view's records as a fractal file.
class TUnitFract : public TUnit {
 public:
  TUnitFract(std::string name, std::string fileName);

  // A fractal document can always be written.
  bool CanSaveFract() const { return true; }
  bool NeedsSave() const { return CanSaveFract() && (Changed() || IsNew()); }
  bool Changed() const { return m_changed; }
  // Both only while changes are tracked.
  void SetChanged();
  void ClearChanged();

  // Writes the document to its file when it needs saving; true when nothing needed writing.
  bool Save();
  // Writes the document to path; a failure shows its own message.
  bool SaveTo(const std::string& path);
  bool SaveAs(const std::string& path) { return SaveTo(path); }
  // Reads the document's file into the window's view. On failure returns false with the
  // reason to show (the view keeps its records).
  bool Load(std::string& reason);
  // Reads another fractal file (a project's temp copy) into the view.
  bool LoadFrom(const std::string& path, std::string& reason);
  // Reads a fractal file into the two records, which hold the view's values beforehand.
  static bool Read(const std::string& path, TVoldViewProps& settings, TFractProps& props,
                   std::string& reason);

  // The texts of the status-bar panels 2 to 7.
  std::array<std::string, 6> StatusTexts() const;

  TMDIChildWave* FractWindow = nullptr;

 private:
  bool m_changed = false;
};
