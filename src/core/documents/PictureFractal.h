#pragma once

#include <string>

#include "core/xml/TDTDItem.h"

class TFractProps;
struct TVoldViewProps;

// A PNG picture can carry the fractal it shows: the bytes of its fractal file, as Save writes
// them, in a tEXt chunk under this keyword. The file's text is Latin-1, as tEXt's is, so the
// bytes travel unchanged.
inline constexpr const char* kFractalChunkKeyword = "Velmora fractal";

// The CRC-32 of PNG chunks (ISO 3309) over bytes.
uint32_t PngCrc(const std::string& bytes);

// A PNG chunk of type (four letters) holding data, with its length and check sum.
std::string PngChunk(const std::string& type, const std::string& data);

// The PNG png with a chunk holding fractalBytes put in right after its header chunk; false
// with errorText when png is not a PNG.
bool EmbedFractal(const std::string& png, const std::string& fractalBytes, std::string& out,
                  std::string& errorText);

// The fractal file a PNG carries; false with the reason when the bytes are no PNG, carry no
// fractal, or a chunk up to the fractal's is cut short or damaged.
bool ExtractFractal(const std::string& png, std::string& fractalBytes, std::string& errorText);

// Reads the fractal a PNG file carries into settings and props, as LoadFractalFile reads a
// fractal file: CannotOpen with an empty message, or Failed with the reason.
TXMLReadStatus LoadFractalPicture(const std::string& path, TVoldViewProps& settings,
                                  TFractProps& props, std::string& message);
