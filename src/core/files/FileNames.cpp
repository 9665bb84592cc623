#include "core/files/FileNames.h"

#include <algorithm>
#include <cctype>

bool PathOfPathFile(const std::string& pathFile, std::string& path, std::string& file,
                    std::string& errorMessage) {
  const std::string::size_type p = pathFile.rfind(kPathSeparator);
  if (p == std::string::npos) {
    errorMessage = "Function PathOfPathFile: PathFile (\"" + pathFile + "\") has no path\".";
    return false;
  }
  path = pathFile.substr(0, p);
  file = pathFile.substr(p + 1);
  return true;
}

bool NameOfFile(const std::string& file, std::string& name, std::string& extension,
                std::string& /*errorMessage*/) {
  const std::string::size_type p = file.rfind('.');
  if (p == std::string::npos) {
    name = file;
    extension.clear();
  } else {
    name = file.substr(0, p);
    extension = file.substr(p + 1);
  }
  return true;
}

std::string LowerExtension(const std::string& pathFile) {
  const std::string file = pathFile.substr(pathFile.rfind(kPathSeparator) + 1);
  const std::string::size_type dot = file.rfind('.');
  if (dot == std::string::npos) return "";
  std::string extension = file.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}
