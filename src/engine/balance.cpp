#include "engine/balance.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <utility>

#include "engine/division_batch.h"
#include "engine/evaluation.h"
#include "engine/group_guard.h"
#include "engine/names/namesake_index.h"
#include "engine/names/same_names.h"
#include "engine/rule_book.h"
#include "engine/transfer.h"
#include "model/number_format.h"
#include "model/rule_lists.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::engine {

using model::FieldAt;
using model::FirstInteger;

std::string AllRangesChoice() {
  static const std::string kAll = "全部区间"_gb;
  return kAll;
}

namespace {

// One balancing run. Keeps what the exchanges of the run need in step with
// the placement: the class summaries of every pass, the statistics of the
// swap measures, the class members and the namesake counts of every range.
// Only an exchange changes them, and it refreshes just its two classes.
class BalanceRun {
 public:
  BalanceRun(model::ProgramState& state, model::UserPort& user) : state_(state), user_(user) {}

  // Summaries of the classes of range r by position (1..c; entry 0 unused).
  const std::vector<New_ClassInf>& Summaries(std::size_t r) {
    Range& g = RangeAt(r);
    if (!g.summaries_ready) {
      g.summaries.assign(g.ids.size() + 1, New_ClassInf{});
      for (std::size_t k = 1; k <= g.ids.size(); ++k) Resummarise(r, k);
      g.summaries_ready = true;
    }
    return g.summaries;
  }

  const std::vector<std::int32_t>& Ids(std::size_t r) { return RangeAt(r).ids; }

  // The candidates of the high class: ImbalanceCandidates, or the fallback
  // list when there is none. False when the statistics could not be built.
  bool Candidates(std::size_t r, std::int32_t high_id, std::vector<std::int32_t>& out) {
    out.clear();
    if (!EnsureStatistics()) return false;
    for (const auto& c : ImbalanceCandidates(state_, stats_.CountInfo, r, high_id)) {
      out.push_back(c.position);
    }
    if (out.empty()) out = FallbackCandidates(state_, r, high_id);
    return true;
  }

  // TransferStudent(candidate, low class, BackFillByBalance). Sets `stop`
  // when the statistics failed and the balancing must end.
  bool Exchange(std::size_t r, std::int32_t x, std::int32_t low_id, bool& stop) {
    const auto& st = state_.RangeSets[r].Students;
    const model::student& X = st[x];
    const std::int32_t S = X.AssignedClass;
    if (S == low_id) return true;
    const Range& g = RangeAt(r);
    const std::int32_t ps = PositionOf(g, S), pt = PositionOf(g, low_id);
    if (low_id < 0 || S < 0 || ps < 0 || pt < 0 || FirstRangeOf(low_id) != r) {
      // Not an exchange inside one range: the transfer decides (and warns)
      // itself; afterwards nothing cached can be trusted.
      auto res = TransferStudent(state_, user_, X.Number, X.Name, low_id, 0,
                                 BackFillMode::BackFillByBalance);
      if (res.outcome == TransferOutcome::StatisticsFailed) stop = true;
      if (res.success()) Invalidate();
      return res.success();
    }
    if (!EnsureStatistics()) {
      stop = true;
      return false;
    }
    Range& rg = RangeAt(r);
    const model::Student_F& set = state_.RangeSets[r];
    const std::int32_t c = rg.class_count;
    NamesakeIndex& names = rg.names;
    NamesakeGrade grade = [&](const model::student& s, std::int32_t cls) {
      const auto pos = static_cast<std::int32_t>(&s - set.Students.data());
      return names.Test(pos, c, cls).graded;
    };
    const AssignedClassOf class_of{&set};
    std::vector<std::int32_t> candidates;
    for (std::int32_t y : rg.members[pt]) {
      if (set.Students[y].PresetClass < 0 && rg.guard.Allows(x, low_id, y, S, class_of)) {
        candidates.push_back(y);
      }
    }
    auto y = ChooseBalancePartner(state_, stats_, r, x, ps, pt, candidates, grade, &Rules());
    if (!y) return false;
    auto& students = state_.RangeSets[r].Students;
    students[x].AssignedClass = low_id;
    students[*y].AssignedClass = S;
    names.Swap(x, *y);
    MoveMember(rg, x, S, low_id);
    MoveMember(rg, *y, low_id, S);
    UpdateStatistics(r, x, *y, S, low_id);
    return true;
  }

  // The item rows changed (a level raised for a pass, or put back): the
  // levels are read again.
  void ItemsChanged() {
    if (rules_) rules_->items = ReadItemRules(state_.BalanceItemRows);
  }

 private:
  struct Range {
    bool ready = false;
    std::vector<std::int32_t> ids;  // by position - 1
    std::int32_t class_count = 0;
    bool summaries_ready = false;
    std::vector<New_ClassInf> summaries;
    // Members of every class position (set positions, ascending).
    std::vector<std::vector<std::int32_t>> members;
    NamesakeIndex names;
    GroupGuard guard;
  };

  Range& RangeAt(std::size_t r) {
    if (ranges_.size() < state_.RangeSets.size()) ranges_.resize(state_.RangeSets.size());
    Range& g = ranges_[r];
    if (!g.ready) {
      const std::string& row = state_.ClassRangeRows[r];
      g.ids = model::ClassIds(FieldAt(row, '|', 4));
      g.class_count = FirstInteger(FieldAt(row, '|', 3));
      g.members.assign(g.ids.size() + 1, {});
      const auto& st = state_.RangeSets[r].Students;
      for (std::size_t i = 0; i < st.size(); ++i) {
        const std::int32_t p = PositionOf(g, st[i].AssignedClass);
        if (p > 0) g.members[p].push_back(static_cast<std::int32_t>(i));
      }
      g.names = NamesakeIndex(state_.RangeSets[r], Rules().sounds);
      g.guard = GroupGuard::ForSet(Rules().groups, state_.RangeSets[r]);
      g.ready = true;
    }
    return g;
  }

  static std::int32_t PositionOf(const Range& g, std::int32_t id) {
    if (id < 0) return -1;
    for (std::size_t k = 0; k < g.ids.size(); ++k) {
      if (g.ids[k] == id) return static_cast<std::int32_t>(k + 1);
    }
    return -1;
  }

  std::size_t FirstRangeOf(std::int32_t id) {
    for (std::size_t r = 0; r < state_.RangeSets.size() && r < state_.ClassRangeRows.size(); ++r) {
      if (PositionOf(RangeAt(r), id) > 0) return r;
    }
    return state_.RangeSets.size();
  }

  void MoveMember(Range& g, std::int32_t pos, std::int32_t from_id, std::int32_t to_id) {
    const std::int32_t from = PositionOf(g, from_id), to = PositionOf(g, to_id);
    if (from > 0) {
      auto& m = g.members[from];
      m.erase(std::lower_bound(m.begin(), m.end(), pos));
    }
    if (to > 0) {
      auto& m = g.members[to];
      m.insert(std::lower_bound(m.begin(), m.end(), pos), pos);
    }
  }

  // SummariseClass of the class at position k, from its members only: the
  // same students in the same order, so the same sums.
  void Resummarise(std::size_t r, std::size_t k) {
    Range& g = ranges_[r];
    const model::Student_F& set = state_.RangeSets[r];
    const std::int32_t id = g.ids[k - 1];
    New_ClassInf c = EmptySummary(id, set.Headings.SubjectHeadings.size());
    const std::int32_t p = PositionOf(g, id);
    if (p < 0 || set.Students.empty()) {
      SummariseClass(set, id, c);
    } else {
      model::Student_F members;
      members.Students.reserve(g.members[p].size() + 1);
      for (std::int32_t i : g.members[p]) members.Students.push_back(set.Students[i]);
      if (members.Students.empty()) {
        // An empty class: its entries are sized by the set's first student,
        // who is not counted.
        model::student none = set.Students.front();
        none.AssignedClass = id == 0 ? 1 : -id;
        members.Students.push_back(std::move(none));
      }
      SummariseClass(members, id, c);
    }
    c.ClassId = id;
    g.summaries[k] = std::move(c);
  }

  // After X (position x) went from class S to T and Y (position y) from T
  // to S: the summaries and headcounts of every position of S and T follow.
  // Each student's share of a count is what the counting operations give for
  // a set of that student alone.
  void UpdateStatistics(std::size_t r, std::int32_t x, std::int32_t y, std::int32_t S,
                        std::int32_t T) {
    static const std::string kBoy = "男"_gb, kGirl = "女"_gb;
    Summaries(r);
    Range& g = ranges_[r];
    const model::Student_F& set = state_.RangeSets[r];
    PjInf& averages = stats_.AverageInfo[r];
    for (std::size_t k = 1; k <= g.ids.size(); ++k) {
      if (g.ids[k - 1] != S && g.ids[k - 1] != T) continue;
      Resummarise(r, k);
      if (k < averages.Classes.size()) averages.Classes[k] = g.summaries[k];
    }
    model::Student_F one_x, one_y;
    one_x.Headings = one_y.Headings = set.Headings;
    one_x.Students = {set.Students[x]};
    one_y.Students = {set.Students[y]};
    AllCountInf& info = stats_.CountInfo[r];
    for (std::size_t p = 1; p <= g.ids.size(); ++p) {
      const std::int32_t id = g.ids[p - 1];
      // X leaves S and joins T; Y the other way.
      const std::int32_t sx = id == S ? -1 : id == T ? 1 : 0;
      if (sx == 0) continue;
      auto change = [&](auto count) { return sx * count(one_x) - sx * count(one_y); };
      if (p < info.GenderCounts.size()) {
        info.GenderCounts[p].Boys +=
            change([&](const model::Student_F& o) { return CountGender(o, kBoy, -1); });
        info.GenderCounts[p].Girls +=
            change([&](const model::Student_F& o) { return CountGender(o, kGirl, -1); });
      }
      if (p < info.ValueCounts.size()) {
        for (auto& item : info.ValueCounts[p].Items) {
          for (auto& v : item.Values) {
            v.Count += change([&](const model::Student_F& o) {
              return CountBalanceValue(o, item.ItemName, v.Value, -1);
            });
          }
        }
      }
      if (p < info.BandCounts.size()) {
        for (auto& subject : info.BandCounts[p]) {
          for (auto& band : subject.Bands) {
            band.Count += change([&](const model::Student_F& o) {
              return CountInBand(o, subject.Subject, -1, band.Condition);
            });
          }
        }
      }
    }
  }

  bool EnsureStatistics() {
    if (stats_ready_) return true;
    if (!RebuildAverageInfo(state_, stats_.AverageInfo)) return false;
    if (!RebuildCountInfo(state_, user_, stats_.CountInfo)) return false;
    stats_ready_ = true;
    return true;
  }

  void Invalidate() {
    stats_ready_ = false;
    ranges_.clear();
  }

  model::ProgramState& state_;
  model::UserPort& user_;
  ClassStatistics stats_;
  bool stats_ready_ = false;
  std::vector<Range> ranges_;
  // The rule lists, read once when first needed: balancing moves students
  // and changes no rule row but the item rows (ItemsChanged).
  const RuleBook& Rules() {
    if (!rules_) rules_ = std::make_unique<RuleBook>(ReadRuleBook(state_));
    return *rules_;
  }
  std::unique_ptr<RuleBook> rules_;
};

using PairSet = std::set<std::pair<std::int32_t, std::int32_t>>;

void Exclude(PairSet& pairs, std::int32_t a, std::int32_t b) {
  pairs.insert({std::min(a, b), std::max(a, b)});
}
bool Excluded(const PairSet& pairs, std::int32_t a, std::int32_t b) {
  return pairs.count({std::min(a, b), std::max(a, b)}) > 0;
}

// The shared frame of both balancings: the checks, the ranges of the
// choice, the passes and their progress. `pass` runs one pass of range r and
// returns true when the range is done.
template <typename Pass>
bool RunBalancing(model::ProgramState& state, model::UserPort& user, const std::string& choice,
                  bool show_progress, Pass pass) {
  static const std::string kStale =
      "请先分班后，再进行此操作。或者您已更改分班类型，需重新分班才能进行此操作。"_gb;
  if (state.RangeSets.empty()) return true;
  if (state.ClassRangeRows.size() != state.RangeSets.size()) {
    user.Warning(kStale);
    return false;
  }
  if (show_progress) {
    static const std::string kTitle = "分班进度"_gb;
    user.ProgressStart(kTitle);
    user.ProgressSet(5);
  }
  const std::size_t rows = state.ClassRangeRows.size();
  const int span = 90 / static_cast<int>(rows);
  BalanceRun run(state, user);
  PairSet excluded;
  bool ok = true;
  for (std::size_t r = 0; r < rows && ok; ++r) {
    if (choice != AllRangesChoice() && model::RangeKey(state.ClassRangeRows[r]) != choice) continue;
    const std::int32_t c = model::CountChar(FieldAt(state.ClassRangeRows[r], '|', 4), ',');
    for (std::int32_t n = 1;; ++n) {
      if (show_progress && c > 0) {
        const double share = static_cast<double>(n) / (2.0 * c) * span;
        // The last pass of the last range reaches beyond 100; the window
        // closes at 100, which is as far as it goes.
        user.ProgressSet(
            std::min(100, static_cast<int>(std::trunc(share)) + span * static_cast<int>(r) + 5));
      }
      bool stop = false;
      const bool done = pass(run, r, excluded, stop);
      if (stop) {
        ok = false;
        break;
      }
      if (done || n > 2 * c) break;
    }
  }
  if (show_progress) user.ProgressSet(100);
  return ok;
}

// Tries the candidates of the high class in order against the low class;
// true at the first exchange. Sets `stop` when the balancing must end.
bool TryCandidates(BalanceRun& run, std::size_t r, const std::vector<std::int32_t>& candidates,
                   std::int32_t low_id, bool& stop) {
  for (std::int32_t x : candidates) {
    if (run.Exchange(r, x, low_id, stop)) return true;
    if (stop) return false;
  }
  return false;
}

}  // namespace

bool BalanceTotals(model::ProgramState& state, model::UserPort& user, const std::string& choice,
                   bool show_progress, double control) {
  auto pass = [&](BalanceRun& run, std::size_t r, PairSet& excluded, bool& stop) {
    const auto& ids = run.Ids(r);
    const auto& sums = run.Summaries(r);
    std::int32_t high = 0, low = 0;  // positions; 0 = none
    double top = 0;
    for (std::size_t k = 1; k < sums.size(); ++k) {
      if (sums[k].AverageTotal > top) {
        top = sums[k].AverageTotal;
        high = static_cast<std::int32_t>(k);
      }
    }
    if (high == 0) return true;
    double bottom = 100000000;
    for (std::size_t k = 1; k < sums.size(); ++k) {
      if (Excluded(excluded, ids[high - 1], ids[k - 1])) continue;
      if (sums[k].AverageTotal < bottom) {
        bottom = sums[k].AverageTotal;
        low = static_cast<std::int32_t>(k);
      }
    }
    if (low == 0 || std::fabs(sums[high].AverageTotal - sums[low].AverageTotal) <= control) {
      return true;
    }
    const std::int32_t high_id = ids[high - 1], low_id = ids[low - 1];
    std::vector<std::int32_t> candidates;
    if (!run.Candidates(r, high_id, candidates)) {
      stop = true;
      return false;
    }
    if (!TryCandidates(run, r, candidates, low_id, stop)) Exclude(excluded, high_id, low_id);
    return false;
  };
  return RunBalancing(state, user, choice, show_progress, pass);
}

bool BalanceSubject(model::ProgramState& state, model::UserPort& user, const std::string& choice,
                    const std::string& subject, bool show_progress, double control) {
  auto pass = [&](BalanceRun& run, std::size_t r, PairSet& excluded, bool& stop) {
    const auto& heads = state.RangeSets[r].Headings.SubjectHeadings;
    const auto git = std::find(heads.begin(), heads.end(), subject);
    if (git == heads.end()) return true;
    const auto g = static_cast<std::size_t>(git - heads.begin());
    const auto& ids = run.Ids(r);
    const auto& sums = run.Summaries(r);
    auto average = [&](std::size_t k) {
      return g < sums[k].SubjectAverages.size() ? sums[k].SubjectAverages[g].Average : 0.0;
    };
    std::int32_t high = 0, low = 0;
    double bottom = 100000000;
    for (std::size_t k = 1; k < sums.size(); ++k) {
      if (average(k) < bottom) {
        bottom = average(k);
        low = static_cast<std::int32_t>(k);
      }
    }
    if (low == 0) return true;
    double top = 0;
    for (std::size_t k = 1; k < sums.size(); ++k) {
      if (Excluded(excluded, ids[low - 1], ids[k - 1])) continue;
      if (average(k) > top) {
        top = average(k);
        high = static_cast<std::int32_t>(k);
      }
    }
    if (high == 0 || std::fabs(average(high) - average(low)) <= control) return true;
    const std::int32_t high_id = ids[high - 1], low_id = ids[low - 1];

    std::vector<std::int32_t> candidates;
    if (!run.Candidates(r, high_id, candidates)) {
      stop = true;
      return false;
    }
    // The subject weighs level 8 while the pass's exchanges are priced.
    std::int32_t item_row = -1;
    for (std::size_t i = 0; i < state.BalanceItemRows.size(); ++i) {
      if (FieldAt(state.BalanceItemRows[i], '|', 1) == subject) {
        item_row = static_cast<std::int32_t>(i);
        break;
      }
    }
    std::string saved;
    if (item_row >= 0) {
      saved = state.BalanceItemRows[item_row];
      state.BalanceItemRows[item_row] = subject + "|8|";
      run.ItemsChanged();
    }
    TryCandidates(run, r, candidates, low_id, stop);
    if (item_row >= 0) {
      for (auto& row : state.BalanceItemRows) {
        if (FieldAt(row, '|', 1) == subject) {
          row = saved;
          break;
        }
      }
      run.ItemsChanged();
    }
    Exclude(excluded, high_id, low_id);
    return false;
  };
  return RunBalancing(state, user, choice, show_progress, pass);
}

}  // namespace tessaly::engine
