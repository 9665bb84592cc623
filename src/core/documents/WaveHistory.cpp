#include "core/documents/WaveHistory.h"

void TWaveHistory::Push(const TWaveState& before, bool marksChanged) {
  m_ahead.clear();
  if (m_capacity == 0) return;
  m_back.push_back({before, marksChanged});
  while (m_back.size() > m_capacity) m_back.pop_front();
}

const TWaveState* TWaveHistory::UndoTarget(bool& marksChanged) const {
  if (m_back.empty()) return nullptr;
  marksChanged = m_back.back().marksChanged;
  return &m_back.back().state;
}

void TWaveHistory::Undone(const TWaveState& left) {
  if (m_back.empty()) return;
  const bool marks = m_back.back().marksChanged;
  m_back.pop_back();
  m_ahead.push_back({left, marks});
}

const TWaveState* TWaveHistory::RedoTarget(bool& marksChanged) const {
  if (m_ahead.empty()) return nullptr;
  marksChanged = m_ahead.back().marksChanged;
  return &m_ahead.back().state;
}

void TWaveHistory::Redone(const TWaveState& left) {
  if (m_ahead.empty()) return;
  const bool marks = m_ahead.back().marksChanged;
  m_ahead.pop_back();
  m_back.push_back({left, marks});
  while (m_back.size() > m_capacity) m_back.pop_front();
}
