#include "core/xml/TXMLItem.h"

#include "core/report/Assert.h"

namespace {

void Indent(std::string& out, int level) { out.append(static_cast<size_t>(level) * 2, ' '); }

}  // namespace

TXMLComplexElement::~TXMLComplexElement() { RemoveAfter(nullptr); }

std::string TXMLComplexElement::GetText() const {
  VELMORA_ASSERT(false, "false");
  return "0";
}

TXMLItem* TXMLComplexElement::Add(std::unique_ptr<TXMLItem> child) {
  VELMORA_ASSERT(child != nullptr, "child != NULL");
  child->m_next.reset();
  TXMLItem* raw = child.get();
  if (m_last == nullptr) {
    m_first = std::move(child);
  } else {
    m_last->m_next = std::move(child);
  }
  m_last = raw;
  return raw;
}

void TXMLComplexElement::RemoveAfter(TXMLItem* child) {
  std::unique_ptr<TXMLItem> rest;
  if (child == nullptr) {
    rest = std::move(m_first);
  } else {
    rest = std::move(child->m_next);
  }
  m_last = child;
  while (rest) {
    std::unique_ptr<TXMLItem> next = std::move(rest->m_next);
    rest = std::move(next);
  }
}

void TXMLComplexElement::Write(std::string& out, int level) const {
  Indent(out, level);
  if (m_first == nullptr) {
    out += "<" + GetElement() + " />" + kXMLLineEnd;
    return;
  }
  out += "<" + GetElement() + ">" + kXMLLineEnd;
  for (const TXMLItem* item = m_first.get(); item != nullptr; item = item->Next()) {
    item->Write(out, level + 1);
  }
  Indent(out, level);
  out += "</" + GetElement() + ">" + kXMLLineEnd;
}

TXMLItem* TXMLStringElement::GetFirst() const {
  VELMORA_ASSERT(false, "false");
  return nullptr;
}

void TXMLStringElement::Write(std::string& out, int level) const {
  Indent(out, level);
  out += "<" + GetElement() + ">" + Text + "</" + GetElement() + ">" + kXMLLineEnd;
}
