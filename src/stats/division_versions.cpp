#include "stats/division_versions.h"

#include <algorithm>
#include <unordered_map>

#include "engine/evaluation.h"
#include "model/number_format.h"
#include "model/text_fields.h"
#include "platform/encoding.h"
#include "stats/averages_chart.h"
#include "stats/evenness.h"

namespace tessaly::stats {
namespace {

std::string Quoted(const std::string& text) {
  return "“"_gb + text + "”"_gb;
}

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

const std::string& RangeRowOf(const model::ProgramState& state, std::size_t set) {
  static const std::string kNone;
  return set < state.ClassRangeRows.size() ? state.ClassRangeRows[set] : kNone;
}

// For every student of a range set, the index of his placement in the
// version's set; none when the two do not hold the same students.
std::optional<std::vector<std::size_t>> Match(const model::Student_F& set,
                                              const model::VersionSet& kept) {
  const auto& students = set.Students;
  if (students.size() != kept.Placements.size()) return std::nullopt;
  std::vector<std::size_t> index(students.size());
  bool same_order = true;
  for (std::size_t i = 0; i < students.size() && same_order; ++i) {
    same_order = students[i].Number == kept.Placements[i].Number;
    index[i] = i;
  }
  if (same_order) return index;
  // Another order: match by number, which must then name one student each.
  std::unordered_map<std::string, std::size_t> by_number;
  for (std::size_t p = 0; p < kept.Placements.size(); ++p) {
    if (!by_number.emplace(kept.Placements[p].Number, p).second) return std::nullopt;
  }
  for (std::size_t i = 0; i < students.size(); ++i) {
    auto it = by_number.find(students[i].Number);
    if (it == by_number.end()) return std::nullopt;
    index[i] = it->second;
    by_number.erase(it);
  }
  return index;
}

// The range sets of the state with the classes and pins of a fitting version.
std::optional<std::vector<model::Student_F>> Applied(const model::ProgramState& state,
                                                     const model::DivisionVersion& version) {
  if (version.Sets.size() != state.RangeSets.size()) return std::nullopt;
  std::vector<model::Student_F> sets = state.RangeSets;
  for (std::size_t r = 0; r < sets.size(); ++r) {
    const model::VersionSet& kept = version.Sets[r];
    if (kept.RangeRow != RangeRowOf(state, r)) return std::nullopt;
    auto index = Match(sets[r], kept);
    if (!index) return std::nullopt;
    for (std::size_t i = 0; i < sets[r].Students.size(); ++i) {
      const model::VersionPlacement& p = kept.Placements[(*index)[i]];
      sets[r].Students[i].AssignedClass = p.AssignedClass;
      sets[r].Students[i].PresetClass = p.PresetClass;
    }
  }
  return sets;
}

model::DivisionVersion Capture(const model::ProgramState& state, const std::string& name,
                               const std::string& time) {
  model::DivisionVersion v;
  v.Name = name;
  v.Time = time;
  // Kept as the division file gives it back, so a reopened version is equal.
  if (auto score = engine::ScoreDivision(state)) v.Score = model::ReadBack(*score);
  for (std::size_t r = 0; r < state.RangeSets.size(); ++r) {
    model::VersionSet set;
    set.RangeRow = RangeRowOf(state, r);
    for (const model::student& s : state.RangeSets[r].Students) {
      set.Placements.push_back({s.Number, s.AssignedClass, s.PresetClass});
    }
    v.Sets.push_back(std::move(set));
  }
  return v;
}

bool HasControlByte(const std::string& text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

std::string ScoreText(const std::optional<double>& score) {
  return score ? model::FormatNumber(*score) : std::string("-");
}

// The three figures of a range: the spread of the average total, and the
// widest subject and headcount spreads with what they measure.
struct RangeFigures {
  std::string total, subject, headcount;
};

RangeFigures FiguresOf(const RangeEvenness& range) {
  RangeFigures out{"-", "-", "-"};
  const SpreadRow* subject = nullptr;
  const SpreadRow* count = nullptr;
  for (const SpreadRow& row : range.rows) {
    if (row.kind == MeasureKind::kTotal) {
      out.total = model::FormatAverage(row.spread());
    } else if (row.kind == MeasureKind::kSubject) {
      if (!subject || row.spread() > subject->spread()) subject = &row;
    } else if (!count || row.spread() > count->spread()) {
      count = &row;
    }
  }
  if (subject) {
    out.subject = model::FormatAverage(subject->spread()) + "（"_gb + subject->label + "）"_gb;
  }
  if (count)
    out.headcount = model::FormatNumber(count->spread()) + "（"_gb + count->label + "）"_gb;
  return out;
}

}  // namespace

const model::DivisionVersion* FindVersion(const model::ProgramState& state,
                                          const std::string& name) {
  for (const model::DivisionVersion& v : state.Versions) {
    if (v.Name == name) return &v;
  }
  return nullptr;
}

bool SaveVersion(model::ProgramState& state, model::UserPort& user, const std::string& name,
                 const std::string& time) {
  const std::string clean = Trimmed(name);
  if (state.RangeSets.empty()) {
    user.Warning("还没有分班结果，无法保存方案！"_gb);
    return false;
  }
  if (clean.empty()) {
    user.Warning("请输入方案的名称！"_gb);
    return false;
  }
  if (clean.find('|') != std::string::npos || HasControlByte(clean) || !enc::IsValidText(clean)) {
    user.Warning("方案的名称"_gb + Quoted(clean) + "中有不能使用的字符（如“|”）。"_gb);
    return false;
  }
  model::DivisionVersion version = Capture(state, clean, time);
  for (model::DivisionVersion& kept : state.Versions) {
    if (kept.Name != clean) continue;
    if (!user.Confirm("已有名为"_gb + Quoted(clean) + "的方案，要用当前分班结果替换它吗？"_gb)) {
      return false;
    }
    kept = std::move(version);
    return true;
  }
  state.Versions.push_back(std::move(version));
  return true;
}

bool VersionFits(const model::ProgramState& state, const model::DivisionVersion& version) {
  return Applied(state, version).has_value();
}

bool RestoreVersion(model::ProgramState& state, model::UserPort& user, const std::string& name) {
  const model::DivisionVersion* version = FindVersion(state, name);
  if (!version) {
    user.Warning("没有名为"_gb + Quoted(name) + "的方案。"_gb);
    return false;
  }
  auto sets = Applied(state, *version);
  if (!sets) {
    user.Warning("方案"_gb + Quoted(name) +
                 "的分班范围或学生与当前分班不同（重新设置了规则或导入了数据），无法恢复。"_gb);
    return false;
  }
  state.RangeSets = std::move(*sets);
  return true;
}

bool DeleteVersion(model::ProgramState& state, model::UserPort& user, const std::string& name) {
  auto it = std::find_if(state.Versions.begin(), state.Versions.end(),
                         [&](const model::DivisionVersion& v) { return v.Name == name; });
  if (it == state.Versions.end()) {
    user.Warning("没有名为"_gb + Quoted(name) + "的方案。"_gb);
    return false;
  }
  state.Versions.erase(it);
  return true;
}

std::size_t PlacedDifferently(const model::ProgramState& state,
                              const model::DivisionVersion& version) {
  std::unordered_map<std::string, std::int32_t> kept;
  for (const model::VersionSet& set : version.Sets) {
    for (const model::VersionPlacement& p : set.Placements) kept.emplace(p.Number, p.AssignedClass);
  }
  std::size_t differ = 0;
  for (const model::Student_F& set : state.RangeSets) {
    for (const model::student& s : set.Students) {
      auto it = kept.find(s.Number);
      if (it == kept.end() || it->second != s.AssignedClass) ++differ;
    }
  }
  return differ;
}

model::Grid CompareVersions(const model::ProgramState& state, model::UserPort& user,
                            const std::vector<std::string>& names) {
  std::vector<const model::DivisionVersion*> versions;
  for (const std::string& name : names) {
    const model::DivisionVersion* v = FindVersion(state, name);
    if (!v) {
      user.Warning("没有名为"_gb + Quoted(name) + "的方案。"_gb);
      return {};
    }
    versions.push_back(v);
  }
  model::Grid grid;
  grid.At(0, 0) = "项目"_gb;
  grid.At(1, 0) = "保存时间"_gb;
  grid.At(2, 0) = "分班结果评分"_gb;
  const std::vector<RangeEvenness> now = MeasureEvenness(state);
  const std::size_t first_range_row = 3;
  for (std::size_t r = 0; r < now.size(); ++r) {
    const std::string range = RangeTitle(now[r].key);
    grid.At(first_range_row + 3 * r, 0) = range + " 总分差值"_gb;
    grid.At(first_range_row + 3 * r + 1, 0) = range + " 最大科目差值"_gb;
    grid.At(first_range_row + 3 * r + 2, 0) = range + " 最大人数差值"_gb;
  }
  const std::size_t differ_row = first_range_row + 3 * now.size();
  grid.At(differ_row, 0) = "与当前分班不同的学生"_gb;

  // One column: its heading, time, score, the figures of its ranges (none
  // when it does not fit) and the students placed differently.
  auto column = [&](std::size_t col, const std::string& heading, const std::string& time,
                    const std::optional<double>& score, const std::vector<RangeEvenness>* ranges,
                    std::size_t differ) {
    grid.At(0, col) = heading;
    grid.At(1, col) = time;
    grid.At(2, col) = ScoreText(score);
    for (std::size_t r = 0; r < now.size(); ++r) {
      RangeFigures f{"-", "-", "-"};
      if (ranges && r < ranges->size()) f = FiguresOf((*ranges)[r]);
      grid.At(first_range_row + 3 * r, col) = f.total;
      grid.At(first_range_row + 3 * r + 1, col) = f.subject;
      grid.At(first_range_row + 3 * r + 2, col) = f.headcount;
    }
    grid.At(differ_row, col) = std::to_string(differ);
  };
  column(1, "当前分班"_gb, "", engine::ScoreDivision(state), &now, 0);
  for (std::size_t i = 0; i < versions.size(); ++i) {
    const model::DivisionVersion& v = *versions[i];
    std::vector<RangeEvenness> ranges;
    auto sets = Applied(state, v);
    if (sets) {
      model::ProgramState applied = state;
      applied.RangeSets = std::move(*sets);
      ranges = MeasureEvenness(applied);
    }
    column(i + 2, v.Name, v.Time, v.Score, sets ? &ranges : nullptr, PlacedDifferently(state, v));
  }
  return grid;
}

model::Grid VersionList(const model::ProgramState& state) {
  model::Grid grid;
  for (std::size_t i = 0; i < state.Versions.size(); ++i) {
    const model::DivisionVersion& v = state.Versions[i];
    grid.At(i, 0) = v.Name;
    grid.At(i, 1) = v.Time;
    grid.At(i, 2) = ScoreText(v.Score);
  }
  return grid;
}

}  // namespace tessaly::stats
