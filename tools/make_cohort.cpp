// tessaly-make-cohort: writes a division file with a generated sample cohort.

#include <cstdio>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>

#include "cohort/cohort.h"
#include "io/division_file.h"
#include "platform/encoding.h"

namespace {

const char kUsage[] =
    "usage: tessaly-make-cohort [--students N] [--ranges R] [--classes C[,C...]] [--seed S]\n"
    "                           [--bands B] -o FILE.fb\n"
    "N students (default 1500) in R class ranges (default 3); C classes per range, a list\n"
    "cycled over the ranges (default 2,6,8); B band conditions per range (default 6).\n"
    "The same options and seed give the same file.\n";

long Whole(const char* name, const std::string& text, long min) {
  std::size_t used = 0;
  long v = 0;
  try {
    v = std::stol(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size() || v < min) {
    throw std::invalid_argument(std::string(name) + " needs a whole number of at least " +
                                std::to_string(min) + ", not '" + text + "'");
  }
  return v;
}

}  // namespace

int main(int argc, char** argv) {
  using tessaly::cohort::CohortOptions;
  CohortOptions options;
  std::string out;
  try {
    for (int i = 1; i < argc; ++i) {
      std::string arg = argv[i];
      if (arg == "--help" || arg == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
      }
      if (i + 1 >= argc) throw std::invalid_argument("unknown argument or missing value: " + arg);
      std::string value = argv[++i];
      if (arg == "--students") {
        options.students = static_cast<int>(Whole("--students", value, 1));
      } else if (arg == "--ranges") {
        options.ranges = static_cast<int>(Whole("--ranges", value, 1));
      } else if (arg == "--classes") {
        options.classes.clear();
        std::size_t start = 0;
        while (start <= value.size()) {
          std::size_t comma = value.find(',', start);
          if (comma == std::string::npos) comma = value.size();
          options.classes.push_back(
              static_cast<int>(Whole("--classes", value.substr(start, comma - start), 1)));
          start = comma + 1;
        }
      } else if (arg == "--seed") {
        options.seed = static_cast<std::uint64_t>(Whole("--seed", value, 0));
      } else if (arg == "--bands") {
        options.bands_per_range = static_cast<int>(Whole("--bands", value, 0));
      } else if (arg == "-o") {
        out = value;
      } else {
        throw std::invalid_argument("unknown option " + arg);
      }
    }
    if (out.empty()) throw std::invalid_argument("give the file to write with -o FILE.fb");
    if (options.students > 1000000) throw std::invalid_argument("--students is at most 1000000");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tessaly-make-cohort: %s\n%s", e.what(), kUsage);
    return 2;
  }
  auto state = tessaly::cohort::MakeCohort(options);
  if (auto error = tessaly::io::SaveDivisionFile(state, out)) {
    std::fprintf(stderr, "tessaly-make-cohort: %s\n", tessaly::enc::ToUtf8(*error).c_str());
    return 1;
  }
  return 0;
}
