// The project file read on any bytes: grammar, values and windows, with a reader that
// accepts every window and reads its geometry as the program's readers do.

#include <string>

#include "core/documents/ProjectFile.h"
#include "core/xml/TXMLItem.h"
#include "fuzz/FuzzSupport.h"

namespace {

class TAcceptingReader : public TProjectReader {
 public:
  void SetNoNameCounter(int32_t) override {}
  void SetFrameValue(int index, int32_t) override {
    FUZZ_CHECK(index >= 0 && index < 4, "frame value " + std::to_string(index));
  }
  void SetFrameState(int state) override {
    FUZZ_CHECK(state >= 0 && state <= 2, "frame state " + std::to_string(state));
  }
  bool OpenWindow(const std::string&, const std::string&) override {
    ++windows;
    return true;
  }
  bool NameInUse(const std::string&) override { return false; }
  bool ApplyWindow(const std::string&, const TXMLItem* first, std::string& message,
                   int32_t& line, int32_t& column) override {
    int state = -1;
    const bool ok = ReadGeometry(first, nullptr, state, message, line, column);
    if (ok) FUZZ_CHECK(state >= 0 && state <= 2, "window state " + std::to_string(state));
    return ok;
  }
  void LastName(const std::string&) override {}

  int windows = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TAcceptingReader reader;
  std::string errorText;
  const TProjectReadResult result =
      ReadProjectBytes(bytes, "/fuzz/session.tkp", reader, errorText);
  FUZZ_CHECK(result != TProjectReadResult::CannotOpen, "bytes in memory can always be read");
  if (result == TProjectReadResult::Failed) FUZZ_CHECK(!errorText.empty(), "a refused project says why");
  return 0;
}
