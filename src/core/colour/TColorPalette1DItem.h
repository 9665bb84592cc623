#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/values/TColor.h"
#include "core/values/ValueUnits.h"
#include "core/xml/TDTDItem.h"

class TXMLComplexElement;
class TXMLItem;

// One colour stop of a one-dimensional palette. A palette is its begin stop (position 0),
// held by value by its owner; the begin stop owns the rest of the chain, which runs through
// the inner stops to the end stop (position 1). Between two neighbours the colour runs from
// the left stop's after colour to the right stop's ColorBefore.
class TColorPalette1DItem {
 public:
  // A new palette of two stops: beginColor at 0, endColor at 1.
  TColorPalette1DItem(TColor beginColor, TColor endColor);
  // A single stop without successor.
  TColorPalette1DItem(const unitFactorPosMoreLess1& position, TColor colorBefore);
  TColorPalette1DItem(const unitFactorPosMoreLess1& position, TColor colorBefore, TColor colorAfter,
                      bool useColorAfter);

  // Copies the stop and the whole rest of its chain.
  TColorPalette1DItem(const TColorPalette1DItem& other);
  // Takes the colours, the flag and a copy of the rest of other's chain; the position stays.
  TColorPalette1DItem& operator=(const TColorPalette1DItem& other);
  virtual ~TColorPalette1DItem();

  // Equal stops with equal chains behind them.
  bool operator==(const TColorPalette1DItem& other) const;

  TColor GetColorBefore() const { return m_colorBefore; }
  void SetColorBefore(TColor color) { m_colorBefore = color; }
  // The colour to the right of the stop: ColorAfter when it is used, else ColorBefore.
  TColor GetColorAfter() const { return m_useColorAfter ? m_colorAfter : m_colorBefore; }
  // The stored ColorAfter, also while it is not used.
  TColor GetStoredColorAfter() const { return m_colorAfter; }
  // Only meaningful with UseColorAfter; the colour is stored either way.
  void SetColorAfter(TColor color);
  bool GetUseColorAfter() const { return m_useColorAfter; }
  void SetUseColorAfter(bool use) { m_useColorAfter = use; }

  double GetDPosition() const { return m_position.GetValue(); }
  const unitFactorPosMoreLess1& GetPosition() const { return m_position; }
  // After changing an inner stop's position, call Reposition on the palette.
  void SetPosition(const unitFactorPosMoreLess1& position) { m_position = position; }

  TColorPalette1DItem* GetNext() const { return m_next.get(); }
  TColorPalette1DItem* GetLast();
  const TColorPalette1DItem* GetLast() const;

  // The operations below are called on the palette (its begin stop).

  // The stop whose successor is item; null for the palette itself and for a stop that is
  // not in the chain.
  TColorPalette1DItem* Predecessor(const TColorPalette1DItem* item);
  // True when a stop other than except sits exactly at position.
  bool PositionExists(double position, const TColorPalette1DItem* except) const;
  // Links a new stop of color in before the first stop beyond position; returns it.
  TColorPalette1DItem* Insert(double position, TColor color);
  // Unlinks and destroys an inner stop; returns its predecessor. A begin or end stop, or
  // a stop of another chain, stays where it is and the result is null.
  TColorPalette1DItem* Delete(TColorPalette1DItem* item);
  // Moves item to the place that keeps the positions ascending after its position changed.
  void Reposition(TColorPalette1DItem* item);

  // The colour at position (0..1) from this stop onward.
  virtual TColor ColorAt(double position) const;

  // Appends the stops to xmlColorPalette1D: BeginColor, one ColorPalette1DItem per inner
  // stop, EndColor.
  void WriteXML(TXMLComplexElement& xmlColorPalette1D) const;
  // Replaces the chain by the stops of xmlColorPalette1D in file order. When a value is
  // refused, returns false with its message and position; the chain then ends at the last
  // stop read, without an end stop.
  bool ReadXML(const TXMLItem& xmlColorPalette1D, std::string& message, int32_t& line,
               int32_t& column);
  // The grammar of the ColorPalette1D element, for embedding in a file's grammar.
  static std::unique_ptr<TDTDItem> GetDTD();

  // The element tree of the palette file: UnitColorPalette1D with Version and ColorPalette1D.
  std::unique_ptr<TXMLComplexElement> BuildFileDocument() const;
  // Writes the palette as a palette file; on failure shows "Cannot save Color Palette
  // File: ..." and returns false.
  bool SaveToFile(const std::string& path) const;
  // Reads a palette file into the palette. On CannotOpen message is empty and the palette
  // untouched; on Failed message says why (with the position when a value was refused).
  TXMLReadStatus LoadFromFile(const std::string& path, std::string& message);
  // The same for a file's content in memory; it is never CannotOpen.
  TXMLReadStatus LoadFromBytes(const std::string& bytes, std::string& message);
  // The grammar of the palette file, built on first use and kept.
  static const TDTDItem& FileDTD();

 private:
  // Copies the chain behind other into a new chain behind this stop.
  void CopyChainFrom(const TColorPalette1DItem& other);
  void DestroyChain();
  // The part of a load after the grammar: the stops from the element tree.
  TXMLReadStatus ReadFileTree(TXMLReadStatus status, const TXMLComplexElement* root,
                              std::string& message);

  TColor m_colorBefore = 0;
  bool m_useColorAfter = false;
  TColor m_colorAfter = 0;
  unitFactorPosMoreLess1 m_position;
  std::unique_ptr<TColorPalette1DItem> m_next;
};
