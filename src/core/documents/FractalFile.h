#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/xml/TDTDItem.h"

class TFractProps;
class TXMLComplexElement;
class TXMLItem;
struct TVoldViewProps;

// The view's part of a fractal file: an empty View element followed by FractalView.
void WriteViewXML(TXMLComplexElement& parent, const TVoldViewProps& settings);
std::unique_ptr<TDTDItem> ViewDTD();
// Reads the view's part starting at its View element: FractalView into settings, then the
// Fractal element after it into props. The first refused value ends the read with false,
// its message and position.
bool ReadViewXML(const TXMLItem* xmlView, TVoldViewProps& settings, TFractProps& props,
                 std::string& message, int32_t& line, int32_t& column);

// The element tree of a fractal file: UnitFractal with Version, View, FractalView, Fractal.
std::unique_ptr<TXMLComplexElement> BuildFractalDocument(const TVoldViewProps& settings,
                                                         const TFractProps& props);
// The bytes of the fractal file of the two records, as SaveFractalFile writes them.
std::string FractalFileText(const TVoldViewProps& settings, const TFractProps& props);
// The grammar of a fractal file, built on first use and kept.
const TDTDItem& FractalFileDTD();

// Writes a fractal file. On failure shows "Cannot save Fractal File: <reason>." (caption
// "FileError") and returns false; a previous file at path is kept.
bool SaveFractalFile(const std::string& path, const TVoldViewProps& settings,
                     const TFractProps& props);

// Reads a fractal file into settings and props. Ok; CannotOpen with an empty message when
// the file cannot be opened; Failed with the reason (which carries its position). A failed
// read may have changed the records partly. A Version other than 1.0 is reported as a soft
// assertion and the read goes on.
TXMLReadStatus LoadFractalFile(const std::string& path, TVoldViewProps& settings,
                               TFractProps& props, std::string& message);
// The same for a file's content in memory; it is never CannotOpen.
TXMLReadStatus LoadFractalBytes(const std::string& bytes, TVoldViewProps& settings,
                                TFractProps& props, std::string& message);

// The reason shown for a file that cannot be opened.
inline constexpr const char* kFileCannotBeOpened = "the file does not exist or cannot be opened.";

// The reason to show after a failed load: the message, or kFileCannotBeOpened.
std::string LoadFailureReason(TXMLReadStatus status, const std::string& message);

// " At line L, column C+1." appended to a value's message: the column of an element is that
// of the ">" of its begin tag, so the one after it is the value's first character.
std::string WithPosition(const std::string& message, int32_t line, int32_t column);
