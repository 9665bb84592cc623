// The fractal a PNG picture carries, on any bytes: the chunk walk and the fractal file's
// load. A fractal put into a picture must come out of it unchanged.

#include <string>

#include "core/colour/TVoldViewProps.h"
#include "core/documents/FractalFile.h"
#include "core/documents/PictureFractal.h"
#include "core/fractal/TFractProps.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::string fractal;
  std::string message;
  if (ExtractFractal(bytes, fractal, message)) {
    TVoldViewProps settings;
    TFractProps props;
    const TXMLReadStatus status = LoadFractalBytes(fractal, settings, props, message);
    FUZZ_CHECK(status != TXMLReadStatus::CannotOpen, "bytes in memory can always be read");
    FUZZ_CHECK(status == TXMLReadStatus::Ok || !message.empty(), "a refused fractal says why");
  } else {
    FUZZ_CHECK(!message.empty(), "a refused picture says why");
  }

  // Whatever the picture, a fractal embedded in it is the one found first.
  const std::string carried = FractalFileText(TVoldViewProps(), TFractProps());
  std::string embedded;
  if (EmbedFractal(bytes, carried, embedded, message)) {
    std::string back;
    FUZZ_CHECK(ExtractFractal(embedded, back, message), "an embedded fractal is lost: " + message);
    FUZZ_CHECK(back == carried, "an embedded fractal comes back changed");
  }
  return 0;
}
