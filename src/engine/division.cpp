#include "engine/division.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "engine/balance.h"
#include "engine/combine.h"
#include "engine/group_division.h"
#include "engine/names/namesake_index.h"
#include "engine/names/same_names.h"
#include "engine/rule_book.h"
#include "engine/tallies.h"
#include "model/number_format.h"
#include "model/rule_lists.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::engine {

using model::FieldAt;
using model::FirstInteger;

std::vector<New_ClassInf> ResetNewClassList(const model::Student_F& set, std::int32_t class_count,
                                            const std::string& ids) {
  std::vector<New_ClassInf> list;
  const std::size_t subjects = set.Headings.SubjectHeadings.size();
  for (std::int32_t p = 1; p <= class_count; ++p) {
    list.push_back(EmptySummary(FirstInteger(FieldAt(ids, ',', p)), subjects));
  }
  return list;
}

std::vector<std::string> ClassListItems(const model::ProgramState& state) {
  static const std::string kAll = "全部学生"_gb, kClass = " 班"_gb;
  std::vector<std::string> items{kAll};
  for (const auto& row : state.ClassRangeRows) {
    std::string ids = FieldAt(row, '|', 4);
    const std::int32_t n = model::CountChar(ids, ',');
    for (std::int32_t i = 1; i <= n; ++i) items.push_back(FieldAt(ids, ',', i) + kClass);
  }
  return items;
}

namespace {

bool HasMainTable(const model::ProgramState& state) {
  for (std::size_t i = 1; i < state.ImportedSets.size(); ++i) {
    if (state.ImportedSets[i].IsMainTable) return true;
  }
  return false;
}

// Places the students of one range set, batch by batch. Keeps the running
// per-class counts (RangeTallies, NamesakeIndex) in step with every
// placement so that a placement cost takes constant time.
class RangeDivider {
 public:
  RangeDivider(const RuleBook& book, const RangeRule& range, model::Student_F& set,
               const GapWeights& weighted, Coin& coin)
      : set_(set), y_(range.class_count), weights_(weighted), coin_(coin) {
    tallies_.Build(book, set, range.key, y_);
    names_ = NamesakeIndex(set, book.sounds);
    classes_ = ResetNewClassList(set, y_, range.ids);
    range_so_far_ = EmptySummary(-1, set.Headings.SubjectHeadings.size());
    groups_ = GroupPlacement(book.groups, set);
  }

  // Processes one batch (positions in pick order). A student bound to a
  // class (preset, or by his keep-together unit) claims it; of a unit's free
  // students the first of the batch is the candidate and the others follow
  // him into his class.
  void ProcessBatch(const std::vector<std::int32_t>& batch) {
    auto& st = set_.Students;
    for (std::int32_t pos : batch) AddToSummary(range_so_far_, st[pos]);

    std::vector<std::int32_t> claimed;
    std::vector<std::int32_t> free_students;  // batch indices of students without preset
    std::vector<std::int32_t> followers;      // positions that follow their unit's candidate
    for (std::size_t b = 0; b < batch.size(); ++b) {
      const std::int32_t fixed = groups_.FixedClass(batch[b]);
      if (fixed >= 0) {
        claimed.push_back(fixed);
      } else if (LeadsUnit(batch, b)) {
        free_students.push_back(static_cast<std::int32_t>(b));
      } else {
        followers.push_back(batch[b]);
      }
    }
    auto is_claimed = [&](std::int32_t k) {
      for (std::int32_t c : claimed) {
        if (c == k) return true;
      }
      return false;
    };
    // A unit that no class may take (its groups cannot all be kept) is
    // placed as if it had none, so that the division still ends.
    std::vector<char> unrestricted(batch.size(), 1);
    if (!groups_.Empty()) {
      for (std::int32_t b : free_students) {
        if (!groups_.Grouped(batch[b])) continue;
        bool any = false;
        for (const auto& c : classes_) any = any || groups_.MayJoin(batch[b], c.ClassId);
        unrestricted[b] = any ? 0 : 1;
      }
    }

    lists_.assign(static_cast<std::size_t>(y_), CandidateList{});
    std::vector<Candidate> entries;
    for (std::int32_t p = 0; p < y_; ++p) {
      const std::int32_t k = classes_[p].ClassId;
      if (is_claimed(k) || free_students.empty()) continue;
      const std::int32_t slot = tallies_.Slot(k);
      entries.clear();
      for (std::int32_t b : free_students) {
        if (!unrestricted[b] && !groups_.MayJoin(batch[b], k)) continue;
        entries.push_back({b, PlacementCost(batch[b], p, k, slot)});
      }
      lists_[p] = SortCandidates(entries);
    }
    SettleConflicts(lists_, coin_);

    for (std::int32_t pos : batch) {
      const std::int32_t fixed = groups_.FixedClass(pos);
      if (fixed < 0) continue;
      Join(pos, fixed);
    }
    for (std::int32_t p = 0; p < y_; ++p) {
      if (lists_[p].Empty()) continue;
      const std::int32_t pos = batch[lists_[p].entries[lists_[p].head].who];
      Place(pos, classes_[p].ClassId);
      AddToSummary(classes_[p], st[pos]);
    }
    for (std::int32_t pos : followers) {
      const std::int32_t fixed = groups_.FixedClass(pos);
      if (fixed >= 0) Join(pos, fixed);
    }
  }

  // The cost of putting the student at `pos` into the class at position p
  // (class number k, tally slot `slot`), the five terms added in order.
  double PlacementCost(std::int32_t pos, std::int32_t p, std::int32_t k, std::int32_t slot) const {
    double cost = names_.Test(pos, y_, k).full ? kSameNamePenalty : 0.0;
    cost += tallies_.GenderCost(pos, slot);
    cost += tallies_.BalanceValueCost(pos, slot);
    cost += AverageGapWithStudent(range_so_far_, classes_[p], set_.Students[pos], weights_);
    cost += tallies_.BandCost(pos, slot);
    return cost;
  }

  // Adds the unweighted gap of every class to the range summary so far to
  // the score sum, one class after the other.
  void AddGaps(const GapWeights& unweighted, double& sum) const {
    for (const auto& c : classes_) sum += AverageGap(range_so_far_, c, unweighted);
  }

 private:
  void Place(std::int32_t pos, std::int32_t class_number) {
    set_.Students[pos].AssignedClass = class_number;
    tallies_.Place(static_cast<std::size_t>(pos), class_number);
    names_.Place(pos, class_number);
    groups_.Placed(pos, class_number);
  }

  // Places a student bound to a class and counts him in its summary.
  void Join(std::int32_t pos, std::int32_t class_number) {
    Place(pos, class_number);
    for (auto& c : classes_) {
      if (c.ClassId == class_number) AddToSummary(c, set_.Students[pos]);
    }
  }

  // Whether the student at batch index b is the first free student of his
  // keep-together unit in the batch.
  bool LeadsUnit(const std::vector<std::int32_t>& batch, std::size_t b) const {
    if (!groups_.Grouped(batch[b])) return true;
    const std::int32_t unit = groups_.UnitOf(batch[b]);
    for (std::size_t i = 0; i < b; ++i) {
      if (groups_.UnitOf(batch[i]) == unit) return false;
    }
    return true;
  }

  model::Student_F& set_;
  std::int32_t y_;
  const GapWeights& weights_;
  Coin& coin_;
  RangeTallies tallies_;
  NamesakeIndex names_;
  std::vector<New_ClassInf> classes_;
  New_ClassInf range_so_far_;
  std::vector<CandidateList> lists_;
  GroupPlacement groups_;
};

}  // namespace

DivisionResult bsSkinButton10Click(model::ProgramState& state, model::UserPort& user, Coin& coin) {
  static const std::string kTitle = "分班进度"_gb;
  static const std::string kNoData = "先导入分班数据后，才能进行分班操作！"_gb;
  static const std::string kIdMismatch = "初始化新分班出错，您的班级个数与班级标识个数不一致！!"_gb;
  static const std::string kNoMain =
      "合并模式下还没有指定主表，无法分班！请先在“分班规则制定1(必须)”页中选择主表。"_gb;
  static const std::string kBadId = "初始化新分班出错，班级标识中有不是数字的班号！"_gb;
  static const std::string kZeroA = "分班类型 "_gb;
  static const std::string kZeroB = " 的班级个数为0，该区段的学生没有分班！"_gb;

  DivisionResult result;
  user.ProgressStart(kTitle);
  user.ProgressSet(0);
  if (state.CombineMode && !state.ImportedSets.empty() && !HasMainTable(state)) {
    user.ProgressClose();
    user.Warning(kNoMain);
    return result;
  }
  model::ProgramState next = state;
  // Without an imported table the range sets are not rebuilt: range sets of
  // an earlier division are no data to divide.
  const bool built = BuildRangeSets(next);
  user.ProgressSet(5);
  if (!built || next.RangeSets.empty()) {
    user.ProgressClose();
    user.Warning(kNoData);
    return result;
  }

  if (auto conflicts = GroupConflicts(next)) {
    user.ProgressClose();
    user.Warning(*conflicts);
    return result;
  }

  const RuleBook book = ReadRuleBook(next);
  const GapWeights weighted = MakeGapWeights(next, true);
  const GapWeights unweighted = MakeGapWeights(next, false);
  const std::size_t ranges = next.RangeSets.size();
  const int span = kRangeProgressShare / static_cast<int>(ranges);
  double gap_sum = 0;
  std::int64_t class_total = 0;

  for (std::size_t r = 0; r < ranges && r < next.ClassRangeRows.size(); ++r) {
    model::Student_F& set = next.RangeSets[r];
    const RangeRule& range = book.ranges[r];
    const std::int32_t y = range.class_count;
    class_total += y;
    const auto id_count = static_cast<std::int32_t>(range.class_ids.size());
    const bool bad_id = std::any_of(range.class_ids.begin(), range.class_ids.end(),
                                    [](std::int32_t id) { return id < 0; });
    if (id_count != y || bad_id) {
      // The ranges before this one keep their placements.
      user.ProgressClose();
      user.Warning(id_count != y ? kIdMismatch : kBadId);
      state = std::move(next);
      return result;
    }
    if (y == 0) {
      user.Warning(kZeroA + range.key + kZeroB);
      continue;
    }

    RangeDivider divider(book, range, set, weighted, coin);
    const std::int64_t batches = static_cast<std::int64_t>(set.Students.size()) / y + 1;
    std::int64_t b = 0;
    for (auto batch = PickBatch(set, y); !batch.empty(); batch = PickBatch(set, y)) {
      ++b;
      divider.ProcessBatch(batch);
      // Preset students and classes left without a candidate can make more
      // batches than planned: the range's progress then stays at its share,
      // so the window (which closes at 100) stays open until the end.
      const double share = static_cast<double>(b) / static_cast<double>(batches) * span;
      const int done = std::min(static_cast<int>(std::trunc(share)), span);
      user.ProgressSet(done + span * static_cast<int>(r) + 5);
    }
    divider.AddGaps(unweighted, gap_sum);
  }

  BalanceTotals(next, user, AllRangesChoice(), false, kDivisionControlScore);
  user.ProgressSet(90);
  result.averages = ShowAverages(next);
  result.same_names = ShowSameNames(next);
  user.ProgressSet(95);

  const double n = static_cast<double>(next.RangeSets.back().Headings.SubjectHeadings.size());
  // With no class at all there is nothing to measure: the score stays 100
  // instead of dividing by zero.
  result.score = class_total > 0
                     ? 100 - gap_sum / ((n + 1) * 0.5 * static_cast<double>(class_total)) * 2
                     : 100;
  result.score_caption = ScoreCaption(result.score);
  result.class_list = ClassListItems(next);
  result.completed = true;
  user.ProgressSet(100);
  state = std::move(next);
  return result;
}

}  // namespace tessaly::engine
