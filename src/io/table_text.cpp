#include "io/table_text.h"

namespace tessaly::io {

std::string TableText(const model::Grid& grid) {
  const std::size_t columns = grid.ColumnCount();
  std::string out;
  for (std::size_t r = 0; r < grid.RowCount(); ++r) {
    if (r > 0) out += "\r\n";
    for (std::size_t c = 0; c < columns; ++c) {
      out += grid.Cell(r, c);
      out += '\t';
    }
  }
  return out;
}

}  // namespace tessaly::io
