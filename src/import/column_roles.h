#pragma once
// Column roles of a table in the teacher's own words: a table whose headings
// do not begin with KEMU has no subject by its headings alone, so its
// columns are recognised by name and content and the teacher confirms what
// was proposed. The result is the same ColumnRoles a KEMU table gives, read
// by the same checks.

#include <optional>
#include <string>
#include <vector>

#include "import/table_reader.h"
#include "import/table_rows.h"

namespace tessaly::import {

// What one column of a table becomes. Name, gender and number columns and
// columns without heading (or a heading a later column repeats) are settled
// by their headings; the teacher chooses among the other four.
enum class Role : char {
  kIgnored = '-',
  kName = 'N',
  kGender = 'G',
  kNumber = 'H',
  kPresetClass = 'P',
  kSubject = 'S',
  kBalance = 'B',
  kOther = 'O',
};

inline bool IsChoosable(Role role) {
  return role == Role::kPresetClass || role == Role::kSubject || role == Role::kBalance ||
         role == Role::kOther;
}

struct RoleProposal {
  // The role of every heading cell, index k - 1 for column k.
  std::vector<Role> roles;
  // Text columns with a few distinct values (住校/走读, 特长 ...): offered as
  // balance columns, made ones only when the teacher says so.
  std::vector<bool> balance_candidates;
  // A total column of the teacher's own (总分), checked against the sum of
  // the subjects; 0 when there is none.
  int total_column = 0;
};

// True when some heading begins with KEMU (letter case ignored): the table
// is prepared for the program and its headings alone give the roles.
bool HasKemuHeading(const std::vector<std::string>& headings);

// The heading a column keeps as a subject, balance or other column: a
// JUNHENG prefix is dropped, and a known subject loses a note of its full
// score or a "成绩" ending ("数学(150)" -> "数学").
std::string ColumnName(const std::string& heading, Role role);

bool IsKnownSubject(const std::string& heading);
// Headings that are never subjects although their cells are numbers: totals,
// ranks, numbers of seats and exams, classes, serial numbers and the like.
bool IsNonSubject(const std::string& heading);

// Roles proposed for a table without KEMU headings. `fixed` are the roles
// the headings themselves give (name, gender, number, preset class, JUNHENG
// balance columns). A column is a subject when its heading is a known
// subject, or when every filled cell of it is a number and its heading is not
// one of the non-subject headings; everything else is another column.
RoleProposal ProposeRoles(const TableRows& rows, const ColumnRoles& fixed);

// The columns by role, in sheet order, with the headings they keep.
ColumnRoles ApplyRoles(const std::vector<std::string>& headings, const std::vector<Role>& roles);

// The role of each of `columns` columns as `roles` give them (a table read by
// its headings alone, shown column by column).
std::vector<Role> RolesOf(const ColumnRoles& roles, std::size_t columns);

// Student numbers (in row order) of the named rows whose total cell holds a
// number other than the sum of their subject cells.
std::vector<std::string> TotalMismatches(const TableRows& rows, const ColumnRoles& roles,
                                         int total_column);

// The column whose heading (as ColumnName gives it, or as written) is
// `name`; 0 when none is.
int ColumnNamed(const std::vector<std::string>& headings, const std::string& name);

// The roles as a line for the settings file, one letter a column, and back;
// none when the line does not fit `headings`.
std::string RolesText(const std::vector<Role>& roles);
std::optional<std::vector<Role>> RolesFromText(const std::string& text,
                                               const std::vector<Role>& proposed);
// A short key of the headings under which their roles are remembered.
std::string HeadingsKey(const std::vector<std::string>& headings);

}  // namespace tessaly::import
