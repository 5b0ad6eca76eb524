// Fuzz target: .csv bytes (UTF-8, UTF-16 or GB18030, commas or tabs, quoted
// cells) through the reader and the rows of an imported table.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sheet_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tessaly;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  fuzzing::ImportSheet(workbook::ReadCsv(bytes));
  return 0;
}
