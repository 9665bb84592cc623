#include "core/documents/WaveHistory.h"

#include <gtest/gtest.h>

namespace {

TWaveState State(double left, uint32_t colour = 0) {
  TWaveState state;
  state.props.Left.SetValue(left);
  state.settings.CursorColor = unitColor(colour);
  return state;
}

// Takes a step back as a window does: the target becomes current.
bool Back(TWaveHistory& history, TWaveState& current, bool* marks = nullptr) {
  bool m = false;
  const TWaveState* target = history.UndoTarget(m);
  if (target == nullptr) return false;
  const TWaveState left = current;
  current = *target;
  history.Undone(left);
  if (marks != nullptr) *marks = m;
  return true;
}

bool Forward(TWaveHistory& history, TWaveState& current, bool* marks = nullptr) {
  bool m = false;
  const TWaveState* target = history.RedoTarget(m);
  if (target == nullptr) return false;
  const TWaveState left = current;
  current = *target;
  history.Redone(left);
  if (marks != nullptr) *marks = m;
  return true;
}

}  // namespace

TEST(WaveHistoryTest, UndoAndRedoWalkTheStatesAndANewChangeForgetsThoseAhead) {
  TWaveHistory history;
  TWaveState current = State(0);
  EXPECT_FALSE(history.CanUndo());
  EXPECT_FALSE(Back(history, current));
  // Two zooms, then a colour change that marks the document.
  history.Push(current, false);
  current = State(1);
  history.Push(current, false);
  current = State(2);
  history.Push(current, true);
  current = State(2, 0xFF);
  bool marks = false;
  ASSERT_TRUE(Back(history, current, &marks));
  EXPECT_EQ(current, State(2));
  EXPECT_TRUE(marks);
  ASSERT_TRUE(Back(history, current, &marks));
  EXPECT_EQ(current, State(1));
  EXPECT_FALSE(marks);
  ASSERT_TRUE(Forward(history, current, &marks));
  EXPECT_EQ(current, State(2));
  EXPECT_FALSE(marks);
  ASSERT_TRUE(Forward(history, current, &marks));
  EXPECT_EQ(current, State(2, 0xFF));
  EXPECT_TRUE(marks);
  EXPECT_FALSE(Forward(history, current));
  // Back twice, then a new change: the two states ahead are gone.
  Back(history, current);
  Back(history, current);
  EXPECT_EQ(history.RedoCount(), 2u);
  history.Push(current, false);
  current = State(7);
  EXPECT_FALSE(history.CanRedo());
  ASSERT_TRUE(Back(history, current));
  EXPECT_EQ(current, State(1));
  ASSERT_TRUE(Back(history, current));
  EXPECT_EQ(current, State(0));
  EXPECT_FALSE(history.CanUndo());
}

TEST(WaveHistoryTest, ForgettingKeepsTheStatesAheadAndTheBoundDropsTheOldest) {
  TWaveHistory history(3);
  TWaveState current = State(0);
  for (int i = 1; i <= 5; ++i) {
    history.Push(current, false);
    current = State(i);
  }
  EXPECT_EQ(history.UndoCount(), 3u);
  Back(history, current);
  Back(history, current);
  Back(history, current);
  EXPECT_EQ(current, State(2));  // states 0 and 1 were dropped
  EXPECT_FALSE(history.CanUndo());
  Forward(history, current);
  history.ForgetBefore();
  EXPECT_FALSE(history.CanUndo());
  EXPECT_TRUE(history.CanRedo());
  Forward(history, current);
  EXPECT_EQ(current, State(4));
  // A step that is never shown leaves the history as it was.
  bool marks = false;
  ASSERT_NE(history.UndoTarget(marks), nullptr);
  EXPECT_EQ(history.UndoCount(), 1u);
  EXPECT_EQ(history.RedoCount(), 1u);
}
