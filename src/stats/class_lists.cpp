#include "stats/class_lists.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "engine/evaluation.h"
#include "model/number_format.h"
#include "model/rule_lists.h"
#include "model/text_fields.h"
#include "platform/encoding.h"
#include "stats/averages_chart.h"

namespace tessaly::stats {
namespace {

// Where a ticked column takes its values from.
enum class Source { kTotal, kSubject, kBalance, kExtra };
struct Column {
  std::string heading;
  Source source = Source::kTotal;
  std::size_t index = 0;
};

const model::Student_F* FirstSet(const model::ProgramState& state) {
  for (const model::Student_F& set : state.RangeSets) {
    if (!set.Students.empty()) return &set;
  }
  return state.RangeSets.empty() ? nullptr : &state.RangeSets.front();
}

std::vector<Column> AllColumns(const model::ProgramState& state) {
  std::vector<Column> out;
  const model::Student_F* set = FirstSet(state);
  if (!set) return out;
  auto add = [&](const std::string& heading, Source source, std::size_t index) {
    for (const Column& c : out) {
      if (c.heading == heading) return;
    }
    out.push_back({heading, source, index});
  };
  add("总分"_gb, Source::kTotal, 0);
  const model::BiaoTi& h = set->Headings;
  for (std::size_t j = 0; j < h.SubjectHeadings.size(); ++j)
    add(h.SubjectHeadings[j], Source::kSubject, j);
  for (std::size_t j = 0; j < h.BalanceHeadings.size(); ++j)
    add(h.BalanceHeadings[j], Source::kBalance, j);
  for (std::size_t j = 0; j < h.ExtraHeadings.size(); ++j)
    add(h.ExtraHeadings[j], Source::kExtra, j);
  return out;
}

// A score as printed: a zero is a missing result and stays blank.
std::string Score(double v) {
  return v == 0 ? std::string() : model::FormatNumber(v);
}

std::string Value(const model::student& s, const Column& c) {
  auto at = [&](const std::vector<std::string>& values) {
    return c.index < values.size() ? values[c.index] : std::string();
  };
  switch (c.source) {
    case Source::kTotal:
      return Score(s.Total);
    case Source::kSubject:
      return c.index < s.Scores.size() ? Score(s.Scores[c.index]) : std::string();
    case Source::kBalance:
      return at(s.BalanceValues);
    case Source::kExtra:
      return at(s.ExtraValues);
  }
  return {};
}

// Number order: numbers of digits only by value, others as text after them.
bool NumberBefore(const std::string& a, const std::string& b) {
  auto digits = [](const std::string& t) {
    return !t.empty() && t.find_first_not_of("0123456789") == std::string::npos;
  };
  const bool da = digits(a), db = digits(b);
  if (da != db) return da;
  if (da) {
    const std::size_t za = a.find_first_not_of('0'), zb = b.find_first_not_of('0');
    const std::string_view va = za == std::string::npos ? "" : std::string_view(a).substr(za);
    const std::string_view vb = zb == std::string::npos ? "" : std::string_view(b).substr(zb);
    if (va.size() != vb.size()) return va.size() < vb.size();
    if (va != vb) return va < vb;
  }
  return a < b;
}

std::string ClassName(std::int32_t id) {
  return std::to_string(id) + " 班"_gb;
}

// ---- layout -------------------------------------------------------------

constexpr double kMargin = 42;
constexpr double kTableTop = 96;
constexpr double kFooterTop = model::kPageHeight - 44;
constexpr double kTableSize = 10;   // font size of the tables
constexpr double kRowFactor = 1.6;  // row height per point of font size
constexpr double kPad = 4;          // space left and right of a cell's text

// The width of a text in ems: a double-byte character is one em, a
// single-byte one a little over half an em.
double Ems(const std::string& text) {
  double ems = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t n = enc::CharLength(text, pos);
    ems += n == 1 ? 0.6 : 1.0;
    pos += n;
  }
  return ems;
}

// Column widths in ems (padding not included) over a set of grids.
std::vector<double> ColumnEms(const std::vector<const model::Grid*>& grids) {
  std::vector<double> ems;
  for (const model::Grid* g : grids) {
    ems.resize(std::max(ems.size(), g->ColumnCount()), 0);
    for (const auto& row : g->rows) {
      for (std::size_t c = 0; c < row.size(); ++c) ems[c] = std::max(ems[c], Ems(row[c]));
    }
  }
  return ems;
}

// The font size at which the columns fit the page width.
double FittingSize(const std::vector<double>& ems, double size) {
  double total_ems = 0;
  for (double e : ems) total_ems += e;
  const double usable = model::kPageWidth - 2 * kMargin - 2 * kPad * ems.size();
  if (total_ems * size > usable && total_ems > 0) size = usable / total_ems;
  return std::max(size, 4.0);
}

void Text(model::PrintedPage& page, double x, double y, double w, double h, double size, bool bold,
          model::TextAlign align, const std::string& text) {
  page.texts.push_back({x, y, w, h, size, bold, align, text});
}

// The heading lines of a page: the title and the facts below it.
void Heading(model::PrintedPage& page, const std::string& title, const std::string& facts) {
  const double w = model::kPageWidth - 2 * kMargin;
  Text(page, kMargin, kMargin, w, 24, 16, true, model::TextAlign::kCenter, title);
  Text(page, kMargin, kMargin + 26, w, 18, 11, false, model::TextAlign::kCenter, facts);
}

// Rows [first, last) of `grid` under its heading row, as a ruled table.
void Table(model::PrintedPage& page, const model::Grid& grid, std::size_t first, std::size_t last,
           const std::vector<double>& ems, double size) {
  std::vector<double> widths;
  double total = 0;
  for (double e : ems) widths.push_back(e * size + 2 * kPad), total += widths.back();
  const double x0 = (model::kPageWidth - total) / 2;
  const double row_h = size * kRowFactor;
  std::vector<std::size_t> rows{0};
  for (std::size_t r = first; r < last; ++r) rows.push_back(r);
  double y = kTableTop;
  for (std::size_t i = 0; i < rows.size(); ++i, y += row_h) {
    page.lines.push_back({x0, y, x0 + total, y});
    double x = x0;
    for (std::size_t c = 0; c < widths.size(); ++c) {
      Text(page, x + kPad, y, widths[c] - 2 * kPad, row_h, size, i == 0, model::TextAlign::kLeft,
           grid.Cell(rows[i], c));
      x += widths[c];
    }
  }
  page.lines.push_back({x0, y, x0 + total, y});
  double x = x0;
  for (std::size_t c = 0; c <= widths.size(); ++c) {
    page.lines.push_back({x, kTableTop, x, y});
    if (c < widths.size()) x += widths[c];
  }
}

}  // namespace

std::vector<std::string> OptionalListColumns(const model::ProgramState& state) {
  std::vector<std::string> out;
  for (const Column& c : AllColumns(state)) out.push_back(c.heading);
  return out;
}

std::vector<ClassList> BuildClassLists(const model::ProgramState& state,
                                       const ClassListOptions& options) {
  std::vector<Column> ticked;
  for (const Column& c : AllColumns(state)) {
    if (std::find(options.columns.begin(), options.columns.end(), c.heading) !=
        options.columns.end()) {
      ticked.push_back(c);
    }
  }
  // The students of every class, with the name of the table they come from.
  std::map<std::int32_t, std::vector<const model::student*>> classes;
  std::map<std::int32_t, std::string> table_of;
  for (const model::Student_F& set : state.RangeSets) {
    for (const model::student& s : set.Students) {
      if (s.AssignedClass < 0) continue;
      if (options.only_class >= 0 && s.AssignedClass != options.only_class) continue;
      classes[s.AssignedClass].push_back(&s);
      table_of.emplace(s.AssignedClass, set.TableName);
    }
  }
  std::vector<ClassList> lists;
  for (auto& [id, students] : classes) {
    std::stable_sort(students.begin(), students.end(),
                     [](const model::student* a, const model::student* b) {
                       return NumberBefore(a->Number, b->Number);
                     });
    ClassList list;
    list.class_id = id;
    list.title = table_of[id] + "  "_gb + ClassName(id);
    std::size_t boys = 0, girls = 0;
    model::Grid& g = list.table;
    const char* fixed[] = {"序号", "学号", "姓名", "性别"};
    for (std::size_t c = 0; c < 4; ++c) g.At(0, c) = enc::FromUtf8(fixed[c]);
    for (std::size_t c = 0; c < ticked.size(); ++c) g.At(0, 4 + c) = ticked[c].heading;
    for (std::size_t i = 0; i < students.size(); ++i) {
      const model::student& s = *students[i];
      boys += s.Gender == "男"_gb;
      girls += s.Gender == "女"_gb;
      g.At(i + 1, 0) = std::to_string(i + 1);
      g.At(i + 1, 1) = s.Number;
      g.At(i + 1, 2) = s.Name;
      g.At(i + 1, 3) = s.Gender;
      for (std::size_t c = 0; c < ticked.size(); ++c) g.At(i + 1, 4 + c) = Value(s, ticked[c]);
    }
    list.facts = "共 "_gb + std::to_string(students.size()) + " 人    男 "_gb +
                 std::to_string(boys) + " 人    女 "_gb + std::to_string(girls) + " 人"_gb;
    lists.push_back(std::move(list));
  }
  return lists;
}

model::Grid ClassAveragesSummary(const model::ProgramState& state) {
  model::Grid g;
  const model::Student_F* first = FirstSet(state);
  if (!first) return g;
  const auto& subjects = first->Headings.SubjectHeadings;
  const char* fixed[] = {"范围", "班级", "人数", "男", "女", "总分"};
  for (std::size_t c = 0; c < 6; ++c) g.At(0, c) = enc::FromUtf8(fixed[c]);
  for (std::size_t j = 0; j < subjects.size(); ++j) g.At(0, 6 + j) = subjects[j];
  std::size_t row = 1;
  const std::size_t ranges = std::min(state.RangeSets.size(), state.ClassRangeRows.size());
  for (std::size_t r = 0; r < ranges; ++r) {
    const model::Student_F& set = state.RangeSets[r];
    const std::string& range_row = state.ClassRangeRows[r];
    const std::vector<std::int32_t> ids = RangeClassIds(range_row);
    if (ids.empty() || set.Students.empty()) continue;
    const auto summaries = engine::SummariseClasses(set, ids);
    for (std::size_t k = 0; k < ids.size(); ++k) {
      std::size_t size = 0, boys = 0, girls = 0;
      for (const model::student& s : set.Students) {
        if (s.AssignedClass != ids[k]) continue;
        ++size;
        boys += s.Gender == "男"_gb;
        girls += s.Gender == "女"_gb;
      }
      g.At(row, 0) = RangeTitle(range_row);
      g.At(row, 1) = ClassName(ids[k]);
      g.At(row, 2) = std::to_string(size);
      g.At(row, 3) = std::to_string(boys);
      g.At(row, 4) = std::to_string(girls);
      g.At(row, 5) = model::FormatAverage(summaries[k].AverageTotal);
      for (std::size_t j = 0; j < subjects.size(); ++j) {
        const auto& avg = summaries[k].SubjectAverages;
        g.At(row, 6 + j) = j < avg.size() ? model::FormatAverage(avg[j].Average) : std::string();
      }
      ++row;
    }
  }
  return g;
}

std::vector<model::PrintedPage> LayOutClassLists(const std::vector<ClassList>& lists,
                                                 const model::Grid& summary) {
  std::vector<model::PrintedPage> pages;
  std::vector<const model::Grid*> grids;
  for (const ClassList& l : lists) grids.push_back(&l.table);
  const std::vector<double> ems = ColumnEms(grids);
  const double size = FittingSize(ems, kTableSize);
  const double row_h = size * kRowFactor;
  const std::size_t per_page =
      std::max<std::size_t>(1, static_cast<std::size_t>((kFooterTop - 8 - kTableTop) / row_h) - 1);
  for (const ClassList& l : lists) {
    const std::size_t rows = l.table.RowCount();
    std::size_t first = 1;
    do {
      const std::size_t last = std::min(rows, first + per_page);
      model::PrintedPage page;
      Heading(page, first == 1 ? l.title : l.title + "（续）"_gb, l.facts);
      Table(page, l.table, first, last, ems, size);
      pages.push_back(std::move(page));
      first = last;
    } while (first < rows);
  }
  if (summary.RowCount() > 1) {
    const std::vector<double> sums = ColumnEms({&summary});
    // The whole summary on one page: as small as its rows need.
    const double by_rows = (kFooterTop - 8 - kTableTop) / (summary.RowCount() * kRowFactor);
    const double s = std::min(FittingSize(sums, kTableSize), std::max(by_rows, 4.0));
    model::PrintedPage page;
    Heading(page, "各班平均分一览"_gb,
            "共 "_gb + std::to_string(summary.RowCount() - 1) + " 个班"_gb);
    Table(page, summary, 1, summary.RowCount(), sums, s);
    pages.push_back(std::move(page));
  }
  const std::size_t n = pages.size();
  for (std::size_t p = 0; p < n; ++p) {
    Text(pages[p], kMargin, kFooterTop, model::kPageWidth - 2 * kMargin, 16, 9, false,
         model::TextAlign::kCenter,
         "第 "_gb + std::to_string(p + 1) + " 页  共 "_gb + std::to_string(n) + " 页"_gb);
  }
  return pages;
}

}  // namespace tessaly::stats
