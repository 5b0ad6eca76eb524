#include "adjust/class_board.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "adjust/board_moves.h"
#include "engine/cohort_builder.h"
#include "engine/evaluation.h"
#include "model/number_format.h"
#include "platform/encoding.h"
#include "stats/division_page.h"
#include "stats/evenness.h"
#include "support/fake_user.h"

namespace tessaly::adjust {
namespace {

using testing::CohortBuilder;
using testing::FakeUser;
using testing::Gb;

// Twelve students in classes 1, 2, 3 of one range; 张伟 (101) and 章伟 (107)
// sound alike; 112 is pinned to class 1; 110 has no 数学 score.
model::ProgramState Cohort() {
  CohortBuilder c({"语文", "数学"}, {"住宿"});
  const char* names[] = {"张伟", "王芳", "李娜", "刘洋", "陈静", "杨帆",
                         "章伟", "黄敏", "周杰", "吴昊", "徐丽", "孙悦"};
  for (int i = 0; i < 12; ++i) {
    const double chinese = 60 + (i * 37) % 41 + (i % 3) * 0.5;
    const double maths = i == 9 ? 0 : 50 + (i * 53) % 47;
    c.Add(std::to_string(101 + i), names[i], i % 3 == 1 ? "女" : "男", {chinese, maths},
          {i % 4 == 0 ? "住校" : ""});
  }
  c.Range("按名次|1-12-|3|1,2,3,|");
  model::ProgramState st = testing::Divided(c);
  const std::map<std::string, std::int32_t> classes = {
      {"101", 1}, {"102", 2}, {"103", 3}, {"104", 3}, {"105", 2}, {"106", 1},
      {"107", 2}, {"108", 2}, {"109", 3}, {"110", 3}, {"111", 2}, {"112", 1}};
  for (model::student& s : st.RangeSets[0].Students) {
    s.AssignedClass = classes.at(s.Number);
    if (s.Number == "112") s.PresetClass = 1;
  }
  return st;
}

std::vector<std::string> Numbers(const BoardColumn& c) {
  std::vector<std::string> out;
  for (const BoardCard& card : c.cards) out.push_back(card.number);
  return out;
}

std::int32_t ClassOf(const model::ProgramState& st, const std::string& number) {
  for (const auto& set : st.RangeSets) {
    for (const auto& s : set.Students) {
      if (s.Number == number) return s.AssignedClass;
    }
  }
  return -2;
}

// The figures printed on the board are those of the averages table (class
// rows and gap rows) and of the balance report (highest and lowest class).
void ExpectAgreement(const model::ProgramState& st) {
  const ClassBoard board = BuildBoard(st, 0, BoardSort::kTotal);
  const model::Grid averages = engine::ShowAverages(st);
  ASSERT_EQ(board.columns.size(), 3u);
  const std::size_t n = board.subjects.size();
  EXPECT_EQ(averages.Cell(1, n + 1), AverageText(board.range_figures));
  for (std::size_t k = 0; k < 3; ++k) {
    const BoardFigures& f = board.columns[k].figures;
    const std::size_t row = 2 + k, gap = 6 + k;  // class rows, then the gap rows
    ASSERT_EQ(averages.Cell(row, 0), std::to_string(f.class_id) + Gb(" 班"));
    EXPECT_EQ(averages.Cell(row, n + 1), AverageText(f));
    EXPECT_EQ(averages.Cell(gap, n + 1), DeviationText(f.deviation));
    for (std::size_t j = 0; j < n; ++j) {
      EXPECT_EQ(averages.Cell(gap, j + 1), DeviationText(f.subject_deviations[j]));
    }
  }
  const auto report = stats::MeasureEvenness(st);
  ASSERT_EQ(report.size(), 1u);
  for (const stats::SpreadRow& row : report[0].rows) {
    std::vector<std::string> values;
    for (const BoardColumn& c : board.columns) {
      const BoardFigures& f = c.figures;
      if (row.kind == stats::MeasureKind::kTotal) values.push_back(AverageText(f));
      if (row.label == Gb("男")) values.push_back(std::to_string(f.boys));
      if (row.label == Gb("女")) values.push_back(std::to_string(f.girls));
      for (std::size_t j = 0; j < n; ++j) {
        if (row.kind == stats::MeasureKind::kSubject && row.label == board.subjects[j]) {
          values.push_back(model::FormatAverage(f.subject_averages[j]));
        }
      }
    }
    if (values.empty()) continue;
    const bool average = row.kind != stats::MeasureKind::kGender;
    auto text = [&](double v) {
      return average ? model::FormatAverage(v) : model::FormatNumber(v);
    };
    EXPECT_NE(std::find(values.begin(), values.end(), text(row.high)), values.end())
        << enc::ToUtf8(row.label);
    EXPECT_NE(std::find(values.begin(), values.end(), text(row.low)), values.end())
        << enc::ToUtf8(row.label);
  }
}

TEST(ClassBoard, ColumnsFiguresAndCards) {
  const model::ProgramState st = Cohort();
  const ClassBoard board = BuildBoard(st, 0, BoardSort::kNumber);
  EXPECT_EQ(BoardRangeItems(st), std::vector<std::string>{Gb("按名次:1-12")});
  ASSERT_EQ(board.columns.size(), 3u);
  const BoardColumn& one = board.columns[0];
  EXPECT_EQ(Numbers(one), (std::vector<std::string>{"101", "106", "112"}));
  EXPECT_EQ(one.figures.size, 3);
  EXPECT_EQ(one.figures.boys + one.figures.girls, 3);
  EXPECT_EQ(enc::ToUtf8(SizeText(board.columns[1].figures)), "5 人  男 1  女 4");
  EXPECT_TRUE(one.cards[2].pinned());
  EXPECT_FALSE(one.cards[0].pinned());
  EXPECT_EQ(one.cards[0].marks, std::vector<std::string>{Gb("住校")});
  EXPECT_TRUE(one.cards[1].marks.empty());
  EXPECT_EQ(one.cards[0].sound_key, CardOf(board, "107")->sound_key);
  // The widest deviation is the subject furthest from the range, signed.
  for (const BoardColumn& c : board.columns) {
    const auto& d = c.figures.subject_deviations;
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(std::fabs(c.figures.WidestDeviation()), std::max(std::fabs(d[0]), std::fabs(d[1])));
  }
  EXPECT_TRUE(BuildBoard(st, 1, BoardSort::kNumber).columns.empty());
  EXPECT_EQ(BuildBoard(st, 1, BoardSort::kNumber).range, -1);
}

TEST(ClassBoard, FiguresAgreeWithAveragesTableAndBalanceReport) {
  model::ProgramState st = Cohort();
  ExpectAgreement(st);
  FakeUser user;
  ClassBoard board = BuildBoard(st, 0, BoardSort::kTotal);
  ASSERT_TRUE(MoveOnBoard(st, user, board, "103", 1, false).moved);
  ExpectAgreement(st);
  board = BuildBoard(st, 0, BoardSort::kTotal);
  ASSERT_TRUE(ExchangeOnBoard(st, user, board, "104", "105").moved);
  ExpectAgreement(st);
}

TEST(ClassBoard, SortsAndSearches) {
  CohortBuilder c({"语文"});
  c.Add("9", "王五", "男", {80}).Add("10", "李四", "女", {90}).Add("A1", "张三", "男", {85});
  c.Range("按名次|1-3-|1|1,|");
  model::ProgramState st = testing::Divided(c);
  for (auto& s : st.RangeSets[0].Students) s.AssignedClass = 1;
  ClassBoard board = BuildBoard(st, 0, BoardSort::kNumber);
  EXPECT_EQ(Numbers(board.columns[0]), (std::vector<std::string>{"9", "10", "A1"}));
  SortBoard(board, BoardSort::kTotal);
  EXPECT_EQ(Numbers(board.columns[0]), (std::vector<std::string>{"10", "A1", "9"}));
  SortBoard(board, BoardSort::kName);  // code page order: 李 < 王 < 张
  EXPECT_EQ(Numbers(board.columns[0]), (std::vector<std::string>{"10", "9", "A1"}));

  EXPECT_EQ(SearchBoard(board, "1"), 2u);  // 10 and A1
  EXPECT_EQ(SearchBoard(board, Gb("四")), 1u);
  EXPECT_TRUE(CardOf(board, "10")->match);
  EXPECT_EQ(SearchBoard(board, "zs"), 1u);  // initials of 张三
  EXPECT_TRUE(CardOf(board, "A1")->match);
  EXPECT_FALSE(CardOf(board, "10")->match);
  EXPECT_EQ(SearchBoard(board, ""), 0u);
  EXPECT_FALSE(CardOf(board, "A1")->match);
}

TEST(ClassBoard, PreviewGivesTheFiguresOfTheMove) {
  for (const bool back_fill : {false, true}) {
    model::ProgramState st = Cohort();
    const ClassBoard board = BuildBoard(st, 0, BoardSort::kTotal);
    const MovePreview p = PreviewMove(st, board, "102", 3, back_fill);
    ASSERT_TRUE(p.possible) << enc::ToUtf8(p.refusal);
    EXPECT_EQ(p.from_class, 2);
    EXPECT_EQ(p.to_before.size, 4);
    EXPECT_EQ(p.to_after.size, back_fill ? 4 : 5);
    EXPECT_EQ(p.back_filled.has_value(), back_fill);
    FakeUser user;
    const BoardMoveResult r = MoveOnBoard(st, user, board, "102", 3, back_fill);
    ASSERT_TRUE(r.moved);
    EXPECT_TRUE(user.calls.empty());
    EXPECT_EQ(r.back_filled.has_value(), back_fill);
    if (back_fill) {
      EXPECT_EQ(r.back_filled->Number, p.back_filled->number);
      EXPECT_EQ(ClassOf(st, r.back_filled->Number), 2);
    }
    // The move pins the student; the figures are those the preview gave.
    const ClassBoard after = BuildBoard(st, 0, BoardSort::kTotal);
    EXPECT_EQ(CardOf(after, "102")->preset, 3);
    const BoardFigures& from = after.columns[1].figures;
    const BoardFigures& to = after.columns[2].figures;
    EXPECT_EQ(AverageText(from), AverageText(p.from_after));
    EXPECT_EQ(AverageText(to), AverageText(p.to_after));
    EXPECT_EQ(from.subject_deviations, p.from_after.subject_deviations);
    EXPECT_EQ(to.WidestDeviation(), p.to_after.WidestDeviation());
    EXPECT_EQ(from.size, p.from_after.size);
  }
}

TEST(ClassBoard, PinnedStudentsAndOwnClassAreNotMoved) {
  model::ProgramState st = Cohort();
  const model::ProgramState before = st;
  const ClassBoard board = BuildBoard(st, 0, BoardSort::kTotal);
  FakeUser user;
  EXPECT_FALSE(MoveOnBoard(st, user, board, "112", 2, true).moved);
  EXPECT_FALSE(ExchangeOnBoard(st, user, board, "103", "112").moved);
  ASSERT_EQ(user.calls.size(), 2u);
  EXPECT_EQ(user.calls[0], "warning: 孙悦（112）已预设在 1 班，不能调动。");
  EXPECT_EQ(user.calls[1], user.calls[0]);
  EXPECT_FALSE(MoveOnBoard(st, user, board, "103", 3, false).moved);   // its own class
  EXPECT_FALSE(ExchangeOnBoard(st, user, board, "103", "104").moved);  // one class
  EXPECT_EQ(user.calls.size(), 2u);
  EXPECT_EQ(st, before);
}

TEST(ClassBoard, NamesakeMoveAsksFirst) {
  model::ProgramState st = Cohort();
  const model::ProgramState before = st;
  const ClassBoard board = BuildBoard(st, 0, BoardSort::kTotal);
  // 张伟 (class 1) into class 2, where 章伟 is.
  const MovePreview p = PreviewMove(st, board, "101", 2, false);
  ASSERT_TRUE(p.Warns());
  EXPECT_EQ(enc::ToUtf8(PreviewWarning(st, p)),
            "同班会有同名或读音相近的学生：\n  2 班：张伟、章伟");
  EXPECT_FALSE(PreviewMove(st, board, "101", 3, false).Warns());
  // Exchanging the two namesakes puts neither beside the other.
  EXPECT_FALSE(PreviewExchange(st, board, "101", "107").Warns());

  FakeUser user;
  user.confirm_answers = {false, true};
  EXPECT_FALSE(MoveOnBoard(st, user, board, "101", 2, false).moved);
  EXPECT_EQ(st, before);
  EXPECT_TRUE(MoveOnBoard(st, user, board, "101", 2, false).moved);
  ASSERT_EQ(user.calls.size(), 2u);
  EXPECT_EQ(user.calls[1],
            "confirm: 同班会有同名或读音相近的学生：\n  2 班：张伟、章伟\n仍然要调班吗？");
  EXPECT_EQ(ClassOf(st, "101"), 2);
}

TEST(ClassBoard, GroupBreakingMoveAsksOnce) {
  model::ProgramState st = Cohort();
  st.GroupRows = {Gb("不同班|103,108,|双胞胎|")};
  const ClassBoard board = BuildBoard(st, 0, BoardSort::kTotal);
  const MovePreview p = PreviewMove(st, board, "103", 2, false);
  EXPECT_EQ(p.broken_groups, std::vector<std::int32_t>{0});
  // Exchanging 103 with 108 keeps them apart.
  EXPECT_TRUE(PreviewExchange(st, board, "103", "108").broken_groups.empty());
  FakeUser user;
  user.confirm_answers = {true};
  EXPECT_TRUE(MoveOnBoard(st, user, board, "103", 2, false).moved);
  ASSERT_EQ(user.calls.size(), 1u);  // the transfer does not ask again
  EXPECT_EQ(user.calls[0],
            "confirm: 会破坏分班约束：\n  不同班：103 李娜、108 黄敏（双胞胎）\n仍然要调班吗？");
}

TEST(ClassBoard, ExchangeIsOneUndoStep) {
  model::ProgramState st = Cohort();
  const model::ProgramState before = st;
  stats::DivisionPageHistory history;
  const ClassBoard board = BuildBoard(st, 0, BoardSort::kTotal);
  FakeUser user;
  const MovePreview p = PreviewExchange(st, board, "104", "105");
  const BoardMoveResult r = history.Run(
      st, "exchange", "", [&] { return ExchangeOnBoard(st, user, board, "104", "105"); });
  ASSERT_TRUE(r.moved);
  EXPECT_EQ(r.back_filled->Number, "105");
  EXPECT_EQ(ClassOf(st, "104"), 2);
  EXPECT_EQ(ClassOf(st, "105"), 3);
  const ClassBoard after = BuildBoard(st, 0, BoardSort::kTotal);
  EXPECT_EQ(AverageText(after.columns[2].figures), AverageText(p.from_after));
  EXPECT_EQ(CardOf(after, "104")->preset, 2);
  EXPECT_EQ(CardOf(after, "105")->preset, 3);
  std::string caption;
  ASSERT_TRUE(history.Undo(st, caption));
  EXPECT_EQ(st.RangeSets, before.RangeSets);
  EXPECT_FALSE(history.CanUndo());
}

TEST(ClassBoard, NeighbourClassesAndGrades) {
  const model::ProgramState st = Cohort();
  const ClassBoard board = BuildBoard(st, 0, BoardSort::kTotal);
  EXPECT_EQ(NeighbourClass(board, "102", 1), 3);
  EXPECT_EQ(NeighbourClass(board, "102", -1), 1);
  EXPECT_EQ(NeighbourClass(board, "101", -1), std::nullopt);
  EXPECT_EQ(NeighbourClass(board, "103", 1), std::nullopt);
  EXPECT_EQ(NeighbourClass(board, "999", 1), std::nullopt);
  EXPECT_EQ(DeviationGrade(-0.5), 0);
  EXPECT_EQ(DeviationGrade(0.75), 1);
  EXPECT_EQ(DeviationGrade(-2), 2);
  EXPECT_EQ(DeviationGrade(2.001), 3);
  EXPECT_EQ(DeviationLegend().size(), 4u);
}

TEST(ClassBoard, BackFillWithoutPartnerWarnsAndChangesNothing) {
  model::ProgramState st = Cohort();
  const model::ProgramState before = st;
  const ClassBoard board = BuildBoard(st, 0, BoardSort::kTotal);
  FakeUser user;
  // Nobody of class 1 but the pinned 112 is within 0.001 of 103's total.
  EXPECT_FALSE(PreviewMove(st, board, "103", 1, true, 0.001).possible);
  EXPECT_FALSE(MoveOnBoard(st, user, board, "103", 1, true, 0.001).moved);
  ASSERT_EQ(user.calls.size(), 1u);
  EXPECT_EQ(user.calls[0], "warning: 没找到总分之差小于：0.001 的学生进行对换，调班没有成功！");
  EXPECT_EQ(st, before);
}

}  // namespace
}  // namespace tessaly::adjust
