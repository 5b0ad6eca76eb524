// Division-file reader under arbitrary bytes: it must never crash, a file it
// rejects must leave the state as it was, and a file it accepts must survive
// writing and reading again unchanged.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "io/division_file.h"
#include "model/number_format.h"
#include "platform/encoding.h"

namespace {

using tessaly::model::ProgramState;
using tessaly::model::RuleList;
using tessaly::model::Student_F;

// A rule row that looks like a marker line cannot be stored apart from the
// sections themselves; such files do not come back the same and are only
// checked for not crashing.
bool LooksLikeMarker(const std::string& row) {
  std::string upper;
  for (char c : row) upper += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
  auto ends = [&](std::string_view tail) {
    return upper.size() >= tail.size() &&
           upper.compare(upper.size() - tail.size(), tail.size(), tail) == 0;
  };
  return ends("_BEGIN") || ends("_END");
}

bool AnyMarkerRow(const ProgramState& s) {
  for (const RuleList* list : {&s.InitialSoundPairs, &s.FinalSoundPairs, &s.ClassRangeRows,
                               &s.BandConditionRows, &s.BalanceItemRows, &s.CountConditionRows}) {
    for (const std::string& row : *list) {
      if (LooksLikeMarker(row)) return true;
    }
  }
  return false;
}

void ReadBackNumbers(Student_F& table) {
  for (auto& s : table.Students) {
    s.Total = tessaly::model::ReadBack(s.Total);
    for (double& v : s.Scores) v = tessaly::model::ReadBack(v);
  }
}

// What the state looks like after a save and an open: numbers as their text
// reads back, tables without students are not stored.
ProgramState AsStored(ProgramState s) {
  std::size_t used = 0;
  for (std::size_t n = 0; n < s.ImportedSets.size(); ++n) {
    Student_F& t = s.ImportedSets[n];
    if (t.StudentCount <= 0) {
      t = Student_F{};
      t.WeightPercent = 0;
    } else {
      used = n + 1;
    }
    ReadBackNumbers(t);
  }
  if (used == 0) {
    s.ImportedSets.clear();
  } else {
    std::size_t by_mode = static_cast<std::size_t>(s.ExpectedSetCount) + (s.CombineMode ? 1 : 0);
    s.ImportedSets.resize(std::max(used, by_mode));
  }
  // Every range set is stored, so each comes back with the fixed headings.
  static const std::string kHeadings[] = {"学号"_gb,     "姓名"_gb, "性别"_gb,
                                          "预设班级"_gb, "总分"_gb, "新分班级"_gb};
  for (Student_F& t : s.RangeSets) {
    ReadBackNumbers(t);
    t.Headings.NumberHeading = kHeadings[0];
    t.Headings.NameHeading = kHeadings[1];
    t.Headings.GenderHeading = kHeadings[2];
    t.Headings.PresetClassHeading = kHeadings[3];
    t.Headings.TotalHeading = kHeadings[4];
    t.Headings.NewClassHeading = kHeadings[5];
  }
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  ProgramState current;
  current.ClassRangeRows = {"keep|"};
  auto first = tessaly::io::ReadDivisionText(bytes, current);
  if (!first.ok) {
    if (first.error.empty() || !(first.state == current)) std::abort();
    return 0;
  }
  ProgramState state = first.state;
  if (AnyMarkerRow(state)) return 0;
  state.DivisionStarted = true;  // only a started division is saved
  const std::string text = tessaly::io::WriteDivisionText(state);
  auto second = tessaly::io::ReadDivisionText(text, current);
  if (!second.ok) std::abort();
  if (!(second.state == AsStored(state))) std::abort();
  if (tessaly::io::WriteDivisionText(second.state) != text) std::abort();
  return 0;
}
