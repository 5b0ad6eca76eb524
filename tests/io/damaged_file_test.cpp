// A saved division, damaged in every way a disk, a transfer or an editor
// might damage it: cut at every line end and at random bytes, and with single
// bits flipped. Each damaged file is either refused with a message (and the
// state stays as it was) or opens to exactly the saved state; never to
// anything else.

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "cohort/cohort.h"
#include "io/division_file.h"
#include "io/division_test_states.h"
#include "platform/encoding.h"

namespace tessaly::io {
namespace {

using model::ProgramState;

// The sample: a small generated grade with its rules and the range sets of
// a combined division, so that every kind of section is present.
ProgramState Sample() {
  cohort::CohortOptions o;
  o.students = 24;
  o.classes = {2, 2, 2};
  o.bands_per_range = 2;
  ProgramState s = cohort::MakeCohort(o);
  s.RangeSets = testdata::CombinedDivided().RangeSets;
  s.CountConditionRows = testdata::CombinedDivided().CountConditionRows;
  s.FinalSoundPairs = {"an-ang"};
  return s;
}

struct Tally {
  int refused = 0;
  int same = 0;
};

// Reads the damaged bytes and checks the outcome; counts it.
void Judge(const std::string& bytes, const ProgramState& current, const ProgramState& saved,
           Tally& tally, const std::string& what) {
  DivisionRead read = ReadDivisionText(bytes, current);
  if (read.ok) {
    EXPECT_EQ(read.state, saved) << what << " opened to another state";
    ++tally.same;
  } else {
    EXPECT_FALSE(read.error.empty()) << what;
    EXPECT_EQ(read.state, current) << what;
    ++tally.refused;
  }
}

TEST(DamagedFile, EveryCutAndBitFlipIsRefusedOrOpensAsSaved) {
  const ProgramState current = testdata::SmallSingleTable();
  const std::string file = WriteDivisionText(Sample());
  DivisionRead whole = ReadDivisionText(file, current);
  ASSERT_TRUE(whole.ok) << enc::ToUtf8(whole.error);
  const ProgramState& saved = whole.state;

  Tally lines, bytes, flips;
  // Every cut at a line end (after the CR and after the LF), the last one
  // being the whole file.
  for (std::size_t at = 0; at < file.size(); ++at) {
    if (file[at] == '\r' || file[at] == '\n') {
      Judge(file.substr(0, at + 1), current, saved, lines, "cut at line end " + std::to_string(at));
    }
  }
  std::mt19937 gen(20261209);
  std::uniform_int_distribution<std::size_t> any_byte(0, file.size() - 1);
  for (int i = 0; i < 400; ++i) {
    const std::size_t at = any_byte(gen);
    Judge(file.substr(0, at), current, saved, bytes, "cut at byte " + std::to_string(at));
  }
  // Single-bit flips: every bit of the first and last lines (the check
  // section, the mode), a random sample of the others.
  const std::size_t head = file.find("JiaoYan%5Fend") + 15;
  const std::size_t tail = file.rfind("ShuJu%5Fbegin");
  for (std::size_t at = 0; at < file.size(); ++at) {
    const bool edge = at < head || at >= tail;
    for (int bit = 0; bit < 8; ++bit) {
      if (!edge && gen() % 16 != 0) continue;
      std::string flipped = file;
      flipped[at] = static_cast<char>(flipped[at] ^ (1 << bit));
      Judge(flipped, current, saved, flips,
            "bit " + std::to_string(bit) + " of byte " + std::to_string(at));
    }
  }
  std::printf(
      "damaged copies of a %zu-byte file: %d line-end cuts (%d refused, %d whole), %d byte cuts "
      "(%d refused, %d whole), %d bit flips (%d refused, %d opened as saved)\n",
      file.size(), lines.refused + lines.same, lines.refused, lines.same,
      bytes.refused + bytes.same, bytes.refused, bytes.same, flips.refused + flips.same,
      flips.refused, flips.same);
  // Only the whole file, with or without its last line feed.
  EXPECT_LE(lines.same, 2);
  // A flip that opens as saved changes nothing the file means (the case of
  // a hex digit, as in %5f for %5F).
}

}  // namespace
}  // namespace tessaly::io
