#pragma once

#include <cstddef>
#include <deque>

#include "core/colour/TVoldViewProps.h"
#include "core/fractal/TFractProps.h"

// What a window shows: its fractal record and its colour settings.
struct TWaveState {
  TFractProps props;
  TVoldViewProps settings;

  bool operator==(const TWaveState&) const = default;
};

// The history of one window's states, for Undo and Redo. Each change pushes the state it
// left, with whether the change marks the document changed (a dialog's OK does, a zoom or a
// pan does not); going back or forward over that change marks it the same way. A new change
// forgets the states ahead of the current one. At most Capacity states are kept behind the
// current one; the oldest goes first.
class TWaveHistory {
 public:
  static constexpr size_t kDefaultCapacity = 256;

  explicit TWaveHistory(size_t capacity = kDefaultCapacity) : m_capacity(capacity) {}

  // The window went from before to a new state.
  void Push(const TWaveState& before, bool marksChanged);

  bool CanUndo() const { return !m_back.empty(); }
  bool CanRedo() const { return !m_ahead.empty(); }
  size_t UndoCount() const { return m_back.size(); }
  size_t RedoCount() const { return m_ahead.size(); }

  // The state Undo goes back to, or null; marksChanged tells whether the step marks the
  // document changed. Once the window shows it, Undone(the state it left) moves the history
  // one step back; a step that could not be shown leaves the history as it was.
  const TWaveState* UndoTarget(bool& marksChanged) const;
  void Undone(const TWaveState& left);
  // The same forward.
  const TWaveState* RedoTarget(bool& marksChanged) const;
  void Redone(const TWaveState& left);

  // Forgets every state before the current one; the states ahead stay.
  void ForgetBefore() { m_back.clear(); }

 private:
  struct TEntry {
    TWaveState state;
    bool marksChanged;
  };

  size_t m_capacity;
  std::deque<TEntry> m_back;   // oldest first
  std::deque<TEntry> m_ahead;  // nearest last
};
