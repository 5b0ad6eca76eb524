#include "io/division_versions.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "io/division_check.h"
#include "io/division_file.h"
#include "io/division_test_states.h"
#include "platform/encoding.h"

namespace tessaly::io {
namespace {

using model::ProgramState;

// The combined division with two versions: one with a score, a pin and a
// student number that ends like a section marker, one without a score.
ProgramState WithVersions() {
  ProgramState s = testdata::CombinedDivided();
  model::DivisionVersion a;
  a.Name = "方案 一"_gb;
  a.Time = "2026-12-09 08:30";
  a.Score = 97.123456789012;
  a.Sets = {{s.ClassRangeRows[0], {{"2001", 2, 2}, {"x_end", 1, -1}}},
            {s.ClassRangeRows[1], {{"2002", 3, -1}}}};
  model::DivisionVersion b;
  b.Name = "b";
  b.Sets = {{"", {}}};
  s.Versions = {a, b};
  return s;
}

TEST(DivisionFileVersions, AreKeptThroughSaveAndOpen) {
  const ProgramState s = WithVersions();
  DivisionRead back = ReadDivisionText(WriteDivisionText(s), ProgramState{});
  ASSERT_TRUE(back.ok) << back.error;
  EXPECT_EQ(back.state, s);
  // Opening a file without versions drops those of the division open before.
  DivisionRead other = ReadDivisionText(WriteDivisionText(testdata::SmallSingleTable()), s);
  ASSERT_TRUE(other.ok);
  EXPECT_TRUE(other.state.Versions.empty());
}

TEST(DivisionFileVersions, FollowTheRestOfTheFileUntouched) {
  ProgramState s = WithVersions();
  const std::string with = WriteDivisionText(s);
  s.Versions.clear();
  const std::string without = WriteDivisionText(s);
  EXPECT_EQ(without.find("FangAn"), std::string::npos);
  // Past the check section, the file with versions is the file without
  // them and the versions section after it: whatever a reader knows of the
  // format reads the same.
  auto body = [](const std::string& text) {
    std::size_t at = 0;
    for (int i = 0; i < 3; ++i) at = text.find("\r\n", at) + 2;
    return text.substr(at);
  };
  ASSERT_EQ(body(with).rfind(body(without), 0), 0u);
  EXPECT_EQ(body(with).substr(body(without).size(), 16), EncodeLine("FangAn_begin") + "\r\n");
  // The one marker-like line of the section is its own: no content line is
  // read as a marker of a section the reader knows.
  DivisionRead back = ReadDivisionText(with, ProgramState{});
  ASSERT_TRUE(back.ok);
  back.state.Versions.clear();
  EXPECT_EQ(back.state, ReadDivisionText(without, ProgramState{}).state);
}

TEST(DivisionFileVersions, TheSampleFileReadsAndWritesByteForByte) {
  const char* root = std::getenv("TESSALY_SOURCE_DIR");
  ASSERT_NE(root, nullptr);
  std::ifstream in(std::string(root) + "/data/sample.fb", std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  DivisionRead read = ReadDivisionText(bytes.str(), ProgramState{});
  ASSERT_TRUE(read.ok) << read.error;
  EXPECT_TRUE(read.state.Versions.empty());
  // The sample has no check section; after it, the writer gives its bytes.
  EXPECT_EQ(WriteDivisionText(read.state), CheckSectionFor(bytes.str()) + bytes.str());
}

TEST(DivisionFileVersions, ADamagedSectionIsReportedAndNothingRead) {
  const ProgramState current = testdata::SmallSingleTable();
  const std::string good = WriteDivisionText(WithVersions());
  // Cut inside the section (an unchecked file, so the reader gets that far).
  auto unchecked = [](std::string text) {
    std::size_t at = 0;
    for (int i = 0; i < 3; ++i) at = text.find("\r\n", at) + 2;
    return text.substr(at);
  };
  const std::vector<std::pair<std::string, std::string>> damages = {
      {"S|2|", "S|9|"},          // more students than lines
      {"2|2|2001", "2|x|2001"},  // a pin that is no number
      {"V|b|||1|", "V|b|||x|"},  // a set count that is no number
  };
  for (const auto& [from, to] : damages) {
    std::string text = unchecked(good);
    // The lines are stored percent-encoded: "|" is %7C.
    auto enc = [](std::string t) {
      std::string out;
      for (char c : t) out += c == '|' ? std::string("%7C") : std::string(1, c);
      return out;
    };
    const std::size_t at = text.find(enc(from));
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, enc(from).size(), enc(to));
    DivisionRead read = ReadDivisionText(text, current);
    EXPECT_FALSE(read.ok) << to;
    EXPECT_FALSE(read.error.empty());
    EXPECT_EQ(read.state, current);
  }
}

TEST(DivisionFileVersions, LinesReadBackAsWritten) {
  const ProgramState s = WithVersions();
  std::vector<std::string> lines = VersionLines(s.Versions);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.front(), "FangAn_begin");
  EXPECT_EQ(lines[1], "V|"_gb + "方案 一"_gb + "|2026-12-09 08:30|97.123456789012|2|");
  const VersionsRead read =
      ReadVersionLines(std::vector<std::string>(lines.begin() + 1, lines.end() - 1));
  EXPECT_TRUE(read.error.empty());
  EXPECT_EQ(read.versions, s.Versions);
  EXPECT_TRUE(VersionLines({}).empty());
}

}  // namespace
}  // namespace tessaly::io
