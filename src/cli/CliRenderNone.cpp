#include "cli/CliRender.h"

// A build without the Qt layers has no PNG writer.
bool WritePicturePng(const std::vector<uint32_t>&, int32_t, int32_t, const std::string&,
                     const std::string&, std::string& errorText) {
  errorText = "This build of velmora-cli cannot write PNG files (it was built without Qt).";
  return false;
}
