// Fuzz target: the .xlsx reader, on raw archives and on archives built from
// the input's parts (so that the XML readers see mutated XML, not mutated
// compressed bytes), followed by the shared reading of the sheet's rows; and
// the compound-document and record reading of .xls files.

#include <zip.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "import/table_reader.h"
#include "import/table_rows.h"
#include "platform/workbook/workbook_reader.h"

namespace {

using namespace tessaly;

// Parts separated by a NUL byte: workbook, relationships, shared strings,
// sheet 1, sheet 2, stored without compression.
std::string ZipOfParts(std::string_view input) {
  static const char* const kNames[] = {"xl/workbook.xml", "xl/_rels/workbook.xml.rels",
                                       "xl/sharedStrings.xml", "xl/worksheets/sheet1.xml",
                                       "xl/worksheets/sheet2.xml"};
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (parts.size() < 5) {
    std::size_t end = input.find('\0', start);
    parts.emplace_back(input.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  zip_error_t err;
  zip_error_init(&err);
  zip_source_t* src = zip_source_buffer_create(nullptr, 0, 0, &err);
  zip_source_keep(src);
  zip_t* z = zip_open_from_source(src, ZIP_TRUNCATE, &err);
  std::string out;
  if (z) {
    for (std::size_t i = 0; i < parts.size(); ++i) {
      zip_source_t* part = zip_source_buffer(z, parts[i].data(), parts[i].size(), 0);
      zip_int64_t index = zip_file_add(z, kNames[i], part, ZIP_FL_OVERWRITE);
      if (index >= 0)
        zip_set_file_compression(z, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    }
    zip_close(z);
    if (zip_source_open(src) == 0) {
      zip_source_seek(src, 0, SEEK_END);
      zip_int64_t size = zip_source_tell(src);
      zip_source_seek(src, 0, SEEK_SET);
      out.resize(static_cast<std::size_t>(size > 0 ? size : 0));
      zip_source_read(src, out.data(), out.size());
      zip_source_close(src);
    }
  }
  zip_source_free(src);
  zip_error_fini(&err);
  return out;
}

void ReadAndImport(std::string_view bytes) {
  workbook::ReadLimits limits;
  limits.max_unpacked_bytes = 8 << 20;
  workbook::ReadResult r = workbook::ReadXlsx(bytes, limits);
  if (!r.sheet) {
    if (r.error.empty()) __builtin_trap();
    return;
  }
  import::ColumnRoles roles = import::AssignColumnRoles(import::SheetHeadings(*r.sheet));
  if (!roles.HasRequiredColumns()) return;
  import::TableRows rows = import::RowsFromSheet(*r.sheet, roles.name);
  import::ReadOptions options;
  import::ReadOutcome out = import::ReadStudents(rows, roles, options);
  if (out.errors.empty() && out.table.StudentCount != static_cast<int>(out.table.Students.size())) {
    __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 3) {
    case 0:
      ReadAndImport(bytes);
      break;
    case 1:
      ReadAndImport(ZipOfParts(bytes));
      break;
    default: {
      std::size_t active = workbook::XlsActiveSheet(bytes);
      for (const auto& cell : workbook::XlsFormulaCells(bytes, active)) {
        if (cell.row == 0 || cell.column == 0) __builtin_trap();
      }
      break;
    }
  }
  return 0;
}
