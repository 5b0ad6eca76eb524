#pragma once
// Helpers of the import tests: tables written as UTF-8 rows of tab-separated
// cells, a started division, and a fixed time of day.

#include <string>
#include <vector>

#include "import/import_commands.h"
#include "import/table_list.h"
#include "model/import_page.h"
#include "model/program_state.h"
#include "platform/encoding.h"
#include "support/fake_user.h"

namespace tessaly::testing {

// Rows of cells (UTF-8) as pasted text in code page 936: tabs between cells,
// CR LF after every row, as a spreadsheet puts it on the clipboard.
inline std::string Pasted(const std::vector<std::string>& rows) {
  std::string text;
  for (const auto& r : rows) text += r + "\r\n";
  return enc::FromUtf8(text);
}

inline std::string FixedTime() {
  return "14:05:33";
}

inline std::string U8(const std::string& cp936) {
  return enc::ToUtf8(cp936);
}

// A program state with a division started in single-table mode (count 1) or
// combine mode (count >= 2).
struct Desk {
  model::ProgramState state;
  model::ImportPage page;
  FakeUser user;

  explicit Desk(int count = 1) {
    import::StartNewDivision(state, page, user);
    import::NewDivisionDialog dialog;
    if (count >= 2) {
      dialog.SetCombine(true);
      dialog.SetCount(count);
    } else {
      dialog.SetSingle(true);
    }
    dialog.Accept(state, user);
    user.calls.clear();
  }

  import::ImportOutcome Paste(const std::vector<std::string>& rows, const std::string& name = ""){
      return import::PasteImport(state, page, user, Pasted(rows), enc::FromUtf8(name), FixedTime);
}
};  // namespace tessaly::testing

}  // namespace tessaly::testing
