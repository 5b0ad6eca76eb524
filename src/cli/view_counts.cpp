// The "counts" view of `tessaly-cli table`: the headcount statistics page
// prepared from the division file (headcount conditions seeded from the band
// conditions while there are none), then "开始统计".

#include "cli/table_views.h"
#include "stats/headcount_page.h"

namespace tessaly::cli {

model::Grid CountsView(const model::ProgramState& state, Args& args) {
  (void)args;
  // The statistics re-rank the range sets; the file is not written back.
  model::ProgramState copy = state;
  return stats::HeadcountStatisticsOf(copy);
}

}  // namespace tessaly::cli
