#include "core/xml/XMLWriter.h"

#include "core/files/SafeFile.h"
#include "core/xml/TXMLItem.h"

std::string XMLDocumentText(const TXMLComplexElement& root) {
  std::string out;
  out += "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";
  out += kXMLLineEnd;
  out += "<!DOCTYPE " + root.GetElement() + " SYSTEM \"" + root.GetElement() + ".dtd\">";
  out += kXMLLineEnd;
  out += kXMLLineEnd;
  root.Write(out, 0);
  return out;
}

bool SaveToFile(const TXMLComplexElement& root, const std::string& path,
                std::string& errorMessage) {
  return WriteFileReplacing(path, XMLDocumentText(root), errorMessage);
}
