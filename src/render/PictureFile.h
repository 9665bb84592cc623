#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The most pixels a picture written whole (in any format but PNG, which is written in bands)
// may have: 1 GiB of pixels in memory.
inline constexpr int64_t kMaxWholePicturePixels = int64_t{1} << 28;

// Whether a picture of width x height pixels can be written whole in the format of path's
// extension by Qt's image writers; if not, reason says why, in a sentence.
bool WholePictureWritable(const std::string& path, int32_t width, int32_t height,
                          std::string& reason);

// Writes width x height opaque ARGB pixels, row after row, in the format of path's extension;
// the file at path is replaced only once the whole picture is written. False with the reason.
bool WriteWholePicture(const std::vector<uint32_t>& argb, int32_t width, int32_t height,
                       const std::string& path, std::string& reason);
