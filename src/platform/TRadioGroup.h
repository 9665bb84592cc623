#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

// A captioned group of exclusive radio buttons, one per item, chosen by item index.
class TRadioGroup : public QGroupBox {
  Q_OBJECT

 public:
  TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr);

  // The index of the checked item, -1 when none is.
  int ItemIndex() const;
  // Checks the item at index; an index out of range changes nothing.
  void SetItemIndex(int index);
  QRadioButton* Item(int index) const;

 private:
  QButtonGroup* m_buttons;
};
