#pragma once

#include <string>

// The smallest PNG there is, a 1 x 1 header and the end, with the chunks between put in
// between: enough for everything that only walks a picture's chunks.
std::string TinyPng(const std::string& between = "");

// A tiny PNG carrying fractalBytes as its fractal.
std::string TinyPngCarrying(const std::string& fractalBytes);
