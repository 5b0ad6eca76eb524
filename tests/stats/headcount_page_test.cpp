#include "stats/headcount_page.h"

#include <gtest/gtest.h>

#include "engine/cohort_builder.h"
#include "platform/encoding.h"
#include "support/fake_user.h"

namespace tessaly::stats {
namespace {

using testing::CohortBuilder;
using testing::FakeUser;
using testing::Gb;

std::vector<std::string> Utf8(const std::vector<std::string>& rows) {
  std::vector<std::string> out;
  for (const auto& r : rows) out.push_back(enc::ToUtf8(r));
  return out;
}

model::ProgramState Page(HeadcountPage& page) {
  CohortBuilder c({"语文", "数学", "英语"});
  for (int i = 0; i < 6; ++i) c.Add(std::to_string(i + 1), "生", "男", {80.0 + i, 70, 60});
  c.Range("按学号|1-3-|1|1,|").Range("按学号|4-6-|2|2,3,|");
  model::ProgramState st = testing::Divided(c);
  page = NewHeadcountPage();
  bsSkinTabSheet8Enter(st, page);
  return st;
}

TEST(HeadcountPage, PreparationFillsTheBoxesAndAnEmptyGrid) {
  HeadcountPage page;
  model::ProgramState st = Page(page);
  EXPECT_EQ(Utf8(page.range_items), (std::vector<std::string>{"按学号|1-3-|", "按学号|4-6-|"}));
  EXPECT_EQ(Utf8(page.inputs.subjects), (std::vector<std::string>{"语文", "数学", "英语"}));
  EXPECT_EQ(page.inputs.ticked, (std::vector<bool>{false, false, false}));
  EXPECT_FALSE(page.inputs.range.has_value());
  ASSERT_EQ(page.conditions.RowCount(), 2u);  // heading and one empty row
  EXPECT_EQ(Utf8(page.conditions.rows[0]),
            (std::vector<std::string>{"学生区间", "应用科目", "条件"}));
  EXPECT_EQ(page.conditions.rows[1], (std::vector<std::string>{"", "", ""}));
  EXPECT_EQ(enc::ToUtf8(page.inputs.condition.lower_op), "大于");
  EXPECT_EQ(enc::ToUtf8(page.inputs.condition.upper_op), "小于");
}

// The tests themselves and their order are the band conditions'; here: the
// page's range and one-key switch reach them.
TEST(HeadcountPage, AddWarnsWithoutRangeAndFollowsTheOneKeySwitch) {
  HeadcountPage page;
  model::ProgramState st = Page(page);
  FakeUser user;
  page.inputs.choice = SubjectChoice::kTotal;
  page.inputs.condition.series_start = "100";
  page.inputs.condition.series_end = "60";
  page.inputs.condition.series_step = "0";
  EXPECT_EQ(bsSkinButton8Click(st, user, page), 0u);
  page.inputs.range = page.range_items[0];
  EXPECT_EQ(bsSkinButton8Click(st, user, page), 0u);  // typed values empty
  bsSkinCheckRadioBox21Click(page);
  EXPECT_TRUE(page.one_key_inputs_enabled);
  EXPECT_FALSE(page.typed_inputs_enabled);
  EXPECT_EQ(bsSkinButton8Click(st, user, page), 0u);
  EXPECT_EQ(user.Messages(), (std::vector<std::string>{"warning: 请选择学号区间!",
                                                       "warning: 起始、截止值您还没有设置！",
                                                       "warning: 间隔分值必须大于0!"}));
  EXPECT_TRUE(st.CountConditionRows.empty());
}

TEST(HeadcountPage, OneKeySeriesAddedOnceWithoutLevel) {
  HeadcountPage page;
  model::ProgramState st = Page(page);
  FakeUser user;
  page.inputs.range = page.range_items[1];
  page.inputs.choice = SubjectChoice::kTotal;
  bsSkinCheckRadioBox21Click(page);
  page.inputs.condition.series_start = "100";
  page.inputs.condition.series_end = "60";
  page.inputs.condition.series_step = "15";
  EXPECT_EQ(bsSkinButton8Click(st, user, page), 3u);
  EXPECT_EQ(Utf8(st.CountConditionRows),
            (std::vector<std::string>{"按学号|4-6-|$总分$大于 85 且小于等于 100$",
                                      "按学号|4-6-|$总分$大于 70 且小于等于 85$",
                                      "按学号|4-6-|$总分$大于 60 且小于等于 70$"}));
  // The same setting again appends nothing and says nothing.
  EXPECT_EQ(bsSkinButton8Click(st, user, page), 0u);
  EXPECT_EQ(st.CountConditionRows.size(), 3u);
  EXPECT_TRUE(user.calls.empty());
  ASSERT_EQ(page.conditions.RowCount(), 4u);
  EXPECT_EQ(enc::ToUtf8(page.conditions.rows[3][2]), "大于 60 且小于等于 70");
}

TEST(HeadcountPage, TypedBoundsForAllOrTickedSubjects) {
  HeadcountPage page;
  model::ProgramState st = Page(page);
  FakeUser user;
  page.inputs.range = page.range_items[0];
  page.inputs.choice = SubjectChoice::kSingle;
  page.inputs.condition.lower_value = "80";
  page.inputs.condition.upper_op = Gb("小于等于");
  page.inputs.condition.upper_value = "90";
  // 单科 with nothing ticked adds nothing, silently.
  EXPECT_EQ(bsSkinButton8Click(st, user, page), 0u);
  page.inputs.ticked[1] = true;
  EXPECT_EQ(bsSkinButton8Click(st, user, page), 1u);
  page.inputs.choice = SubjectChoice::kAllSubjects;
  EXPECT_EQ(bsSkinButton8Click(st, user, page), 2u);  // 数学 is there already
  EXPECT_EQ(Utf8(st.CountConditionRows),
            (std::vector<std::string>{"按学号|1-3-|$数学$大于 80且小于等于 90$",
                                      "按学号|1-3-|$语文$大于 80且小于等于 90$",
                                      "按学号|1-3-|$英语$大于 80且小于等于 90$"}));
  EXPECT_TRUE(user.calls.empty());
}

TEST(HeadcountPage, SeriesThatNeverEndsIsRefused) {
  HeadcountPage page;
  model::ProgramState st = Page(page);
  FakeUser user;
  page.inputs.range = page.range_items[0];
  page.inputs.choice = SubjectChoice::kTotal;
  bsSkinCheckRadioBox21Click(page);
  page.inputs.condition.series_start = "0";
  page.inputs.condition.series_end = "100000000000000000000";
  page.inputs.condition.series_step = "1";
  EXPECT_EQ(bsSkinButton8Click(st, user, page), 0u);
  EXPECT_EQ(user.Messages(),
            (std::vector<std::string>{
                "warning: 分数段过多（超过 1000 个），请加大间隔分值或缩小起止范围!"}));
  EXPECT_TRUE(st.CountConditionRows.empty());
}

TEST(HeadcountPage, DeleteSelectedRowsAndSeedAgainFromBands) {
  HeadcountPage page;
  model::ProgramState st = Page(page);
  st.BandConditionRows = {
      Gb("按学号|1-3-|$数学$大于 80$5 级$"), Gb("按学号|1-3-|$总分$大于 200$3 级$"),
      Gb("按学号|4-6-|$语文$小于 60$1 级(最低)$"), Gb("按学号|4-6-|$英语$小于 50$2 级$")};
  bsSkinTabSheet8Enter(st, page);
  EXPECT_EQ(Utf8(st.CountConditionRows),
            (std::vector<std::string>{"按学号|1-3-|$数学$大于 80$", "按学号|1-3-|$总分$大于 200$",
                                      "按学号|4-6-|$语文$小于 60$", "按学号|4-6-|$英语$小于 50$"}));
  ASSERT_EQ(page.conditions.RowCount(), 5u);
  FakeUser user;
  N11Click(st, user, page, 0, 2);
  EXPECT_EQ(user.Messages(), (std::vector<std::string>{"warning: 您还没有选择要删除的数据行！"}));
  EXPECT_EQ(st.CountConditionRows.size(), 4u);
  N11Click(st, user, page, 2, 3);
  EXPECT_EQ(Utf8(st.CountConditionRows),
            (std::vector<std::string>{"按学号|1-3-|$数学$大于 80$", "按学号|4-6-|$英语$小于 50$"}));
  EXPECT_EQ(page.conditions.RowCount(), 3u);
  // A selection past the list's end deletes what there is.
  N11Click(st, user, page, 1, 9);
  EXPECT_TRUE(st.CountConditionRows.empty());
  // Entering again seeds the list from the band conditions again.
  bsSkinTabSheet8Enter(st, page);
  EXPECT_EQ(st.CountConditionRows.size(), 4u);
}

TEST(DivisionPage, EnteringRefreshesTheSubPages) {
  HeadcountPage page;
  model::ProgramState st = Page(page);
  st.BandConditionRows = {Gb("按学号|1-3-|$数学$大于 80$5 级$")};
  const DivisionPageRefresh r = bsSkinTabSheet4Enter(st, page);
  EXPECT_EQ(Utf8(r.class_items), (std::vector<std::string>{"全部学生", "1 班", "2 班", "3 班"}));
  EXPECT_EQ(r.range_items.size(), 2u);
  EXPECT_EQ(r.subject_items.size(), 3u);
  ASSERT_EQ(r.conditions.RowCount(), 2u);
  EXPECT_EQ(enc::ToUtf8(r.conditions.rows[1][1]), "数学");
  EXPECT_EQ(st.CountConditionRows.size(), 1u);
}

TEST(HeadcountPage, ExportEntryPreparesThenCounts) {
  HeadcountPage page;
  model::ProgramState st = Page(page);
  st.BandConditionRows = {Gb("按学号|4-6-|$语文$大于 84$5 级$")};
  const model::Grid grid = HeadcountStatisticsOf(st);
  // The seeded condition shows as the last block of the second range.
  ASSERT_GE(grid.RowCount(), 4u);
  const auto& rows = grid.rows;
  EXPECT_EQ(enc::ToUtf8(rows[rows.size() - 4][0]), "语文");
  EXPECT_EQ(enc::ToUtf8(rows[rows.size() - 4][1]), "> 84");
  EXPECT_EQ(rows[rows.size() - 3][1], "1");
}

}  // namespace
}  // namespace tessaly::stats
