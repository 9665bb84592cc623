#include "core/xml/TDTDItem.h"

#include <utility>

#include "core/report/Assert.h"
#include "core/xml/TXMLItem.h"
#include "core/xml/TXMLToken.h"

namespace {

// Error tokens never reach a grammar: the tokenizer keeps none of them in a list.
void CheckCursor(const TXMLToken* cursor) {
  VELMORA_ASSERT(cursor != nullptr, "cursor != NULL");
  VELMORA_ASSERT(cursor->GetKind() != xmlTokenError, "xmlTokenKind != xmlTokenError");
}

// Only a compound knows how to step past the head of a list.
void CheckNotHead(const TXMLToken* cursor) {
  CheckCursor(cursor);
  VELMORA_ASSERT(cursor->GetKind() != xmlTokenStart, "xmlTokenKind != xmlTokenStart");
}

std::string At(const TXMLToken& token) {
  return " at line " + std::to_string(token.GetLine()) + ", column " +
         std::to_string(token.GetColumn()) + ".";
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

bool Fail(std::string& message, bool& Fatal, bool fatal, std::string text) {
  message = std::move(text);
  Fatal = fatal;
  return false;
}

template <class TElement>
std::unique_ptr<TElement> PlacedAt(std::unique_ptr<TElement> element, const TXMLToken& token) {
  element->Line = token.GetLine();
  element->Column = token.GetColumn();
  return element;
}

// Where an alternative started, so that a failed attempt can be taken back.
struct TMark {
  const TXMLToken* cursor;
  TXMLItem* last;
};

TMark Remember(const TXMLComplexElement& parent, const TXMLToken* cursor) {
  return {cursor, parent.GetLast()};
}

void Undo(TXMLComplexElement& parent, const TXMLToken*& cursor, const TMark& mark) {
  cursor = mark.cursor;
  parent.RemoveAfter(mark.last);
}

}  // namespace

bool TDTDElement::MatchEnd(const TXMLToken*& cursor, std::string& message, bool& Fatal) const {
  CheckNotHead(cursor);
  const TXMLToken& token = *cursor;
  const std::string expect = "expect end of element " + Quoted(m_name) + ",";
  switch (token.GetKind()) {
    case xmlTokenEnd:
      if (token.GetName() != m_name) {
        return Fail(message, Fatal, true,
                    "end of element " + Quoted(token.GetName()) +
                        " does not match begin of element " + Quoted(m_name) + "," + At(token));
      }
      cursor = token.GetNext();
      return true;
    case xmlTokenAttr:
      return Fail(message, Fatal, true,
                  "unexpected text " + Quoted(token.GetText()) + ", " + expect + At(token));
    case xmlTokenBegin:
      return Fail(
          message, Fatal, true,
          "unexpected begin of element " + Quoted(token.GetName()) + ", " + expect + At(token));
    case xmlTokenEmpty:
      return Fail(
          message, Fatal, true,
          "unexpected empty element " + Quoted(token.GetName()) + ", " + expect + At(token));
    case xmlTokenEof:
    case xmlTokenError:
    case xmlTokenStart:
      break;
  }
  return Fail(message, Fatal, true, "unexpected end-of-file, " + expect + At(token));
}

bool TDTDAttribute::Match(TXMLComplexElement& parent, const TXMLToken*& cursor,
                          std::string& message, bool& Fatal) const {
  CheckNotHead(cursor);
  const TXMLToken& token = *cursor;
  const std::string& name = GetName();
  const std::string expect = "expect begin of element " + Quoted(name) + ".";
  switch (token.GetKind()) {
    case xmlTokenAttr:
      return Fail(message, Fatal, true,
                  "unexpected text " + Quoted(token.GetText()) + ", " + expect + At(token));
    case xmlTokenBegin:
      break;
    case xmlTokenEnd:
      return Fail(
          message, Fatal, false,
          "unexpected end of element " + Quoted(token.GetName()) + ", " + expect + At(token));
    case xmlTokenEmpty:
      return Fail(
          message, Fatal, false,
          "unexpected empty element " + Quoted(token.GetName()) + ", " + expect + At(token));
    case xmlTokenEof:
    case xmlTokenError:
    case xmlTokenStart:
      return Fail(message, Fatal, true, "unexpected end-of-file, " + expect + At(token));
  }
  if (token.GetName() != name) {
    return Fail(
        message, Fatal, false,
        "unexpected begin of element " + Quoted(token.GetName()) + ", " + expect + At(token));
  }

  // The begin tag is ours: from here on every failure is final, placed at the begin tag.
  const TXMLToken* value = token.GetNext();
  CheckCursor(value);
  switch (value->GetKind()) {
    case xmlTokenAttr:
      parent.Add(PlacedAt(std::make_unique<TXMLStringElement>(name, value->GetText()), token));
      cursor = value->GetNext();
      return MatchEnd(cursor, message, Fatal);
    case xmlTokenBegin:
      return Fail(
          message, Fatal, true,
          "unexpected begin of element " + Quoted(value->GetName()) + ", expect text," + At(token));
    case xmlTokenEnd:
      return Fail(
          message, Fatal, true,
          "unexpected end of element " + Quoted(value->GetName()) + ", expect text," + At(token));
    case xmlTokenEmpty:
      return Fail(
          message, Fatal, true,
          "unexpected empty element " + Quoted(value->GetName()) + ", expect text," + At(token));
    case xmlTokenEof:
    case xmlTokenError:
    case xmlTokenStart:
      break;
  }
  return Fail(message, Fatal, true, "unexpected end-of-file, expect text," + At(token));
}

TDTDCompound::TDTDCompound(std::string name, std::unique_ptr<TDTDItem> content)
    : TDTDElement(std::move(name)), m_content(std::move(content)) {
  VELMORA_ASSERT(m_content != nullptr, "content != NULL");
}

bool TDTDCompound::Match(TXMLComplexElement& parent, const TXMLToken*& cursor, std::string& message,
                         bool& Fatal) const {
  CheckCursor(cursor);
  if (cursor->GetKind() == xmlTokenStart) cursor = cursor->GetNext();
  CheckNotHead(cursor);
  const TXMLToken& token = *cursor;
  const std::string& name = GetName();
  const std::string expect = "expect begin of element " + Quoted(name) + ",";
  switch (token.GetKind()) {
    case xmlTokenAttr:
      return Fail(message, Fatal, true,
                  "unexpected text " + Quoted(token.GetText()) + ", " + expect + At(token));
    case xmlTokenBegin: {
      if (token.GetName() != name) {
        return Fail(
            message, Fatal, false,
            "unexpected begin of element " + Quoted(token.GetName()) + ", " + expect + At(token));
      }
      cursor = token.GetNext();
      auto element = PlacedAt(std::make_unique<TXMLComplexElement>(name), token);
      if (!m_content->Match(*element, cursor, message, Fatal)) {
        Fatal = true;
        return false;
      }
      parent.Add(std::move(element));
      return MatchEnd(cursor, message, Fatal);
    }
    case xmlTokenEnd:
      return Fail(
          message, Fatal, false,
          "unexpected end of element " + Quoted(token.GetName()) + ", " + expect + At(token));
    case xmlTokenEmpty:
      if (token.GetName() != name) {
        return Fail(
            message, Fatal, false,
            "unexpected empty element " + Quoted(token.GetName()) + ", " + expect + At(token));
      }
      if (!m_content->CanBeEmpty()) {
        return Fail(message, Fatal, true,
                    "element " + Quoted(name) + " should not be empty," + At(token));
      }
      cursor = token.GetNext();
      parent.Add(PlacedAt(std::make_unique<TXMLComplexElement>(name), token));
      return true;
    case xmlTokenEof:
    case xmlTokenError:
    case xmlTokenStart:
      break;
  }
  return Fail(message, Fatal, true, "unexpected end-of-file, " + expect + At(token));
}

bool TDTDEmpty::Match(TXMLComplexElement&, const TXMLToken*&, std::string&, bool&) const {
  return true;
}

TDTDConcat::TDTDConcat(std::unique_ptr<TDTDItem> first, std::unique_ptr<TDTDItem> second)
    : m_first(std::move(first)), m_second(std::move(second)) {
  VELMORA_ASSERT(m_first != nullptr && m_second != nullptr, "first != NULL && second != NULL");
}

bool TDTDConcat::CanBeEmpty() const { return m_first->CanBeEmpty() && m_second->CanBeEmpty(); }

bool TDTDConcat::Match(TXMLComplexElement& parent, const TXMLToken*& cursor, std::string& message,
                       bool& Fatal) const {
  return m_first->Match(parent, cursor, message, Fatal) &&
         m_second->Match(parent, cursor, message, Fatal);
}

TDTDChoice::TDTDChoice(std::unique_ptr<TDTDItem> first, std::unique_ptr<TDTDItem> second)
    : m_first(std::move(first)), m_second(std::move(second)) {
  VELMORA_ASSERT(m_first != nullptr && m_second != nullptr, "first != NULL && second != NULL");
}

bool TDTDChoice::CanBeEmpty() const { return m_first->CanBeEmpty() || m_second->CanBeEmpty(); }

bool TDTDChoice::Match(TXMLComplexElement& parent, const TXMLToken*& cursor, std::string& message,
                       bool& Fatal) const {
  const TMark mark = Remember(parent, cursor);
  if (m_first->Match(parent, cursor, message, Fatal)) return true;
  if (Fatal) return false;
  Undo(parent, cursor, mark);
  return m_second->Match(parent, cursor, message, Fatal);
}

TDTDOptional::TDTDOptional(std::unique_ptr<TDTDItem> item) : m_item(std::move(item)) {
  VELMORA_ASSERT(m_item != nullptr, "item != NULL");
}

bool TDTDOptional::Match(TXMLComplexElement& parent, const TXMLToken*& cursor, std::string& message,
                         bool& Fatal) const {
  const TMark mark = Remember(parent, cursor);
  if (m_item->Match(parent, cursor, message, Fatal)) return true;
  if (Fatal) return false;
  Undo(parent, cursor, mark);
  return true;
}

TDTDRepeatMin0::TDTDRepeatMin0(std::unique_ptr<TDTDItem> item) : m_item(std::move(item)) {
  VELMORA_ASSERT(m_item != nullptr, "item != NULL");
}

bool TDTDRepeatMin0::Match(TXMLComplexElement& parent, const TXMLToken*& cursor,
                           std::string& message, bool& Fatal) const {
  for (;;) {
    const TMark mark = Remember(parent, cursor);
    if (!m_item->Match(parent, cursor, message, Fatal)) {
      if (Fatal) return false;
      Undo(parent, cursor, mark);
      return true;
    }
    // An item that matched nothing would match nothing forever.
    VELMORA_ASSERT(cursor != mark.cursor, "cursor != before");
  }
}

namespace dtd {

std::unique_ptr<TDTDItem> Attribute(std::string name) {
  return std::make_unique<TDTDAttribute>(std::move(name));
}

std::unique_ptr<TDTDItem> Compound(std::string name, std::unique_ptr<TDTDItem> content) {
  return std::make_unique<TDTDCompound>(std::move(name), std::move(content));
}

std::unique_ptr<TDTDItem> Empty() { return std::make_unique<TDTDEmpty>(); }

std::unique_ptr<TDTDItem> Concat(std::unique_ptr<TDTDItem> first,
                                 std::unique_ptr<TDTDItem> second) {
  return std::make_unique<TDTDConcat>(std::move(first), std::move(second));
}

std::unique_ptr<TDTDItem> Choice(std::unique_ptr<TDTDItem> first,
                                 std::unique_ptr<TDTDItem> second) {
  return std::make_unique<TDTDChoice>(std::move(first), std::move(second));
}

std::unique_ptr<TDTDItem> Optional(std::unique_ptr<TDTDItem> item) {
  return std::make_unique<TDTDOptional>(std::move(item));
}

std::unique_ptr<TDTDItem> RepeatMin0(std::unique_ptr<TDTDItem> item) {
  return std::make_unique<TDTDRepeatMin0>(std::move(item));
}

}  // namespace dtd

namespace {

TXMLReadStatus MatchTokens(const TXMLToken& head, const std::string& version,
                           const TDTDItem& grammar, const TXMLVersionCheck& checkVersion,
                           std::unique_ptr<TXMLComplexElement>& root, std::string& message) {
  root.reset();
  if (head.GetKind() == xmlTokenEof) {
    message.clear();
    return TXMLReadStatus::CannotOpen;
  }
  if (head.GetKind() == xmlTokenError) {
    message = head.GetErrorMessage();
    return TXMLReadStatus::Failed;
  }
  if (checkVersion && !checkVersion(version, message)) return TXMLReadStatus::Failed;
  auto parent = std::make_unique<TXMLComplexElement>("Root");
  const TXMLToken* cursor = &head;
  bool Fatal = false;
  if (!grammar.Match(*parent, cursor, message, Fatal)) return TXMLReadStatus::Failed;
  root = std::move(parent);
  return TXMLReadStatus::Ok;
}

}  // namespace

TXMLReadStatus ReadXMLFile(const std::string& path, const TDTDItem& grammar,
                           const TXMLVersionCheck& checkVersion,
                           std::unique_ptr<TXMLComplexElement>& root, std::string& message) {
  std::string version;
  const TXMLToken head(path, version);
  return MatchTokens(head, version, grammar, checkVersion, root, message);
}

TXMLReadStatus ReadXMLBytes(const std::string& bytes, const TDTDItem& grammar,
                            const TXMLVersionCheck& checkVersion,
                            std::unique_ptr<TXMLComplexElement>& root, std::string& message) {
  std::string version;
  const std::unique_ptr<TXMLToken> head = TXMLToken::FromBytes(bytes, version);
  return MatchTokens(*head, version, grammar, checkVersion, root, message);
}
