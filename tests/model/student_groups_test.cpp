// The stored rows of the teacher's groups and the numbers read from typed
// or pasted text.

#include "model/student_groups.h"

#include <gtest/gtest.h>

#include "platform/encoding.h"

namespace tessaly::model {
namespace {

std::string Gb(const std::string& utf8) {
  return enc::FromUtf8(utf8);
}

TEST(StudentGroupRows, WriteAndReadBack) {
  const StudentGroup apart{GroupKind::kApart, {"101", "102", "103"}, Gb("双胞胎|家长要求")};
  EXPECT_EQ(GroupRow(apart), Gb("不同班|101,102,103,|双胞胎|家长要求|"));
  EXPECT_EQ(ReadGroupRow(GroupRow(apart)), apart);
  const StudentGroup together{GroupKind::kTogether, {"7", "8"}, ""};
  EXPECT_EQ(ReadGroupRow(GroupRow(together)), together);
  // Rows cut short or written by hand still read.
  EXPECT_EQ(ReadGroupRow(Gb("同班|1,,2")).numbers, (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(ReadGroupRow(Gb("同班")).numbers.size(), 0u);
  EXPECT_EQ(ReadGroupRow("x|1,2,|").kind, GroupKind::kApart);
}

TEST(StudentGroupRows, NumbersOfPastedText) {
  // A column copied from a spreadsheet, a row of cells, and typed lists.
  EXPECT_EQ(SplitNumbers("101\r\n102\r\n103\r\n"), (std::vector<std::string>{"101", "102", "103"}));
  EXPECT_EQ(SplitNumbers(Gb("101\t102\n103，104、105；106 101　107")),
            (std::vector<std::string>{"101", "102", "103", "104", "105", "106", "107"}));
  EXPECT_EQ(SplitNumbers(Gb("  ")), std::vector<std::string>{});
  // A Chinese character inside a number stays whole.
  EXPECT_EQ(SplitNumbers(Gb("甲01,乙02")), (std::vector<std::string>{Gb("甲01"), Gb("乙02")}));
}

TEST(StudentGroupRows, DescribedWithNames) {
  const StudentGroup g{GroupKind::kTogether, {"1", "2"}, Gb("兄妹")};
  const auto name = [](const std::string& n) { return n == "1" ? Gb("张三") : std::string(); };
  EXPECT_EQ(enc::ToUtf8(DescribeGroup(g, name)), "同班：1 张三、2（兄妹）");
}

}  // namespace
}  // namespace tessaly::model
