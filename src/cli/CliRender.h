#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes width x height opaque ARGB pixels, row after row, as a PNG file that carries the
// bytes of a fractal file; the file at path is replaced only once the whole picture is
// written. False with errorText when it cannot be written.
bool WritePicturePng(const std::vector<uint32_t>& argb, int32_t width, int32_t height,
                     const std::string& fractalBytes, const std::string& path,
                     std::string& errorText);
