#pragma once

#include <functional>
#include <optional>

#include <QComboBox>
#include <QString>

#include "core/values/TColor.h"

// A drop-down list of colours with swatches and names: "Custom..." first, then the sixteen
// standard colours and the four extended ones. A colour that is not in the list is shown as
// one custom entry named "#RRGGBB" right after "Custom...".
class TColorBox : public QComboBox {
  Q_OBJECT

 public:
  explicit TColorBox(QWidget* parent = nullptr);

  TColor GetColor() const { return m_color; }
  // Selects color without emitting colorChanged.
  void SetColor(TColor color);

  // The name the box shows for a colour: a listed name or "#RRGGBB".
  static QString ColorName(TColor color);

 signals:
  // The user picked a colour from the list or through "Custom...".
  void colorChanged(TColor color);

 private:
  void EntryActivated(int index);
  // The index of the entry that holds color, adding or updating the custom entry when the
  // colour is not listed.
  int EntryFor(TColor color);
  void SelectEntry(int index);

  TColor m_color = 0;
  int m_customIndex = -1;  // the custom entry, -1 while there is none
};

// Picks a custom colour starting from current; no value when the user cancelled. Tests
// install one instead of the modal colour dialog.
using TCustomColorHandler = std::function<std::optional<TColor>(TColor current)>;
// Installs a handler (null restores the colour dialog) and returns the previous one.
TCustomColorHandler SetCustomColorHandler(TCustomColorHandler handler);
