#include "cli/table_views.h"

namespace tessaly::cli {

const std::vector<TableView>& AllTableViews() {
  static const std::vector<TableView> views = {
      {"samenames", "namesakes per range and the classes they are in", SameNamesView},
  };
  return views;
}

}  // namespace tessaly::cli
