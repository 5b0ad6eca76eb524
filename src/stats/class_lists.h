#pragma once
// The printed class lists: per class a heading (the table name, the class,
// its size, boys and girls) and its students in number order with their
// number, name, gender and the columns the teacher ticks; then a one-page
// summary of every class's averages. The lists are grids; LayOutClassLists
// puts them on numbered A4 pages that every printer of the program paints.

#include <cstdint>
#include <string>
#include <vector>

#include "model/grid.h"
#include "model/printed_page.h"
#include "model/program_state.h"

namespace tessaly::stats {

// The columns a teacher can tick beside number, name and gender: 总分, the
// subjects, the balance columns and the other columns of the divided table,
// in that order, without repeats.
std::vector<std::string> OptionalListColumns(const model::ProgramState& state);

struct ClassListOptions {
  std::vector<std::string> columns;  // ticked columns (headings of OptionalListColumns)
  std::int32_t only_class = -1;      // one class, or every class when negative
};

struct ClassList {
  std::int32_t class_id = -1;
  std::string title;  // "高一期末考试  3 班"
  std::string facts;  // "共 48 人  男 24 人  女 24 人"
  model::Grid table;  // heading row, then one row per student
};

// The list of every class of the range sets (ascending class id), or of the
// one class asked for; a class id no student holds gives no list.
std::vector<ClassList> BuildClassLists(const model::ProgramState& state,
                                       const ClassListOptions& options);

// Every class's size, boys, girls and averages (total and subjects, three
// decimals, counted as the averages table counts them), range by range.
model::Grid ClassAveragesSummary(const model::ProgramState& state);

// The pages: every class from a new page (continued on the next ones when
// it does not fit, with its heading again), the summary on a page of its
// own when `summary` has rows, and "第 p 页 共 n 页" at the foot of each.
// Columns are as wide as their widest text; a table too wide for the page
// is set in a smaller font.
std::vector<model::PrintedPage> LayOutClassLists(const std::vector<ClassList>& lists,
                                                 const model::Grid& summary);

}  // namespace tessaly::stats
