#pragma once

#include <string>

class TXMLComplexElement;

// The whole document of root as the bytes of its file: the XML declaration, the DOCTYPE
// line naming the root, an empty line and the element tree, every line ending in CR LF.
std::string XMLDocumentText(const TXMLComplexElement& root);

// Writes the document of root to path. Returns false with errorMessage set when the file
// cannot be opened or not be written completely; a previous file is then left as it was.
bool SaveToFile(const TXMLComplexElement& root, const std::string& path,
                std::string& errorMessage);
