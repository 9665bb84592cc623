#pragma once

#include <string>

#include "core/xml/TDTDItem.h"

class TColorPalette1DItem;

// Palettes in the formats of other programs, beside the native .cp1 file:
//   .gpl  GIMP palette: a list of colours, read as evenly spaced stops.
//   .ggr  GIMP gradient: segments with blending functions, read as stops (read only).
//   .map  Fractint / Iterated Dynamics colour map: 256 colours, one "R G B" a line.
// The readers take the file's bytes and never change the palette they are given unless the
// whole file is good; their messages name the line at fault ("line 7: ...").

enum class TPaletteFormat { Native, Gpl, Ggr, Map, Unknown };

// The format of a file by the extension of its file-name part, in any case.
TPaletteFormat PaletteFormatOf(const std::string& path);
// Whether LoadPaletteFile reads the format (every one but Unknown) and whether
// SavePaletteFile writes it (.cp1, .gpl, .map).
bool PaletteFormatReadable(TPaletteFormat format);
bool PaletteFormatWritable(TPaletteFormat format);

// GIMP palette: the line "GIMP Palette", then "Name:" and "Columns:" lines, "#" comment
// lines, blank lines and colour lines "R G B [name]" (each 0..255). N colours become N
// stops at i / (N - 1); a single colour gives a flat palette. No colour is an error.
bool ReadGplPalette(const std::string& bytes, TColorPalette1DItem& palette, std::string& message);

// GIMP gradient: "GIMP Gradient", an optional "Name:" line, the number of segments, then a
// line per segment: left middle right, the left and the right colour as R G B A (0..1), the
// blending function (0 linear, 1 curved, 2 sinusoidal, 3 spherical increasing, 4 spherical
// decreasing, 5 step), the colouring type (0 RGB, 1 HSV counter-clockwise, 2 HSV clockwise)
// and, optionally, the types of the two endpoint colours (0 fixed, 1 foreground, 2 foreground
// transparent, 3 background, 4 background transparent). The segments must run from 0 to 1,
// each starting where the one before it ends; drift of up to 1e-6 is put right.
// A segment boundary becomes a stop, with ColorAfter where the colours on its two sides
// differ. Linear RGB segments map exactly (an off-centre middle gives one more stop at the
// middle), step segments too (a hard step at the middle); the other blending functions and
// the HSV types are followed by stops sampled along the segment, more where it bends: 4
// intervals (and a stop at an off-centre middle), each halved up to 4 times while the straight
// line between two stops strays more than one level from the curve at their midpoint. Alpha is
// ignored, and so are the endpoint colour types: the colours written in the file are used.
// Channels are rounded to the nearest byte.
bool ReadGgrPalette(const std::string& bytes, TColorPalette1DItem& palette, std::string& message);

// Fractint / Iterated Dynamics map: a line per colour, "R G B" (0..255) with anything after
// the third number ignored; blank lines are skipped; LF or CR LF line ends. The first 256
// colours are the palette (the lines after them are not read, as Fractint does); 256 colours
// become stops at i / 255. A shorter map is spread over the palette the same way, N colours
// at i / (N - 1); a single colour gives a flat palette. No colour is an error.
bool ReadMapPalette(const std::string& bytes, TColorPalette1DItem& palette, std::string& message);

// The palette as a GIMP palette named name. The colours are the palette sampled with ColorAt
// on the coarsest even grid that holds every stop: the smallest D (at most
// kGplMaxExactDivisions) for which every stop's position is i / D, so that reading the file
// back gives the same colour at every stop's position (a palette of evenly spaced stops is
// written as its stops). A position counts as i / D also when it is off by the rounding of a
// .cp1 file (15 significant digits), and the colour there is then taken at the stop itself.
// With a hard step the grid is refined to at least 256 divisions, so that the step stays
// narrow. When no such grid exists the palette is sampled at kGplFallbackDivisions + 1 points
// and the colours at the stops are only approximated.
std::string WriteGplPalette(const TColorPalette1DItem& palette, const std::string& name);
inline constexpr int kGplMaxExactDivisions = 65536;
inline constexpr int kGplFallbackDivisions = 4096;

// The palette as a map: 256 lines "R G B", the colours at i / 255 (at the stop itself where
// a stop is there but for the rounding of a .cp1 file).
std::string WriteMapPalette(const TColorPalette1DItem& palette);

// Reads bytes of the given format into palette; Ok or Failed with the reason. Native files go
// through TColorPalette1DItem::LoadFromBytes, but into a fresh palette, so that palette is
// untouched on failure here too.
TXMLReadStatus LoadPaletteBytes(const std::string& bytes, TPaletteFormat format,
                                TColorPalette1DItem& palette, std::string& message);
// Reads the palette file at path by its extension. CannotOpen (message empty) when the file
// cannot be read; Failed with the reason otherwise. The palette changes only on Ok. Report a
// failure as the application does:
//   ErrorReporter.CannotReadFile(path, LoadFailureReason(status, message));
TXMLReadStatus LoadPaletteFile(const std::string& path, TColorPalette1DItem& palette,
                               std::string& message);

// Writes the palette to path in the format of its extension (.cp1, .gpl or .map; a .gpl is
// named after the file), through the replacing writer: a failed write leaves an old file as
// it was. On failure shows "Cannot save Color Palette File: <reason>." (caption "FileError")
// and returns false, as TColorPalette1DItem::SaveToFile does.
bool SavePaletteFile(const std::string& path, const TColorPalette1DItem& palette);
