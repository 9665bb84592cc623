// The palette file load on any bytes. A palette that loads is written again; that text
// must load and write back unchanged.

#include <string>

#include "core/colour/TColorPalette1DItem.h"
#include "core/xml/TXMLItem.h"
#include "core/xml/XMLWriter.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TColorPalette1DItem palette(0x000000, 0xFFFFFF);
  std::string message;
  const TXMLReadStatus status = palette.LoadFromBytes(bytes, message);
  FUZZ_CHECK(status != TXMLReadStatus::CannotOpen, "bytes in memory can always be read");
  if (status == TXMLReadStatus::Failed) {
    FUZZ_CHECK(!message.empty(), "a refused file says why");
    // Whatever a refused read left of the chain must stay safe to use.
    (void)palette.ColorAt(0.5);
    return 0;
  }
  FUZZ_CHECK(palette.GetDPosition() == 0, "the palette starts at 0");
  FUZZ_CHECK(palette.GetLast()->GetDPosition() == 1, "the palette ends at 1");
  for (int i = 0; i <= 16; ++i) (void)palette.ColorAt(i / 16.0);

  const std::string written = XMLDocumentText(*palette.BuildFileDocument());
  TColorPalette1DItem again(0x000000, 0xFFFFFF);
  FUZZ_CHECK(again.LoadFromBytes(written, message) == TXMLReadStatus::Ok,
             "the file written from a loaded palette is refused: " + message);
  FUZZ_CHECK(XMLDocumentText(*again.BuildFileDocument()) == written,
             "a written palette changes when it is loaded and written again");
  return 0;
}
