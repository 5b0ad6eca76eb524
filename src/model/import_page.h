#pragma once
// What the page "分班数据导入" shows besides the program state: the list of
// imported tables and the score-table view. Imports, the table list, the
// clear command and opening a division file change it; the desktop program
// renders it.

#include <string>
#include <vector>

#include "model/grid.h"

namespace tessaly::model {

struct ImportPage {
  // The table list bsSkinListBox1: one table name per line.
  std::vector<std::string> TableList;
  // The score-table view bsSkinStringGrid1 (ShowTable's grid; empty when
  // cleared).
  Grid ScoreView;

  bool operator==(const ImportPage&) const = default;
};

}  // namespace tessaly::model
