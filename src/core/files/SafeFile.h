#pragma once

#include <cstddef>
#include <string>

// The message of a file that cannot be opened for writing.
inline constexpr const char* kCannotOpenForWriting =
    "Operating System cannot open file for writing, maybe the file is readonly.";

// Writes content to path so that a failure never destroys the previous file: the bytes go
// to a new file beside the target, which replaces the target only once it is completely
// written and flushed. A read-only target or folder is refused as the plain open would
// refuse it. On failure returns false with a message and leaves the target as it was.
bool WriteFileReplacing(const std::string& path, const std::string& content,
                        std::string& errorMessage);

// Files larger than this are refused before they are read into memory: no fractal,
// palette or project file comes anywhere near it.
inline constexpr std::size_t kMaxReadableFileSize = 64u * 1024u * 1024u;

enum class TReadResult { Ok, CannotOpen, TooLarge, ReadError };

// Reads a whole file into content, refusing files above kMaxReadableFileSize.
TReadResult ReadWholeFile(const std::string& path, std::string& content);
