#pragma once
// The division file (*.fb): the imported tables, the working sets of a
// division, the rule lists and the import mode, as percent-encoded text lines
// joined by CR LF.
//
// Layout after decoding, in this order (a section is a begin-marker line, its
// content lines and an end-marker line; sections with no content are left
// out, the mode section is always written):
//   JiaoYan_begin .. _end             line count and checksum of the rest
//                                     (io/division_check.h)
//   YuanShiInf<n>_begin .. _end       table of ImportedSets slot n (n
//                                     ascending, slots with students only)
//   YuanShiInf_tiqu<n>_begin .. _end  range set n of RangeSets (every set,
//                                     empty ones included)
//   RenShuQuanZhi  BalanceItemRows    Mohu_yunmu    FinalSoundPairs
//   Mohu_shengmu   InitialSoundPairs  FengBanLeixin ClassRangeRows
//   TJTiaoJian     CountConditionRows FenShuDuan    BandConditionRows
//   FenBanYueShu   GroupRows
//   ShuJu          the mode line "1|N|" (combine) or "0|N|" (single table)
// Markers are found as whole lines ignoring the case of Latin letters; the
// first such line counts.
//
// Texts are code page 936. File paths are file-system paths as the operating
// system takes them.

#include <optional>
#include <string>
#include <string_view>

#include "model/program_state.h"

namespace tessaly::io {

// The stored form of one line: digits and Latin letters as they are, the
// space as "+", every other byte as "%" and two upper-case hex digits.
std::string EncodeLine(std::string_view cp936_line);

// The line a stored line stands for: "+" is a space, "%" and two hex digits
// (either case) are that byte. A line with a "%" not followed by two hex
// digits cannot be decoded and is returned as stored.
std::string DecodeLine(std::string_view stored_line);

// The whole file's bytes for a state (the check section, then the tables,
// range sets, rule lists and mode line), every line followed by CR LF.
std::string WriteDivisionText(const model::ProgramState& state);

// The outcome of reading a division file. When `ok` is false, `error` says
// what is wrong (code page 936) and `state` is not to be used;
// `not_division_file` tells bytes that are no division file at all (not
// stored text, or without a single section of the format) from a damaged one.
struct DivisionRead {
  bool ok = false;
  bool not_division_file = false;
  std::string error;
  model::ProgramState state;
};

// Reads file bytes on top of `current`: the tables, range sets and the seven
// rule lists are replaced by the file's (empty when absent), SameNameRows is
// emptied, the mode and DivisionStarted come from the mode section (without
// one DivisionStarted becomes false and the mode keeps current's value), and
// NextSetSlot is recomputed. Every numbered section present is restored into
// the slot of its number. A file that begins with a check section is read
// only when the check holds. Control bytes other than tab and line breaks,
// or a file without any section of the format, are no division file
// (ok = false, not_division_file = true). A damaged file (a missing end marker, a student
// line whose numbers are not numbers, a number that cannot be written back,
// a count that does not match the lines) gives ok = false.
DivisionRead ReadDivisionText(std::string_view bytes, const model::ProgramState& current);

// Writes the file for a state in one step (see ReplaceFile in io/safe_save.h:
// links are followed, mode and owner kept, no temporary file left), so a
// failed save leaves an earlier file intact. Returns an error message (code
// page 936) on failure; it says that the earlier file is unchanged only when
// there was one.
std::optional<std::string> SaveDivisionFile(const model::ProgramState& state,
                                            const std::string& path);

// Reads a division file on top of `current` (see ReadDivisionText); the
// error of a file that cannot be read or is damaged names the file.
DivisionRead LoadDivisionFile(const std::string& path, const model::ProgramState& current);

}  // namespace tessaly::io

// The two buttons that save and open a division file.
#include "io/division_commands.h"  // IWYU pragma: export
