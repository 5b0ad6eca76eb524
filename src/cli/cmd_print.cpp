// tessaly-cli print: the printed class lists of a division file as a PDF:
// a page or more per class and the summary of every class's averages.

#include <algorithm>
#include <cstring>
#include <string>

#include "cli/cli_files.h"
#include "cli/commands.h"
#include "io/safe_save.h"
#include "platform/encoding.h"
#if TESSALY_PDF
#include "platform/pdf/pdf_writer.h"
#endif
#include "stats/class_lists.h"

namespace tessaly::cli {

int RunPrint(Args& args) {
  const auto out = args.Option("-o");
  const auto cls = args.Option("--class");
  const std::vector<std::string> columns = args.Options("--column");
  const bool no_summary = args.Flag("--no-summary");
  const auto files = args.Positional();
  if (files.size() != 1) throw UsageError{"give one division file to print"};
  if (!out || out->empty()) throw UsageError{"give the PDF file to write with -o LISTS.pdf"};

  const model::ProgramState state = LoadStateOrFail(files[0]);
  stats::ClassListOptions options;
  if (cls) options.only_class = ParseIntArg("--class", *cls);
  const std::vector<std::string> known = stats::OptionalListColumns(state);
  for (const std::string& c : columns) {
    const std::string heading = enc::FromUtf8(c);
    if (std::find(known.begin(), known.end(), heading) == known.end()) {
      std::string names;
      for (const std::string& k : known) names += (names.empty() ? "" : ", ") + enc::ToUtf8(k);
      throw UsageError{"unknown column '" + c + "' (columns: " + names + ")"};
    }
    options.columns.push_back(heading);
  }
  const std::vector<stats::ClassList> lists = stats::BuildClassLists(state, options);
  if (lists.empty()) {
    throw CommandFailed(options.only_class >= 0
                            ? "the division has no class " + std::to_string(options.only_class)
                            : std::string("the division has no placed students: divide it first"));
  }
  const model::Grid summary =
      no_summary || options.only_class >= 0 ? model::Grid{} : stats::ClassAveragesSummary(state);
  const auto pages = stats::LayOutClassLists(lists, summary);
#if TESSALY_PDF
  const platform::PdfResult pdf = platform::RenderPdf(pages, "分班名单"_gb);
  if (pdf.error) throw CommandFailed(enc::ToUtf8(*pdf.error));
  const io::SaveOutcome saved = io::ReplaceFile(*out, pdf.bytes);
  if (saved.error != 0) {
    throw CommandFailed("cannot write " + *out + ": " + std::strerror(saved.error));
  }
  return 0;
#else
  // Built without the PDF writer (the Windows build): the desktop program
  // prints the same lists.
  (void)pages;
  throw CommandFailed("此版本不能打印分班名单：命令行不含PDF打印，请在桌面程序中打印。");
#endif
}

}  // namespace tessaly::cli
