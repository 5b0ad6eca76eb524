#pragma once
// The records of a .xls workbook stream (BIFF5: Excel 5.0 and 95, BIFF8:
// Excel 97 and later), as the record checks and the cell reader both walk
// them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/workbook/compound_file.h"

namespace tessaly::workbook::biff {

constexpr std::uint32_t kBof = 0x0809;
constexpr std::uint32_t kEof = 0x000A;
constexpr std::uint32_t kContinue = 0x003C;
constexpr std::uint32_t kSst = 0x00FC;
constexpr std::uint32_t kBoundSheet = 0x0085;
constexpr std::uint32_t kFilePass = 0x002F;

// The beginning of a substream in any file version (BIFF2 to BIFF8).
inline bool IsBof(std::uint32_t type) {
  return type == 0x0809 || type == 0x0409 || type == 0x0209 || type == 0x0009;
}

// Calls f(type, data, at) for the records from `at` on, as long as their
// headers fit the stream and f returns true; a record's data is cut at the
// stream's end.
template <typename F>
void ForEachRecord(std::string_view stream, std::size_t at, F&& f) {
  while (at + 4 <= stream.size()) {
    const std::uint32_t type = U16(stream, at);
    const std::uint32_t len = U16(stream, at + 2);
    const std::string_view data =
        stream.substr(at + 4, std::min<std::size_t>(len, stream.size() - at - 4));
    if (!f(type, data, at)) return;
    at += 4 + len;
  }
}

// The name of the workbook stream of a compound document: "Workbook"
// (Excel 97 and later) or "Book" (Excel 5.0 and 95), whatever their case.
// None when it has neither.
std::optional<std::string> WorkbookStreamName(const CompoundFile& cf);

// The file version of a workbook stream, from its first record: 8 for
// BIFF8, 5 for BIFF5 (Excel 5.0 and 95), 2 to 4 for the versions before,
// 0 when the stream does not begin with a BOF record.
int Version(std::string_view book);

// Walks the shared-string table (SST and its CONTINUE records): the
// characters of a string may go on in the next record, which then starts
// with a new option byte; formatting runs and phonetic data may go on as
// they are. Appends each string (code page 936) to `out` when given. The
// count of strings, which may be fewer than the table says when its records
// end after a whole string (some writers count wrong); none when a string
// runs past the last record or bytes remain after the counted strings.
std::optional<std::size_t> ReadSharedStrings(const std::vector<std::string_view>& parts,
                                             std::vector<std::string>* out);

// UTF-16 code units (unpaired surrogates as U+FFFD) as code page 936 text.
std::string FromUtf16(const std::vector<std::uint16_t>& units);

// Text of one byte per character in a workbook's code page (the CODEPAGE
// record of BIFF5 files: 936, 1252, 950, ...) as code page 936 text.
std::string FromCodePage(std::string_view bytes, unsigned code_page);

// A string of BIFF8 (character count of `count_bytes` bytes, option byte,
// then characters of one or two bytes) or BIFF5 (count, then bytes in the
// code page) at `at` of a record; the text is cut where the record ends.
std::string RecordString(std::string_view data, std::size_t at, std::size_t count_bytes, bool biff8,
                         unsigned code_page);

// Why a .xls file cannot be read (code page 936), in the order a teacher
// should learn it: not a workbook, a damaged container, a file version
// before Excel 5.0, a password, damaged records. None when it can be read.
std::optional<std::string> Refusal(std::string_view file_bytes);

// The password Excel encrypts a workbook with when it protects only the
// workbook's structure or windows; it opens such a file without asking.
constexpr std::string_view kDefaultPassword = "VelvetSweatshop";

// The workbook stream with its records readable: as it is when it is not
// encrypted (no FILEPASS record), decrypted when it is encrypted by RC4
// (keys from MD5, or from SHA-1 by the CryptoAPI method) with `password`.
// None when it is encrypted by another method or with another password.
std::optional<std::string> PlainStream(std::string book,
                                       std::string_view password = kDefaultPassword);

// The refusals of a protected workbook and of an old file version (2 to 4).
std::string PasswordProtected();
std::string OldVersion(int version);

}  // namespace tessaly::workbook::biff
