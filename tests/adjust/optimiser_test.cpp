#include "adjust/optimiser.h"

#include <gtest/gtest.h>

#include <map>

#include "engine/cohort_builder.h"
#include "support/fake_user.h"

namespace tessaly::adjust {
namespace {

using testing::CohortBuilder;
using testing::FakeUser;
using testing::Gb;

const std::string kDone = "information: 该类型优化已完成！";

// Names without namesakes, so that no namesake grade weighs in.
const char* Name(int i) {
  static const char* names[] = {"张伟", "王芳", "李娜", "刘洋", "陈静", "杨帆", "赵磊", "黄敏",
                                "周杰", "吴昊", "徐丽", "孙强", "马超", "朱琳", "胡军", "郭涛"};
  return names[i % 16];
}

// Places students by number: {number, class, pinned}.
struct Placement {
  const char* number;
  std::int32_t cls;
  bool pinned = false;
};
void Place(model::ProgramState& st, std::initializer_list<Placement> placements) {
  std::map<std::string, Placement> by_number;
  for (const auto& p : placements) by_number.emplace(p.number, p);
  for (auto& set : st.RangeSets) {
    for (auto& s : set.Students) {
      auto it = by_number.find(s.Number);
      if (it == by_number.end()) continue;
      s.AssignedClass = it->second.cls;
      if (it->second.pinned) s.PresetClass = it->second.cls;
    }
  }
}

std::map<std::string, std::int32_t> Classes(const model::ProgramState& st) {
  std::map<std::string, std::int32_t> out;
  for (const auto& set : st.RangeSets)
    for (const auto& s : set.Students) out[s.Number] = s.AssignedClass;
  return out;
}

// One range of two classes, everyone with the total 60: three boys and a
// girl in class 1, a boy and three girls in class 2.
model::ProgramState GenderImbalance(const std::string& first = "1") {
  CohortBuilder c({"数学"});
  const char* gender[] = {"男", "女", "男", "女", "男", "女", "男", "女"};
  for (int i = 0; i < 8; ++i) c.Add(std::to_string(100 + i), Name(i), gender[i], {60});
  c.Range("按名次|1-8-|2|" + first + ",2,|");
  model::ProgramState st = testing::Divided(c);
  Place(st, {{"100", 1},
             {"101", 1},
             {"102", 1},
             {"104", 1},
             {"103", 2},
             {"105", 2},
             {"106", 2},
             {"107", 2}});
  return st;
}

TEST(Optimiser, HeadcountOptionAcceptsAnExchangeThatLeavesTheAveragesAlone) {
  model::ProgramState st = GenderImbalance();
  FakeUser user;
  const OptimiseResult res = OptimiseDivision(st, user, OptimiseOption::kHeadcounts);
  EXPECT_TRUE(res.ran);
  EXPECT_EQ(res.exchanges, 1);
  int boys_in_1 = 0;
  for (const auto& s : st.RangeSets[0].Students) {
    if (s.AssignedClass == 1 && s.Gender == Gb("男")) ++boys_in_1;
  }
  EXPECT_EQ(boys_in_1, 2);
  EXPECT_TRUE(user.Messages().empty());
  // Balanced now: the same option again finds no pair and changes nothing.
  const auto before = Classes(st);
  FakeUser again;
  EXPECT_EQ(OptimiseDivision(st, again, OptimiseOption::kHeadcounts).exchanges, 0);
  EXPECT_EQ(again.Messages(), std::vector<std::string>{kDone});
  EXPECT_EQ(Classes(st), before);
  EXPECT_EQ(again.progress, (std::vector<int>{2, 5, 100}));
}

TEST(Optimiser, AverageOptionNeedsAStrictlyBetterAverage) {
  model::ProgramState st = GenderImbalance();
  const auto before = Classes(st);
  FakeUser user;
  EXPECT_EQ(OptimiseDivision(st, user, OptimiseOption::kAverages).exchanges, 0);
  EXPECT_EQ(user.Messages(), std::vector<std::string>{kDone});
  EXPECT_EQ(Classes(st), before);
}

TEST(Optimiser, PinnedStudentsAndTheThirtyPointWindow) {
  // Class 2's girls pinned: nobody to give back.
  model::ProgramState st = GenderImbalance();
  for (auto& s : st.RangeSets[0].Students) {
    if (s.AssignedClass == 2 && s.Gender == Gb("女")) s.PresetClass = 2;
  }
  const auto before = Classes(st);
  FakeUser user;
  EXPECT_EQ(OptimiseDivision(st, user, OptimiseOption::kCombined).exchanges, 0);
  EXPECT_EQ(Classes(st), before);

  // Totals 30 or more apart are outside the window: class 1 holds three
  // boys and a girl, class 2 a boy and three girls, 30 points lower.
  CohortBuilder c({"数学"});
  const char* gender[] = {"男", "女", "男", "男", "女", "女", "男", "女"};
  const double total[] = {95, 94, 93, 92, 62, 61, 60, 59};
  for (int i = 0; i < 8; ++i) c.Add(std::to_string(100 + i), Name(i), gender[i], {total[i]});
  c.Range("按名次|1-8-|2|1,2,|");
  model::ProgramState far = testing::Divided(c);
  Place(far, {{"100", 1},
              {"101", 1},
              {"102", 1},
              {"103", 1},
              {"104", 2},
              {"105", 2},
              {"106", 2},
              {"107", 2}});
  const auto far_before = Classes(far);
  FakeUser u2;
  const OptimiseResult res = OptimiseDivision(far, u2, OptimiseOption::kCombined);
  EXPECT_EQ(res.exchanges, 0);
  EXPECT_EQ(res.passes, 1);  // the pair is excluded after its last candidate
  EXPECT_EQ(u2.Messages(), std::vector<std::string>{kDone});
  EXPECT_EQ(Classes(far), far_before);
}

TEST(Optimiser, OptionZeroRefusesAWorseHeadcountThatCombinedAccepts) {
  CohortBuilder c({"数学"}, {"住宿", "特长"});
  struct Row {
    const char* number;
    double total;
    const char* stay;
    const char* gift;
    int cls;
  } rows[] = {{"1", 100, "走读", "", 1},    {"2", 90, "住校", "美术", 1},
              {"3", 80, "住校", "", 1},     {"4", 75, "住校", "美术", 1},
              {"5", 70, "走读", "", 2},     {"6", 20, "住校", "美术", 2},
              {"7", 10, "走读", "美术", 2}, {"8", 5, "走读", "", 2}};
  int i = 0;
  for (const Row& r : rows) c.Add(r.number, Name(i++), "男", {r.total}, {r.stay, r.gift});
  c.Range("按名次|1-8-|2|1,2,|").Item("住宿|2 级|").Item("特长|5 级|");
  const model::ProgramState start = [&] {
    model::ProgramState st = testing::Divided(c);
    Place(st, {{"1", 1}, {"2", 1}, {"3", 1}, {"4", 1}, {"5", 2}, {"6", 2}, {"7", 2}, {"8", 2}});
    return st;
  }();
  for (OptimiseOption option : {OptimiseOption::kAverages, OptimiseOption::kHeadcounts}) {
    model::ProgramState st = start;
    FakeUser user;
    EXPECT_EQ(OptimiseDivision(st, user, option).exchanges, 0);
    EXPECT_EQ(Classes(st), Classes(start));
  }
  model::ProgramState st = start;
  FakeUser user;
  EXPECT_GE(OptimiseDivision(st, user, OptimiseOption::kCombined).exchanges, 1);
  EXPECT_NE(Classes(st), Classes(start));
}

TEST(Optimiser, TenPassesEndTheWholeRun) {
  // Range 1: class 1 is off but all its students are pinned, so its
  // candidate list is empty, the pair is never excluded and comes back
  // every pass. Range 2 would be worth optimising but is never visited.
  CohortBuilder c({"数学"});
  const char* gender[] = {"男", "女", "男", "女", "男", "女", "男", "女"};
  for (int i = 0; i < 8; ++i) c.Add(std::to_string(100 + i), Name(i), gender[i], {90.0 - i});
  for (int i = 0; i < 8; ++i) c.Add(std::to_string(200 + i), Name(8 + i), gender[i], {60});
  c.Range("按名次|1-8-|2|1,2,|").Range("按名次|9-16-|2|3,4,|");
  model::ProgramState st = testing::Divided(c);
  Place(st, {{"100", 1, true},
             {"101", 1, true},
             {"102", 1, true},
             {"104", 1, true},
             {"103", 2},
             {"105", 2},
             {"106", 2},
             {"107", 2},
             {"200", 3},
             {"201", 3},
             {"202", 3},
             {"204", 3},
             {"203", 4},
             {"205", 4},
             {"206", 4},
             {"207", 4}});
  const auto before = Classes(st);
  FakeUser user;
  const OptimiseResult res = OptimiseDivision(st, user, OptimiseOption::kHeadcounts);
  EXPECT_EQ(res.passes, 10);
  EXPECT_EQ(res.exchanges, 0);
  EXPECT_EQ(Classes(st), before);
  EXPECT_EQ(user.Messages(), std::vector<std::string>{kDone});
  // Trunc(p / 10 * 90) + 2 per half pass; 7 / 10 * 90 falls just short of 63.
  EXPECT_EQ(user.progress, (std::vector<int>{2,  5,  6,  11, 15, 20, 24, 29, 33, 38, 42,  47,
                                             51, 56, 60, 64, 69, 74, 78, 83, 87, 92, 100, 100}));
}

TEST(Optimiser, RefusesStaleRangesAndIgnoresAnUndividedState) {
  model::ProgramState st = GenderImbalance();
  st.ClassRangeRows.push_back(Gb("按名次|9-10-|1|9,|"));
  const auto before = Classes(st);
  FakeUser user;
  EXPECT_FALSE(OptimiseDivision(st, user, OptimiseOption::kHeadcounts).ran);
  EXPECT_EQ(
      user.Messages(),
      std::vector<std::string>{
          "warning: 请先分班后，再进行此操作。或者您已更改分班类型，需重新分班才能进行此操作。"});
  EXPECT_EQ(Classes(st), before);

  model::ProgramState empty;
  FakeUser quiet;
  const OptimiseButtonResult r = bsSkinXFormButton2Click(empty, quiet, OptimiserPage{});
  EXPECT_FALSE(r.run.ran);
  EXPECT_TRUE(quiet.calls.empty());
  EXPECT_FALSE(r.score.has_value());
}

TEST(Optimiser, PageStartsAtTheHeadcountOption) {
  const OptimiserPage page;
  EXPECT_EQ(page.option_index, 1);
  ASSERT_EQ(page.option_items.size(), 3u);
  EXPECT_EQ(page.option_items[1], Gb("优化均衡人数"));
  model::ProgramState st = GenderImbalance();
  FakeUser user;
  const OptimiseButtonResult r = bsSkinXFormButton2Click(st, user, page);
  EXPECT_EQ(r.run.exchanges, 1);
  ASSERT_TRUE(r.score.has_value());
  EXPECT_EQ(*r.score, 100);  // every class has the range's averages
  EXPECT_FALSE(r.averages.rows.empty());
}

TEST(ChoosePair, MostImbalancedClassWithItsBestComplement) {
  model::ProgramState st = GenderImbalance();
  FakeUser user;
  std::vector<engine::AllCountInf> counts;
  ASSERT_TRUE(engine::RebuildCountInfo(st, user, counts));
  const std::string key = Gb("按名次|1-8-|");
  auto pair = ChoosePair(st, counts, key, {});
  ASSERT_TRUE(pair.has_value());
  EXPECT_EQ(*pair, (ClassPair{0, 1, 2, 1, 2}));
  ExcludedPairs excluded;
  ExcludePair(excluded, 2, 1);
  EXPECT_TRUE(IsExcluded(excluded, 1, 2));
  EXPECT_FALSE(ChoosePair(st, counts, key, excluded).has_value());
  EXPECT_FALSE(ChoosePair(st, counts, Gb("按名次|1-9-|"), {}).has_value());
}

}  // namespace
}  // namespace tessaly::adjust
