#pragma once
// Table text: a grid as text, every cell followed by a tab, lines joined by
// carriage return and line feed. What the clipboard copy and the command
// line print.

#include <string>

#include "model/grid.h"

namespace tessaly::io {

// Every row of the grid padded to the grid's column count; each cell is
// followed by a tab, each line but the last by CR LF.
std::string TableText(const model::Grid& grid);

}  // namespace tessaly::io
