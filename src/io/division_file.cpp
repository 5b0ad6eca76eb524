#include "io/division_file.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "io/division_check.h"
#include "io/division_markers.h"
#include "io/division_versions.h"
#include "io/safe_save.h"
#include "model/number_format.h"
#include "platform/encoding.h"

namespace tessaly::io {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsPlain(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Collects the encoded lines of the file.
class Writer {
 public:
  void Line(std::string_view cp936) {
    out_ += EncodeLine(cp936);
    out_ += "\r\n";
  }
  std::string Take() { return std::move(out_); }

 private:
  std::string out_;
};

// Each text followed by "|".
template <typename Items, typename Text>
std::string Joined(const Items& items, Text text) {
  std::string line;
  for (const auto& item : items) {
    line += text(item);
    line += '|';
  }
  return line;
}

// A text stored as a field of a "|"-separated line. A "|" inside it would
// split the field and shift every field after it, so it is stored as the
// full-width bar "｜" instead; a byte of no complete character (a lone lead
// byte would take the "|" after the field as its trail byte) becomes '?'.
std::string StoredField(const std::string& raw) {
  const std::string text = enc::ValidText(raw);
  if (text.find('|') == std::string::npos) return text;
  static const std::string kBar = "｜"_gb;
  std::string out;
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t n = enc::CharLength(text, pos);
    if (n == 1 && text[pos] == '|') {
      out += kBar;
    } else {
      out.append(text, pos, n);
    }
    pos += n;
  }
  return out;
}

// A score or total in the general number form; whole numbers, most scores,
// take a short way to the same text.
std::string NumberText(double v) {
  if (v == std::floor(v) && std::fabs(v) < 1e15) return std::to_string(static_cast<long long>(v));
  return model::FormatNumber(v);
}

void WriteTableBlock(Writer& w, const model::Student_F& table) {
  static const std::string kFixedHeadings = "学号|姓名|性别|预设班级|总分|新分班级|"_gb;
  auto same = [](const std::string& s) { return StoredField(s); };
  w.Line(kSheetInfBegin);
  // The count of the student blocks that follow: the reader checks the two
  // against each other, so a table whose StudentCount has drifted from its
  // rows still gives a file that opens.
  w.Line(std::to_string(table.Students.size()) + "|" + StoredField(table.TableName) + "|" +
         std::to_string(table.WeightPercent) + "|" + (table.IsMainTable ? "1|" : "0|"));
  w.Line(kSheetInfEnd);
  w.Line(kHeadingsBegin);
  w.Line(kFixedHeadings);
  w.Line(Joined(table.Headings.SubjectHeadings, same));
  w.Line(Joined(table.Headings.BalanceHeadings, same));
  w.Line(Joined(table.Headings.ExtraHeadings, same));
  w.Line(kHeadingsEnd);
  w.Line(kStudentsBegin);
  for (const model::student& s : table.Students) {
    w.Line(StoredField(s.Number) + "|" + StoredField(s.Name) + "|" + StoredField(s.Gender) + "|" +
           std::to_string(s.PresetClass) + "|" + NumberText(s.Total) + "|" +
           std::to_string(s.Rank) + "|" + std::to_string(s.AssignedClass) + "|");
    w.Line(Joined(s.Scores, NumberText));
    w.Line(Joined(s.BalanceValues, same));
    w.Line(Joined(s.ExtraValues, same));
  }
  w.Line(kStudentsEnd);
}

void WriteList(Writer& w, const char* name, const model::RuleList& rows) {
  if (rows.empty()) return;
  w.Line(std::string(name) + "_begin");
  for (const std::string& row : rows) w.Line(enc::ValidText(row));
  w.Line(std::string(name) + "_end");
}

// A text of the program in quotation marks.
std::string QuotedText(const std::string& cp936) {
  return "“"_gb + cp936 + "”"_gb;
}

// A file-system path in quotation marks.
std::string Quoted(const std::string& path) {
  return QuotedText(enc::FromOutside(path));
}

// The first score or total that would not read back as a number, described
// for the user; none when every number can be stored.
std::optional<std::string> UnstorableNumber(const model::ProgramState& state) {
  auto bad = [](double v) {
    return !(std::fabs(v) <= 1e308) && !std::isfinite(model::ReadBack(v));
  };
  auto check = [&](const model::Student_F& table) -> std::optional<std::string> {
    for (const model::student& s : table.Students) {
      bool scores = std::any_of(s.Scores.begin(), s.Scores.end(), bad);
      if (bad(s.Total) || scores) {
        return "数据表"_gb + QuotedText(table.TableName) + "中学生"_gb + QuotedText(s.Number) +
               (scores ? "的成绩"_gb : "的总分"_gb) + "不是有效的数字"_gb;
      }
    }
    return std::nullopt;
  };
  for (const auto& t : state.ImportedSets) {
    if (t.StudentCount > 0) {
      if (auto what = check(t)) return what;
    }
  }
  for (const auto& t : state.RangeSets) {
    if (auto what = check(t)) return what;
  }
  return std::nullopt;
}

std::string SystemReason(int err) {
  return enc::FromOutside(std::strerror(err));
}

}  // namespace

std::string EncodeLine(std::string_view cp936_line) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(cp936_line.size() * 2);
  for (char ch : cp936_line) {
    auto c = static_cast<unsigned char>(ch);
    if (IsPlain(c)) {
      out += ch;
    } else if (c == ' ') {
      out += '+';
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string DecodeLine(std::string_view stored_line) {
  std::string out;
  out.reserve(stored_line.size());
  for (std::size_t i = 0; i < stored_line.size(); ++i) {
    char c = stored_line[i];
    if (c == '+') {
      out += ' ';
    } else if (c == '%') {
      if (i + 2 >= stored_line.size()) return std::string(stored_line);
      int hi = HexValue(stored_line[i + 1]);
      int lo = HexValue(stored_line[i + 2]);
      if (hi < 0 || lo < 0) return std::string(stored_line);
      out += static_cast<char>(hi * 16 + lo);
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

std::string WriteDivisionText(const model::ProgramState& state) {
  Writer w;
  for (std::size_t n = 0; n < state.ImportedSets.size(); ++n) {
    const model::Student_F& table = state.ImportedSets[n];
    if (table.StudentCount <= 0) continue;
    w.Line(TableMarker(n, "_begin"));
    WriteTableBlock(w, table);
    w.Line(TableMarker(n, "_end"));
  }
  // Every range set, empty ones included, so that section n is range set n
  // and a reopened division keeps the classes its students were placed in.
  for (std::size_t n = 0; n < state.RangeSets.size(); ++n) {
    w.Line(RangeSetMarker(n, "_begin"));
    WriteTableBlock(w, state.RangeSets[n]);
    w.Line(RangeSetMarker(n, "_end"));
  }
  WriteList(w, kBalanceItems, state.BalanceItemRows);
  WriteList(w, kFinalPairs, state.FinalSoundPairs);
  WriteList(w, kInitialPairs, state.InitialSoundPairs);
  WriteList(w, kClassRanges, state.ClassRangeRows);
  WriteList(w, kCountConditions, state.CountConditionRows);
  WriteList(w, kBandConditions, state.BandConditionRows);
  WriteList(w, kGroups, state.GroupRows);
  w.Line(std::string(kMode) + "_begin");
  w.Line(std::string(state.CombineMode ? "1|" : "0|") + std::to_string(state.ExpectedSetCount) +
         "|");
  w.Line(std::string(kMode) + "_end");
  for (const std::string& line : VersionLines(state.Versions)) w.Line(line);
  const std::string body = w.Take();
  return CheckSectionFor(body) + body;
}

std::optional<std::string> SaveDivisionFile(const model::ProgramState& state,
                                            const std::string& path) {
  // A file with a number that cannot be read back could not be opened again.
  if (auto what = UnstorableNumber(state)) {
    return "保存分班结果失败："_gb + *what + "，文件没有写入。"_gb;
  }
  const std::string text = WriteDivisionText(state);
  const SaveOutcome saved = ReplaceFile(path, text);
  if (saved.error == 0) return std::nullopt;
  return "保存分班结果失败：无法写入文件"_gb + Quoted(path) + "（"_gb + SystemReason(saved.error) +
         (saved.existed ? "）。原有的文件没有改动。"_gb : "）。"_gb);
}

DivisionRead LoadDivisionFile(const std::string& path, const model::ProgramState& current) {
  DivisionRead result;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    result.error =
        "无法打开分班数据文件"_gb + Quoted(path) + "（"_gb + SystemReason(errno) + "）。"_gb;
    return result;
  }
  std::string bytes;
  char buffer[1 << 16];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
  bool failed = std::ferror(file) != 0;
  int err = errno;
  std::fclose(file);
  if (failed) {
    result.error =
        "无法读取分班数据文件"_gb + Quoted(path) + "（"_gb + SystemReason(err) + "）。"_gb;
    return result;
  }
  result = ReadDivisionText(bytes, current);
  if (result.not_division_file) {
    result.error = "文件"_gb + Quoted(path) + "不是分班数据文件，没有打开："_gb + result.error;
  } else if (!result.ok) {
    result.error = "分班数据文件"_gb + Quoted(path) + "已损坏，无法打开：\n"_gb + result.error;
  }
  return result;
}

}  // namespace tessaly::io
