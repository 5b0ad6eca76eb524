#include "stats/division_page.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/cohort_builder.h"
#include "engine/division.h"
#include "engine/evaluation.h"
#include "engine/roster.h"
#include "engine/transfer.h"
#include "platform/encoding.h"
#include "support/fake_user.h"

namespace tessaly::stats {
namespace {

using testing::CohortBuilder;
using testing::FakeUser;
using testing::Gb;

CohortBuilder TwoRanges() {
  CohortBuilder c({"语文", "数学"});
  const char* names[] = {"张伟", "李娜", "王芳", "刘洋", "陈静", "杨磊", "赵敏", "黄涛"};
  for (int i = 0; i < 8; ++i) {
    c.Add(std::to_string(101 + i), names[i], i % 2 ? "女" : "男", {90.0 - 3 * i, 60.0 + 2 * i});
  }
  c.Range("按学号|101-104-|2|1,2,|").Range("按学号|105-108-|2|3,4,|");
  return c;
}

model::ProgramState DividedState(const CohortBuilder& c) {
  model::ProgramState st = c.State();
  st.DivisionStarted = true;
  FakeUser user;
  engine::Coin coin(7);
  EXPECT_TRUE(engine::bsSkinButton10Click(st, user, coin).completed);
  return st;
}

// The first student of range set r who is in class `from`.
const model::student& FirstOf(const model::ProgramState& st, std::size_t r, std::int32_t from) {
  for (const auto& s : st.RangeSets[r].Students) {
    if (s.AssignedClass == from) return s;
  }
  ADD_FAILURE() << "class " << from << " is empty";
  return st.RangeSets[r].Students.front();
}

TEST(DivisionPageModel, AveragesBoxesListSubjectsRangesAndSelectASingleRange) {
  model::ProgramState st = TwoRanges().State();
  AveragesBoxes boxes = bsSkinTabSheet6Enter(st);
  EXPECT_EQ(boxes.subjects, (std::vector<std::string>{Gb("语文"), Gb("数学")}));
  EXPECT_EQ(boxes.ranges, (std::vector<std::string>{Gb("按学号|101-104-|"), Gb("按学号|105-108-|"),
                                                    Gb("全部区间")}));
  EXPECT_EQ(boxes.selected_range, -1);

  st.ClassRangeRows.pop_back();
  boxes = bsSkinTabSheet6Enter(st);
  EXPECT_EQ(boxes.ranges.size(), 2u);
  EXPECT_EQ(boxes.selected_range, 0);

  st.ClassRangeRows.clear();
  boxes = bsSkinTabSheet6Enter(st);
  EXPECT_EQ(boxes.ranges, (std::vector<std::string>{Gb("全部区间")}));
  EXPECT_EQ(boxes.selected_range, -1);
}

TEST(DivisionPageModel, TablesFollowTheStateAndFallBackToAllStudents) {
  model::ProgramState st = DividedState(TwoRanges());
  DivisionTables t = TablesOf(st, Gb("3 班"));
  EXPECT_EQ(t.averages, engine::ShowAverages(st));
  EXPECT_EQ(t.class_items, engine::ClassListItems(st));
  EXPECT_EQ(t.roster.RowCount(), 3u);  // heading and the two students of class 3
  for (std::size_t r = 1; r < t.roster.RowCount(); ++r) {
    EXPECT_EQ(t.roster.rows[r].back(), "3");
  }
  // A class the list no longer names (ranges changed): every student.
  t = TablesOf(st, Gb("9 班"));
  EXPECT_EQ(t.roster.RowCount(), 9u);
  EXPECT_EQ(t.roster, engine::ClassRosterOfItem(st, Gb("全部学生")));
}

TEST(DivisionPageModel, UndoGivesBackStateTablesAndTheDivisionsOwnScore) {
  model::ProgramState st = DividedState(TwoRanges());
  const model::ProgramState divided = st;
  // The caption right after the division, as the division command showed it.
  std::string caption = Gb("分班结果评分：99.5");
  const model::Grid averages = engine::ShowAverages(st);

  DivisionPageHistory history;
  FakeUser user;
  const model::student x = FirstOf(st, 0, 1);
  auto result = history.Run(st, Gb("调班"), caption, [&] {
    return engine::TransferStudent(st, user, x.Number, x.Name, 2, 20,
                                   engine::BackFillMode::NoBackFill);
  });
  ASSERT_TRUE(result.success());
  caption = CurrentScoreCaption(st);
  const model::ProgramState moved = st;
  const std::string moved_caption = caption;
  ASSERT_NE(engine::ShowAverages(st), averages);
  ASSERT_TRUE(history.CanUndo());
  EXPECT_EQ(history.UndoLabel(), Gb("调班"));

  ASSERT_TRUE(history.Undo(st, caption));
  EXPECT_EQ(st, divided);
  EXPECT_EQ(engine::ShowAverages(st), averages);
  EXPECT_EQ(caption, Gb("分班结果评分：99.5"));
  EXPECT_FALSE(history.CanUndo());
  EXPECT_FALSE(history.Undo(st, caption));

  ASSERT_TRUE(history.Redo(st, caption));
  EXPECT_EQ(st, moved);
  EXPECT_EQ(caption, moved_caption);
  EXPECT_FALSE(history.CanRedo());
}

TEST(DivisionPageModel, UnchangedCommandsKeepNoStepAndNewStepsDropRedo) {
  model::ProgramState st = DividedState(TwoRanges());
  DivisionPageHistory history;
  FakeUser user;
  std::string caption = "a";
  // Moving a student into his own class changes nothing: no step.
  const model::student x = FirstOf(st, 0, 1);
  history.Run(st, "same", caption, [&] {
    engine::TransferStudent(st, user, x.Number, x.Name, 1, 20, engine::BackFillMode::NoBackFill);
  });
  EXPECT_FALSE(history.CanUndo());

  history.Run(st, "one", caption, [&] {
    engine::TransferStudent(st, user, x.Number, x.Name, 2, 20, engine::BackFillMode::NoBackFill);
  });
  caption = "b";
  ASSERT_TRUE(history.Undo(st, caption));
  EXPECT_EQ(caption, "a");
  ASSERT_TRUE(history.CanRedo());
  const model::student y = FirstOf(st, 1, 3);
  history.Run(st, "two", caption, [&] {
    engine::TransferStudent(st, user, y.Number, y.Name, 4, 20, engine::BackFillMode::NoBackFill);
  });
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(history.UndoLabel(), "two");

  history.Clear();
  EXPECT_FALSE(history.CanUndo());
  EXPECT_FALSE(history.CanRedo());
}

TEST(DivisionPageModel, CaptionsStayWithTheirStepsWhenOldStepsAreDropped) {
  model::ProgramState st = DividedState(TwoRanges());
  DivisionPageHistory history(2);
  FakeUser user;
  std::vector<model::ProgramState> states{st};
  std::string caption = "c0";
  // Three moves back and forth between classes 1 and 2; the oldest step
  // falls out of a history of two.
  for (int i = 1; i <= 3; ++i) {
    const model::student x = FirstOf(st, 0, i % 2 ? 1 : 2);
    history.Run(st, "move", caption, [&] {
      engine::TransferStudent(st, user, x.Number, x.Name, i % 2 ? 2 : 1, 20,
                              engine::BackFillMode::NoBackFill);
    });
    caption = "c" + std::to_string(i);
    states.push_back(st);
  }
  ASSERT_TRUE(history.Undo(st, caption));
  EXPECT_EQ(caption, "c2");
  EXPECT_EQ(st, states[2]);
  ASSERT_TRUE(history.Undo(st, caption));
  EXPECT_EQ(caption, "c1");
  EXPECT_EQ(st, states[1]);
  EXPECT_FALSE(history.Undo(st, caption));
  ASSERT_TRUE(history.Redo(st, caption));
  ASSERT_TRUE(history.Redo(st, caption));
  EXPECT_EQ(caption, "c3");
  EXPECT_EQ(st, states[3]);
}

TEST(DivisionPageModel, ScoreCaptionOfTheCurrentPlacement) {
  model::ProgramState st = TwoRanges().State();
  EXPECT_EQ(CurrentScoreCaption(st), "");
  st = DividedState(TwoRanges());
  EXPECT_EQ(CurrentScoreCaption(st), engine::ScoreCaption(*engine::ScoreDivision(st)));
}

TEST(DivisionPageModel, UndoTakesBackTheDivisionOnlyNotWorkDoneSince) {
  model::ProgramState st = DividedState(TwoRanges());
  const model::ProgramState divided = st;
  DivisionPageHistory history;
  FakeUser user;
  std::string caption = "c0";
  const model::student x = FirstOf(st, 0, 1);
  history.Run(st, "move", caption, [&] {
    engine::TransferStudent(st, user, x.Number, x.Name, 2, 20, engine::BackFillMode::NoBackFill);
  });
  const auto moved_sets = st.RangeSets;
  // A headcount condition and a balance level set after the move stay.
  st.CountConditionRows.push_back(Gb("按学号|101-104-|$总分$大于 100$"));
  st.BalanceItemRows.push_back(Gb("总分|5 级|"));
  const model::ProgramState edited = st;
  ASSERT_TRUE(history.Undo(st, caption));
  EXPECT_EQ(st.RangeSets, divided.RangeSets);
  EXPECT_EQ(st.CountConditionRows, edited.CountConditionRows);
  EXPECT_EQ(st.BalanceItemRows, edited.BalanceItemRows);
  EXPECT_EQ(st.ImportedSets, edited.ImportedSets);
  ASSERT_TRUE(history.Redo(st, caption));
  EXPECT_EQ(st, edited);
  EXPECT_EQ(st.RangeSets, moved_sets);
}

TEST(DivisionPageModel, StepsAreForgottenWhenTheDivisionChangedElsewhere) {
  model::ProgramState st = DividedState(TwoRanges());
  DivisionPageHistory history;
  history.Seen(st);
  FakeUser user;
  std::string caption;
  const model::student x = FirstOf(st, 0, 1);
  history.Run(st, "move", caption, [&] {
    engine::TransferStudent(st, user, x.Number, x.Name, 2, 20, engine::BackFillMode::NoBackFill);
  });
  // Rule lists edited on other pages keep the steps.
  st.BandConditionRows.push_back(Gb("按学号|101-104-|$总分$大于 100$3 级$"));
  EXPECT_FALSE(history.ForgetIfChangedElsewhere(st));
  EXPECT_TRUE(history.CanUndo());
  // An opened file (other range sets) or an import (other tables) does not.
  model::ProgramState opened = st;
  opened.RangeSets[0].Students[0].AssignedClass = 2;
  opened.RangeSets[0].Students[0].PresetClass = 2;
  EXPECT_TRUE(history.ForgetIfChangedElsewhere(opened));
  EXPECT_FALSE(history.CanUndo());
  history.Run(st, "move", caption, [&] {
    engine::TransferStudent(st, user, x.Number, x.Name, 1, 20, engine::BackFillMode::NoBackFill);
  });
  ASSERT_TRUE(history.CanUndo());
  model::ProgramState imported = st;
  imported.ImportedSets[0].Students.pop_back();
  EXPECT_TRUE(history.ForgetIfChangedElsewhere(imported));
  EXPECT_FALSE(history.CanUndo());
}

// Dividing again: over no division the history starts anew; over one it is
// one step that gives the replaced division back with its caption and its
// own steps; only a placement changed since the last division counts as
// work the question protects.
TEST(DivisionPageModel, DivisionOverAnotherIsOneStepAndChangesAreNoticed) {
  model::ProgramState st = TwoRanges().State();
  st.DivisionStarted = true;
  DivisionPageHistory history;
  FakeUser user;
  auto divide = [&](std::uint32_t seed, const std::string& caption) {
    engine::Coin coin(seed);
    return history.Divide(st, "divide", caption,
                          [&] { return engine::bsSkinButton10Click(st, user, coin); });
  };
  EXPECT_FALSE(history.ChangedSinceDivision(st));  // nothing divided yet
  ASSERT_TRUE(divide(7, "").completed);
  EXPECT_FALSE(history.CanUndo());  // the first division replaces nothing
  EXPECT_FALSE(history.ChangedSinceDivision(st));
  const model::ProgramState first = st;

  const model::student x = FirstOf(st, 0, 1);
  history.Run(st, "move", "c1", [&] {
    engine::TransferStudent(st, user, x.Number, x.Name, 2, 20, engine::BackFillMode::NoBackFill);
  });
  EXPECT_TRUE(history.ChangedSinceDivision(st));
  const model::ProgramState moved = st;
  // Re-ranking a set (the statistics do) is no change of the placement.
  model::ProgramState reranked = st;
  std::reverse(reranked.RangeSets[0].Students.begin(), reranked.RangeSets[0].Students.end());
  EXPECT_EQ(model::PlacementOf(reranked), model::PlacementOf(st));

  ASSERT_TRUE(divide(8, "c2").completed);
  EXPECT_FALSE(history.ChangedSinceDivision(st));
  ASSERT_EQ(history.UndoLabel(), "divide");
  std::string caption = "c3";
  ASSERT_TRUE(history.Undo(st, caption));
  EXPECT_EQ(st.RangeSets, moved.RangeSets);
  EXPECT_EQ(caption, "c2");
  // The division it replaced is back, with its move: dividing again now
  // would replace work.
  EXPECT_TRUE(history.ChangedSinceDivision(st));
  ASSERT_TRUE(history.Undo(st, caption));
  EXPECT_EQ(st.RangeSets, first.RangeSets);
  EXPECT_EQ(caption, "c1");
  ASSERT_TRUE(history.Redo(st, caption));
  ASSERT_TRUE(history.Redo(st, caption));
  EXPECT_EQ(caption, "c3");
  EXPECT_FALSE(history.ChangedSinceDivision(st));
}

TEST(DivisionPageModel, AnOpenedDivisionCountsAsChanged) {
  model::ProgramState opened = DividedState(TwoRanges());
  DivisionPageHistory history;
  EXPECT_TRUE(history.ChangedSinceDivision(opened));
  EXPECT_TRUE(model::HoldsDivision(model::PlacementOf(opened)));
  EXPECT_FALSE(model::HoldsDivision(model::PlacementOf(TwoRanges().State())));
}

}  // namespace
}  // namespace tessaly::stats
