#include "cli/table_views.h"

namespace tessaly::cli {

const std::vector<TableView>& AllTableViews() {
  static const std::vector<TableView> views = {
      {"samenames", "namesakes per range and the classes they are in", SameNamesView},
      {"averages", "class and range averages and their gaps, per range", AveragesView},
      {"evenness", "highest and lowest class value of every balanced measure, per range",
       EvennessView},
      {"roster", "class roster ([--class K]: one class), by class and total", RosterView},
      {"counts", "headcount statistics per range: genders, rank bands, values, conditions",
       CountsView},
      {"all", "roster ([--class K]), averages, same names and statistics, as copied", nullptr,
       AllDataView},
  };
  return views;
}

}  // namespace tessaly::cli
