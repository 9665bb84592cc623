#pragma once

#include <cstdint>
#include <memory>
#include <string>

enum TXMLTokenKind {
  xmlTokenAttr,   // a text between tags
  xmlTokenBegin,  // a begin tag
  xmlTokenEnd,    // an end tag
  xmlTokenEmpty,  // an empty-element tag
  xmlTokenEof,    // the end of the file
  xmlTokenError,  // a lexical error
  xmlTokenStart   // the head of a list that was read without error
};

// One token of an XML file, linked to the next one. The list is headed by a token that
// stands for the file: xmlTokenStart when the whole file was read, xmlTokenEof when it
// could not be opened or read, and xmlTokenError, alone in its list, when the file holds
// something the reader does not accept. Deleting the head deletes the whole list.
class TXMLToken {
 public:
  // Reads the file at path. version receives the text of the file's last Version element
  // and is left unchanged when there is none.
  TXMLToken(const std::string& path, std::string& version);
  // Reads a file's content from memory, with the same rules.
  static std::unique_ptr<TXMLToken> FromBytes(const std::string& bytes, std::string& version);

  ~TXMLToken();
  TXMLToken(const TXMLToken&) = delete;
  TXMLToken& operator=(const TXMLToken&) = delete;

  TXMLTokenKind GetKind() const { return m_tokenKind; }
  // The text of an xmlTokenAttr token.
  const std::string& GetText() const;
  // The tag name of a begin, end or empty tag.
  const std::string& GetName() const;
  // The message of an xmlTokenError token.
  const std::string& GetErrorMessage() const;
  // The position of the token's last character: the ">" of a tag, the "<" after a text.
  int32_t GetLine() const { return m_line; }
  int32_t GetColumn() const { return m_column; }
  const TXMLToken* GetNext() const { return m_next.get(); }

 private:
  TXMLToken(TXMLTokenKind kind, std::string value, int32_t line, int32_t column);
  void Tokenize(const std::string& bytes, std::string& version);

  TXMLTokenKind m_tokenKind;
  // A token carries one string at most: the name of a tag, the text of a text or the
  // message of an error. Sharing the field keeps long lists small.
  std::string m_value;
  int32_t m_line;
  int32_t m_column;
  std::unique_ptr<TXMLToken> m_next;
};

// The message of the head when a file is too large to be one of the program's files.
inline constexpr const char* kXMLFileTooLarge =
    "the file is larger than 64 MiB; no file of this program is that large.";
