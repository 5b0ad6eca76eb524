#include "model/rule_lists.h"

#include <gtest/gtest.h>

#include "model/text_fields.h"
#include "platform/encoding.h"

namespace tessaly::model {
namespace {

TEST(ConditionHolds, BothHalvesWithQie) {
  EXPECT_TRUE(ConditionHolds("大于 80且小于等于 90"_gb, 90));
  EXPECT_FALSE(ConditionHolds("大于 80且小于等于 90"_gb, 80));
  EXPECT_TRUE(ConditionHolds("大于等于 60 且小于 70"_gb, 60));
  EXPECT_FALSE(ConditionHolds("大于等于 60 且小于 70"_gb, 70));
  EXPECT_TRUE(ConditionHolds("大于 85 且小于等于 87.5"_gb, 87.5));
}

TEST(ConditionHolds, SingleHalfAndEither) {
  EXPECT_TRUE(ConditionHolds("大于 80"_gb, 85));
  EXPECT_FALSE(ConditionHolds("大于 80"_gb, 80));
  EXPECT_TRUE(ConditionHolds("大于 80或小于 20"_gb, 10));
  EXPECT_FALSE(ConditionHolds("大于 80或小于 20"_gb, 50));
  EXPECT_TRUE(ConditionHolds("小于 20"_gb, 19.5));
  EXPECT_TRUE(ConditionHolds("小于等于 20"_gb, 20));
}

TEST(CompactCondition, ShortOperators) {
  EXPECT_EQ(CompactCondition("大于等于 60 且小于 70"_gb), ">= 60 且< 70"_gb);
  EXPECT_EQ(CompactCondition("大于 80且小于等于 90"_gb), "> 80且<= 90"_gb);
}

TEST(LevelNumber, ReadsTheNumberOfEveryLevelText) {
  EXPECT_EQ(LevelNumber("9 级(最高)"_gb), 9);
  EXPECT_EQ(LevelNumber("9 级"_gb), 9);
  EXPECT_EQ(LevelNumber("1 级(最低)"_gb), 1);
  EXPECT_EQ(LevelNumber("8"), 8);
}

TEST(RangeRows, KeyAndFields) {
  EXPECT_EQ(RangeKey("按名次|1-100-|2|4,5,||"_gb), "按名次|1-100-|"_gb);
  EXPECT_EQ(RangeKey("按学号|101-250-|3|1,2,3,|实验班|"_gb), "按学号|101-250-|"_gb);
  RangeRow r = ReadRangeRow("按学号|101-250-|3|1,2,3,|实验班|"_gb);
  EXPECT_EQ(r.type, "按学号"_gb);
  EXPECT_EQ(r.low, 101);
  EXPECT_EQ(r.high, 250);
  EXPECT_EQ(r.class_count, 3);
  EXPECT_EQ(ClassIds(r.class_ids), (std::vector<std::int32_t>{1, 2, 3}));
  EXPECT_EQ(r.remark, "实验班"_gb);
  // A condition row with only two "$" has no third field.
  EXPECT_EQ(FieldAt("a$b$", '$', 3), "");
}

TEST(RuleLists, FindRowIgnoresLatinCase) {
  RuleList list = {"c-ch", "Z-ZH"};
  EXPECT_EQ(FindRow(list, "z-zh"), 1);
  EXPECT_EQ(FindRow(list, "s-sh"), -1);
}

}  // namespace
}  // namespace tessaly::model
