#pragma once

#include <cstdint>
#include <string>

class TFractArray;
class TFractProps;
struct TVoldViewProps;

// Paints the finished results as a view of client size width x height shows them and
// writes the picture as a PNG file; false with errorText when it cannot be written.
bool RenderPng(const TFractArray& results, const TVoldViewProps& settings, const TFractProps& props,
               int32_t width, int32_t height, const std::string& path, std::string& errorText);
