#include "adjust/query_page.h"

#include <gtest/gtest.h>

#include "engine/cohort_builder.h"
#include "platform/encoding.h"
#include "support/fake_user.h"

namespace tessaly::adjust {
namespace {

using testing::CohortBuilder;
using testing::FakeUser;
using testing::Gb;

// Two ranges: classes 1, 2, 3 and 4, 5.
model::ProgramState Cohort() {
  CohortBuilder c({"数学"});
  const char* names[] = {"张伟", "王芳", "李娜", "刘洋", "陈静",
                         "杨帆", "赵磊", "黄敏", "张丽", "章立"};
  for (int i = 0; i < 10; ++i) {
    c.Add(std::to_string(2025001 + i), names[i], i % 2 ? "女" : "男", {90.0 - i});
  }
  c.Range("按名次|1-6-|3|1,2,3,|").Range("按名次|7-10-|2|4,5,|");
  model::ProgramState st = testing::Divided(c);
  const std::int32_t first[] = {3, 1, 2, 1, 3, 2};
  for (std::size_t i = 0; i < 6; ++i) st.RangeSets[0].Students[i].AssignedClass = first[i];
  const std::int32_t second[] = {5, 4, -1, 4};
  for (std::size_t i = 0; i < 4; ++i) st.RangeSets[1].Students[i].AssignedClass = second[i];
  st.RangeSets[1].Students[3].PresetClass = 4;
  return st;
}

std::vector<std::string> Column(const model::Grid& g, std::size_t col) {
  std::vector<std::string> out;
  for (std::size_t r = 1; r < g.RowCount(); ++r) out.push_back(enc::ToUtf8(g.Cell(r, col)));
  return out;
}

TEST(QueryStudents, ResultRowsInRangeThenClassThenTotalOrder) {
  const model::ProgramState st = Cohort();
  const model::Grid all = QueryStudents(st, QueryKind::kNumber, "");
  ASSERT_EQ(all.RowCount(), 11u);
  EXPECT_EQ(enc::ToUtf8(all.rows[0][0]), "序号");
  EXPECT_EQ(enc::ToUtf8(all.rows[0][7]), "预设班级");
  EXPECT_EQ(Column(all, 2), (std::vector<std::string>{"王芳", "刘洋", "李娜", "杨帆", "张伟",
                                                      "陈静", "黄敏", "章立", "赵磊", "张丽"}));
  EXPECT_EQ(Column(all, 0),
            (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
  // 张丽 is unplaced; 章立 is pinned to class 4.
  EXPECT_EQ(all.rows[8][6], "4");
  EXPECT_EQ(all.rows[8][7], "4");
  EXPECT_EQ(all.rows[9][7], "");
  EXPECT_EQ(all.rows[10][6], "");
  EXPECT_EQ(all.rows[1][4], "89");
}

TEST(QueryStudents, FourKindsOfMatch) {
  const model::ProgramState st = Cohort();
  EXPECT_EQ(Column(QueryStudents(st, QueryKind::kInitials, "zw"), 2),
            (std::vector<std::string>{"张伟"}));
  EXPECT_EQ(Column(QueryStudents(st, QueryKind::kInitials, "Z"), 2),
            (std::vector<std::string>{"张伟", "章立", "赵磊", "张丽"}));
  EXPECT_EQ(Column(QueryStudents(st, QueryKind::kInitials, "zwx"), 2), std::vector<std::string>{});
  EXPECT_EQ(Column(QueryStudents(st, QueryKind::kName, Gb("张")), 2),
            (std::vector<std::string>{"张伟", "张丽"}));
  EXPECT_EQ(Column(QueryStudents(st, QueryKind::kNumber, "5010"), 1),
            (std::vector<std::string>{"2025010"}));
  EXPECT_EQ(Column(QueryStudents(st, QueryKind::kClass, Gb("4 班")), 2),
            (std::vector<std::string>{"黄敏", "章立"}));
  EXPECT_EQ(QueryStudents(st, QueryKind::kClass, "").RowCount(), 1u);
}

TEST(QueryStudents, ACharacterOutsideGbkGivesNoInitial) {
  model::ProgramState st = Cohort();
  // A character outside GBK between 张 and 伟: four bytes in GB18030.
  st.RangeSets[0].Students[0].Name = enc::FromUtf8("张\U0002C317伟");
  ASSERT_EQ(st.RangeSets[0].Students[0].Name.size(), 8u);
  EXPECT_EQ(Column(QueryStudents(st, QueryKind::kInitials, "zw"), 1),
            (std::vector<std::string>{st.RangeSets[0].Students[0].Number}));
  for (const auto& e : BuildQueryIndex(st).entries) {
    if (e.number == st.RangeSets[0].Students[0].Number) {
      EXPECT_EQ(e.initials, "ZW");
    }
  }
}

TEST(QueryPage, EnteringFillsBothClassBoxesAndListsEveryone) {
  const model::ProgramState st = Cohort();
  QueryPage page;
  bsSkinTabSheet10Enter(st, page);
  const std::vector<std::string> classes = {"1 班", "2 班", "3 班", "4 班", "5 班"};
  std::vector<std::string> targets, items;
  for (const auto& t : page.target_items) targets.push_back(enc::ToUtf8(t));
  for (const auto& t : page.class_items) items.push_back(enc::ToUtf8(t));
  EXPECT_EQ(targets, classes);
  std::vector<std::string> with_all = classes;
  with_all.push_back("全部");
  EXPECT_EQ(items, with_all);
  EXPECT_FALSE(page.class_box_enabled);
  EXPECT_EQ(page.results.RowCount(), 11u);
  EXPECT_EQ(page.batch.grid.RowCount(), 10u);
  SelectQueryKind(page, QueryKind::kClass);
  EXPECT_TRUE(page.class_box_enabled);
  SelectQueryKind(page, QueryKind::kNumber);
  EXPECT_FALSE(page.class_box_enabled);
}

TEST(QueryPage, WarningsWithoutAQueryKind) {
  const model::ProgramState st = Cohort();
  QueryPage page;
  bsSkinTabSheet10Enter(st, page);
  FakeUser user;
  EXPECT_FALSE(QueryKeyPressed(page, user));
  bsSkinButton12Click(page, user);
  SelectQueryKind(page, QueryKind::kClass);
  EXPECT_FALSE(QueryKeyPressed(page, user));
  EXPECT_EQ(user.Messages(),
            (std::vector<std::string>{"warning: 请先选择查询类别！", "warning: 请选择查询类别！",
                                      "warning: 请先选择查询类别！"}));
  SelectQueryKind(page, QueryKind::kName);
  EXPECT_TRUE(QueryKeyPressed(page, user));
  QueryKeyReleased(page, Gb("王"));
  EXPECT_EQ(page.results.RowCount(), 2u);
}

TEST(QueryPage, SelectRowThenMoveAndTheClassIsShownAgain) {
  model::ProgramState st = Cohort();
  QueryPage page;
  bsSkinTabSheet10Enter(st, page);
  SelectQueryKind(page, QueryKind::kClass);
  ChooseClassItem(page, 2);  // 3 班
  ASSERT_EQ(page.results.RowCount(), 3u);
  SelectResultRow(page, 0);
  EXPECT_TRUE(page.adjust_number.empty());
  SelectResultRow(page, 1);
  EXPECT_EQ(enc::ToUtf8(page.adjust_name), "张伟");
  page.target_text = page.target_items[0];
  page.back_fill = false;
  FakeUser user;
  EXPECT_TRUE(bsSkinButton13Click(st, user, page).success());
  EXPECT_TRUE(user.Messages().empty());
  // Class 3 again, without the moved student.
  EXPECT_EQ(Column(page.results, 2), (std::vector<std::string>{"陈静"}));
  // "全部" lists everyone.
  ChooseClassItem(page, 5);
  EXPECT_EQ(page.results.RowCount(), 11u);
  // A batch move leaves the results as they are; the next query sees it.
  PasteIntoBatchGrid(page.batch, Gb("2025005\t陈静\t1"), 1, 0);
  page.batch_settings.back_fill = false;
  EXPECT_EQ(bsSkinButton14Click(st, user, page), 1u);
  ChooseClassItem(page, 2);
  EXPECT_EQ(page.results.RowCount(), 1u);  // 3 班 is empty now
}

}  // namespace
}  // namespace tessaly::adjust
