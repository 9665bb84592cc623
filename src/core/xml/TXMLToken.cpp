#include "core/xml/TXMLToken.h"

#include <utility>

#include "core/files/SafeFile.h"
#include "core/report/Assert.h"

namespace {

// What the reader returns for a line end (LF, or CR immediately followed by LF) and for
// the end of the file. Every other byte is returned as itself, 0 to 255.
constexpr int kLineEnd = '\n';
constexpr int kEndOfFile = -1;

// The first two lines are skipped without looking at them, each up to and including its
// line end but never more than this many characters.
constexpr int kSkippedLineLength = 98;

enum class TCharClass { Letter, Digit, Blank, Slash, Open, Close, End, Other };

TCharClass ClassOf(int c) {
  if (c == kEndOfFile) return TCharClass::End;
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return TCharClass::Letter;
  if (c >= '0' && c <= '9') return TCharClass::Digit;
  if (c == ' ' || c == '\t' || c == kLineEnd) return TCharClass::Blank;
  if (c == '/') return TCharClass::Slash;
  if (c == '<') return TCharClass::Open;
  if (c == '>') return TCharClass::Close;
  return TCharClass::Other;
}

bool IsNameChar(TCharClass k) { return k == TCharClass::Letter || k == TCharClass::Digit; }

// Reads the bytes of a file character by character and keeps the position of the next one.
class TCharReader {
 public:
  explicit TCharReader(const std::string& bytes) : m_bytes(bytes) {}

  int Read() {
    if (m_pos >= m_bytes.size()) return kEndOfFile;
    const int c = static_cast<unsigned char>(m_bytes[m_pos++]);
    bool lineEnd = c == '\n';
    if (c == '\r' && m_pos < m_bytes.size() && m_bytes[m_pos] == '\n') {
      ++m_pos;
      lineEnd = true;
    }
    if (lineEnd) {
      ++Line;
      Column = 1;
      return kLineEnd;
    }
    ++Column;
    return c;
  }

  // Gives back the "<" that ended a text, so that it starts the next tag.
  void PushBack() {
    --m_pos;
    --Column;
  }

  void SkipLine() {
    for (int n = 0; n < kSkippedLineLength; ++n) {
      const int c = Read();
      if (c == kLineEnd || c == kEndOfFile) return;
    }
  }

  // The column counter denotes the column of the next character.
  int32_t Line = 3;
  int32_t Column = 1;

 private:
  const std::string& m_bytes;
  std::size_t m_pos = 0;
};

struct TScanned {
  TXMLTokenKind kind;
  std::string value;
  int32_t line;
  int32_t column;
};

// A token is placed at its last character, the one just read.
TScanned Complete(const TCharReader& in, TXMLTokenKind kind, std::string value) {
  return {kind, std::move(value), in.Line, in.Column - 1};
}

TScanned Unexpected(const TCharReader& in, int c) {
  std::string what = c == kEndOfFile ? std::string("end-of-file ")
                                     : "'" + std::string(1, static_cast<char>(c)) + "'";
  const int32_t column = in.Column - 1;
  return {xmlTokenError,
          "unexpected " + what + " found in line " + std::to_string(in.Line) + ", column " +
              std::to_string(column) + ".",
          in.Line, column};
}

std::string Trimmed(const std::string& text) {
  auto isSpace = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && isSpace(text[begin])) ++begin;
  while (end > begin && isSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// Reads one token; blanks in front of it are skipped.
TScanned Scan(TCharReader& in) {
  enum {
    Start,
    Text,
    AfterOpen,
    BeginName,
    AfterBeginName,
    AfterSlash,
    AfterEndOpen,
    EndName,
    AfterEndName
  } state = Start;
  std::string value;
  for (;;) {
    const int c = in.Read();
    const TCharClass k = ClassOf(c);
    const bool blank = k == TCharClass::Blank;
    const bool close = k == TCharClass::Close;
    switch (state) {
      case Start:
        if (blank) continue;
        if (k == TCharClass::Open) {
          state = AfterOpen;
          continue;
        }
        if (k == TCharClass::End) return Complete(in, xmlTokenEof, {});
        if (close) return Unexpected(in, c);
        value += static_cast<char>(c);
        state = Text;
        continue;
      case Text:
        if (k == TCharClass::Open) {
          TScanned text = Complete(in, xmlTokenAttr, Trimmed(value));
          in.PushBack();
          return text;
        }
        if (close || k == TCharClass::End) return Unexpected(in, c);
        value += (c == '\t' || c == kLineEnd || c == '\r') ? ' ' : static_cast<char>(c);
        continue;
      case AfterOpen:
        if (blank) continue;
        if (k == TCharClass::Slash) {
          state = AfterEndOpen;
          continue;
        }
        if (!IsNameChar(k)) return Unexpected(in, c);
        value += static_cast<char>(c);
        state = BeginName;
        continue;
      case BeginName:
        if (IsNameChar(k)) {
          value += static_cast<char>(c);
          continue;
        }
        [[fallthrough]];
      case AfterBeginName:
        if (blank) {
          state = AfterBeginName;
          continue;
        }
        if (k == TCharClass::Slash) {
          state = AfterSlash;
          continue;
        }
        if (close) return Complete(in, xmlTokenBegin, std::move(value));
        return Unexpected(in, c);
      case AfterSlash:
        if (blank) continue;
        if (close) return Complete(in, xmlTokenEmpty, std::move(value));
        return Unexpected(in, c);
      case AfterEndOpen:
        if (blank) continue;
        if (!IsNameChar(k)) return Unexpected(in, c);
        value += static_cast<char>(c);
        state = EndName;
        continue;
      case EndName:
        if (IsNameChar(k)) {
          value += static_cast<char>(c);
          continue;
        }
        [[fallthrough]];
      case AfterEndName:
        if (blank) {
          state = AfterEndName;
          continue;
        }
        if (close) return Complete(in, xmlTokenEnd, std::move(value));
        return Unexpected(in, c);
    }
  }
}

}  // namespace

TXMLToken::TXMLToken(TXMLTokenKind kind, std::string value, int32_t line, int32_t column)
    : m_tokenKind(kind), m_value(std::move(value)), m_line(line), m_column(column) {}

TXMLToken::TXMLToken(const std::string& path, std::string& version)
    : TXMLToken(xmlTokenStart, "Unknown Error", 0, 0) {
  std::string bytes;
  switch (ReadWholeFile(path, bytes)) {
    case TReadResult::Ok:
      Tokenize(bytes, version);
      break;
    case TReadResult::TooLarge:
      m_tokenKind = xmlTokenError;
      m_value = kXMLFileTooLarge;
      break;
    case TReadResult::CannotOpen:
    case TReadResult::ReadError:
      m_tokenKind = xmlTokenEof;
      break;
  }
}

std::unique_ptr<TXMLToken> TXMLToken::FromBytes(const std::string& bytes, std::string& version) {
  std::unique_ptr<TXMLToken> head(new TXMLToken(xmlTokenStart, "Unknown Error", 0, 0));
  head->Tokenize(bytes, version);
  return head;
}

// A list can hold millions of tokens; it is taken apart one token at a time so that the
// destructors never nest.
TXMLToken::~TXMLToken() {
  std::unique_ptr<TXMLToken> rest = std::move(m_next);
  while (rest) rest = std::move(rest->m_next);
}

void TXMLToken::Tokenize(const std::string& bytes, std::string& version) {
  TCharReader in(bytes);
  in.SkipLine();
  in.SkipLine();
  in.Line = 3;
  in.Column = 1;

  TXMLToken* last = this;
  for (;;) {
    TScanned s = Scan(in);
    if (s.kind == xmlTokenError) {
      // Nothing of a file with a lexical error is kept but the message.
      m_next.reset();
      m_tokenKind = xmlTokenError;
      m_value = std::move(s.value);
      return;
    }
    if (s.kind == xmlTokenAttr && last->m_tokenKind == xmlTokenBegin &&
        last->m_value == "Version") {
      version = s.value;
    }
    last->m_next.reset(new TXMLToken(s.kind, std::move(s.value), s.line, s.column));
    last = last->m_next.get();
    if (s.kind == xmlTokenEof) return;
  }
}

const std::string& TXMLToken::GetText() const {
  VELMORA_ASSERT(m_tokenKind == xmlTokenAttr, "TokenKind == xmlTokenAttr");
  return m_value;
}

const std::string& TXMLToken::GetName() const {
  VELMORA_ASSERT(
      m_tokenKind == xmlTokenBegin || m_tokenKind == xmlTokenEnd || m_tokenKind == xmlTokenEmpty,
      "TokenKind == xmlTokenBegin || TokenKind == xmlTokenEnd || "
      "TokenKind == xmlTokenEmpty");
  return m_value;
}

const std::string& TXMLToken::GetErrorMessage() const {
  VELMORA_ASSERT(m_tokenKind == xmlTokenError, "TokenKind == xmlTokenError");
  return m_value;
}
