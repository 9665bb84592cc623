#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The most pixels a picture written whole (in any format but PNG) may have: 1 GiB of pixels.
inline constexpr int64_t kMaxWholePicturePixels = int64_t{1} << 28;

// Whether this build can write a picture of width x height pixels in the format of path's
// extension; if not, sets errorText to say so.
bool CanWritePictureFormat(const std::string& path, int32_t width, int32_t height,
                           std::string& errorText);

// Writes width x height opaque ARGB pixels, row after row, in the format of path's extension;
// the file at path is replaced only once the whole picture is written. False with errorText
// when it cannot be written.
bool WritePicture(const std::vector<uint32_t>& argb, int32_t width, int32_t height,
                  const std::string& path, std::string& errorText);
