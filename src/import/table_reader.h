#pragma once
// Turning the cells of an imported table into a score table: the columns are
// recognised by their headings, every student row is checked, and every
// problem becomes an error line in the program's words. Shared by the pasted
// and the workbook import.

#include <functional>
#include <string>
#include <vector>

#include "import/table_rows.h"
#include "model/records.h"

namespace tessaly::import {

// The columns of a table by role; column numbers from 1, 0 when absent.
struct ColumnRoles {
  int name = 0;
  int gender = 0;
  int number = 0;
  int preset_class = 0;
  std::vector<int> subjects;
  std::vector<int> balances;
  std::vector<int> extras;
  std::vector<std::string> subject_headings;
  std::vector<std::string> balance_headings;
  std::vector<std::string> extra_headings;

  bool HasRequiredColumns() const { return name > 0 && gender > 0 && number > 0; }
};

// Roles of the heading cells (spaces already removed): 姓名, 性别, 学号,
// 预设班级, "KEMU" + subject, "JUNHENG" + balance heading (prefixes in any
// letter case), any other non-empty text an extra column. A heading that
// occurs twice gives its role to the later column.
ColumnRoles AssignColumnRoles(const std::vector<std::string>& headings);

struct ReadOptions {
  // The text after the name in the bad-gender error line.
  std::string gender_error_suffix;
  // Tables of the other slots (combine mode only), in slot order.
  std::vector<const model::Student_F*> other_tables;
  // Called with the progress values 10..80 while the rows are read.
  std::function<void(int)> progress;
};

struct ReadOutcome {
  // Headings and students (no table name yet), ranked; valid only when
  // `errors` is empty.
  model::Student_F table;
  // Error lines in the order found; the table is rejected when any exist.
  std::vector<std::string> errors;
};

// The headings line of a division's table, from the roles.
model::BiaoTi HeadingsFromRoles(const ColumnRoles& roles);

// Reads every student row that has a name (rows without a name are skipped
// silently) and checks gender, student number, repeated numbers within the
// table (letter case ignored) and numbers that another table gives to
// another name. Every named row is read, so a rejected table lists all its
// problems. `roles` must have the required columns.
ReadOutcome ReadStudents(const TableRows& rows, const ColumnRoles& roles,
                         const ReadOptions& options);

}  // namespace tessaly::import
