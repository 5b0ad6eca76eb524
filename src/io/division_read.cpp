// Reading a division file: lines are split and decoded, markers are looked up
// ignoring Latin case (the first such line counts), and every section is read
// into a copy of the program state that replaces the current one only when
// the whole file was read.

#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_map>

#include "io/division_check.h"
#include "io/division_file.h"
#include "io/division_markers.h"
#include "io/division_versions.h"
#include "model/number_format.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::io {
namespace {

// Section numbers above this are not taken for tables or range sets.
constexpr std::size_t kMaxSectionNumber = 999;

// What is wrong with the file; thrown inside the reader, reported as the
// read's error.
struct Damage {
  std::string message;
};

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view upper_tail) {
  if (text.size() < upper_tail.size()) return false;
  text = text.substr(text.size() - upper_tail.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != upper_tail[i]) return false;
  }
  return true;
}

// "第 N 行：" for a 0-based line index.
std::string AtLine(std::size_t index) {
  static const std::string kLine = "第 "_gb;
  static const std::string kRow = " 行："_gb;
  return kLine + std::to_string(index + 1) + kRow;
}

std::string Quote(std::string_view text) {
  static const std::string kOpen = "“"_gb;
  static const std::string kClose = "”"_gb;
  return kOpen + std::string(text) + kClose;
}

// The fields of a line, each followed by "|" (text after the last "|" is not
// a field); a trail byte of a double-byte character is never a separator.
// Bytes of a field that belong to no complete character become '?', so that
// every text read can be written back as the same field.
std::vector<std::string> SplitFields(std::string_view line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  std::size_t pos = 0;
  while (pos < line.size()) {
    std::size_t n = enc::CharLength(line, pos);
    if (n == 1 && line[pos] == '|') {
      fields.push_back(enc::ValidText(line.substr(start, pos - start)));
      start = pos + 1;
    }
    pos += n;
  }
  return fields;
}

// Content lines of a section: indexes first .. last-1.
struct Section {
  std::size_t first = 0;
  std::size_t last = 0;
};

class FileLines {
 public:
  explicit FileLines(std::string_view bytes) {
    std::size_t start = 0;
    while (start < bytes.size()) {
      std::size_t end = bytes.find_first_of("\r\n", start);
      if (end == std::string_view::npos) end = bytes.size();
      Add(bytes.substr(start, end - start));
      if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() &&
          bytes[end + 1] == '\n') {
        ++end;
      }
      start = end + 1;
    }
  }

  const std::string& operator[](std::size_t i) const { return lines_[i]; }
  std::size_t size() const { return lines_.size(); }

  // Index of the first line equal to the marker ignoring Latin case.
  std::optional<std::size_t> Find(std::string_view marker) const {
    auto it = markers_.find(UpperAscii(marker));
    if (it == markers_.end()) return std::nullopt;
    return it->second;
  }

  // The section named by its two markers; none when the begin marker is
  // missing. A begin marker without an end marker after it means the file
  // was cut short.
  std::optional<Section> FindSection(const std::string& begin, const std::string& end) const {
    auto b = Find(begin);
    if (!b) return std::nullopt;
    auto e = Find(end);
    if (!e || *e < *b) {
      throw Damage{AtLine(*b) + Quote(begin) + "的结束标记"_gb + Quote(end) +
                   "不存在，文件不完整。"_gb};
    }
    return Section{*b + 1, *e};
  }

  // Numbers n of the begin markers prefix + n + "_begin" present (decimal,
  // without leading zeros).
  std::vector<std::size_t> Numbered(std::string_view prefix) const {
    const std::string upper_prefix = UpperAscii(prefix);
    std::vector<std::size_t> numbers;
    for (const auto& [line, index] : markers_) {
      if (line.rfind(upper_prefix, 0) != 0 || !EndsWith(line, "_BEGIN")) continue;
      std::string_view digits(line);
      digits = digits.substr(upper_prefix.size(), digits.size() - upper_prefix.size() - 6);
      if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos ||
          (digits.size() > 1 && digits[0] == '0')) {
        continue;
      }
      if (digits.size() > 3 || std::stoul(std::string(digits)) > kMaxSectionNumber) {
        throw Damage{AtLine(index) + "节的编号"_gb + std::string(digits) + "过大。"_gb};
      }
      numbers.push_back(std::stoul(std::string(digits)));
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
  }

  // First line of the section equal to the marker ignoring Latin case.
  std::optional<std::size_t> FindIn(const Section& s, std::string_view marker) const {
    const std::string upper = UpperAscii(marker);
    for (std::size_t i = s.first; i < s.last; ++i) {
      if (lines_[i].size() == upper.size() && UpperAscii(lines_[i]) == upper) return i;
    }
    return std::nullopt;
  }

 private:
  void Add(std::string_view stored) {
    lines_.push_back(DecodeLine(stored));
    const std::string& line = lines_.back();
    // Only lines that can be markers go into the index.
    if (line.size() <= 64 &&
        (EndsWithIgnoringCase(line, "_BEGIN") || EndsWithIgnoringCase(line, "_END"))) {
      markers_.emplace(UpperAscii(line), lines_.size() - 1);
    }
  }

  std::vector<std::string> lines_;
  std::unordered_map<std::string, std::size_t> markers_;
};

// A number of a student line, converted strictly; it must also survive being
// written back as text.
double ReadDecimal(const std::string& text, std::size_t line, const std::string& number,
                   const std::string& what) {
  auto value = model::ParseDecimal(text);
  if (!value) {
    throw Damage{AtLine(line) + "学生"_gb + Quote(number) + "的"_gb + what + Quote(text) +
                 "不是有效的数字。"_gb};
  }
  // Only values next to the largest double can round up to infinity.
  if (std::fabs(*value) > 1e308 && !std::isfinite(model::ReadBack(*value))) {
    throw Damage{AtLine(line) + "学生"_gb + Quote(number) + "的"_gb + what + Quote(text) +
                 "超出数值范围。"_gb};
  }
  return *value;
}

std::int32_t ReadInteger(const std::string& text, std::size_t line, const std::string& number,
                         const std::string& what) {
  auto value = model::ParseInteger(text);
  if (!value) {
    throw Damage{AtLine(line) + "学生"_gb + Quote(number) + "的"_gb + what + Quote(text) +
                 "不是有效的整数。"_gb};
  }
  return *value;
}

void CheckCount(std::size_t have, std::size_t want, std::size_t line, const std::string& number,
                const std::string& what) {
  if (have == want) return;
  throw Damage{AtLine(line) + "学生"_gb + Quote(number) + "有 "_gb + std::to_string(have) +
               " 项"_gb + what + "，而表头有 "_gb + std::to_string(want) + " 项。"_gb};
}

// One table block (a table section or a range-set section) into a table.
model::Student_F ReadTableBlock(const FileLines& lines, const Section& s, const std::string& name) {
  static const std::string kNumber = "学号"_gb, kNameH = "姓名"_gb, kGender = "性别"_gb,
                           kPreset = "预设班级"_gb, kTotal = "总分"_gb, kNewClass = "新分班级"_gb,
                           kRank = "名次"_gb, kScores = "成绩"_gb, kBalance = "均衡项目"_gb,
                           kExtra = "其他项目"_gb;
  auto require = [&](const char* marker) {
    auto at = lines.FindIn(s, marker);
    if (!at) throw Damage{name + "缺少"_gb + Quote(marker) + "，文件不完整。"_gb};
    return *at;
  };
  model::Student_F table;
  const std::size_t sheet = require(kSheetInfBegin) + 1;
  const std::size_t heads = require(kHeadingsBegin) + 1;
  const std::size_t b = require(kStudentsBegin);
  const std::size_t e = require(kStudentsEnd);
  if (sheet >= s.last || heads + 3 >= s.last || e < b) {
    throw Damage{name + "不完整。"_gb};
  }

  std::vector<std::string> info = SplitFields(lines[sheet]);
  info.resize(std::max<std::size_t>(info.size(), 4));
  table.StudentCount = model::FirstInteger(info[0]);
  table.TableName = info[1];
  table.WeightPercent = model::FirstInteger(info[2]);
  table.IsMainTable = info[3] == "1";
  if (table.WeightPercent < 0) {
    throw Damage{AtLine(sheet) + name + "的权重"_gb + Quote(info[2]) + "不是有效的整数。"_gb};
  }

  model::BiaoTi& h = table.Headings;
  h.NumberHeading = kNumber;
  h.NameHeading = kNameH;
  h.GenderHeading = kGender;
  h.PresetClassHeading = kPreset;
  h.TotalHeading = kTotal;
  h.NewClassHeading = kNewClass;
  h.SubjectHeadings = SplitFields(lines[heads + 1]);
  h.BalanceHeadings = SplitFields(lines[heads + 2]);
  h.ExtraHeadings = SplitFields(lines[heads + 3]);

  const std::size_t student_lines = e - b - 1;
  if (student_lines % 4 != 0) {
    throw Damage{AtLine(e) + name + "的学生记录不完整（每名学生应有 4 行）。"_gb};
  }
  if (table.StudentCount < 0 || static_cast<std::size_t>(table.StudentCount) != student_lines / 4) {
    throw Damage{AtLine(sheet) + name + "记载 "_gb + Quote(info[0]) + " 名学生，而学生记录有 "_gb +
                 std::to_string(student_lines / 4) + " 名。"_gb};
  }
  table.Students.resize(student_lines / 4);
  for (std::size_t p = 0; p < table.Students.size(); ++p) {
    const std::size_t at = b + 4 * p + 1;
    model::student& st = table.Students[p];
    std::vector<std::string> f = SplitFields(lines[at]);
    f.resize(std::max<std::size_t>(f.size(), 7));
    st.Number = enc::CutToBytes(f[0], model::kNumberBytes);
    st.Name = enc::CutToBytes(f[1], model::kNameBytes);
    st.Gender = enc::CutToBytes(f[2], model::kGenderBytes);
    st.PresetClass = ReadInteger(f[3], at, st.Number, kPreset);
    st.Total = ReadDecimal(f[4], at, st.Number, kTotal);
    st.Rank = ReadInteger(f[5], at, st.Number, kRank);
    st.AssignedClass = ReadInteger(f[6], at, st.Number, kNewClass);

    std::vector<std::string> scores = SplitFields(lines[at + 1]);
    CheckCount(scores.size(), h.SubjectHeadings.size(), at + 1, st.Number, kScores);
    st.Scores.reserve(scores.size());
    for (const std::string& text : scores) {
      st.Scores.push_back(ReadDecimal(text, at + 1, st.Number, kScores));
    }
    st.BalanceValues = SplitFields(lines[at + 2]);
    CheckCount(st.BalanceValues.size(), h.BalanceHeadings.size(), at + 2, st.Number, kBalance);
    st.ExtraValues = SplitFields(lines[at + 3]);
    CheckCount(st.ExtraValues.size(), h.ExtraHeadings.size(), at + 3, st.Number, kExtra);
  }
  return table;
}

// The tables of the numbered sections prefix + n, by number.
std::map<std::size_t, model::Student_F> ReadNumbered(const FileLines& lines, const char* prefix,
                                                     const std::string& kind) {
  std::map<std::size_t, model::Student_F> tables;
  for (std::size_t n : lines.Numbered(prefix)) {
    const std::string begin = prefix + std::to_string(n) + "_begin";
    const std::string end = prefix + std::to_string(n) + "_end";
    auto section = lines.FindSection(begin, end);
    tables[n] = ReadTableBlock(lines, *section, kind + " "_gb + std::to_string(n));
  }
  return tables;
}

model::RuleList ReadList(const FileLines& lines, const char* name) {
  auto section = lines.FindSection(std::string(name) + "_begin", std::string(name) + "_end");
  model::RuleList rows;
  if (!section) return rows;
  for (std::size_t i = section->first; i < section->last; ++i) {
    rows.push_back(enc::ValidText(lines[i]));
  }
  return rows;
}

// The versions of the division; none without their section.
std::vector<model::DivisionVersion> ReadVersions(const FileLines& lines) {
  auto section =
      lines.FindSection(std::string(kVersions) + "_begin", std::string(kVersions) + "_end");
  if (!section) return {};
  std::vector<std::string> content;
  for (std::size_t i = section->first; i < section->last; ++i) content.push_back(lines[i]);
  VersionsRead read = ReadVersionLines(content);
  if (!read.error.empty()) {
    throw Damage{AtLine(section->first + read.error_line) + read.error + "。"_gb};
  }
  return std::move(read.versions);
}

// An empty slot: what a cleared table holds.
model::Student_F EmptySlot() {
  model::Student_F empty;
  empty.WeightPercent = 0;
  return empty;
}

void Read(const FileLines& lines, model::ProgramState& state) {
  state.ClassRangeRows = ReadList(lines, kClassRanges);
  state.BalanceItemRows = ReadList(lines, kBalanceItems);
  state.FinalSoundPairs = ReadList(lines, kFinalPairs);
  state.InitialSoundPairs = ReadList(lines, kInitialPairs);
  state.CountConditionRows = ReadList(lines, kCountConditions);
  state.BandConditionRows = ReadList(lines, kBandConditions);
  state.GroupRows = ReadList(lines, kGroups);
  // The same-name rows describe the division that was open before.
  state.SameNameRows.clear();
  state.Versions = ReadVersions(lines);

  auto mode = lines.FindSection(std::string(kMode) + "_begin", std::string(kMode) + "_end");
  if (mode) {
    if (mode->first >= mode->last) {
      throw Damage{AtLine(mode->first - 1) + "缺少导入方式（单份或多份成绩）。"_gb};
    }
    const std::string& line = lines[mode->first];
    std::int32_t expected = model::FirstInteger(model::FieldAt(line, '|', 2));
    if (expected < 0 || expected > static_cast<std::int32_t>(kMaxSectionNumber)) {
      throw Damage{AtLine(mode->first) + "成绩份数"_gb + Quote(model::FieldAt(line, '|', 2)) +
                   "不正确。"_gb};
    }
    state.DivisionStarted = true;
    state.CombineMode = model::FieldAt(line, '|', 1) == "1";
    state.ExpectedSetCount = expected;
  } else {
    state.DivisionStarted = false;
  }

  auto tables = ReadNumbered(lines, "YuanShiInf", "数据表"_gb);
  auto sets = ReadNumbered(lines, "YuanShiInf_tiqu", "分班结果"_gb);

  state.ImportedSets.clear();
  if (!tables.empty()) {
    std::size_t slots = tables.rbegin()->first + 1;
    std::size_t by_mode =
        static_cast<std::size_t>(state.ExpectedSetCount) + (state.CombineMode ? 1 : 0);
    state.ImportedSets.assign(std::max(slots, by_mode), EmptySlot());
    for (auto& [n, table] : tables) state.ImportedSets[n] = std::move(table);
  }
  state.RangeSets.clear();
  if (!sets.empty()) {
    std::size_t count = std::max(sets.rbegin()->first + 1, state.ClassRangeRows.size());
    state.RangeSets.assign(count, EmptySlot());
    for (auto& [n, set] : sets) state.RangeSets[n] = std::move(set);
  }

  state.NextSetSlot = 0;
  if (state.CombineMode) {
    std::int32_t slot = 1;
    while (slot <= state.ExpectedSetCount &&
           static_cast<std::size_t>(slot) < state.ImportedSets.size() &&
           !state.ImportedSets[slot].Students.empty()) {
      ++slot;
    }
    state.NextSetSlot = slot;
  }
}

// A division file is text: control bytes other than tab and line breaks
// (a zipped workbook, a compound document, a program) mean it is none. Text
// bytes that were not percent-encoded are kept, as decoding always has.
bool IsStoredText(std::string_view bytes) {
  for (char ch : bytes) {
    auto c = static_cast<unsigned char>(ch);
    if ((c < 0x20 || c == 0x7F) && c != '\r' && c != '\n' && c != '\t') return false;
  }
  return true;
}

// True when the file holds the begin marker of at least one section the
// format knows.
bool HasKnownSection(const FileLines& lines) {
  for (const char* name : {kBalanceItems, kFinalPairs, kInitialPairs, kClassRanges,
                           kCountConditions, kBandConditions, kMode}) {
    if (lines.Find(std::string(name) + "_begin")) return true;
  }
  return !lines.Numbered("YuanShiInf").empty() || !lines.Numbered("YuanShiInf_tiqu").empty();
}

}  // namespace

DivisionRead ReadDivisionText(std::string_view bytes, const model::ProgramState& current) {
  DivisionRead result;
  result.state = current;
  if (!IsStoredText(bytes)) {
    result.not_division_file = true;
    result.error = "文件中有不属于分班数据文件的字节。"_gb;
    return result;
  }
  if (auto failed = CheckSectionFails(bytes)) {
    result.error = *failed;
    return result;
  }
  try {
    FileLines lines(bytes);
    if (!HasKnownSection(lines)) {
      result.not_division_file = true;
      result.error = "文件中没有任何分班数据。"_gb;
      return result;
    }
    Read(lines, result.state);
    result.ok = true;
  } catch (const Damage& damage) {
    result.error = damage.message;
    result.state = current;
  }
  return result;
}

}  // namespace tessaly::io
