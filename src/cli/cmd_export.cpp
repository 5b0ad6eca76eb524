// tessaly-cli export: "保存所有数据到Excel" on a division file: the all-data
// workbook (.xlsx), written safely; optionally the clipboard's text after
// the export.

#include <optional>
#include <string>

#include "cli/cli_clipboard.h"
#include "cli/cli_files.h"
#include "cli/commands.h"
#include "io/export/workbook_export.h"
#include "platform/encoding.h"

namespace tessaly::cli {

int RunExport(Args& args) {
  const auto out = args.Option("-o");
  const auto cls = args.Option("--class");
  const auto clipboard_path = args.Option("--clipboard");
  const auto files = args.Positional();
  if (files.size() != 1) throw UsageError{"give one division file to export"};
  if (!out || out->empty()) throw UsageError{"give the workbook to write with -o OUT.xlsx"};
  std::optional<std::string> chosen;
  if (cls) chosen = std::to_string(ParseIntArg("--class", *cls)) + " 班"_gb;

  model::ProgramState state = LoadStateOrFail(files[0]);
  TerminalUser user;
  std::string text;
  if (auto error = io::exports::ExportWorkbook(state, user, *out, chosen, &text)) {
    throw CommandFailed(enc::ToUtf8(*error));
  }
  if (clipboard_path) FileClipboard(*clipboard_path).SetText(text);
  return 0;
}

}  // namespace tessaly::cli
