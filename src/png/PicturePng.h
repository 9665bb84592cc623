#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/colour/PictureRender.h"
#include "png/PngStream.h"

// The text chunk of a band file: which band of which picture it holds.
inline constexpr const char* kBandChunkKeyword = "Velmora band";

// The encoding every picture of a fractal is written with, so that a picture made in one
// piece and one assembled from bands are the same bytes.
TPngEncoding PictureEncoding();

// What a band file says of itself.
struct TBandInfo {
  int32_t band = 1;   // 1 .. count
  int32_t count = 1;
  int32_t width = 0;  // of the whole picture
  int32_t height = 0;
  int32_t samples = 1;
};

std::string BandText(const TBandInfo& info);
// False when text is no band description.
bool ParseBandText(const std::string& text, TBandInfo& info);

// Renders the rows of band info.band of info.count of the picture of props and writes them to
// the PNG file at path, carrying fractalBytes. A band file (bandFile) also carries its band
// description, even the one band of one; otherwise info is 1 of 1 and the file the picture. The bands are rendered in bounded memory and encoded
// on a thread of their own while the next band is computed. The file is replaced only when
// the whole picture is written; on failure or a stop nothing is left behind. False with
// errorText (empty when stopped).
bool RenderPicturePng(const TFractProps& props, const TVoldViewProps& settings,
                      const TBandInfo& info, bool bandFile, const std::string& fractalBytes,
                      int32_t threads,
                      const TPictureCallbacks& callbacks, const std::string& path,
                      std::string& errorText);

// Streams the band files into one PNG at outPath, the same bytes RenderPicturePng makes of the
// whole picture. The bands may be given in any order; each must be there once, all of one
// picture. False with errorText naming the file at fault.
bool AssembleBands(const std::vector<std::string>& bandPaths, const std::string& outPath,
                   std::string& errorText);
