#include "engine/transfer.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "engine/costs.h"
#include "engine/evaluation.h"
#include "engine/group_guard.h"
#include "engine/names/same_names.h"
#include "model/number_format.h"
#include "model/rule_lists.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::engine {

using model::FieldAt;
using model::FirstInteger;

std::size_t InsertByTotal(model::Student_F& set, const model::student& s) {
  auto& st = set.Students;
  std::size_t pos = st.size();
  for (std::size_t i = 0; i < st.size(); ++i) {
    if (st[i].Total < s.Total) {
      pos = i;
      break;
    }
  }
  st.insert(st.begin() + static_cast<std::ptrdiff_t>(pos), s);
  set.StudentCount = static_cast<std::int32_t>(st.size());
  return pos;
}

void RemoveByNumber(model::Student_F& set, const std::string& number) {
  auto& st = set.Students;
  for (std::size_t i = 0; i < st.size(); ++i) {
    if (st[i].Number == number) {
      st.erase(st.begin() + static_cast<std::ptrdiff_t>(i));
      break;
    }
  }
  set.StudentCount = static_cast<std::int32_t>(st.size());
}

namespace {

// The first range whose class ids hold `class_number`; -1 when none.
std::int32_t RangeOfClass(const model::ProgramState& state, std::int32_t class_number) {
  for (std::size_t r = 0; r < state.ClassRangeRows.size() && r < state.RangeSets.size(); ++r) {
    for (std::int32_t id : model::ClassIds(FieldAt(state.ClassRangeRows[r], '|', 4))) {
      if (id == class_number) return static_cast<std::int32_t>(r);
    }
  }
  return -1;
}

std::int32_t ClassCountOf(const model::ProgramState& state, std::size_t r) {
  return r < state.ClassRangeRows.size() ? FirstInteger(FieldAt(state.ClassRangeRows[r], '|', 3))
                                         : 0;
}

// A summary changed as if `out` left and `in` joined, the counts kept.
void ExchangeInSummary(New_ClassInf& c, const model::student& out, const model::student& in) {
  c.AverageTotal =
      c.CountedStudents == 0
          ? 0
          : (c.CountedStudents * c.AverageTotal - out.Total + in.Total) / c.CountedStudents;
  for (std::size_t j = 0; j < c.SubjectAverages.size(); ++j) {
    auto& a = c.SubjectAverages[j];
    const double so = j < out.Scores.size() ? out.Scores[j] : 0;
    const double si = j < in.Scores.size() ? in.Scores[j] : 0;
    a.Average = a.Counted > 0 ? (a.Counted * a.Average - so + si) / a.Counted : 0;
  }
}

New_ClassInf Summary(const model::Student_F& set, std::int32_t class_number) {
  New_ClassInf c = EmptySummary(class_number, set.Headings.SubjectHeadings.size());
  SummariseClass(set, class_number, c);
  c.ClassId = class_number;
  return c;
}

// What MatchCost reads once per transfer: the source set's tallies and sound
// keys, and the four summaries before any exchange.
struct MatchContext {
  const model::ProgramState& state;
  std::size_t sr, tr;
  std::int32_t S, T, c;
  double limit;
  SoundRules rules;
  model::RuleList keys;
  BalanceValueTallies tallies;
  GapWeights weights;
  New_ClassInf range_s, class_s, range_t, class_t;
  std::string range_key;
  bool has_range_row = false;

  MatchContext(const model::ProgramState& st, std::size_t sr_, std::int32_t S_, std::size_t tr_,
               std::int32_t T_, double limit_)
      : state(st), sr(sr_), tr(tr_), S(S_), T(T_), limit(limit_) {
    const model::Student_F& src = st.RangeSets[sr];
    c = ClassCountOf(st, sr);
    rules = SoundRulesOf(st);
    keys = BuildSoundKeys(src, rules);
    tallies = TallyBalanceValues(src);
    weights = MakeGapWeights(st, true);
    range_s = Summary(src, -1);
    class_s = Summary(src, S);
    range_t = Summary(st.RangeSets[tr], -1);
    class_t = Summary(st.RangeSets[tr], T);
    // A set whose range row was removed after the division has no key: no
    // band row prices it.
    has_range_row = sr < st.ClassRangeRows.size();
    if (has_range_row) range_key = model::RangeKey(st.ClassRangeRows[sr]);
  }

  // The graded namesake value of Y for class S, counted over the source set.
  double NamesakeGrade(const model::student& Y) const {
    const std::string key = SoundKey(Y.Name, rules);
    if (key.empty()) return 0;
    const model::Student_F& src = state.RangeSets[sr];
    std::int32_t total = 0, in_class = 0;
    for (std::size_t i = 0; i < keys.size() && i < src.Students.size(); ++i) {
      if (keys[i] != key) continue;
      ++total;
      if (src.Students[i].AssignedClass == S) ++in_class;
    }
    if (total <= 1 || c < 1) return 0;
    const std::int32_t share = Share(total, c);
    if (in_class >= share) return 400;
    return static_cast<double>(in_class) / share * 400;
  }

  double Cost(const model::student& X, const model::student& Y) const {
    static const std::string kTotal = "总分"_gb;
    const model::Student_F& src = state.RangeSets[sr];
    double cost = 0;
    if (Y.Gender != X.Gender) cost += 5;
    if (std::fabs(Y.Total - X.Total) > limit) cost += 300000;
    cost += NamesakeGrade(Y);
    cost += BalanceValueCost(state, tallies, src, Y, c, S);
    for (const auto& row : state.BandConditionRows) {
      if (!has_range_row || FieldAt(row, '$', 1) != range_key) continue;
      const std::string subject = FieldAt(row, '$', 2);
      const std::string condition = FieldAt(row, '$', 3);
      if (subject == kTotal) {
        if (model::ConditionHolds(condition, X.Total) && !model::ConditionHolds(condition, Y.Total))
          cost += 8;
        continue;
      }
      std::int32_t j = -1;
      const auto& heads = src.Headings.SubjectHeadings;
      for (std::size_t h = 0; h < heads.size(); ++h) {
        if (heads[h] == subject) j = static_cast<std::int32_t>(h);
      }
      if (j < 0) continue;
      const double xs = static_cast<std::size_t>(j) < X.Scores.size() ? X.Scores[j] : 0;
      const double ys = static_cast<std::size_t>(j) < Y.Scores.size() ? Y.Scores[j] : 0;
      if (model::ConditionHolds(condition, xs) && !model::ConditionHolds(condition, ys)) {
        cost += 0.8;
      }
    }
    New_ClassInf rs = range_s, cs = class_s, rt = range_t, ct = class_t;
    ExchangeInSummary(cs, X, Y);
    ExchangeInSummary(ct, Y, X);
    if (sr != tr) {
      ExchangeInSummary(rs, X, Y);
      ExchangeInSummary(rt, Y, X);
    }
    cost += AverageGap(rs, cs, weights);
    cost += AverageGap(rt, ct, weights);
    return cost;
  }
};

}  // namespace

double MatchCost(const model::ProgramState& state, const model::student& X, const model::student& Y,
                 std::size_t sr, std::int32_t S, std::size_t tr, std::int32_t T, double limit) {
  MatchContext ctx(state, sr, S, tr, T, limit);
  return ctx.Cost(X, Y);
}

std::optional<std::int32_t> ChooseBalancePartner(const model::ProgramState& state,
                                                 const ClassStatistics& stats, std::size_t r,
                                                 std::int32_t x, std::int32_t S, std::int32_t T,
                                                 const std::vector<std::int32_t>& candidates,
                                                 const NamesakeGrade& namesake,
                                                 const RuleBook* rules) {
  const auto& st = state.RangeSets[r].Students;
  const model::student& X = st[x];
  const Deviation h0 =
      HeadcountDeviation(state, stats.CountInfo, r, S, nullptr, T, nullptr, namesake, rules);
  const auto a0 = AverageDeviation(state, stats.AverageInfo, r, S, nullptr, T, nullptr, rules);
  // Without a baseline no exchange can be shown to improve the averages.
  if (!a0) return std::nullopt;
  const double H0 = h0.dS + h0.dT;
  const double A0 = a0->dS + a0->dT;
  double best = 2000;
  std::optional<std::int32_t> choice;
  for (std::int32_t y : candidates) {
    const model::student& Y = st[y];
    if (!(std::fabs(Y.Total - X.Total) < 30)) continue;
    const Deviation h =
        HeadcountDeviation(state, stats.CountInfo, r, S, &X, T, &Y, namesake, rules);
    if (h.dS + h.dT > H0) continue;
    const auto a = AverageDeviation(state, stats.AverageInfo, r, S, &X, T, &Y, rules);
    if (!a) continue;
    const double A = a->dS + a->dT;
    if (A < A0 && A < best) {
      best = A;
      choice = y;
    }
  }
  return choice;
}

namespace {

// The question before a manual move that breaks groups.
std::string BreaksQuestion(const model::ProgramState& state,
                           const std::vector<std::int32_t>& rows) {
  std::string text = "这次调班会破坏分班约束："_gb;
  for (std::int32_t row : rows) text += "\n" + DescribeGroupRow(state, row);
  return text + "\n仍然要调班吗？"_gb;
}

}  // namespace

TransferResult TransferStudent(model::ProgramState& state, model::UserPort& user,
                               const std::string& number, const std::string& name,
                               std::int32_t target, double limit, BackFillMode mode) {
  static const std::string kNo = "您的学号:"_gb;
  static const std::string kNotFound = " 的同学没有找到，请核实后重新输入。调班没能成功！"_gb;
  static const std::string kAndName = "和姓名："_gb;
  static const std::string kMismatch = "不一致，请核实后重新输入。调班没能成功！"_gb;
  static const std::string kTarget = "您的调入班级为:"_gb;
  static const std::string kBad = " 错误!请核实后重新输入,调班没能成功！"_gb;
  static const std::string kUnknown =
      " 当前分班班级中没有这个班号!请核实后重新输入,调班没能成功！"_gb;
  TransferResult result;

  // 1. Find the student.
  std::int32_t sr = -1, xpos = -1;
  for (std::size_t r = 0; r < state.RangeSets.size() && sr < 0; ++r) {
    const auto& st = state.RangeSets[r].Students;
    for (std::size_t i = 0; i < st.size(); ++i) {
      if (st[i].Number == number) {
        sr = static_cast<std::int32_t>(r);
        xpos = static_cast<std::int32_t>(i);
        break;
      }
    }
  }
  if (sr < 0) {
    user.Warning(kNo + number + kNotFound);
    result.outcome = TransferOutcome::NotFound;
    return result;
  }
  const model::student X = state.RangeSets[sr].Students[xpos];
  if (X.Name != name) {
    user.Warning(kNo + number + kAndName + name + kMismatch);
    result.outcome = TransferOutcome::NameMismatch;
    return result;
  }
  const std::int32_t S = X.AssignedClass;
  if (S == target) return result;
  if (target < 0) {
    user.Warning(kTarget + std::to_string(target) + kBad);
    result.outcome = TransferOutcome::BadClass;
    return result;
  }
  const std::int32_t tr = RangeOfClass(state, target);
  if (tr < 0) {
    user.Warning(kTarget + std::to_string(target) + kUnknown);
    result.outcome = TransferOutcome::UnknownClass;
    return result;
  }

  // The teacher's groups: a manual move that breaks one asks first; the
  // back-filled student may break none beyond those the teacher accepted.
  const DivisionGroups groups(state);
  const std::int32_t gx = groups.guard.Empty() ? -1 : groups.At(static_cast<std::size_t>(sr), xpos);
  std::vector<std::int32_t> accepted;
  if (!groups.guard.Empty() && mode != BackFillMode::BackFillByBalance) {
    accepted = groups.Broken(gx, target, -1, -1);
    if (!accepted.empty() && !user.Confirm(BreaksQuestion(state, accepted))) {
      result.outcome = TransferOutcome::GroupKept;
      return result;
    }
  }
  auto keeps_groups = [&](std::int32_t y) {
    if (groups.guard.Empty()) return true;
    const auto broken = groups.Broken(gx, target, groups.At(static_cast<std::size_t>(tr), y), S);
    return std::includes(accepted.begin(), accepted.end(), broken.begin(), broken.end());
  };

  // 5. A move without back-fill pins the student.
  if (mode == BackFillMode::NoBackFill || S < 0) {
    if (sr == tr) {
      auto& x = state.RangeSets[sr].Students[xpos];
      x.AssignedClass = target;
      x.PresetClass = target;
      return result;
    }
    model::Student_F to = state.RangeSets[tr];
    model::Student_F from = state.RangeSets[sr];
    std::size_t at = InsertByTotal(to, X);
    to.Students[at].AssignedClass = target;
    to.Students[at].PresetClass = target;
    RemoveByNumber(from, X.Number);
    model::RankStudents(to.Students);
    model::RankStudents(from.Students);
    state.RangeSets[tr] = std::move(to);
    state.RangeSets[sr] = std::move(from);
    return result;
  }

  // 6. Choose the partner among the unpinned students of the target class.
  const auto& tset = state.RangeSets[tr].Students;
  std::vector<std::int32_t> candidates;
  for (std::size_t i = 0; i < tset.size(); ++i) {
    if (tset[i].AssignedClass == target && tset[i].PresetClass < 0 &&
        keeps_groups(static_cast<std::int32_t>(i))) {
      candidates.push_back(static_cast<std::int32_t>(i));
    }
  }
  std::optional<std::int32_t> ypos;
  if (mode == BackFillMode::BackFillByMatch) {
    MatchContext ctx(state, static_cast<std::size_t>(sr), S, static_cast<std::size_t>(tr), target,
                     limit);
    double best = 2000;
    for (std::int32_t y : candidates) {
      const double cost = ctx.Cost(X, tset[y]);
      if (cost < best) {
        best = cost;
        ypos = y;
      }
    }
  } else {
    ClassStatistics stats;
    if (!RebuildAverageInfo(state, stats.AverageInfo)) {
      result.outcome = TransferOutcome::StatisticsFailed;
      return result;
    }
    if (!RebuildCountInfo(state, user, stats.CountInfo)) {
      result.outcome = TransferOutcome::StatisticsFailed;
      return result;
    }
    // Both classes of a balancing exchange lie in one range.
    const std::int32_t ps = ClassPosition(state, static_cast<std::size_t>(sr), S);
    const std::int32_t pt = ClassPosition(state, static_cast<std::size_t>(sr), target);
    if (sr == tr && ps > 0 && pt > 0) {
      const SoundRules rules = SoundRulesOf(state);
      const model::Student_F& set = state.RangeSets[sr];
      const model::RuleList keys = BuildSoundKeys(set, rules);
      const std::int32_t c = ClassCountOf(state, static_cast<std::size_t>(sr));
      NamesakeGrade grade = [&](const model::student& s, std::int32_t cls) {
        const auto pos = static_cast<std::int32_t>(&s - set.Students.data());
        return SameNameTest(set, keys, pos, c, cls, rules).graded;
      };
      ypos = ChooseBalancePartner(state, stats, static_cast<std::size_t>(sr), xpos, ps, pt,
                                  candidates, grade);
    }
  }
  if (!ypos) {
    result.outcome = TransferOutcome::NoCandidate;
    return result;
  }

  // 7. The exchange.
  const model::student Y = tset[*ypos];
  const bool pin = mode == BackFillMode::BackFillByMatch;
  result.back_filled = Y;
  if (sr == tr) {
    auto& st = state.RangeSets[sr].Students;
    st[xpos].AssignedClass = target;
    if (pin) st[xpos].PresetClass = target;
    st[*ypos].AssignedClass = S;
    return result;
  }
  model::Student_F to = state.RangeSets[tr];
  model::Student_F from = state.RangeSets[sr];
  std::size_t at = InsertByTotal(to, X);
  to.Students[at].AssignedClass = target;
  if (pin) to.Students[at].PresetClass = target;
  RemoveByNumber(from, X.Number);
  at = InsertByTotal(from, Y);
  from.Students[at].AssignedClass = S;
  RemoveByNumber(to, Y.Number);
  model::RankStudents(to.Students);
  model::RankStudents(from.Students);
  state.RangeSets[tr] = std::move(to);
  state.RangeSets[sr] = std::move(from);
  return result;
}

std::string BackFilledMessage(const model::student& s) {
  return "自动补回的学生："_gb + s.Name + " 总分："_gb + model::FormatNumber(s.Total);
}

std::string NoPartnerMessage(double limit) {
  return "没找到总分之差小于："_gb + model::FormatNumber(limit) +
         " 的学生进行对换，调班没有成功！"_gb;
}

TransferResult bsSkinButton13Click(model::ProgramState& state, model::UserPort& user,
                                   const std::string& number, const std::string& name,
                                   std::int32_t target, double limit, bool back_fill) {
  TransferResult result =
      TransferStudent(state, user, number, name, target, limit,
                      back_fill ? BackFillMode::BackFillByMatch : BackFillMode::NoBackFill);
  if (result.success() && result.back_filled) {
    // Shown in a warning box like the refusals, with its OK button.
    user.Warning(BackFilledMessage(*result.back_filled));
  } else if (result.outcome == TransferOutcome::NoCandidate) {
    user.Warning(NoPartnerMessage(limit));
  }
  return result;
}

}  // namespace tessaly::engine
