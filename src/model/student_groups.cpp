#include "model/student_groups.h"

#include <algorithm>

#include "platform/encoding.h"

namespace tessaly::model {

std::string GroupKindText(GroupKind kind) {
  return kind == GroupKind::kTogether ? "同班"_gb : "不同班"_gb;
}

std::string GroupRow(const StudentGroup& group) {
  std::string row = GroupKindText(group.kind) + "|";
  for (const std::string& n : group.numbers) row += n + ",";
  return row + "|" + group.note + "|";
}

StudentGroup ReadGroupRow(std::string_view row) {
  StudentGroup group;
  const std::size_t first = row.find('|');
  const std::string_view kind = row.substr(0, first);
  group.kind = kind == "同班"_gb ? GroupKind::kTogether : GroupKind::kApart;
  if (first == std::string_view::npos) return group;
  const std::size_t second = row.find('|', first + 1);
  const std::string_view numbers = row.substr(first + 1, second - first - 1);
  std::size_t at = 0;
  while (at < numbers.size()) {
    std::size_t comma = numbers.find(',', at);
    if (comma == std::string_view::npos) comma = numbers.size();
    if (comma > at) group.numbers.emplace_back(numbers.substr(at, comma - at));
    at = comma + 1;
  }
  if (second == std::string_view::npos) return group;
  std::string_view note = row.substr(second + 1);
  if (!note.empty() && note.back() == '|') note.remove_suffix(1);
  group.note = std::string(note);
  return group;
}

std::vector<StudentGroup> ReadGroupRows(const RuleList& rows) {
  std::vector<StudentGroup> groups;
  groups.reserve(rows.size());
  for (const std::string& row : rows) groups.push_back(ReadGroupRow(row));
  return groups;
}

std::string DescribeGroup(const StudentGroup& group,
                          const std::function<std::string(const std::string&)>& name_of) {
  std::string text = GroupKindText(group.kind) + "："_gb;
  for (std::size_t i = 0; i < group.numbers.size(); ++i) {
    if (i > 0) text += "、"_gb;
    text += group.numbers[i];
    const std::string name = name_of(group.numbers[i]);
    if (!name.empty()) text += " " + name;
  }
  if (!group.note.empty()) text += "（"_gb + group.note + "）"_gb;
  return text;
}

std::vector<std::string> SplitNumbers(std::string_view text) {
  static const std::string kWideComma = "，"_gb, kPause = "、"_gb, kWideSemicolon = "；"_gb,
                           kWideSpace = "　"_gb;
  std::vector<std::string> numbers;
  std::string current;
  auto flush = [&] {
    if (!current.empty() && std::find(numbers.begin(), numbers.end(), current) == numbers.end()) {
      numbers.push_back(current);
    }
    current.clear();
  };
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',' || c == ';' || c == '|') {
      flush();
      ++i;
      continue;
    }
    if (static_cast<unsigned char>(c) >= 0x80 && i + 1 < text.size()) {
      const std::string_view pair = text.substr(i, 2);
      if (pair == kWideComma || pair == kPause || pair == kWideSemicolon || pair == kWideSpace) {
        flush();
      } else {
        current += pair;
      }
      i += 2;
      continue;
    }
    current += c;
    ++i;
  }
  flush();
  return numbers;
}

}  // namespace tessaly::model
