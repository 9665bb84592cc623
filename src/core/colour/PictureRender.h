#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TFractProps;
struct TVoldViewProps;

// The size of a picture of a fractal and its samples per pixel in each direction (1 to 4).
struct TPictureSize {
  int32_t width = 0;
  int32_t height = 0;
  int32_t samples = 1;
};

// The largest number of samples per pixel in each direction.
inline constexpr int32_t kMaxPictureSamples = 4;

// One channel of an sRGB colour in linear light, and back, rounded to the nearest channel value.
double SrgbToLinear(uint8_t channel);
uint8_t LinearToSrgb(double linear);

// The pixel that count opaque ARGB samples average to, in linear light: a pixel of one colour
// stays that colour exactly.
uint32_t AverageArgb(const uint32_t* samples, int32_t count);

// Whether a picture of that size can be made, with the reason when not.
bool CheckPictureSize(const TPictureSize& size, std::string& errorText);

// How a rendering reports back to whoever runs it.
struct TPictureCallbacks {
  // Asked from any of the computing threads; true ends the work within a strip per thread.
  std::function<bool()> stopRequested;
  // Called on the calling thread with the share of the picture's cells computed (0 to 1),
  // at most about every 4 ms.
  std::function<void(double share)> progress;
};

// Receives the pixels of the picture's rows firstRow .. firstRow + rows - 1, width opaque ARGB
// pixels each, row after row; the pointer is good for the call only. False, with errorText,
// ends the rendering.
using TPictureRowsSink =
    std::function<bool(const uint32_t* argb, int32_t firstRow, int32_t rows, std::string& errorText)>;

// The number of cells a band of the picture computes at once: about 200 MB of results and
// colours.
inline constexpr int64_t kPictureBandCells = int64_t{1} << 24;

// The pixel rows of the picture that one band takes: as many as fit into kPictureBandCells
// cells (bandCells in tests), at least one.
int32_t PictureBandRows(const TPictureSize& size, int64_t bandCells = kPictureBandCells);

// The rows of band k (1 to count) when the picture's height is split into count bands whose
// heights differ by at most one row: [first, last).
void PictureBandBounds(int32_t height, int32_t k, int32_t count, int32_t& first, int32_t& last);

// Renders the rows firstRow .. lastRow-1 of the fractal of props afresh as a picture, band by
// band in bounded memory. The grid becomes width·samples by height·samples cells over the
// record's bounds, every cell is coloured as a view colours it, and each block of samples x
// samples cells is averaged into one pixel in linear light. With one sample a pixel is the
// colour of its cell, so a picture at the grid's own size is the view's picture; whatever the
// bands, every pixel is the one the whole grid gives. The cells are computed and coloured on
// the strip scheduler's threads (threads, 0 for every core); each band's pixels go to sink in
// order, from the calling thread. False with errorText when the size or the record cannot be
// rendered, the work or the sink failed; false with an empty errorText when it was stopped.
bool RenderPictureRows(const TFractProps& props, const TVoldViewProps& settings,
                       const TPictureSize& size, int32_t firstRow, int32_t lastRow,
                       int32_t threads, const TPictureCallbacks& callbacks,
                       const TPictureRowsSink& sink, std::string& errorText,
                       int64_t bandCells = kPictureBandCells);

// The whole picture in memory: argb receives width x height pixels, row after row.
bool RenderPicture(const TFractProps& props, const TVoldViewProps& settings,
                   const TPictureSize& size, int32_t threads, const TPictureCallbacks& callbacks,
                   std::vector<uint32_t>& argb, std::string& errorText);
