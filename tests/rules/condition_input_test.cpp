#include "rules/condition_input.h"

#include <gtest/gtest.h>

#include "page_fixtures.h"
#include "rules/key_filters.h"
#include "support/fake_user.h"

namespace tessaly::rules {
namespace {

using testing::FakeUser;
using testing::U8;

std::vector<std::string> Utf8(const std::vector<std::string>& v) {
  std::vector<std::string> out;
  for (const auto& s : v) out.push_back(U8(s));
  return out;
}

TEST(SeriesConditions, FallingAndRisingSeriesCutAtTheEnd) {
  EXPECT_EQ(Utf8(SeriesConditions(100, 60, 15)),
            (std::vector<std::string>{"大于 85 且小于等于 100", "大于 70 且小于等于 85",
                                      "大于 60 且小于等于 70"}));
  EXPECT_EQ(Utf8(SeriesConditions(60, 100, 15)),
            (std::vector<std::string>{"大于等于 60 且小于 75", "大于等于 75 且小于 90",
                                      "大于等于 90 且小于 100"}));
  EXPECT_EQ(Utf8(SeriesConditions(60, 100, 50)),
            std::vector<std::string>{"大于等于 60 且小于 100"});
  EXPECT_TRUE(SeriesConditions(70, 70, 5).empty());
}

TEST(SeriesConditions, BoundsInTheGeneralNumberForm) {
  EXPECT_EQ(Utf8(SeriesConditions(100, 95, 2.5)),
            (std::vector<std::string>{"大于 97.5 且小于等于 100", "大于 95 且小于等于 97.5"}));
  // A step too small to change the value ends instead of looping for ever.
  EXPECT_EQ(SeriesConditions(1e17, 0, 1).size(), 1u);
}

TEST(ConditionForm, TestsRunInOrder) {
  FakeUser user;
  ConditionInput in = ConditionInput::Initial();
  EXPECT_FALSE(CheckConditionForm(false, SubjectChoice::kNone, in, user));
  EXPECT_FALSE(CheckConditionForm(true, SubjectChoice::kNone, in, user));
  EXPECT_FALSE(CheckConditionForm(true, SubjectChoice::kTotal, in, user));
  in.one_key = true;
  EXPECT_FALSE(CheckConditionForm(true, SubjectChoice::kTotal, in, user));
  in.series_start = "60";
  in.series_end = "100";
  in.series_step = "0";
  EXPECT_FALSE(CheckConditionForm(true, SubjectChoice::kTotal, in, user));
  in.series_step = "10";
  EXPECT_TRUE(CheckConditionForm(true, SubjectChoice::kTotal, in, user));
  EXPECT_EQ(user.Messages(),
            (std::vector<std::string>{"warning: 请选择学号区间!", "warning: 请选择应用科目!",
                                      "warning: 起始、截止值您还没有设置！",
                                      "warning: 起始、截止、间隔分值都必须输入!",
                                      "warning: 间隔分值必须大于0!"}));
}

TEST(ConditionForm, SeriesOfTooManyBandsIsRefused) {
  FakeUser user;
  ConditionInput in = ConditionInput::Initial();
  in.one_key = true;
  in.series_start = "99999999999";
  in.series_end = "0";
  in.series_step = "1";
  EXPECT_FALSE(CheckConditionForm(true, SubjectChoice::kTotal, in, user));
  ASSERT_EQ(user.calls.size(), 1u);
  in.series_start = "1000";
  EXPECT_TRUE(CheckConditionForm(true, SubjectChoice::kTotal, in, user));
  EXPECT_EQ(BuildConditions(in).size(), 1000u);
}

TEST(ConditionForm, TypedConditionAndSubjects) {
  ConditionInput in = ConditionInput::Initial();
  in.lower_value = "80";
  in.upper_op = testing::Gb("小于等于");
  in.upper_value = "90";
  EXPECT_EQ(Utf8(BuildConditions(in)), std::vector<std::string>{"大于 80且小于等于 90"});
  const std::vector<std::string> items = {"a", "b", "c"};
  EXPECT_EQ(ChosenSubjects(SubjectChoice::kAllSubjects, items, {false, true, false}), items);
  EXPECT_EQ(ChosenSubjects(SubjectChoice::kSingle, items, {false, true, true}),
            (std::vector<std::string>{"b", "c"}));
  EXPECT_EQ(Utf8(ChosenSubjects(SubjectChoice::kTotal, items, {})),
            std::vector<std::string>{"总分"});
}

TEST(ConditionRows, SkipRowsHeldIgnoringLatinCase) {
  ConditionInput in = ConditionInput::Initial();
  in.lower_value = "80";
  in.upper_value = "90";
  const std::string cond = testing::Gb("大于 80且小于 90");
  const model::RuleList list = {"K|$MATH$" + cond + "$L$"};
  // "math" is held as "MATH"; the second "b" repeats a row of this add.
  EXPECT_EQ(NewConditionRows("K|", {"math", "b", "B"}, in, "L$", list),
            std::vector<std::string>{"K|$b$" + cond + "$L$"});
  EXPECT_EQ(NewConditionRows("K|", {"math"}, in, "", list),
            std::vector<std::string>{"K|$math$" + cond + "$"});
}

TEST(ConditionRows, DeleteABlockOfGridRows) {
  FakeUser user;
  model::RuleList list = {"a$", "b$", "c$", "d$"};
  EXPECT_FALSE(DeleteConditionRows(list, 0, 2, user));
  EXPECT_EQ(list.size(), 4u);
  EXPECT_TRUE(DeleteConditionRows(list, 2, 3, user));
  EXPECT_EQ(list, (model::RuleList{"a$", "d$"}));
  EXPECT_TRUE(DeleteConditionRows(list, 2, 9, user));  // past the end: what there is
  EXPECT_EQ(list, model::RuleList{"a$"});
  EXPECT_EQ(user.Messages(), std::vector<std::string>{"warning: 您还没有选择要删除的数据行！"});
  const model::Grid grid = ConditionGrid({}, {"x", "y"});
  EXPECT_EQ(grid.rows, (std::vector<std::vector<std::string>>{{"x", "y"}, {"", ""}}));
}

TEST(KeyFilters, KeepTheirKeysOnly) {
  EXPECT_TRUE(KeepDigitKey('0') && KeepDigitKey('9') && KeepDigitKey(kBackspace));
  EXPECT_FALSE(KeepDigitKey(',') || KeepDigitKey('a') || KeepDigitKey('.'));
  EXPECT_TRUE(KeepDigitCommaKey(','));
  EXPECT_FALSE(KeepDigitCommaKey('%'));
  EXPECT_TRUE(KeepDigitPercentKey('%'));
  EXPECT_FALSE(KeepDigitPercentKey(','));
  EXPECT_EQ(FilterTyped("3a", KeepDigitKey), "3");
  EXPECT_EQ(FilterTyped("1, 2;3", KeepDigitCommaKey), "1,23");
  EXPECT_EQ(FilterTyped(testing::Gb("5班0"), KeepDigitKey), "50");
  EXPECT_EQ(FilterTyped("12\b3", KeepDigitKey), "13");
}

// What the Chinese input mode types: full-width digits, comma, point and
// percent become ASCII; other double-byte characters (the ideographic comma,
// the yuan sign, the wave dash) stay as they are, and ASCII passes unchanged.
TEST(KeyFilters, FullWidthFormsBecomeAscii) {
  EXPECT_EQ(AsciiForms(testing::Gb("１，２，３，４")), "1,2,3,4");
  EXPECT_EQ(AsciiForms(testing::Gb("０．５％")), "0.5%");
  EXPECT_EQ(AsciiForms(testing::Gb("３班、４")), testing::Gb("3班、4"));
  EXPECT_EQ(AsciiForms(testing::Gb("￥！～")), testing::Gb("￥!～"));
  EXPECT_EQ(AsciiForms("12,ab"), "12,ab");
  EXPECT_EQ(FilterTyped(AsciiForms(testing::Gb("１，２０")), KeepDigitCommaKey), "1,20");
}

}  // namespace
}  // namespace tessaly::rules
