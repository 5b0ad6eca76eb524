#include "import/column_roles.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <set>

#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::import {
namespace {

bool HasPrefixIgnoreCase(const std::string& text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         model::EqualsIgnoreCase(std::string_view(text).substr(0, prefix.size()), prefix);
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The heading without a bracketed note at its end ("数学(150)", "英语（满分150）",
// "物理[选考]") and without a "成绩" or "分数" ending.
std::string BareHeading(const std::string& heading) {
  static const std::array<std::pair<std::string, std::string>, 4> kBrackets = {{
      {"(", ")"},
      {"（"_gb, "）"_gb},
      {"["_gb, "]"_gb},
      {"【"_gb, "】"_gb},
  }};
  static const std::array<std::string, 3> kEndings = {"成绩"_gb, "分数"_gb, "得分"_gb};
  std::string bare = heading;
  for (const auto& [open, close] : kBrackets) {
    if (!EndsWith(bare, close)) continue;
    std::size_t at = model::FindText(bare, open);
    if (at != std::string::npos && at > 0) {
      bare.resize(at);
      break;
    }
  }
  for (const std::string& end : kEndings) {
    if (EndsWith(bare, end)) {
      bare.resize(bare.size() - end.size());
      break;
    }
  }
  return bare;
}

bool InList(const std::string& text, const std::vector<std::string>& list) {
  return std::find(list.begin(), list.end(), text) != list.end();
}

std::vector<std::string> Gb(std::initializer_list<const char*> words) {
  std::vector<std::string> out;
  for (const char* w : words) out.push_back(enc::FromUtf8(w));
  return out;
}

// A cell a score column may hold besides numbers: an absence noted in words.
bool IsAbsence(const std::string& cell) {
  static const std::vector<std::string> kWords =
      Gb({"缺考", "缺", "缺席", "免考", "免", "作弊", "-", "/", "—"});
  return InList(cell, kWords);
}

// A decimal number as a whole: digits with at most one point, an optional
// sign; no other character.
bool IsNumber(const std::string& cell) {
  std::size_t i = (!cell.empty() && (cell[0] == '-' || cell[0] == '+')) ? 1 : 0;
  bool digit = false;
  bool point = false;
  for (; i < cell.size(); ++i) {
    char c = cell[i];
    if (c >= '0' && c <= '9') {
      digit = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digit;
}

const std::string& CellOf(const std::vector<std::string>& cells, int column) {
  static const std::string kEmpty;
  return column >= 1 && static_cast<std::size_t>(column) <= cells.size() ? cells[column - 1]
                                                                         : kEmpty;
}

bool IsTotalHeading(const std::string& heading) {
  static const std::vector<std::string> kTotals = Gb({"总分", "总成绩", "合计", "总计", "总分数"});
  return InList(BareHeading(heading), kTotals);
}

// What the cells of one column look like.
struct ColumnCells {
  int filled = 0;
  int numbers = 0;
  bool only_scores = true;  // every filled cell a number or an absence word
  std::set<std::string> distinct;
};

ColumnCells Survey(const TableRows& rows, int column, int name_column) {
  constexpr std::size_t kDistinctCap = 16;
  ColumnCells c;
  for (const auto& cells : rows.students) {
    if (CellOf(cells, name_column).empty()) continue;
    const std::string& cell = CellOf(cells, column);
    if (cell.empty()) continue;
    ++c.filled;
    if (IsNumber(cell)) {
      ++c.numbers;
    } else if (!IsAbsence(cell)) {
      c.only_scores = false;
    }
    if (c.distinct.size() < kDistinctCap) c.distinct.insert(cell);
  }
  return c;
}

}  // namespace

bool HasKemuHeading(const std::vector<std::string>& headings) {
  return std::any_of(headings.begin(), headings.end(),
                     [](const std::string& h) { return HasPrefixIgnoreCase(h, "KEMU"); });
}

bool IsKnownSubject(const std::string& heading) {
  static const std::vector<std::string> kSubjects =
      Gb({"语文",   "数学",       "英语",       "外语",     "物理",     "化学",     "生物",
          "生物学", "政治",       "道德与法治", "道法",     "思想政治", "思想品德", "思品",
          "历史",   "地理",       "科学",       "信息技术", "通用技术", "技术",     "信息",
          "日语",   "俄语",       "德语",       "法语",     "西班牙语", "音乐",     "美术",
          "体育",   "体育与健康", "艺术",       "理综",     "文综",     "理科综合", "文科综合",
          "综合",   "心理健康",   "劳动",       "书法",     "英语听力", "英语口语"});
  return InList(BareHeading(heading), kSubjects);
}

bool IsNonSubject(const std::string& heading) {
  static const std::vector<std::string> kParts =
      Gb({"总分", "总成绩", "合计", "总计", "名次", "排名", "排序", "位次", "号",     "班",
          "序",   "考场",   "平均", "日期", "年龄", "电话", "手机", "等级", "身份证", "年级"});
  const std::string bare = BareHeading(heading);
  return std::any_of(kParts.begin(), kParts.end(),
                     [&](const std::string& part) { return model::ContainsText(bare, part); });
}

std::string ColumnName(const std::string& heading, Role role) {
  std::string name = HasPrefixIgnoreCase(heading, "JUNHENG") ? heading.substr(7) : heading;
  if (role == Role::kSubject && IsKnownSubject(name)) name = BareHeading(name);
  return name;
}

RoleProposal ProposeRoles(const TableRows& rows, const ColumnRoles& fixed) {
  constexpr std::size_t kMaxBalanceValues = 8;
  RoleProposal p;
  const std::vector<std::string>& headings = rows.headings;
  p.roles.assign(headings.size(), Role::kIgnored);
  p.balance_candidates.assign(headings.size(), false);
  std::vector<bool> settled(headings.size(), false);
  auto settle = [&](int k, Role role) {
    if (k > 0) {
      p.roles[k - 1] = role;
      settled[k - 1] = true;
    }
  };
  settle(fixed.name, Role::kName);
  settle(fixed.gender, Role::kGender);
  settle(fixed.number, Role::kNumber);
  settle(fixed.preset_class, Role::kPresetClass);
  for (int k : fixed.balances) settle(k, Role::kBalance);

  for (std::size_t i = 0; i < headings.size(); ++i) {
    const std::string& h = headings[i];
    const int k = static_cast<int>(i) + 1;
    if (settled[i]) continue;
    // Empty headings, and 姓名/性别/学号/预设班级 repeated by a later column.
    if (h.empty() || !std::count(fixed.extras.begin(), fixed.extras.end(), k)) continue;
    if (IsNonSubject(h)) {
      p.roles[i] = Role::kOther;
      if (p.total_column == 0 && IsTotalHeading(h)) p.total_column = k;
      continue;
    }
    if (IsKnownSubject(h)) {
      p.roles[i] = Role::kSubject;
      continue;
    }
    const ColumnCells cells = Survey(rows, k, fixed.name);
    if (cells.only_scores && cells.numbers > 0) {
      p.roles[i] = Role::kSubject;
      continue;
    }
    p.roles[i] = Role::kOther;
    const std::size_t distinct = cells.distinct.size();
    p.balance_candidates[i] = cells.numbers < cells.filled && distinct >= 2 &&
                              distinct <= kMaxBalanceValues &&
                              distinct * 2 <= static_cast<std::size_t>(cells.filled);
  }
  return p;
}

ColumnRoles ApplyRoles(const std::vector<std::string>& headings, const std::vector<Role>& roles) {
  ColumnRoles out;
  for (std::size_t i = 0; i < headings.size() && i < roles.size(); ++i) {
    const int k = static_cast<int>(i) + 1;
    const std::string name = ColumnName(headings[i], roles[i]);
    switch (roles[i]) {
      case Role::kName:
        out.name = k;
        break;
      case Role::kGender:
        out.gender = k;
        break;
      case Role::kNumber:
        out.number = k;
        break;
      case Role::kPresetClass:
        out.preset_class = k;
        break;
      case Role::kSubject:
        out.subjects.push_back(k);
        out.subject_headings.push_back(name);
        break;
      case Role::kBalance:
        out.balances.push_back(k);
        out.balance_headings.push_back(name);
        break;
      case Role::kOther:
        out.extras.push_back(k);
        out.extra_headings.push_back(name);
        break;
      case Role::kIgnored:
        break;
    }
  }
  return out;
}

std::vector<Role> RolesOf(const ColumnRoles& roles, std::size_t columns) {
  std::vector<Role> out(columns, Role::kIgnored);
  auto set = [&](int k, Role role) {
    if (k >= 1 && static_cast<std::size_t>(k) <= columns) out[k - 1] = role;
  };
  for (int k : roles.subjects) set(k, Role::kSubject);
  for (int k : roles.balances) set(k, Role::kBalance);
  for (int k : roles.extras) set(k, Role::kOther);
  set(roles.preset_class, Role::kPresetClass);
  set(roles.name, Role::kName);
  set(roles.gender, Role::kGender);
  set(roles.number, Role::kNumber);
  return out;
}

std::vector<std::string> TotalMismatches(const TableRows& rows, const ColumnRoles& roles,
                                         int total_column) {
  std::vector<std::string> numbers;
  if (total_column <= 0) return numbers;
  for (const auto& cells : rows.students) {
    if (CellOf(cells, roles.name).empty()) continue;
    const std::string& total = CellOf(cells, total_column);
    if (!IsNumber(total)) continue;
    double sum = 0;
    for (int col : roles.subjects) sum += model::FirstNumber(CellOf(cells, col));
    // Scores carry at most a few decimals; a difference below a hundredth is
    // the rounding of the teacher's own total.
    if (std::fabs(sum - model::FirstNumber(total)) >= 0.01) {
      const std::string& number = CellOf(cells, roles.number);
      numbers.push_back(number.empty() ? CellOf(cells, roles.name) : number);
    }
  }
  return numbers;
}

int ColumnNamed(const std::vector<std::string>& headings, const std::string& name) {
  const std::string wanted = model::RemoveSpaces(name);
  for (std::size_t i = 0; i < headings.size(); ++i) {
    const std::string& h = headings[i];
    if (h.empty()) continue;
    if (h == wanted || ColumnName(h, Role::kSubject) == wanted) return static_cast<int>(i) + 1;
  }
  return 0;
}

std::string RolesText(const std::vector<Role>& roles) {
  std::string text;
  for (Role r : roles) text.push_back(static_cast<char>(r));
  return text;
}

std::optional<std::vector<Role>> RolesFromText(const std::string& text,
                                               const std::vector<Role>& proposed) {
  if (text.size() != proposed.size()) return std::nullopt;
  std::vector<Role> roles(proposed.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const Role r = static_cast<Role>(text[i]);
    if (IsChoosable(proposed[i]) != IsChoosable(r)) return std::nullopt;
    if (!IsChoosable(r) && r != proposed[i]) return std::nullopt;
    roles[i] = r;
  }
  return roles;
}

std::string HeadingsKey(const std::vector<std::string>& headings) {
  // FNV-1a over the headings and their separators.
  std::uint64_t hash = 14695981039346656037ull;
  for (const std::string& h : headings) {
    for (unsigned char c : h + '|') {
      hash ^= c;
      hash *= 1099511628211ull;
    }
  }
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(hash));
  return buf;
}

}  // namespace tessaly::import
