#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// What every fuzzer shares: silent reports, a check that ends the run, and a reader that
// takes typed values from the input bytes.

// A property of the code under test does not hold: the message goes to standard error and
// the process aborts, which libFuzzer records as a finding with its input.
#define FUZZ_CHECK(cond, what)                                                        \
  do {                                                                                \
    if (!(cond)) {                                                                    \
      std::fprintf(stderr, "FUZZ_CHECK failed: %s (%s) at %s:%d\n", #cond,            \
                   std::string(what).c_str(), __FILE__, __LINE__);                    \
      std::abort();                                                                   \
    }                                                                                 \
  } while (false)

// Takes values from the front of the input; once it is used up every value is zero.
class TFuzzBytes {
 public:
  TFuzzBytes(const uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

  uint8_t Byte();
  uint16_t Word();
  // Any bit pattern: NaN, infinities, denormals and huge values included.
  double RawDouble();
  // Mostly small plain numbers, where fractals live, sometimes any bit pattern.
  double Double();
  // An integer of first..last.
  int32_t Between(int32_t first, int32_t last);

 private:
  const uint8_t* m_data;
  std::size_t m_size;
  std::size_t m_pos = 0;
};
