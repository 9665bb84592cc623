#include "core/colour/TColorPalette1DItem.h"

#include <utility>

#include "core/report/Assert.h"
#include "core/report/ErrorReporter.h"
#include "core/xml/TXMLItem.h"
#include "core/xml/XMLWriter.h"

namespace {

constexpr const char* kSource = "Grafisch/DColorPalette1D";

unitFactorPosMoreLess1 PositionOf(double position) {
  unitFactorPosMoreLess1 value;
  value.SetValue(position);
  return value;
}

}  // namespace

// Construction, copies and destruction --------------------------------------------------

TColorPalette1DItem::TColorPalette1DItem(TColor beginColor, TColor endColor)
    : m_colorBefore(beginColor), m_position(PositionOf(0.0)) {
  m_next = std::make_unique<TColorPalette1DItem>(PositionOf(1.0), endColor);
}

TColorPalette1DItem::TColorPalette1DItem(const unitFactorPosMoreLess1& position, TColor colorBefore)
    : m_colorBefore(colorBefore), m_position(position) {}

TColorPalette1DItem::TColorPalette1DItem(const unitFactorPosMoreLess1& position, TColor colorBefore,
                                         TColor colorAfter, bool useColorAfter)
    : m_colorBefore(colorBefore),
      m_useColorAfter(useColorAfter),
      m_colorAfter(colorAfter),
      m_position(position) {}

TColorPalette1DItem::TColorPalette1DItem(const TColorPalette1DItem& other)
    : m_colorBefore(other.m_colorBefore),
      m_useColorAfter(other.m_useColorAfter),
      m_colorAfter(other.m_colorAfter),
      m_position(other.m_position) {
  CopyChainFrom(other);
}

TColorPalette1DItem& TColorPalette1DItem::operator=(const TColorPalette1DItem& other) {
  if (this == &other) return *this;
  m_colorBefore = other.m_colorBefore;
  m_colorAfter = other.m_colorAfter;
  m_useColorAfter = other.m_useColorAfter;
  CopyChainFrom(other);
  return *this;
}

TColorPalette1DItem::~TColorPalette1DItem() { DestroyChain(); }

void TColorPalette1DItem::CopyChainFrom(const TColorPalette1DItem& other) {
  // Built aside first: other may be a stop of this very chain.
  std::unique_ptr<TColorPalette1DItem> head;
  std::unique_ptr<TColorPalette1DItem>* tail = &head;
  for (const TColorPalette1DItem* source = other.m_next.get(); source != nullptr;
       source = source->m_next.get()) {
    *tail = std::make_unique<TColorPalette1DItem>(source->m_position, source->m_colorBefore,
                                                  source->m_colorAfter, source->m_useColorAfter);
    tail = &(*tail)->m_next;
  }
  DestroyChain();
  m_next = std::move(head);
}

void TColorPalette1DItem::DestroyChain() {
  // One stop at a time: letting each stop's unique_ptr destroy its successor would recurse
  // once per stop.
  std::unique_ptr<TColorPalette1DItem> rest = std::move(m_next);
  while (rest) rest = std::move(rest->m_next);
}

bool TColorPalette1DItem::operator==(const TColorPalette1DItem& other) const {
  const TColorPalette1DItem* a = this;
  const TColorPalette1DItem* b = &other;
  for (; a != nullptr && b != nullptr; a = a->m_next.get(), b = b->m_next.get()) {
    if (a->m_colorBefore != b->m_colorBefore || a->m_useColorAfter != b->m_useColorAfter ||
        a->m_colorAfter != b->m_colorAfter || !(a->m_position == b->m_position)) {
      return false;
    }
  }
  return a == nullptr && b == nullptr;
}

// Colours and the chain -------------------------------------------------------------------

void TColorPalette1DItem::SetColorAfter(TColor color) {
  VELMORA_SOFT_ASSERT(m_useColorAfter, "UseColorAfter", kSource);
  m_colorAfter = color;
}

TColorPalette1DItem* TColorPalette1DItem::GetLast() {
  TColorPalette1DItem* item = this;
  while (item->m_next) item = item->m_next.get();
  return item;
}

const TColorPalette1DItem* TColorPalette1DItem::GetLast() const {
  const TColorPalette1DItem* item = this;
  while (item->m_next) item = item->m_next.get();
  return item;
}

TColorPalette1DItem* TColorPalette1DItem::Predecessor(const TColorPalette1DItem* item) {
  if (item == this) return nullptr;
  TColorPalette1DItem* current = this;
  while (current->m_next && current->m_next.get() != item) current = current->m_next.get();
  VELMORA_SOFT_ASSERT(current->m_next != nullptr, "NextColorPalette1DItem != NULL", kSource);
  return current->m_next ? current : nullptr;
}

bool TColorPalette1DItem::PositionExists(double position, const TColorPalette1DItem* except) const {
  for (const TColorPalette1DItem* item = this; item != nullptr; item = item->m_next.get()) {
    if (item != except && item->GetDPosition() == position) return true;
  }
  return false;
}

TColorPalette1DItem* TColorPalette1DItem::Insert(double position, TColor color) {
  TColorPalette1DItem* current = this;
  VELMORA_SOFT_ASSERT(position > current->GetDPosition(), "position > Position", kSource);
  while (current->m_next && !(current->m_next->GetDPosition() > position)) {
    current = current->m_next.get();
    VELMORA_SOFT_ASSERT(position > current->GetDPosition(), "position > Position", kSource);
  }
  auto item = std::make_unique<TColorPalette1DItem>(PositionOf(position), color);
  item->m_next = std::move(current->m_next);
  current->m_next = std::move(item);
  return current->m_next.get();
}

TColorPalette1DItem* TColorPalette1DItem::Delete(TColorPalette1DItem* item) {
  VELMORA_ASSERT(item != nullptr, "current != NULL");
  TColorPalette1DItem* current = item;
  const bool inner = current->GetDPosition() > 0 && current->GetDPosition() < 1;
  VELMORA_SOFT_ASSERT(inner, "current->GetDPosition() > 0 && current->GetDPosition() < 1", kSource);
  // Removing the begin stop would leave the owner without a palette, removing the end stop
  // would leave a palette that ColorAt cannot walk to 1: both stay.
  if (!inner) return nullptr;
  TColorPalette1DItem* previous = Predecessor(current);
  if (previous == nullptr) return nullptr;
  std::unique_ptr<TColorPalette1DItem> removed = std::move(previous->m_next);
  previous->m_next = std::move(removed->m_next);
  return previous;
}

void TColorPalette1DItem::Reposition(TColorPalette1DItem* item) {
  TColorPalette1DItem* previous = Predecessor(item);
  if (previous == nullptr) return;
  std::unique_ptr<TColorPalette1DItem> moved = std::move(previous->m_next);
  previous->m_next = std::move(moved->m_next);
  const double position = moved->GetDPosition();
  TColorPalette1DItem* current = this;
  while (current->m_next && !(current->m_next->GetDPosition() > position)) {
    current = current->m_next.get();
  }
  moved->m_next = std::move(current->m_next);
  current->m_next = std::move(moved);
}

TColor TColorPalette1DItem::ColorAt(double position) const {
  const TColorPalette1DItem* current = this;
  for (;;) {
    const TColorPalette1DItem* next = current->m_next.get();
    if (next == nullptr) {
      // Only a palette that lost its end stop, or a position beyond 1, gets here.
      VELMORA_SOFT_ASSERT(false, "NextColorPalette1DItem != NULL", kSource);
      return position > current->GetDPosition() ? current->GetColorAfter() : current->m_colorBefore;
    }
    if (position < current->GetDPosition()) position = current->GetDPosition();
    if (position > next->GetDPosition()) {
      current = next;
      continue;
    }
    // A file may hold two stops at one position: that is a step with no width, and the
    // position belongs to the right-hand stop as it does on any stop.
    const double width = next->GetDPosition() - current->GetDPosition();
    if (!(width > 0)) return next->m_colorBefore;
    return MixColors(current->GetColorAfter(), next->m_colorBefore,
                     (position - current->GetDPosition()) / width);
  }
}

// The ColorPalette1D element -------------------------------------------------------------

void TColorPalette1DItem::WriteXML(TXMLComplexElement& xmlColorPalette1D) const {
  for (const TColorPalette1DItem* item = this; item != nullptr; item = item->m_next.get()) {
    if (item->GetDPosition() == 0) {
      unitColor(item->m_colorBefore).WriteXML("BeginColor", xmlColorPalette1D);
    } else if (item->GetDPosition() == 1) {
      unitColor(item->m_colorBefore).WriteXML("EndColor", xmlColorPalette1D);
    } else {
      auto* xmlItem =
          xmlColorPalette1D.Add(std::make_unique<TXMLComplexElement>("ColorPalette1DItem"));
      item->m_position.WriteXML("Position", *xmlItem);
      unitColor(item->m_colorBefore).WriteXML("ColorBefore", *xmlItem);
      if (item->m_useColorAfter) {
        xmlItem->Add(std::make_unique<TXMLComplexElement>("UseColorAfter"));
      }
      unitColor(item->m_colorAfter).WriteXML("ColorAfter", *xmlItem);
    }
  }
}

bool TColorPalette1DItem::ReadXML(const TXMLItem& xmlColorPalette1D, std::string& message,
                                  int32_t& line, int32_t& column) {
  DestroyChain();
  const TXMLItem* xmlBeginColor = xmlColorPalette1D.GetFirst();
  VELMORA_ASSERT(xmlBeginColor != nullptr, "xmlBeginColor != NULL");
  VELMORA_SOFT_ASSERT(xmlBeginColor->GetElement() == "BeginColor",
                      "xmlBeginColor->GetElement() == \"BeginColor\"", kSource);
  unitColor color(m_colorBefore);
  if (!color.ReadXML(*xmlBeginColor, message, line, column)) return false;
  m_colorBefore = color.GetValue();

  TColorPalette1DItem* last = this;
  const TXMLItem* xmlChild = xmlBeginColor->Next();
  for (; xmlChild != nullptr && xmlChild->GetElement() == "ColorPalette1DItem";
       xmlChild = xmlChild->Next()) {
    const TXMLItem* xmlPosition = xmlChild->GetFirst();
    VELMORA_ASSERT(xmlPosition != nullptr, "xmlPosition != NULL");
    unitFactorPosMoreLess1 position;
    if (!position.ReadXML(*xmlPosition, message, line, column)) return false;

    const TXMLItem* xmlColorBefore = xmlPosition->Next();
    VELMORA_ASSERT(xmlColorBefore != nullptr, "xmlColorBefore != NULL");
    unitColor colorBefore;
    if (!colorBefore.ReadXML(*xmlColorBefore, message, line, column)) return false;

    const TXMLItem* xmlColorAfter = xmlColorBefore->Next();
    VELMORA_ASSERT(xmlColorAfter != nullptr, "xmlColorAfter != NULL");
    const bool useColorAfter = xmlColorAfter->GetElement() == "UseColorAfter";
    if (useColorAfter) {
      xmlColorAfter = xmlColorAfter->Next();
      VELMORA_ASSERT(xmlColorAfter != nullptr, "xmlColorAfter != NULL");
    }
    unitColor colorAfter;
    if (!colorAfter.ReadXML(*xmlColorAfter, message, line, column)) return false;
    const TXMLItem* xmlNone = xmlColorAfter->Next();
    VELMORA_SOFT_ASSERT(xmlNone == nullptr, "xmlNone == NULL", kSource);

    // Appended in file order: neither sorted nor checked for duplicates (ColorAt copes).
    last->m_next = std::make_unique<TColorPalette1DItem>(position, colorBefore.GetValue(),
                                                         colorAfter.GetValue(), useColorAfter);
    last = last->m_next.get();
  }

  const TXMLItem* xmlEndColor = xmlChild;
  VELMORA_ASSERT(xmlEndColor != nullptr, "xmlEndColor != NULL");
  VELMORA_SOFT_ASSERT(xmlEndColor->GetElement() == "EndColor",
                      "xmlEndColor->GetElement() == \"EndColor\"", kSource);
  unitColor endColor;
  if (!endColor.ReadXML(*xmlEndColor, message, line, column)) return false;
  last->m_next = std::make_unique<TColorPalette1DItem>(PositionOf(1.0), endColor.GetValue());
  return true;
}

std::unique_ptr<TDTDItem> TColorPalette1DItem::GetDTD() {
  using namespace dtd;
  return Compound("ColorPalette1D",
                  Concat(Attribute("BeginColor"),
                         RepeatMin0(Compound("ColorPalette1DItem",
                                             Concat(Attribute("Position"), Attribute("ColorBefore"),
                                                    Optional(Compound("UseColorAfter", Empty())),
                                                    Attribute("ColorAfter")))),
                         Attribute("EndColor")));
}

// The palette file ------------------------------------------------------------------------

const TDTDItem& TColorPalette1DItem::FileDTD() {
  static const std::unique_ptr<TDTDItem> grammar =
      dtd::Compound("UnitColorPalette1D", dtd::Concat(dtd::Attribute("Version"), GetDTD()));
  return *grammar;
}

std::unique_ptr<TXMLComplexElement> TColorPalette1DItem::BuildFileDocument() const {
  auto xmlUnit = std::make_unique<TXMLComplexElement>("UnitColorPalette1D");
  xmlUnit->Add(std::make_unique<TXMLStringElement>("Version", "1.0"));
  WriteXML(*xmlUnit->Add(std::make_unique<TXMLComplexElement>("ColorPalette1D")));
  return xmlUnit;
}

bool TColorPalette1DItem::SaveToFile(const std::string& path) const {
  std::string error;
  if (!::SaveToFile(*BuildFileDocument(), path, error)) {
    ErrorReporter.ShowMessage("Cannot save Color Palette File: " + error + ".", "FileError",
                              TMessageIcon::Information);
    return false;
  }
  return true;
}

namespace {

// A version other than 1.0 is reported but read all the same.
bool CheckPaletteVersion(const std::string& version, std::string&) {
  if (!version.empty()) VELMORA_SOFT_ASSERT(version == "1.0", "version == \"1.0\"", kSource);
  return true;
}

}  // namespace

TXMLReadStatus TColorPalette1DItem::LoadFromFile(const std::string& path, std::string& message) {
  std::unique_ptr<TXMLComplexElement> root;
  const TXMLReadStatus status = ReadXMLFile(path, FileDTD(), CheckPaletteVersion, root, message);
  return ReadFileTree(status, root.get(), message);
}

TXMLReadStatus TColorPalette1DItem::LoadFromBytes(const std::string& bytes, std::string& message) {
  std::unique_ptr<TXMLComplexElement> root;
  const TXMLReadStatus status = ReadXMLBytes(bytes, FileDTD(), CheckPaletteVersion, root, message);
  return ReadFileTree(status, root.get(), message);
}

TXMLReadStatus TColorPalette1DItem::ReadFileTree(TXMLReadStatus status,
                                                 const TXMLComplexElement* root,
                                                 std::string& message) {
  if (status != TXMLReadStatus::Ok) return status;

  const TXMLItem* xmlUnit = root->GetFirst();
  VELMORA_ASSERT(xmlUnit != nullptr, "xmlUnit != NULL");
  const TXMLItem* xmlVersion = xmlUnit->GetFirst();
  VELMORA_SOFT_ASSERT(xmlVersion != nullptr, "xmlVersion != NULL", kSource);
  // The grammar guarantees both children; without them there is nothing to go on with.
  VELMORA_ASSERT(xmlVersion != nullptr, "xmlVersion != NULL");
  VELMORA_SOFT_ASSERT(xmlVersion->GetElement() == "Version",
                      "xmlVersion->GetElement() == \"Version\"", kSource);
  const std::string version = xmlVersion->GetText();
  VELMORA_SOFT_ASSERT(version == "1.0", "version == \"1.0\"", kSource);

  const TXMLItem* xmlColorPalette1D = xmlVersion->Next();
  VELMORA_ASSERT(xmlColorPalette1D != nullptr, "xmlColorPalette1D != NULL");
  int32_t line = 0;
  int32_t column = 0;
  if (!ReadXML(*xmlColorPalette1D, message, line, column)) {
    message += " At line " + std::to_string(line) + ", column " + std::to_string(column + 1) + ".";
    return TXMLReadStatus::Failed;
  }
  return TXMLReadStatus::Ok;
}
