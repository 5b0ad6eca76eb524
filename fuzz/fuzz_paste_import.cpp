// Fuzz target: pasted table text through the import command, in single-table
// and combine mode. An accepted table must hold the invariants of a score
// table and be saved as a division file that opens to the same tables; a
// rejected one must leave the state as it was.

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_set>

#include "import/import_commands.h"
#include "import/table_list.h"
#include "io/division_file.h"
#include "model/silent_user.h"
#include "model/text_fields.h"
#include "platform/encoding.h"

namespace {

using namespace tessaly;

// Answers yes and traps on an empty error list or a progress value out of range.
class QuietUser : public model::SilentUser {
 public:
  QuietUser() : SilentUser(true) {}
  void ShowImportErrors(const std::vector<std::string>& lines) override {
    if (lines.empty()) __builtin_trap();
  }
  void ProgressSet(int v) override {
    if (v < 0 || v > 100) __builtin_trap();
  }
};

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

void CheckTable(const model::Student_F& t) {
  Check(t.StudentCount == static_cast<std::int32_t>(t.Students.size()));
  std::unordered_set<std::string> numbers;
  for (const model::student& s : t.Students) {
    Check(!s.Number.empty() && s.Number.size() <= model::kNumberBytes);
    Check(!s.Name.empty() && s.Name.size() <= model::kNameBytes);
    Check(s.Gender.size() == 2);
    Check(numbers.insert(model::ToUpperLatin(s.Number)).second);
    Check(s.Scores.size() == t.Headings.SubjectHeadings.size());
    Check(s.BalanceValues.size() == t.Headings.BalanceHeadings.size());
    Check(s.ExtraValues.size() == t.Headings.ExtraHeadings.size());
    Check(s.Rank >= 1 && s.Rank <= t.StudentCount);
  }
}

void Run(std::string_view text, int count) {
  QuietUser user;
  model::ProgramState state;
  model::ImportPage page;
  import::StartNewDivision(state, page, user);
  import::NewDivisionDialog dialog;
  if (count > 1) {
    dialog.SetCombine(true);
    dialog.SetCount(count);
  } else {
    dialog.SetSingle(true);
  }
  dialog.Accept(state, user);
  auto now = [] { return std::string("08:00:00"); };
  // A first table, so the second import meets a filled slot.
  import::PasteImport(state, page, user, "学号\t姓名\t性别\r\n1\t甲\t男\r\n"_gb, "", now);
  const model::ProgramState before = state;
  import::ImportOutcome outcome = import::PasteImport(state, page, user, text, "T", now);
  if (outcome == import::ImportOutcome::kImported) {
    for (const model::Student_F& t : state.ImportedSets) CheckTable(t);
    // Whatever was imported is saved as a file that opens to the same tables.
    io::DivisionRead read = io::ReadDivisionText(io::WriteDivisionText(state), {});
    Check(read.ok);
    Check(read.state.ImportedSets.size() == state.ImportedSets.size());
    for (std::size_t i = 0; i < state.ImportedSets.size(); ++i) {
      Check(read.state.ImportedSets[i].Students == state.ImportedSets[i].Students);
      Check(read.state.ImportedSets[i].TableName == state.ImportedSets[i].TableName);
    }
  } else {
    Check(state == before);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string text = enc::FromOutside(bytes);
  Run(text, 1);
  Run(text, 2);
  return 0;
}
