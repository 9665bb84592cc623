// The fractal file load on any bytes: tokenizer, version check, grammar and the records.
// A file that loads is written again; that text must load and write back unchanged.

#include <string>

#include "core/colour/TVoldViewProps.h"
#include "core/documents/FractalFile.h"
#include "core/fractal/TFractProps.h"
#include "core/xml/TXMLItem.h"
#include "core/xml/XMLWriter.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TVoldViewProps settings;
  TFractProps props;
  std::string message;
  const TXMLReadStatus status = LoadFractalBytes(bytes, settings, props, message);
  FUZZ_CHECK(status != TXMLReadStatus::CannotOpen, "bytes in memory can always be read");
  if (status == TXMLReadStatus::Failed) {
    FUZZ_CHECK(!message.empty(), "a refused file says why");
    return 0;
  }

  const std::string written = XMLDocumentText(*BuildFractalDocument(settings, props));
  TVoldViewProps settingsAgain;
  TFractProps propsAgain;
  const TXMLReadStatus again = LoadFractalBytes(written, settingsAgain, propsAgain, message);
  FUZZ_CHECK(again == TXMLReadStatus::Ok, "the file written from a loaded one is refused: " + message);
  FUZZ_CHECK(XMLDocumentText(*BuildFractalDocument(settingsAgain, propsAgain)) == written,
             "a written file changes when it is loaded and written again");
  return 0;
}
