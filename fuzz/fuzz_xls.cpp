// Fuzz target: the whole .xls import path, from the file's bytes through the
// container and record checks, the cell library (FreeXL) and the formula
// values read here, to the rows of an imported table.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "sheet_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tessaly;
  // The cell library opens files by name: the bytes go into a file in
  // memory, named through /proc.
  static const int fd = ::memfd_create("fuzz.xls", 0);
  if (fd < 0) __builtin_trap();
  if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) {
    __builtin_trap();
  }
  const std::string path = "/proc/self/fd/" + std::to_string(fd);
  workbook::ReadLimits limits;
  limits.max_rows = 2000;
  fuzzing::ImportSheet(workbook::ReadXls(path, limits));
  return 0;
}
