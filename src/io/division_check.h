#pragma once
// The check section of the division files we write. It comes first, so that
// a file cut anywhere after it is told from a complete one:
//   JiaoYan_begin
//   <number of lines after JiaoYan_end>|<CRC-32, 8 hex digits>|
//   JiaoYan_end
// The CRC is taken over the decoded lines, each followed by a line feed, so
// the check holds whatever line breaks or case of hex digits the file was
// given since (LF only, "%7c").
// Readers of the format skip a section they do not know; a file without it
// (written elsewhere, or by an earlier version) is read without a check.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessaly::io {

// CRC-32 (the polynomial of zip and PNG) of the bytes.
std::uint32_t Crc32(std::string_view bytes);

// The stored lines of the check section for the stored lines that follow it
// (every line ending in a line break).
std::string CheckSectionFor(std::string_view stored_body);

// Checks a file that begins with the check section against the lines after
// it; returns what is wrong (code page 936), or nothing when the file has no
// check section or the check holds.
std::optional<std::string> CheckSectionFails(std::string_view stored_file);

}  // namespace tessaly::io
