#include "engine/division.h"

#include <gtest/gtest.h>

#include <random>

#include "cohort_builder.h"
#include "engine/division_batch.h"
#include "reference_division.h"
#include "support/fake_user.h"

namespace tessaly::engine {
namespace {

using testing::CohortBuilder;
using testing::FakeUser;
using testing::Gb;

// A set of n students with strictly falling totals; none placed.
model::Student_F Ladder(int n) {
  model::Student_F set;
  for (int i = 0; i < n; ++i) {
    set.Students.push_back(testing::MakeStudent(std::to_string(i + 1), "学生", "男", {1000.0 - i}));
  }
  set.StudentCount = n;
  return set;
}

std::vector<std::vector<std::int32_t>> AllBatches(model::Student_F set, std::int32_t y) {
  std::vector<std::vector<std::int32_t>> out;
  for (auto b = PickBatch(set, y); !b.empty(); b = PickBatch(set, y)) {
    for (auto p : b) set.Students[p].AssignedClass = 1;
    out.push_back(b);
  }
  return out;
}

TEST(PickBatch, AlternatesBetweenStrongAndWeakEnd) {
  using V = std::vector<std::int32_t>;
  // Eight students, two classes: the first batch already comes from the weak end.
  EXPECT_EQ(AllBatches(Ladder(8), 2), (std::vector<V>{{7, 6}, {0, 1}, {5, 4}, {2, 3}}));
  // Fifty students, five classes.
  auto b = AllBatches(Ladder(50), 5);
  ASSERT_GE(b.size(), 4u);
  EXPECT_EQ(b[0], (V{0, 1, 2, 3, 4}));
  EXPECT_EQ(b[1], (V{49, 48, 47, 46, 45}));
  EXPECT_EQ(b[2], (V{5, 6, 7, 8, 9}));
  EXPECT_EQ(b[3], (V{44, 43, 42, 41, 40}));
  EXPECT_EQ(b.size(), 10u);
  EXPECT_TRUE(PickBatch(Ladder(3), 0).empty());
}

TEST(PickBatch, CutsAroundPresetStudentsFirst) {
  using V = std::vector<std::int32_t>;
  model::Student_F set = Ladder(10);
  set.Students[5].PresetClass = 2;
  set.Students[6].PresetClass = 2;  // same class in the same block: waits
  set.Students[9].PresetClass = 1;
  // Block of position 5 with Y = 3 starts at 3: 3, 4, 5 picked forward.
  EXPECT_EQ(PickBatch(set, 3), (V{3, 4, 5}));
  // With Y = 4 the block starts at 4: 4, 5, (6 skipped), 7, 8.
  EXPECT_EQ(PickBatch(set, 4), (V{4, 5, 7, 8}));
  // Forward walk runs short: the backward walk from start - 1 fills up.
  for (int i : {4, 5, 7, 8}) set.Students[i].AssignedClass = 1;
  // First unplaced preset is now 6 (class 2); block [4, 8): 6, 9 then back 3, 2.
  EXPECT_EQ(PickBatch(set, 4), (V{6, 9, 3, 2}));
}

TEST(Candidates, EqualCostsKeepPickOrderAfterReadBack) {
  // 0.1 + 0.2 and 0.3 differ as doubles but read back equal from 15 digits.
  CandidateList l = SortCandidates({{0, 0.1 + 0.2}, {1, 5}, {2, 0.3}, {3, 0.29}});
  std::vector<std::int32_t> who;
  for (auto& e : l.entries) who.push_back(e.who);
  EXPECT_EQ(who, (std::vector<std::int32_t>{3, 0, 2, 1}));
}

TEST(Candidates, UnmeasurableCostsGoLast) {
  // Scores so large that averages overflow give costs without a value: such
  // students come after every priced one, in pick order, and the priced
  // ones keep their order.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::vector<Candidate> entries;
  for (std::int32_t i = 0; i < 64; ++i) {
    entries.push_back({i, i % 3 == 0 ? nan : static_cast<double>((i * 37) % 11)});
  }
  CandidateList l = SortCandidates(entries);
  ASSERT_EQ(l.entries.size(), entries.size());
  std::vector<Candidate> priced, unpriced;
  for (const auto& e : entries) (std::isnan(e.cost) ? unpriced : priced).push_back(e);
  std::stable_sort(priced.begin(), priced.end(),
                   [](const Candidate& a, const Candidate& b) { return a.cost < b.cost; });
  priced.insert(priced.end(), unpriced.begin(), unpriced.end());
  for (std::size_t i = 0; i < priced.size(); ++i) EXPECT_EQ(l.entries[i].who, priced[i].who) << i;
}

TEST(Settlement, SecondChoicesDecide) {
  // A: s1 at 10, s2 at 12; B: s1 at 11, s2 at 30. keepA = 40, keepB = 23:
  // A gives up s1.
  std::vector<CandidateList> lists{SortCandidates({{1, 10}, {2, 12}}),
                                   SortCandidates({{1, 11}, {2, 30}})};
  Coin coin(1);
  SettleConflicts(lists, coin);
  EXPECT_EQ(lists[0].entries[lists[0].head].who, 2);
  EXPECT_EQ(lists[1].entries[lists[1].head].who, 1);
}

TEST(Settlement, ShortListsAndTiesByCoin) {
  {
    // A with one entry keeps it against B with two.
    std::vector<CandidateList> lists{SortCandidates({{1, 50}}), SortCandidates({{1, 1}, {2, 99}})};
    Coin coin(1);
    SettleConflicts(lists, coin);
    EXPECT_EQ(lists[0].entries[lists[0].head].who, 1);
    EXPECT_EQ(lists[1].entries[lists[1].head].who, 2);
  }
  // Exact ties go by the coin: an odd first output drops A's entry.
  for (std::uint32_t seed : {1u, 2u, 3u, 4u, 5u}) {
    std::vector<CandidateList> lists{SortCandidates({{1, 7}}), SortCandidates({{1, 7}})};
    Coin coin(seed);
    SettleConflicts(lists, coin);
    const bool odd = (std::mt19937(seed)() & 1u) != 0;
    EXPECT_EQ(lists[0].Empty(), odd);
    EXPECT_EQ(lists[1].Empty(), !odd);
  }
}

TEST(Settlement, SameOutcomeAsFullRescan) {
  std::mt19937 rnd(7);
  for (int round = 0; round < 300; ++round) {
    const int y = 2 + static_cast<int>(rnd() % 9);
    const int students = 1 + static_cast<int>(rnd() % y);
    std::vector<CandidateList> fast;
    std::vector<std::vector<testing::TextEntry>> plain;
    for (int p = 0; p < y; ++p) {
      std::vector<Candidate> entries;
      std::vector<testing::TextEntry> text;
      for (int s = 0; s < students; ++s) {
        double cost = static_cast<double>(rnd() % 4) + (rnd() % 2 ? 0.1 + 0.2 : 0.3);
        entries.push_back({s, cost});
        testing::TextEntry e{s, model::FormatNumber(cost)};
        auto it = text.begin();
        while (it != text.end() && !(e.Value() < it->Value())) ++it;
        text.insert(it, e);
      }
      fast.push_back(SortCandidates(entries));
      plain.push_back(text);
    }
    Coin a(round), b(round);
    SettleConflicts(fast, a);
    testing::ReferenceSettle(plain, b);
    for (int p = 0; p < y; ++p) {
      ASSERT_EQ(fast[p].Size(), plain[p].size()) << "round " << round << " class " << p;
      if (!plain[p].empty()) {
        EXPECT_EQ(fast[p].entries[fast[p].head].who, plain[p][0].pos);
      }
    }
  }
}

// A cohort with namesakes, ties, presets, a balance column, a band and levels.
CohortBuilder RandomCohort(std::uint32_t seed, int n) {
  std::mt19937 rnd(seed);
  CohortBuilder c({"语文", "数学", "英语"}, {"住宿"});
  for (int i = 1; i <= n; ++i) {
    std::vector<double> scores;
    for (int j = 0; j < 3; ++j) {
      int v = 40 + static_cast<int>(rnd() % 12) * 5;
      if (rnd() % 40 == 0) v = 0;
      scores.push_back(v);
    }
    const char* lodging[] = {"住校", "走读", ""};
    std::int32_t preset = -1;
    if (i == 7) preset = 2;
    if (i == n - 3) preset = 5;
    c.Add(std::to_string(i), testing::RandomName(rnd), rnd() % 2 ? "男" : "女", scores,
          {lodging[rnd() % 3]}, preset);
  }
  c.Range("按名次|1-30-|3|1,2,3,|");
  c.Range("按学号|1-999-|4|4,5,6,7,|");
  c.Band("按名次|1-30-|$数学$大于等于 60 且小于 80$5 级$");
  c.Band("按学号|1-999-|$总分$大于 200$4 级$");
  c.Item("性别|4 级|");
  c.Item("住宿|4 级|");
  c.Item("数学|2 级|");
  c.Item("总分|2 级|");
  return c;
}

std::vector<std::int32_t> Classes(const model::ProgramState& st) {
  std::vector<std::int32_t> out;
  for (const auto& set : st.RangeSets) {
    for (const auto& s : set.Students) out.push_back(s.AssignedClass);
  }
  return out;
}

TEST(Division, EveryStudentInAClassOfItsRangePresetsKept) {
  model::ProgramState st = RandomCohort(3, 70).State();
  FakeUser user;
  Coin coin(42);
  DivisionResult res = bsSkinButton10Click(st, user, coin);
  ASSERT_TRUE(res.completed);
  EXPECT_TRUE(user.Messages().empty());
  ASSERT_EQ(st.RangeSets.size(), 2u);
  std::size_t students = 0;
  for (std::size_t r = 0; r < 2; ++r) {
    auto ids = model::ClassIds(model::FieldAt(st.ClassRangeRows[r], '|', 4));
    std::map<std::int32_t, int> sizes;
    for (const auto& s : st.RangeSets[r].Students) {
      EXPECT_NE(std::find(ids.begin(), ids.end(), s.AssignedClass), ids.end()) << s.Number;
      if (s.PresetClass >= 0) {
        EXPECT_EQ(s.AssignedClass, s.PresetClass);
      }
      ++sizes[s.AssignedClass];
      ++students;
    }
    // Batches give every class one student at most: sizes differ by one at most.
    int lo = 1 << 30, hi = 0;
    for (auto [k, v] : sizes) lo = std::min(lo, v), hi = std::max(hi, v);
    EXPECT_LE(hi - lo, 1);
  }
  EXPECT_EQ(students, 70u);
  EXPECT_EQ(user.progress.front(), 0);
  EXPECT_EQ(user.progress.back(), 100);
  EXPECT_TRUE(std::is_sorted(user.progress.begin(), user.progress.end()));
  EXPECT_EQ(res.score_caption, ScoreCaption(res.score));
  ASSERT_EQ(res.class_list.size(), 8u);
  EXPECT_EQ(res.class_list[0], Gb("全部学生"));
  EXPECT_EQ(res.class_list[7], Gb("7 班"));
  EXPECT_FALSE(res.averages.rows.empty());
}

TEST(Division, SameAsStraightforwardReading) {
  for (std::uint32_t seed = 1; seed <= 8; ++seed) {
    CohortBuilder c = RandomCohort(seed, 40 + 9 * static_cast<int>(seed));
    model::ProgramState fast = c.State(), plain = c.State();
    FakeUser u1, u2;
    Coin coin(seed * 11);
    DivisionResult res = bsSkinButton10Click(fast, u1, coin);
    const double score = testing::ReferenceDivide(plain, u2, seed * 11);
    ASSERT_TRUE(res.completed);
    EXPECT_EQ(Classes(fast), Classes(plain)) << "seed " << seed;
    EXPECT_EQ(res.score, score) << "seed " << seed;
    EXPECT_EQ(fast.RangeSets, plain.RangeSets) << "seed " << seed;
  }
}

TEST(Division, FixedSeedRepeats) {
  CohortBuilder c = RandomCohort(5, 90);
  model::ProgramState a = c.State(), b = c.State();
  FakeUser u;
  Coin ca(9), cb(9);
  bsSkinButton10Click(a, u, ca);
  bsSkinButton10Click(b, u, cb);
  EXPECT_EQ(Classes(a), Classes(b));
}

TEST(Division, NamesakesGoToDifferentClasses) {
  CohortBuilder c({"语文"});
  c.Add("1", "张伟", "男", {100}).Add("2", "李明", "男", {99});
  c.Add("3", "张伟", "男", {50}).Add("4", "王刚", "男", {49});
  c.Range("按学号|1-4-|2|1,2,|");
  model::ProgramState st = c.State();
  FakeUser user;
  Coin coin(1);
  ASSERT_TRUE(bsSkinButton10Click(st, user, coin).completed);
  const auto& s = st.RangeSets[0].Students;  // 100, 99, 50, 49
  EXPECT_NE(s[0].AssignedClass, s[2].AssignedClass);
}

TEST(Division, RefusesWithoutDataOrMainTable) {
  FakeUser user;
  Coin coin(1);
  model::ProgramState empty;
  EXPECT_FALSE(bsSkinButton10Click(empty, user, coin).completed);
  EXPECT_EQ(user.Messages(),
            std::vector<std::string>{"warning: 先导入分班数据后，才能进行分班操作！"});

  // Range sets of an earlier division but no imported table (a division file
  // may carry them): the missing data is reported, nothing is divided again.
  {
    model::ProgramState stale = RandomCohort(2, 30).State();
    ASSERT_TRUE(bsSkinButton10Click(stale, user, coin).completed);
    stale.ImportedSets.clear();
    const model::ProgramState stale_before = stale;
    user.calls.clear();
    EXPECT_FALSE(bsSkinButton10Click(stale, user, coin).completed);
    EXPECT_EQ(stale, stale_before);
    EXPECT_EQ(user.Messages(),
              std::vector<std::string>{"warning: 先导入分班数据后，才能进行分班操作！"});
  }

  // No range row: no range set either.
  CohortBuilder c({"语文"});
  c.Add("1", "甲", "男", {90});
  model::ProgramState st = c.State();
  const model::ProgramState before = st;
  user.calls.clear();
  EXPECT_FALSE(bsSkinButton10Click(st, user, coin).completed);
  EXPECT_EQ(st, before);
  EXPECT_EQ(user.Messages().size(), 1u);

  // Combine mode without a main table.
  c.Range("按学号|1-9-|1|1,|");
  st = c.State();
  st.CombineMode = true;
  st.ImportedSets.push_back(st.ImportedSets[0]);
  st.ImportedSets[1].IsMainTable = false;
  const model::ProgramState combine_before = st;
  user.calls.clear();
  EXPECT_FALSE(bsSkinButton10Click(st, user, coin).completed);
  EXPECT_EQ(st, combine_before);
  ASSERT_EQ(user.Messages().size(), 1u);
  EXPECT_NE(user.Messages()[0].find("主表"), std::string::npos);
}

TEST(Division, IdMismatchStopsAfterEarlierRanges) {
  CohortBuilder c({"语文"});
  for (int i = 1; i <= 8; ++i)
    c.Add(std::to_string(i), "学生" + std::to_string(i), "男", {90.0 - i});
  c.Range("按学号|1-4-|2|1,2,|");
  c.Range("按学号|5-8-|3|3,4,|");
  model::ProgramState st = c.State();
  FakeUser user;
  Coin coin(1);
  EXPECT_FALSE(bsSkinButton10Click(st, user, coin).completed);
  EXPECT_EQ(user.Messages(), std::vector<std::string>{
                                 "warning: 初始化新分班出错，您的班级个数与班级标识个数不一致！!"});
  ASSERT_EQ(st.RangeSets.size(), 2u);
  for (const auto& s : st.RangeSets[0].Students) EXPECT_GE(s.AssignedClass, 1);
  for (const auto& s : st.RangeSets[1].Students) EXPECT_EQ(s.AssignedClass, -1);
}

TEST(Division, ProgressPerBatchWithinTheRangeShare) {
  // Two ranges: span 40 each. Range 0 has 8 students in 2 classes (5
  // batches planned, 4 run), range 1 has 3 students in 3 classes (2 planned,
  // 1 run): trunc(b / batches * span) + span * r + 5.
  CohortBuilder c({"语文"});
  for (int i = 1; i <= 11; ++i)
    c.Add(std::to_string(i), "学生" + std::to_string(i), "男", {100.0 - i});
  c.Range("按学号|1-8-|2|1,2,|");
  c.Range("按学号|9-11-|3|3,4,5,|");
  model::ProgramState st = c.State();
  FakeUser user;
  Coin coin(1);
  ASSERT_TRUE(bsSkinButton10Click(st, user, coin).completed);
  EXPECT_EQ(user.progress, (std::vector<int>{0, 5, 13, 21, 29, 37, 65, 90, 95, 100}));

  // Four students preset into one class come one batch each, more than the
  // 4 div 2 + 1 planned: the range's progress stops at its share instead of
  // reaching 100 (which closes the window) while the division still runs.
  CohortBuilder p({"语文"});
  for (int i = 1; i <= 4; ++i)
    p.Add(std::to_string(i), "学生" + std::to_string(i), "男", {100.0 - i}, {}, 1);
  p.Range("按学号|1-4-|2|1,2,|");
  st = p.State();
  user.progress.clear();
  ASSERT_TRUE(bsSkinButton10Click(st, user, coin).completed);
  EXPECT_EQ(user.progress, (std::vector<int>{0, 5, 31, 58, 85, 85, 90, 95, 100}));
}

TEST(Division, ZeroClassRangeSkippedWithWarning) {
  CohortBuilder c({"语文"});
  for (int i = 1; i <= 8; ++i)
    c.Add(std::to_string(i), "学生" + std::to_string(i), "女", {90.0 - i});
  c.Range("按学号|1-4-|0||空|");
  c.Range("按学号|5-8-|2|3,4,|");
  model::ProgramState st = c.State();
  FakeUser user;
  Coin coin(1);
  DivisionResult res = bsSkinButton10Click(st, user, coin);
  EXPECT_TRUE(res.completed);
  ASSERT_EQ(user.Messages().size(), 1u);
  EXPECT_NE(user.Messages()[0].find("班级个数为0"), std::string::npos);
  for (const auto& s : st.RangeSets[0].Students) EXPECT_EQ(s.AssignedClass, -1);
  for (const auto& s : st.RangeSets[1].Students) EXPECT_GE(s.AssignedClass, 3);
}

}  // namespace
}  // namespace tessaly::engine

namespace tessaly::engine {
namespace {

TEST(FastReadBack, SameAsTheTextRoundTrip) {
  std::mt19937_64 rnd(3);
  std::uniform_real_distribution<double> unit(0, 1);
  std::vector<double> values{0.0,
                             -0.0,
                             0.1 + 0.2,
                             1e15,
                             1e15 + 1,
                             999999999999999.0,
                             123456789012345.6,
                             5e-324,
                             1.7976931348623157e308,
                             -2.5,
                             1e-5};
  for (int i = 0; i < 200000; ++i) {
    const double mag = std::pow(10.0, static_cast<int>(rnd() % 40) - 20);
    values.push_back(unit(rnd) * mag * (rnd() % 2 ? 1 : -1));
    values.push_back(std::round(unit(rnd) * 1e6) / 8.0);  // short binary fractions
    values.push_back(static_cast<double>(rnd() % 1000) / 3.0);
  }
  for (double v : values) {
    ASSERT_EQ(std::signbit(FastReadBack(v)), std::signbit(model::ReadBack(v))) << v;
    ASSERT_EQ(FastReadBack(v), model::ReadBack(v)) << v;
  }
}

}  // namespace
}  // namespace tessaly::engine

namespace tessaly::engine {
namespace {

TEST(Division, MalformedRangeRowsNeverCrashOrLoop) {
  const char* rows[] = {"按学号|1-40-|2|1,,|",   "按学号|1-40-|2|1,2|",
                        "按名次|30-1-|2|1,2,|",  "按学号|1-40-|3|1,1,2,|",
                        "其他|1-40-|2|1,2,|",    "按学号|1-40-|2|一班,二班,|",
                        "按学号|1-40-|-2|1,2,|", "按学号||2|1,2,|"};
  for (const char* row : rows) {
    model::ProgramState st = RandomCohort(9, 40).State();
    st.ClassRangeRows = {Gb(row)};
    st.BandConditionRows.push_back(Gb("按学号|1-40-|$物理$大于 60$9 级$"));  // no such subject
    // A student with fewer scores than the table has subjects.
    st.ImportedSets[0].Students[3].Scores.pop_back();
    FakeUser user;
    Coin coin(1);
    DivisionResult res = bsSkinButton10Click(st, user, coin);
    if (!res.completed) {
      EXPECT_FALSE(user.Messages().empty()) << row;
      continue;
    }
    EXPECT_TRUE(std::isfinite(res.score)) << row;
    for (const auto& s : st.RangeSets.at(0).Students) EXPECT_GE(s.AssignedClass, 0) << row;
  }
}

}  // namespace
}  // namespace tessaly::engine
