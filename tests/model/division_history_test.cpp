#include "model/division_history.h"

#include <gtest/gtest.h>

namespace tessaly::model {
namespace {

ProgramState StateWithClasses(int students) {
  ProgramState state;
  Student_F set;
  for (int i = 0; i < students; ++i) {
    student s;
    s.Number = std::to_string(100 + i);
    s.Scores = {60.0 + i, 70.5};
    s.Total = s.Scores[0] + s.Scores[1];
    s.AssignedClass = 1 + i % 2;
    set.Students.push_back(s);
  }
  set.StudentCount = students;
  state.RangeSets.push_back(set);
  return state;
}

// A move that pins the first student to class 9, as a manual transfer does.
void MoveFirst(ProgramState& state) {
  student& s = state.RangeSets[0].Students[0];
  s.AssignedClass = 9;
  s.PresetClass = 9;
}

TEST(DivisionHistory, UndoAndRedoGiveBackTheExactStates) {
  ProgramState state = StateWithClasses(6);
  const ProgramState start = state;
  DivisionHistory history;
  history.Run(state, "调班", [&] { MoveFirst(state); });
  const ProgramState moved = state;
  history.Run(state, "优化", [&] { state.RangeSets[0].Students[3].AssignedClass = 1; });
  const ProgramState optimised = state;
  ASSERT_EQ(history.UndoCount(), 2u);
  EXPECT_EQ(history.UndoLabel(), "优化");

  ASSERT_TRUE(history.Undo(state));
  EXPECT_EQ(state, moved);
  ASSERT_TRUE(history.Undo(state));
  EXPECT_EQ(state, start);
  EXPECT_FALSE(history.Undo(state));
  EXPECT_EQ(state, start);

  ASSERT_TRUE(history.Redo(state));
  EXPECT_EQ(state, moved);
  ASSERT_TRUE(history.Redo(state));
  EXPECT_EQ(state, optimised);
  EXPECT_FALSE(history.Redo(state));
}

TEST(DivisionHistory, ACommandThatChangesNothingLeavesNoStep) {
  ProgramState state = StateWithClasses(4);
  DivisionHistory history;
  const bool refused = history.Run(state, "批量调整", [] { return false; });
  EXPECT_FALSE(refused);
  EXPECT_FALSE(history.CanUndo());
}

TEST(DivisionHistory, ANewChangeAfterUndoDropsTheRedoSteps) {
  ProgramState state = StateWithClasses(4);
  DivisionHistory history;
  history.Run(state, "a", [&] { MoveFirst(state); });
  history.Undo(state);
  ASSERT_TRUE(history.CanRedo());
  history.Run(state, "b", [&] { state.RangeSets[0].Students[1].AssignedClass = 2 + 5; });
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(history.UndoLabel(), "b");
}

TEST(DivisionHistory, OldestStepsGoFirstButTheLastOneAlwaysStays) {
  ProgramState state = StateWithClasses(50);
  DivisionHistory by_count(3);
  for (int i = 0; i < 5; ++i) {
    by_count.Run(state, std::to_string(i), [&] { state.RangeSets[0].Students[0].Total += 1; });
  }
  EXPECT_EQ(by_count.UndoCount(), 3u);
  EXPECT_EQ(by_count.UndoLabel(), "4");

  DivisionHistory by_bytes(50, 1);  // every state is over budget
  for (int i = 0; i < 3; ++i) {
    by_bytes.Run(state, std::to_string(i), [&] { state.RangeSets[0].Students[0].Total += 1; });
  }
  ASSERT_EQ(by_bytes.UndoCount(), 1u);
  const double total = state.RangeSets[0].Students[0].Total;
  ASSERT_TRUE(by_bytes.Undo(state));
  EXPECT_EQ(state.RangeSets[0].Students[0].Total, total - 1);
}

TEST(DivisionHistory, ClearForgetsEverything) {
  ProgramState state = StateWithClasses(4);
  DivisionHistory history;
  history.Run(state, "a", [&] { MoveFirst(state); });
  history.Undo(state);
  history.Run(state, "b", [&] { MoveFirst(state); });
  history.Clear();
  EXPECT_FALSE(history.CanUndo());
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(history.UndoLabel(), "");
}

}  // namespace
}  // namespace tessaly::model
