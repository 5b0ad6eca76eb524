#include "io/division_check.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "io/division_file.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::io {
namespace {

constexpr std::string_view kBegin = "JiaoYan_begin";
constexpr std::string_view kEnd = "JiaoYan_end";

std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

std::string Hex8(std::uint32_t v) {
  char buf[9];
  std::snprintf(buf, sizeof buf, "%08X", v);
  return buf;
}

// The lines of stored bytes split at CR, LF or CR LF as the reader splits
// them; a line break at the very end starts no further line.
std::vector<std::string_view> StoredLines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = bytes.size();
    lines.push_back(bytes.substr(start, end - start));
    if (end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n') ++end;
    start = end + 1;
  }
  return lines;
}

// Count and CRC of the decoded lines from `first` on.
struct Check {
  std::size_t lines = 0;
  std::uint32_t crc = 0;
};

Check CheckOf(const std::vector<std::string_view>& lines, std::size_t first) {
  std::string decoded;
  for (std::size_t i = first; i < lines.size(); ++i) {
    decoded += DecodeLine(lines[i]);
    decoded += '\n';
  }
  return {lines.size() - std::min(first, lines.size()), Crc32(decoded)};
}

}  // namespace

std::uint32_t Crc32(std::string_view bytes) {
  static const std::array<std::uint32_t, 256> kTable = MakeCrcTable();
  std::uint32_t c = 0xFFFFFFFFu;
  for (char ch : bytes) c = kTable[(c ^ static_cast<unsigned char>(ch)) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

std::string CheckSectionFor(std::string_view stored_body) {
  const Check check = CheckOf(StoredLines(stored_body), 0);
  return EncodeLine(kBegin) + "\r\n" +
         EncodeLine(std::to_string(check.lines) + "|" + Hex8(check.crc) + "|") + "\r\n" +
         EncodeLine(kEnd) + "\r\n";
}

std::optional<std::string> CheckSectionFails(std::string_view file) {
  const std::vector<std::string_view> lines = StoredLines(file);
  if (lines.empty() || !model::EqualsIgnoreCase(DecodeLine(lines[0]), kBegin)) {
    return std::nullopt;
  }
  if (lines.size() < 3 || !model::EqualsIgnoreCase(DecodeLine(lines[2]), kEnd)) {
    return "文件开头的校验节不完整，文件已损坏。"_gb;
  }
  const std::string stored = DecodeLine(lines[1]);
  const std::string lines_text = model::FieldAt(stored, '|', 1);
  const std::string crc_text = model::FieldAt(stored, '|', 2);
  const Check check = CheckOf(lines, 3);
  if (std::to_string(check.lines) != lines_text) {
    return "文件记载有 "_gb + lines_text + " 行，而实有 "_gb + std::to_string(check.lines) +
           " 行：文件不完整或已被改动。"_gb;
  }
  if (!model::EqualsIgnoreCase(Hex8(check.crc), crc_text)) {
    return "文件的校验和不符：文件已被改动或损坏。"_gb;
  }
  return std::nullopt;
}

}  // namespace tessaly::io
