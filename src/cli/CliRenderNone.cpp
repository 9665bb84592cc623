#include "cli/CliRender.h"

// A build without the Qt layers writes PNG files only.
bool CanWritePictureFormat(const std::string& path, int32_t, int32_t, std::string& errorText) {
  errorText = "Cannot write \"" + path + "\": this build of velmora-cli writes PNG files only.";
  return false;
}

bool WritePicture(const std::vector<uint32_t>&, int32_t width, int32_t height,
                  const std::string& path, std::string& errorText) {
  return CanWritePictureFormat(path, width, height, errorText);
}
