#pragma once

// What the fuzzers of the palette readers of other programs' formats check on every input:
// a refusal names a line and leaves the palette alone; a palette that loads is well formed,
// safe to use, and what the writers make of it reads back.

#include <string>

#include "core/colour/PaletteFormats.h"
#include "core/colour/TColorPalette1DItem.h"
#include "fuzz/FuzzSupport.h"

namespace palette_checks {

using TReader = bool (*)(const std::string&, TColorPalette1DItem&, std::string&);

// Not what any input reads: three stops, one of them a hard step.
inline TColorPalette1DItem Sentinel() {
  TColorPalette1DItem palette(0x123456, 0x654321);
  TColorPalette1DItem* step = palette.Insert(0.25, 0xABCDEF);
  step->SetUseColorAfter(true);
  step->SetColorAfter(0x0F0F0F);
  return palette;
}

inline int StopCount(const TColorPalette1DItem& palette) {
  int count = 0;
  for (const TColorPalette1DItem* s = &palette; s != nullptr; s = s->GetNext()) ++count;
  return count;
}

// Begins at 0, ends at 1, strictly ascending between; ColorAt answers everywhere. Linear in
// the stops: a written GIMP palette may hold thousands.
inline void CheckWellFormed(const TColorPalette1DItem& palette, const char* what) {
  FUZZ_CHECK(palette.GetDPosition() == 0, std::string(what) + ": the palette starts at 0");
  FUZZ_CHECK(palette.GetLast()->GetDPosition() == 1, std::string(what) + ": the palette ends at 1");
  FUZZ_CHECK(palette.GetNext() != nullptr, std::string(what) + ": at least two stops");
  FUZZ_CHECK(!palette.GetUseColorAfter() && !palette.GetLast()->GetUseColorAfter(),
             std::string(what) + ": the end stops have no after colour (.cp1 would lose it)");
  for (const TColorPalette1DItem* s = &palette; s->GetNext() != nullptr; s = s->GetNext()) {
    FUZZ_CHECK(s->GetDPosition() < s->GetNext()->GetDPosition(),
               std::string(what) + ": positions ascend strictly");
    (void)s->ColorAt((s->GetDPosition() + s->GetNext()->GetDPosition()) / 2);
  }
  for (int i = 0; i <= 64; ++i) (void)palette.ColorAt(i / 64.0);
}

// The writers' text reads back; a palette read from it is written the same again. Where the
// written GIMP palette has a stop at the position of one of the palette's, it has its colour.
inline void CheckWriters(const TColorPalette1DItem& palette) {
  std::string message;
  const std::string gpl = WriteGplPalette(palette, "fuzz");
  TColorPalette1DItem fromGpl(0, 0);
  FUZZ_CHECK(ReadGplPalette(gpl, fromGpl, message),
             "a written GIMP palette is refused: " + message);
  CheckWellFormed(fromGpl, "written .gpl");
  FUZZ_CHECK(WriteGplPalette(fromGpl, "fuzz") == gpl, "a GIMP palette written again changes");
  const TColorPalette1DItem* written = &fromGpl;
  for (const TColorPalette1DItem* s = &palette; s != nullptr; s = s->GetNext()) {
    while (written->GetNext() != nullptr && written->GetDPosition() < s->GetDPosition()) {
      written = written->GetNext();
    }
    if (written->GetDPosition() == s->GetDPosition()) {
      FUZZ_CHECK(written->GetColorBefore() == s->GetColorBefore(),
                 "a GIMP palette loses the colour of a stop it holds");
    }
  }

  const std::string map = WriteMapPalette(palette);
  TColorPalette1DItem fromMap(0, 0);
  FUZZ_CHECK(ReadMapPalette(map, fromMap, message), "a written map is refused: " + message);
  CheckWellFormed(fromMap, "written .map");
  FUZZ_CHECK(StopCount(fromMap) == 256, "a written map holds 256 colours");
  FUZZ_CHECK(WriteMapPalette(fromMap) == map, "a map written again changes");
}

// The whole check of one input for one reader; true with the palette read when it loads.
inline bool Check(TReader read, const uint8_t* data, std::size_t size,
                  TColorPalette1DItem& palette) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  palette = Sentinel();
  std::string message;
  if (!read(bytes, palette, message)) {
    FUZZ_CHECK(message.rfind("line ", 0) == 0 && message.find(": ") != std::string::npos,
               "a refusal names its line: " + message);
    FUZZ_CHECK(palette == Sentinel(), "a refused file changed the palette");
    return false;
  }
  CheckWellFormed(palette, "read");
  CheckWriters(palette);
  return true;
}

}  // namespace palette_checks
