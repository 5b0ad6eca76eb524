#pragma once
// The subcommands of tessaly-cli. Each lives in its own file.

#include "cli/cli.h"

namespace tessaly::cli {

// pinyin: the pinyin or sound key of texts (cmd_pinyin.cpp).
int RunPinyin(Args& args);

// info, table, resave: a division file's contents, its tables as table text,
// read and written back (cmd_info.cpp, cmd_table.cpp, cmd_resave.cpp).
int RunInfo(Args& args);
int RunTable(Args& args);
int RunResave(Args& args);

// import: a new division from score tables, written as a division file
// (cmd_import.cpp).
int RunImport(Args& args);

// rules: sets the rule lists of a division file (cmd_rules.cpp).
int RunRules(Args& args);

// divide, balance, transfer: the division command, the two average
// balancings and the manual move of a student (cmd_divide.cpp,
// cmd_balance.cpp, cmd_transfer.cpp).
int RunDivide(Args& args);
int RunBalance(Args& args);
int RunTransfer(Args& args);

// optimise, batch, query: the optimiser, the batch transfer and the query
// of the query and adjust page (cmd_optimise.cpp, cmd_batch.cpp,
// cmd_query.cpp).
int RunOptimise(Args& args);
int RunBatch(Args& args);
int RunQuery(Args& args);
// export: the all-data workbook of a division file (cmd_export.cpp).
int RunExport(Args& args);
// optimise --deep: the deep optimiser, a self-contained mode of the
// optimise command (cmd_deep.cpp).
int RunDeepOptimise(Args& args);

// versions: the versions kept in a division file (cmd_versions.cpp).
int RunVersions(Args& args);

// print: the printed class lists as a PDF (cmd_print.cpp).
int RunPrint(Args& args);

// The table of subcommands, in the order `tessaly-cli --help` lists them.
const std::vector<Command>& AllCommands();

}  // namespace tessaly::cli
