// tessaly-cli info: what a division file holds.

#include <cstdio>
#include <string>

#include "cli/cli_files.h"
#include "cli/commands.h"

namespace tessaly::cli {
namespace {

void PrintList(const char* name, const model::RuleList& rows) {
  std::printf("%s (%zu)\n", name, rows.size());
  for (const std::string& row : rows) PrintUtf8(stdout, "  " + row + "\n");
}

}  // namespace

int RunInfo(Args& args) {
  const std::vector<std::string> files = args.Positional();
  if (files.size() != 1) throw UsageError{"give one division file"};
  const model::ProgramState state = LoadStateOrFail(files[0]);

  std::printf("mode: %s\n", state.CombineMode ? "combine" : "single table");
  std::printf("expected tables: %d\n", state.ExpectedSetCount);
  std::printf("division started: %s\n", state.DivisionStarted ? "yes" : "no");
  std::printf("next slot: %d\n", state.NextSetSlot);
  std::printf("slots: %zu\n", state.ImportedSets.size());
  for (std::size_t n = 0; n < state.ImportedSets.size(); ++n) {
    const model::Student_F& t = state.ImportedSets[n];
    std::printf("  slot %zu: ", n);
    PrintUtf8(stdout, t.TableName.empty() ? std::string("(empty)") : t.TableName);
    std::printf("  weight %d  %s  students %d\n", t.WeightPercent,
                t.IsMainTable ? "main" : "reference", t.StudentCount);
  }
  std::printf("range sets: %zu\n", state.RangeSets.size());
  for (std::size_t n = 0; n < state.RangeSets.size(); ++n) {
    std::printf("  range set %zu: students %d\n", n, state.RangeSets[n].StudentCount);
  }
  PrintList("ClassRangeRows", state.ClassRangeRows);
  PrintList("BandConditionRows", state.BandConditionRows);
  PrintList("BalanceItemRows", state.BalanceItemRows);
  PrintList("InitialSoundPairs", state.InitialSoundPairs);
  PrintList("FinalSoundPairs", state.FinalSoundPairs);
  PrintList("CountConditionRows", state.CountConditionRows);
  return 0;
}

}  // namespace tessaly::cli
