#pragma once

#include <cstdint>
#include <memory>
#include <string>

// An element of an XML document: either a complex element holding child elements or a
// string element holding one text value. Elements built by the reader carry the position
// they were read from; elements built for writing leave it at 0.
class TXMLItem {
 public:
  explicit TXMLItem(std::string name) : m_name(std::move(name)) {}
  virtual ~TXMLItem() = default;
  TXMLItem(const TXMLItem&) = delete;
  TXMLItem& operator=(const TXMLItem&) = delete;

  const std::string& GetElement() const { return m_name; }
  // The next sibling in the parent's child list, null for the last child.
  TXMLItem* Next() const { return m_next.get(); }

  virtual std::string GetText() const = 0;
  virtual TXMLItem* GetFirst() const = 0;
  // Appends the element's lines to out, indented by level times two spaces.
  virtual void Write(std::string& out, int level) const = 0;

  int32_t Line = 0;
  int32_t Column = 0;

 private:
  friend class TXMLComplexElement;
  std::string m_name;
  std::unique_ptr<TXMLItem> m_next;
};

// An element with an owned, ordered list of children.
class TXMLComplexElement : public TXMLItem {
 public:
  explicit TXMLComplexElement(std::string name) : TXMLItem(std::move(name)) {}
  ~TXMLComplexElement() override;

  // Not meaningful for a group: a hard assertion.
  std::string GetText() const override;
  TXMLItem* GetFirst() const override { return m_first.get(); }
  void Write(std::string& out, int level) const override;

  // Appends child at the end of the list and takes ownership; returns it for convenience.
  TXMLItem* Add(std::unique_ptr<TXMLItem> child);
  template <class T>
  T* Add(std::unique_ptr<T> child) {
    T* raw = child.get();
    Add(std::unique_ptr<TXMLItem>(std::move(child)));
    return raw;
  }
  TXMLItem* GetLast() const { return m_last; }
  // Deletes every child after child (all children when child is null).
  void RemoveAfter(TXMLItem* child);

 private:
  std::unique_ptr<TXMLItem> m_first;
  TXMLItem* m_last = nullptr;
};

// An element holding one text value.
class TXMLStringElement : public TXMLItem {
 public:
  TXMLStringElement(std::string name, std::string text)
      : TXMLItem(std::move(name)), Text(std::move(text)) {}

  std::string GetText() const override { return Text; }
  // Not meaningful for a text element: a hard assertion.
  TXMLItem* GetFirst() const override;
  void Write(std::string& out, int level) const override;

  std::string Text;
};

// The line end of every file the program writes.
inline constexpr const char* kXMLLineEnd = "\r\n";
