#pragma once
// The versions section of the division file. It follows the mode section,
// so readers that do not know it skip it, and it is written only when the
// division has versions, so a file without versions stays as it was:
//   FangAn_begin
//   V|<name>|<time>|<score, empty when none>|<number of sets>|
//   S|<number of students>|              per set, then its range row on a
//   <range row>                          line of its own, then per student
//   <class>|<pin>|<student number>       (the number is the rest of the line)
//   FangAn_end
// Every line but a range row ends in "|" or a student number, so no content
// line is taken for a marker of another section.

#include <string>
#include <string_view>
#include <vector>

#include "model/division_version.h"

namespace tessaly::io {

inline constexpr const char* kVersions = "FangAn";

// The decoded lines of the section, markers included; none for no versions.
std::vector<std::string> VersionLines(const std::vector<model::DivisionVersion>& versions);

struct VersionsRead {
  std::vector<model::DivisionVersion> versions;
  std::string error;           // code page 936; empty when the lines were read
  std::size_t error_line = 0;  // index into the lines given
};

// Reads the content lines of the section (between its markers).
VersionsRead ReadVersionLines(const std::vector<std::string>& lines);

}  // namespace tessaly::io
