#pragma once

#include <string>

// Directory separator of the platform the program runs on.
inline constexpr char kPathSeparator = '/';

// Splits a full file name at its last directory separator into folder and file; a name
// without separator fails with a message and leaves path and file unchanged.
bool PathOfPathFile(const std::string& pathFile, std::string& path, std::string& file,
                    std::string& errorMessage);

// Splits a file name at its last "." into name and extension (empty when there is none).
// Always succeeds; errorMessage is never set.
bool NameOfFile(const std::string& file, std::string& name, std::string& extension,
                std::string& errorMessage);

// The extension of the file-name part of a path, after its last ".", in lower case; empty
// when the file name has no ".".
std::string LowerExtension(const std::string& pathFile);
