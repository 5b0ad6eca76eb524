#pragma once
// The teacher's placement groups: "keep apart" (no two of its students in one
// class) and "keep together" (all its students in one class). A group is one
// text row of ProgramState::GroupRows,
//   不同班|NUMBER,NUMBER,...|NOTE|   or   同班|NUMBER,NUMBER,...|NOTE|
// every student number followed by ","; the note is the rest of the row up to
// its final "|". A student may stand in several groups.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/rule_lists.h"

namespace tessaly::model {

enum class GroupKind { kApart, kTogether };

struct StudentGroup {
  GroupKind kind = GroupKind::kApart;
  std::vector<std::string> numbers;  // student numbers, as given
  std::string note;

  bool operator==(const StudentGroup&) const = default;
};

// "不同班" or "同班".
std::string GroupKindText(GroupKind kind);

// The stored row of a group.
std::string GroupRow(const StudentGroup& group);

// The group of a stored row. A row whose kind is not "同班" keeps students
// apart; empty numbers are left out.
StudentGroup ReadGroupRow(std::string_view row);

// Every row of the list, in order.
std::vector<StudentGroup> ReadGroupRows(const RuleList& rows);

// The student numbers of a typed or pasted text: separated by spaces, tabs,
// line breaks, commas (either width), semicolons or "、", in order, repeats
// left out.
std::vector<std::string> SplitNumbers(std::string_view text);

// "不同班：101 张三、102 李四（双胞胎）": how a message names a group;
// `name_of` gives the name shown beside a number (empty: the number alone).
std::string DescribeGroup(const StudentGroup& group,
                          const std::function<std::string(const std::string&)>& name_of);

}  // namespace tessaly::model
