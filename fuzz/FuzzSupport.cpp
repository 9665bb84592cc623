#include "fuzz/FuzzSupport.h"

#include <cstring>
#include <memory>

#include "core/report/ErrorReporter.h"

namespace {

// Soft assertions and messages are part of what a file may cause; they must not flood the
// fuzzer's output, and they end nothing.
class TSilentSink : public TMessageSink {
 public:
  void ShowMessage(const std::string&, const std::string&, TMessageIcon) override {}
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  ErrorReporter.SetSink(std::make_unique<TSilentSink>());
  return 0;
}

uint8_t TFuzzBytes::Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }

uint16_t TFuzzBytes::Word() {
  const uint16_t low = Byte();
  return static_cast<uint16_t>(low | (Byte() << 8));
}

double TFuzzBytes::RawDouble() {
  uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits |= uint64_t{Byte()} << (8 * i);
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

double TFuzzBytes::Double() {
  if ((Byte() & 3) == 0) return RawDouble();
  return static_cast<int16_t>(Word()) / 4096.0;
}

int32_t TFuzzBytes::Between(int32_t first, int32_t last) {
  const uint32_t span = static_cast<uint32_t>(last - first) + 1;
  return first + static_cast<int32_t>(Word() % span);
}
