// The teacher's groups in the division file: a section of their own that
// survives saving and opening, is left out when there are none (the file
// is then what it always was), and is skipped by a reader that does not know
// it.

#include <gtest/gtest.h>

#include "io/division_file.h"
#include "io/division_test_states.h"
#include "model/student_groups.h"
#include "platform/encoding.h"

namespace tessaly::io {
namespace {

using model::ProgramState;

ProgramState WithGroups() {
  ProgramState st = testdata::CombinedDivided();
  st.GroupRows = {model::GroupRow({model::GroupKind::kApart, {"1", "2"}, enc::FromUtf8("双胞胎")}),
                  model::GroupRow({model::GroupKind::kTogether, {"2", "3", "4"}, ""})};
  return st;
}

TEST(DivisionFileGroups, SurviveSaveAndOpen) {
  const ProgramState st = WithGroups();
  DivisionRead read = ReadDivisionText(WriteDivisionText(st), ProgramState{});
  ASSERT_TRUE(read.ok) << enc::ToUtf8(read.error);
  EXPECT_EQ(read.state.GroupRows, st.GroupRows);
  EXPECT_EQ(read.state.RangeSets, st.RangeSets);
}

TEST(DivisionFileGroups, NoGroupsNoSectionAndTheRestUnchanged) {
  ProgramState st = WithGroups();
  const std::string with = WriteDivisionText(st);
  st.GroupRows.clear();
  const std::string without = WriteDivisionText(st);
  EXPECT_EQ(without.find(EncodeLine("FenBanYueShu_begin")), std::string::npos);
  EXPECT_NE(with.find(EncodeLine("FenBanYueShu_begin")), std::string::npos);
  // Opening a file without the section leaves no groups behind from the
  // division open before.
  DivisionRead read = ReadDivisionText(without, WithGroups());
  ASSERT_TRUE(read.ok);
  EXPECT_TRUE(read.state.GroupRows.empty());
  // The only difference is the section: the other lines are the same.
  const std::string section_start = EncodeLine("FenBanYueShu_begin");
  const std::string section_end = EncodeLine("FenBanYueShu_end") + "\r\n";
  std::string stripped = with;
  const std::size_t a = stripped.find(section_start);
  const std::size_t b = stripped.find(section_end) + section_end.size();
  stripped.erase(a, b - a);
  const std::size_t cut = stripped.find(EncodeLine("YuanShiInf"));
  EXPECT_EQ(stripped.substr(cut), without.substr(without.find(EncodeLine("YuanShiInf"))));
}

}  // namespace
}  // namespace tessaly::io
