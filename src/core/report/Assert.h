#pragma once

// Hard assertions guard against programming errors: when the condition is false the
// condition text, the source file and the line go to standard error and the program ends.
// The condition text is given explicitly so that it reads as the program reports it.

namespace velmora {

[[noreturn]] void HardAssertionFailed(const char* condition, const char* file, int line);

}  // namespace velmora

#define VELMORA_ASSERT(cond, text)                                   \
  do {                                                               \
    if (!(cond)) ::velmora::HardAssertionFailed(text, __FILE__, __LINE__); \
  } while (false)
