#include "io/division_versions.h"

#include "model/number_format.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::io {
namespace {

// The fields of a line before its last "|"; a trail byte of a double-byte
// character is never a separator.
std::vector<std::string> Fields(std::string_view line, std::size_t max_fields) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t pos = 0; pos < line.size() && fields.size() < max_fields;) {
    std::size_t n = enc::CharLength(line, pos);
    if (n == 1 && line[pos] == '|') {
      fields.emplace_back(line.substr(start, pos - start));
      start = pos + 1;
    }
    pos += n;
  }
  fields.emplace_back(line.substr(start));  // the rest after the last field taken
  return fields;
}

struct Bad {
  std::size_t line;
  std::string what;
};

std::int32_t Count(const std::string& text, std::size_t line) {
  auto v = model::ParseInteger(text);
  if (!v || *v < 0) throw Bad{line, "数目"_gb + text + "不正确"_gb};
  return *v;
}

}  // namespace

std::vector<std::string> VersionLines(const std::vector<model::DivisionVersion>& versions) {
  std::vector<std::string> out;
  if (versions.empty()) return out;
  out.push_back(std::string(kVersions) + "_begin");
  for (const model::DivisionVersion& v : versions) {
    out.push_back("V|" + v.Name + "|" + v.Time + "|" +
                  (v.Score ? model::FormatNumber(*v.Score) : std::string()) + "|" +
                  std::to_string(v.Sets.size()) + "|");
    for (const model::VersionSet& set : v.Sets) {
      out.push_back("S|" + std::to_string(set.Placements.size()) + "|");
      out.push_back(set.RangeRow);
      for (const model::VersionPlacement& p : set.Placements) {
        out.push_back(std::to_string(p.AssignedClass) + "|" + std::to_string(p.PresetClass) + "|" +
                      p.Number);
      }
    }
  }
  out.push_back(std::string(kVersions) + "_end");
  return out;
}

VersionsRead ReadVersionLines(const std::vector<std::string>& lines) {
  VersionsRead result;
  std::size_t at = 0;
  auto next = [&]() -> const std::string& {
    if (at >= lines.size()) throw Bad{lines.size(), "方案不完整"_gb};
    return lines[at++];
  };
  try {
    while (at < lines.size()) {
      const std::size_t head_line = at;
      std::vector<std::string> head = Fields(next(), 5);
      if (head.size() != 6 || head[0] != "V" || !head[5].empty() || head[1].empty()) {
        throw Bad{head_line, "方案的首行不正确"_gb};
      }
      model::DivisionVersion v;
      v.Name = head[1];
      v.Time = head[2];
      if (!head[3].empty()) {
        v.Score = model::ParseDecimal(head[3]);
        if (!v.Score) throw Bad{head_line, "方案的评分"_gb + head[3] + "不是有效的数字"_gb};
      }
      const std::int32_t sets = Count(head[4], head_line);
      for (std::int32_t s = 0; s < sets; ++s) {
        const std::size_t set_line = at;
        std::vector<std::string> set_head = Fields(next(), 2);
        if (set_head.size() != 3 || set_head[0] != "S" || !set_head[2].empty()) {
          throw Bad{set_line, "方案的分班结果行不正确"_gb};
        }
        const std::int32_t students = Count(set_head[1], set_line);
        if (static_cast<std::size_t>(students) > lines.size()) {
          throw Bad{set_line, "方案不完整"_gb};
        }
        model::VersionSet set;
        set.RangeRow = next();
        set.Placements.reserve(students);
        for (std::int32_t p = 0; p < students; ++p) {
          const std::size_t line = at;
          std::vector<std::string> f = Fields(next(), 2);
          auto assigned = f.size() == 3 ? model::ParseInteger(f[0]) : std::nullopt;
          auto pin = f.size() == 3 ? model::ParseInteger(f[1]) : std::nullopt;
          if (!assigned || !pin) throw Bad{line, "方案中学生的班级不正确"_gb};
          set.Placements.push_back({f[2], *assigned, *pin});
        }
        v.Sets.push_back(std::move(set));
      }
      result.versions.push_back(std::move(v));
    }
  } catch (const Bad& bad) {
    result.versions.clear();
    result.error = bad.what;
    result.error_line = bad.line;
  }
  return result;
}

}  // namespace tessaly::io
