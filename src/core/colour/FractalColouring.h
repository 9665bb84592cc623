#pragma once

#include <cstdint>

#include "core/canvas/TCanvas.h"
#include "core/values/TColor.h"

class TFractArray;
struct TVoldViewProps;

// The colour of one cell from its depth value d and cycle length, by the settings: d = 0
// is MaxDepthColor, d > 0 an outside point, d < 0 an inside point whose cycle length picks
// the inside mix colours. maxCycle is the MaxCycle the cells were computed with.
TColor CellColor(float depth, int32_t cycle, const TVoldViewProps& settings, int32_t maxCycle);

// The colours of the cells of columns firstColumn .. lastColumn-1 of the results, by the
// settings, into colours, which is laid out as the results are (column by column): the
// colour of cell (x, y) goes to colours[x * Height + y]. A computing thread colours the
// columns it has just computed while they are still in its cache; painting then only copies.
void ColourColumns(const TFractArray& results, int32_t firstColumn, int32_t lastColumn,
                   const TVoldViewProps& settings, int32_t maxCycle, TColor* colours);

// The colours of the same cells as opaque ARGB pixels (core/canvas/ArgbRows.h) into a picture
// of the grid stored row by row: cell (x, y) goes to pixels[y * rowStride + x]. Only the
// pixels of those columns are written.
void ColourColumnsToRows(const TFractArray& results, int32_t firstColumn, int32_t lastColumn,
                         const TVoldViewProps& settings, int32_t maxCycle, uint32_t* pixels,
                         int64_t rowStride);

// A picture of a grid made by ColourColumnsToRows: cell (x, y) at pixels[y * rowStride + x].
struct TCellPixels {
  const uint32_t* pixels = nullptr;
  int64_t rowStride = 0;
};

// Paints the part update of the client rectangle client from the results: the grid is
// stretched over the client rectangle, each cell drawn as one pixel, line or rectangle, and
// only the columns below ColumnsDone are painted. Nothing is painted for an empty update,
// missing results or a client area narrower than 2 pixels. colours, when given, holds the
// colours ColourColumns made of every column below ColumnsDone by these settings; the cells
// are then not coloured again. pixels, when given instead, holds them as a picture.
void PaintFractalRect(TCanvas& canvas, const TRect& update, const TRect& client,
                      const TFractArray* results, const TVoldViewProps& settings, int32_t maxCycle,
                      const TColor* colours = nullptr, const TCellPixels* pixels = nullptr);
