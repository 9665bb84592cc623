#include "platform/TColorBox.h"

#include <utility>

#include <QColor>
#include <QColorDialog>
#include <QIcon>
#include <QPainter>
#include <QPixmap>

#include "render/QImageCanvas.h"

namespace {

struct TNamedColor {
  TColor color;
  const char* name;
};

// The standard colours, then the extended ones (TColor values, 0x00BBGGRR).
constexpr TNamedColor kColors[] = {
    {0x000000, "Black"}, {0x000080, "Maroon"},      {0x008000, "Green"},
    {0x008080, "Olive"}, {0x800000, "Navy"},        {0x800080, "Purple"},
    {0x808000, "Teal"},  {0x808080, "Gray"},        {0xC0C0C0, "Silver"},
    {0x0000FF, "Red"},   {0x00FF00, "Lime"},        {0x00FFFF, "Yellow"},
    {0xFF0000, "Blue"},  {0xFF00FF, "Fuchsia"},     {0xFFFF00, "Aqua"},
    {0xFFFFFF, "White"}, {0xC0DCC0, "Money Green"}, {0xF0CAA6, "Sky Blue"},
    {0xF0FBFF, "Cream"}, {0xA4A0A0, "Medium Gray"},
};

constexpr int kCustomPickIndex = 0;  // "Custom..."
constexpr int kSwatchWidth = 20;
constexpr int kSwatchHeight = 12;

TCustomColorHandler& CustomColorHandler() {
  static TCustomColorHandler handler;
  return handler;
}

QIcon Swatch(TColor color) {
  QPixmap pixmap(kSwatchWidth, kSwatchHeight);
  pixmap.fill(QColor::fromRgb(ToQRgb(color)));
  QPainter painter(&pixmap);
  painter.setPen(Qt::black);
  painter.drawRect(0, 0, kSwatchWidth - 1, kSwatchHeight - 1);
  return QIcon(pixmap);
}

std::optional<TColor> PickCustomColor(QWidget* parent, TColor current) {
  if (CustomColorHandler()) return CustomColorHandler()(current);
  const QColor chosen = QColorDialog::getColor(QColor::fromRgb(ToQRgb(current)), parent);
  if (!chosen.isValid()) return std::nullopt;
  return FromQRgb(chosen.rgb());
}

}  // namespace

TCustomColorHandler SetCustomColorHandler(TCustomColorHandler handler) {
  std::swap(CustomColorHandler(), handler);
  return handler;
}

QString TColorBox::ColorName(TColor color) {
  for (const TNamedColor& named : kColors)
    if (named.color == color) return named.name;
  return QColor::fromRgb(ToQRgb(color)).name(QColor::HexRgb).toUpper();
}

TColorBox::TColorBox(QWidget* parent) : QComboBox(parent) {
  setIconSize(QSize(kSwatchWidth, kSwatchHeight));
  setMaxVisibleItems(static_cast<int>(std::size(kColors)) + 2);
  addItem("Custom...");
  for (const TNamedColor& named : kColors) addItem(Swatch(named.color), named.name, named.color);
  SelectEntry(EntryFor(0x000000));
  // activated comes from the user only (mouse, keys, wheel), never from setCurrentIndex.
  connect(this, &QComboBox::activated, this, &TColorBox::EntryActivated);
}

void TColorBox::SetColor(TColor color) { SelectEntry(EntryFor(color)); }

int TColorBox::EntryFor(TColor color) {
  const int listed = findData(color);
  if (listed > kCustomPickIndex) return listed;
  if (m_customIndex < 0) {
    m_customIndex = kCustomPickIndex + 1;
    insertItem(m_customIndex, Swatch(color), ColorName(color), color);
  } else {
    setItemIcon(m_customIndex, Swatch(color));
    setItemText(m_customIndex, ColorName(color));
    setItemData(m_customIndex, color);
  }
  return m_customIndex;
}

void TColorBox::SelectEntry(int index) {
  setCurrentIndex(index);
  m_color = itemData(index).value<TColor>();
}

void TColorBox::EntryActivated(int index) {
  if (index != kCustomPickIndex) {
    m_color = itemData(index).value<TColor>();
    emit colorChanged(m_color);
    return;
  }
  // "Custom..." is an action, not a colour: the box goes back to the previous colour when
  // the user cancels and to the new one otherwise.
  const std::optional<TColor> chosen = PickCustomColor(this, m_color);
  SelectEntry(EntryFor(chosen.value_or(m_color)));
  if (chosen) emit colorChanged(m_color);
}
