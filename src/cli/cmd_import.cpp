// tessaly-cli import: starts a new division, imports score tables from
// pasted table text (.txt, .tsv) and workbooks (.xlsx, .xls, .csv), and
// writes the division file. A table in the teacher's own words (no KEMU
// heading) gets the proposed roles, or those the options give; stderr says
// what was read.

#include <filesystem>
#include <fstream>
#include <iterator>

#include "cli/cli_files.h"
#include "cli/commands.h"
#include "import/import_commands.h"
#include "import/table_list.h"
#include "model/text_fields.h"
#include "platform/encoding.h"
#include "platform/paths.h"

namespace tessaly::cli {
namespace {

bool IsPastedText(const std::string& path) {
  std::string ext = platform::PathOf(path).extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".txt" || ext == ".tsv";
}

std::string ReadFileOrFail(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(platform::PathOf(path), ec)) {
    throw CommandFailed("cannot read " + path + ": it is a folder, not a file");
  }
  if (!std::filesystem::is_regular_file(platform::PathOf(path), ec)) {
    throw CommandFailed("cannot read " + path + ": no such file");
  }
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) throw CommandFailed("cannot read " + path);
  return bytes;
}

// "K=P" of --weight.
std::pair<int, int> ParseWeight(const std::string& value) {
  std::size_t eq = value.find('=');
  if (eq == std::string::npos) throw UsageError{"--weight needs K=P, not '" + value + "'"};
  return {ParseIntArg("--weight", value.substr(0, eq)),
          ParseIntArg("--weight", value.substr(eq + 1))};
}

// "A,B,C" (commas ASCII or full-width) as names in code page 936.
std::vector<std::string> NameList(const std::string& option, const std::string& utf8) {
  std::string text = enc::FromUtf8(utf8);
  text = model::ReplaceAll(text, "，"_gb, ",");
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    std::string name = model::RemoveSpaces(text.substr(start, comma - start));
    if (!name.empty()) names.push_back(name);
    start = comma + 1;
  }
  if (names.empty()) throw UsageError{option + " needs column names, as " + option + " A,B"};
  return names;
}

// One or two lines on stderr: the rows left out, and the roles a table in
// the teacher's own words was read with.
void PrintSummary(const std::string& file, const import::ImportSummary& s) {
  const std::string name = enc::FromOutside(file);
  std::string text;
  if (!s.skipped_rows.empty()) text += s.skipped_rows + "；"_gb;
  if (!s.sheet_name.empty()) text += "工作表“"_gb + s.sheet_name + "”；"_gb;
  if (s.own_words) {
    auto joined = [](const std::vector<std::string>& items) {
      std::string out;
      for (const std::string& i : items) out += (out.empty() ? "" : "、"_gb) + i;
      return out.empty() ? "无"_gb : out;
    };
    text += "科目："_gb + joined(s.subjects) + "；平衡列："_gb + joined(s.balances);
    if (!s.balance_candidates.empty()) {
      text += "\n" + name + "：可作平衡列："_gb + joined(s.balance_candidates) +
              "（用 --balance 指定后才作平衡列）"_gb;
    }
  } else if (s.skipped_rows.empty()) {
    return;
  }
  PrintUtf8(stderr, name + "："_gb + text + "\n");
}

}  // namespace

int RunImport(Args& args) {
  const std::optional<std::string> combine = args.Option("--combine");
  const std::vector<std::string> names = args.Options("--name");
  const std::optional<std::string> main_table = args.Option("--main");
  const std::vector<std::string> weights = args.Options("--weight");
  const std::optional<std::string> time = args.Option("--time");
  const std::optional<std::string> out = args.Option("-o");
  const bool yes = args.Flag("--yes");
  const std::optional<std::string> sheet = args.Option("--sheet");
  const std::optional<std::string> heading_row = args.Option("--heading-row");
  const std::optional<std::string> subjects = args.Option("--subjects");
  const std::optional<std::string> balance = args.Option("--balance");
  const bool as_is = args.Flag("--as-is");
  const std::vector<std::string> files = args.Positional();

  import::ImportSetup setup;
  if (sheet) setup.sheet = enc::FromUtf8(*sheet);
  if (heading_row) {
    setup.heading_row = ParseIntArg("--heading-row", *heading_row);
    if (setup.heading_row < 1) throw UsageError{"--heading-row needs a row number from 1"};
  }
  if (subjects) setup.subjects = NameList("--subjects", *subjects);
  if (balance) setup.balances = NameList("--balance", *balance);
  setup.as_is = as_is;
  if (as_is && (sheet || heading_row || subjects || balance)) {
    throw UsageError{
        "--as-is reads the headings as written: no --sheet, --heading-row, "
        "--subjects or --balance with it"};
  }
  import::ImportSummary summary;
  setup.summary = &summary;

  if (files.empty()) throw UsageError{"give at least one file to import"};
  if (!out) throw UsageError{"give the division file to write with -o OUT.fb"};
  int count = 1;
  if (combine) {
    count = ParseIntArg("--combine", *combine);
    if (count < import::NewDivisionDialog::kMinCount ||
        count > import::NewDivisionDialog::kMaxCount) {
      throw UsageError{"--combine needs a number of tables from 2 to 20"};
    }
  } else if (files.size() > 1) {
    throw UsageError{"several files need --combine N"};
  }
  if (names.size() > files.size()) throw UsageError{"more --name values than files"};
  // The division file must not replace a table it is made from.
  for (const std::string& file : files) {
    std::error_code ec;
    if (file == *out ||
        std::filesystem::equivalent(platform::PathOf(file), platform::PathOf(*out), ec)) {
      throw CommandFailed(*out + " is one of the files to import: give another file to write");
    }
  }
  if (!combine && (main_table || !weights.empty())) {
    throw UsageError{"--main and --weight need --combine N"};
  }
  const import::TimeOfDay now = time ? import::TimeOfDay([t = *time] { return t; })
                                     : import::TimeOfDay(import::SystemTimeOfDay);

  TerminalUser user(yes);
  model::ProgramState state;
  model::ImportPage page;
  import::StartNewDivision(state, page, user);
  import::NewDivisionDialog dialog;
  if (combine) {
    dialog.SetCombine(true);
    dialog.SetCount(count);
  } else {
    dialog.SetSingle(true);
  }
  dialog.Accept(state, user);

  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string& file = files[i];
    const std::string name = i < names.size() ? enc::FromUtf8(names[i]) : std::string();
    import::ImportOutcome outcome;
    if (IsPastedText(file)) {
      const std::string text = enc::FromOutside(ReadFileOrFail(file));
      outcome = import::PasteImport(state, page, user, text, name, now, setup);
      if (outcome == import::ImportOutcome::kStopped && !user.failed()) {
        throw CommandFailed(file + ": nothing to import (a heading line and student lines needed)");
      }
    } else {
      ReadFileOrFail(file);  // a missing file is an error here, not a silent stop
      outcome = import::WorkbookImportFile(state, page, user, file, name, now, setup);
    }
    if (outcome != import::ImportOutcome::kImported) {
      std::fprintf(stderr, "tessaly-cli import: %s was not imported\n", file.c_str());
      return 1;
    }
    PrintSummary(file, summary);
  }

  auto slot_of = [&](int k, const char* option) {
    if (k < 1 || k > count || k >= static_cast<int>(state.ImportedSets.size()) ||
        state.ImportedSets[k].Students.empty()) {
      throw UsageError{std::string(option) + " names table " + std::to_string(k) +
                       ", which was not imported"};
    }
    return static_cast<std::size_t>(k);
  };
  if (main_table) {
    std::size_t k = slot_of(ParseIntArg("--main", *main_table), "--main");
    for (std::size_t j = 1; j < state.ImportedSets.size(); ++j) {
      state.ImportedSets[j].IsMainTable = j == k;
    }
  }
  for (const std::string& w : weights) {
    auto [k, percent] = ParseWeight(w);
    if (percent < 0 || percent > 100) throw UsageError{"--weight needs a percent from 0 to 100"};
    state.ImportedSets[slot_of(k, "--weight")].WeightPercent = percent;
  }
  SaveStateOrFail(state, *out);
  return 0;
}

}  // namespace tessaly::cli
