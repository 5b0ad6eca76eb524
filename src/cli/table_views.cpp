#include "cli/table_views.h"

namespace tessaly::cli {

const std::vector<TableView>& AllTableViews() {
  static const std::vector<TableView> views = {
  };
  return views;
}

}  // namespace tessaly::cli
