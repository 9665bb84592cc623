#pragma once

#include <cstdint>
#include <memory>
#include <string>

class TDTDItem;
class TFractProps;
class TXMLComplexElement;
class TXMLItem;

// A new Fractal element holding the record; the caller appends it to its parent. Cont and
// ContValue are not part of it.
std::unique_ptr<TXMLComplexElement> WriteFractalXML(const TFractProps& props);

// Fills props from a Fractal element that passed FractalDTD(). A refused value or an
// unknown formula key ends the read with false, the message and the element's position;
// fields read before keep their new values, the rest their old ones.
bool ReadFractalXML(const TXMLItem* xmlFractal, TFractProps& props, std::string& message,
                    int32_t& line, int32_t& column);

// The grammar of the Fractal element.
std::unique_ptr<TDTDItem> FractalDTD();
