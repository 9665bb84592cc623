#include "platform/TRadioGroup.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent), m_buttons(new QButtonGroup(this)) {
  auto* layout = new QVBoxLayout(this);
  for (qsizetype i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], this);
    m_buttons->addButton(button, static_cast<int>(i));
    layout->addWidget(button);
  }
  layout->addStretch();
}

int TRadioGroup::ItemIndex() const { return m_buttons->checkedId(); }

void TRadioGroup::SetItemIndex(int index) {
  if (QAbstractButton* button = m_buttons->button(index)) button->setChecked(true);
}

QRadioButton* TRadioGroup::Item(int index) const {
  return static_cast<QRadioButton*>(m_buttons->button(index));
}
