// Reads workbook files as the import does and prints one line per file:
// the path, "read" with the sheet's size and a fingerprint of its cells, or
// "refused" with the first line of the reason (UTF-8). Used to measure the
// readers on collections of real spreadsheet files:
//
//   tessaly-workbook-survey FILE...
//
// tools/workbook_survey/survey.sh runs it on a folder, one file per run
// under a time and memory bound, and counts the outcomes.

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/encoding.h"
#include "platform/workbook/workbook_reader.h"

int main(int argc, char** argv) {
  using namespace tessaly;
  for (int i = 1; i < argc; ++i) {
    const workbook::ReadResult r = workbook::ReadWorkbook(argv[i]);
    if (!r.sheet) {
      std::string reason = enc::ToUtf8(r.error);
      if (std::size_t nl = reason.find('\n'); nl != std::string::npos) reason.resize(nl);
      std::printf("%s\trefused\t%s\n", argv[i], reason.c_str());
      continue;
    }
    // FNV-1a over every filled cell with its place, so two readers that give
    // the same cells give the same fingerprint.
    std::uint64_t hash = 1469598103934665603ull;
    std::size_t cells = 0;
    auto mix = [&](const std::string& bytes) {
      for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
    };
    for (std::size_t row = 0; row < r.sheet->rows.size(); ++row) {
      for (std::size_t col = 0; col < r.sheet->rows[row].size(); ++col) {
        const std::string& cell = r.sheet->rows[row][col];
        if (cell.empty()) continue;
        ++cells;
        mix(std::to_string(row) + ":" + std::to_string(col) + "=" + cell + ";");
      }
    }
    std::printf("%s\tread\t%zu rows, %zu cells, %016llx\n", argv[i], r.sheet->rows.size(), cells,
                static_cast<unsigned long long>(hash));
  }
  return 0;
}
