#pragma once

#include <string>

#include "core/xml/TXMLItem.h"

// Two lines that the reader skips, so that a test's body starts at line 3, column 1.
inline std::string WithHeader(const std::string& body) { return "line one\nline two\n" + body; }

// A tree in one line: groups as Name(children), texts as Name=text.
inline std::string Dump(const TXMLItem& item) {
  if (const auto* text = dynamic_cast<const TXMLStringElement*>(&item)) {
    return text->GetElement() + "=" + text->Text;
  }
  std::string out = item.GetElement() + "(";
  for (const TXMLItem* child = item.GetFirst(); child != nullptr; child = child->Next()) {
    if (child != item.GetFirst()) out += " ";
    out += Dump(*child);
  }
  return out + ")";
}
