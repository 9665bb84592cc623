#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/fractal/StripScheduler.h"

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

// Renders the fractal of props afresh as a picture: its grid becomes width·samples by
// height·samples cells over the record's bounds, every cell is coloured as a view colours it,
// and each block of samples × samples cells is averaged into one pixel in linear light. With
// one sample a pixel is the colour of its cell, so a picture at the grid's own size is the
// view's picture. The cells are computed and coloured on the strip scheduler's threads
// (threads, 0 for every core) with callbacks' stop request and progress. On success argb
// holds width × height opaque ARGB pixels, row after row; false with errorText when the size
// or the record cannot be rendered or the work failed, and false with an empty errorText when
// it was stopped.
bool RenderPicture(const TFractProps& props, const TVoldViewProps& settings,
                   const TPictureSize& size, int32_t threads, const TStripCallbacks& callbacks,
                   std::vector<uint32_t>& argb, std::string& errorText);
