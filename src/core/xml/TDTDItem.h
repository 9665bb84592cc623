#pragma once

#include <functional>
#include <memory>
#include <string>

class TXMLComplexElement;
class TXMLToken;

// A part of the content model of a file, matched against its token list. Matching builds
// the element tree; a mismatch gives one message with the position of the token at fault.
class TDTDItem {
 public:
  TDTDItem() = default;
  virtual ~TDTDItem() = default;
  TDTDItem(const TDTDItem&) = delete;
  TDTDItem& operator=(const TDTDItem&) = delete;

  // True when the item matches an empty token sequence.
  virtual bool CanBeEmpty() const = 0;
  // Matches the tokens from cursor on. On success the elements built are appended to
  // parent and cursor stands after the matched tokens. On failure message is set, and
  // Fatal tells whether the failure is final or the first token simply did not fit, so
  // that an enclosing alternative may try something else.
  virtual bool Match(TXMLComplexElement& parent, const TXMLToken*& cursor, std::string& message,
                     bool& Fatal) const = 0;
};

// An element of the file with the given name.
class TDTDElement : public TDTDItem {
 public:
  explicit TDTDElement(std::string name) : m_name(std::move(name)) {}

  bool CanBeEmpty() const override { return false; }
  // Expects the end tag of the element at cursor.
  virtual bool MatchEnd(const TXMLToken*& cursor, std::string& message, bool& Fatal) const;
  const std::string& GetName() const { return m_name; }

 private:
  std::string m_name;
};

// An element that holds one text value, read into a TXMLStringElement.
class TDTDAttribute : public TDTDElement {
 public:
  explicit TDTDAttribute(std::string name) : TDTDElement(std::move(name)) {}
  bool Match(TXMLComplexElement& parent, const TXMLToken*& cursor, std::string& message,
             bool& Fatal) const override;
};

// An element whose children match content, read into a TXMLComplexElement. At the head
// of a token list it first moves past the head, so the root of every grammar is one.
class TDTDCompound : public TDTDElement {
 public:
  TDTDCompound(std::string name, std::unique_ptr<TDTDItem> content);
  bool Match(TXMLComplexElement& parent, const TXMLToken*& cursor, std::string& message,
             bool& Fatal) const override;

 private:
  std::unique_ptr<TDTDItem> m_content;
};

// The content models built from elements.
class TDTDExpression : public TDTDItem {};

// Matches nothing, always.
class TDTDEmpty : public TDTDExpression {
 public:
  bool CanBeEmpty() const override { return true; }
  bool Match(TXMLComplexElement& parent, const TXMLToken*& cursor, std::string& message,
             bool& Fatal) const override;
};

// first, then second; nothing is undone when one of them fails.
class TDTDConcat : public TDTDExpression {
 public:
  TDTDConcat(std::unique_ptr<TDTDItem> first, std::unique_ptr<TDTDItem> second);
  bool CanBeEmpty() const override;
  bool Match(TXMLComplexElement& parent, const TXMLToken*& cursor, std::string& message,
             bool& Fatal) const override;

 private:
  std::unique_ptr<TDTDItem> m_first;
  std::unique_ptr<TDTDItem> m_second;
};

// first, or second when first does not fit.
class TDTDChoice : public TDTDExpression {
 public:
  TDTDChoice(std::unique_ptr<TDTDItem> first, std::unique_ptr<TDTDItem> second);
  bool CanBeEmpty() const override;
  bool Match(TXMLComplexElement& parent, const TXMLToken*& cursor, std::string& message,
             bool& Fatal) const override;

 private:
  std::unique_ptr<TDTDItem> m_first;
  std::unique_ptr<TDTDItem> m_second;
};

// item or nothing.
class TDTDOptional : public TDTDExpression {
 public:
  explicit TDTDOptional(std::unique_ptr<TDTDItem> item);
  bool CanBeEmpty() const override { return true; }
  bool Match(TXMLComplexElement& parent, const TXMLToken*& cursor, std::string& message,
             bool& Fatal) const override;

 private:
  std::unique_ptr<TDTDItem> m_item;
};

// item as often as it fits, also never. The item must consume a token whenever it matches.
class TDTDRepeatMin0 : public TDTDExpression {
 public:
  explicit TDTDRepeatMin0(std::unique_ptr<TDTDItem> item);
  bool CanBeEmpty() const override { return true; }
  bool Match(TXMLComplexElement& parent, const TXMLToken*& cursor, std::string& message,
             bool& Fatal) const override;

 private:
  std::unique_ptr<TDTDItem> m_item;
};

// Short forms for writing grammars as they read:
//   Compound("UnitColorPalette1D", Concat(Attribute("Version"), Compound(...)))
namespace dtd {

std::unique_ptr<TDTDItem> Attribute(std::string name);
std::unique_ptr<TDTDItem> Compound(std::string name, std::unique_ptr<TDTDItem> content);
std::unique_ptr<TDTDItem> Empty();
std::unique_ptr<TDTDItem> Concat(std::unique_ptr<TDTDItem> first, std::unique_ptr<TDTDItem> second);
std::unique_ptr<TDTDItem> Choice(std::unique_ptr<TDTDItem> first, std::unique_ptr<TDTDItem> second);
std::unique_ptr<TDTDItem> Optional(std::unique_ptr<TDTDItem> item);
std::unique_ptr<TDTDItem> RepeatMin0(std::unique_ptr<TDTDItem> item);

// Three or more items in a row or as alternatives, nested to the right.
template <class... Rest>
std::unique_ptr<TDTDItem> Concat(std::unique_ptr<TDTDItem> first, std::unique_ptr<TDTDItem> second,
                                 std::unique_ptr<TDTDItem> third, Rest... rest) {
  return Concat(std::move(first), Concat(std::move(second), std::move(third), std::move(rest)...));
}
template <class... Rest>
std::unique_ptr<TDTDItem> Choice(std::unique_ptr<TDTDItem> first, std::unique_ptr<TDTDItem> second,
                                 std::unique_ptr<TDTDItem> third, Rest... rest) {
  return Choice(std::move(first), Choice(std::move(second), std::move(third), std::move(rest)...));
}

}  // namespace dtd

// How a file came through ReadXMLFile.
enum class TXMLReadStatus {
  Ok,          // root holds the tree
  CannotOpen,  // the file could not be opened or read; the caller words this case
  Failed       // message says why the file was refused
};

// Asked with the text of the file's Version element (empty when it has none) before the
// grammar is matched; returns false with message set to refuse the file.
using TXMLVersionCheck = std::function<bool(const std::string& version, std::string& message)>;

// Reads the file at path, lets checkVersion judge its version and matches its tokens
// against grammar, whose root must be a TDTDCompound. On Ok root is the element "Root"
// whose first child is the file's root element; otherwise root is null.
TXMLReadStatus ReadXMLFile(const std::string& path, const TDTDItem& grammar,
                           const TXMLVersionCheck& checkVersion,
                           std::unique_ptr<TXMLComplexElement>& root, std::string& message);
// The same for a file's content in memory.
TXMLReadStatus ReadXMLBytes(const std::string& bytes, const TDTDItem& grammar,
                            const TXMLVersionCheck& checkVersion,
                            std::unique_ptr<TXMLComplexElement>& root, std::string& message);
