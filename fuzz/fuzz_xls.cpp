// Fuzz target: the whole .xls import path, from the file's bytes through the
// container and record checks and the reader of the cell records to the
// rows of an imported table.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sheet_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tessaly;
  workbook::ReadLimits limits;
  limits.max_rows = 2000;
  limits.max_cell_text_bytes = 1 << 20;
  fuzzing::ImportSheet(
      workbook::ReadXlsBytes(std::string_view(reinterpret_cast<const char*>(data), size), limits));
  return 0;
}
