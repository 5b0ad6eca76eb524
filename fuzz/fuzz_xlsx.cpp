// Fuzz target: the .xlsx reader, on raw archives and on archives built from
// the input's parts (so that the XML readers see mutated XML, not mutated
// compressed bytes), followed by the shared reading of the sheet's rows.

#include <zip.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "sheet_import.h"

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
  fuzzing::ImportSheet(workbook::ReadXlsx(bytes, limits));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // An archive goes to the reader as it is, so that the seed workbooks and
  // their mutations reach the XML readers through libzip; anything else is
  // taken as the parts of an archive built here.
  if (bytes.substr(0, 4) == std::string_view("PK\x03\x04", 4)) {
    ReadAndImport(bytes);
  } else {
    ReadAndImport(ZipOfParts(bytes));
  }
  return 0;
}
