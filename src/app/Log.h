#pragma once

#include <string>

// The trace log marks the program's start, its end and exceptions that escape start-up. The
// standard build writes nothing: the operations are empty.
inline void LogOpen() {}
inline void LogWriteLine(const std::string&) {}
inline void LogClose() {}
