// Which commands leave the teacher's work unsaved and which mark it saved:
// the real commands on a small cohort, the mark looked at after each as the
// desktop program does.

#include "model/unsaved_work.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "engine/cohort_builder.h"
#include "engine/division.h"
#include "engine/transfer.h"
#include "import/table_list.h"
#include "io/work_commands.h"
#include "model/division_history.h"
#include "model/show_table.h"
#include "rules/second_rules_page.h"
#include "support/fake_user.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using model::ProgramState;
using model::UnsavedWork;
using testing::CohortBuilder;
using testing::FakeUser;

class WorkMark : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("tessaly_work_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    CohortBuilder c({"语文", "数学"});
    const char* names[] = {"张伟", "王芳", "李娜", "刘洋", "陈静", "杨帆", "赵磊", "黄敏"};
    for (int i = 0; i < 8; ++i) {
      c.Add(std::to_string(101 + i), names[i], i % 2 ? "女" : "男", {90.0 - i, 70.0 + 2 * i});
    }
    c.Range("按名次|1-8-|2|1,2,|");
    state_ = c.State();
    state_.DivisionStarted = true;
    work_.Started(state_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const char* name) const { return (dir_ / name).string(); }

  // A command ran: the program looks once.
  bool ChangedAfterLook() {
    work_.Look(state_);
    return work_.Changed();
  }
  void Divide() {
    engine::Coin coin(7);
    engine::bsSkinButton10Click(state_, user_, coin);
  }
  // Moves the first student of the first range into the other class.
  void Move() {
    const model::student s = state_.RangeSets[0].Students[0];
    engine::TransferStudent(state_, user_, s.Number, s.Name, s.AssignedClass == 1 ? 2 : 1, 0,
                            engine::BackFillMode::NoBackFill);
  }

  fs::path dir_;
  ProgramState state_;
  UnsavedWork work_;
  FakeUser user_;
};

TEST_F(WorkMark, CommandsThatChangeTablesRulesOrClassesMarkTheWorkChanged) {
  EXPECT_FALSE(ChangedAfterLook()) << "a new division has nothing to lose";
  Divide();
  EXPECT_TRUE(ChangedAfterLook());

  work_.Saved(state_, Path("a.fb"));
  Move();
  EXPECT_TRUE(ChangedAfterLook()) << "a move";

  work_.Saved(state_, Path("a.fb"));
  rules::SecondRulesPage page2;
  rules::EnterSecondRulesPage(page2, state_);  // adds the default balance items
  EXPECT_TRUE(ChangedAfterLook()) << "a rule list";

  work_.Saved(state_, Path("a.fb"));
  model::ImportPage page;
  user_.confirm_answers = {false};
  EXPECT_FALSE(import::StartNewDivision(state_, page, user_));
  EXPECT_FALSE(ChangedAfterLook()) << "a new division refused changes nothing";
  user_.confirm_answers = {true};
  EXPECT_TRUE(import::StartNewDivision(state_, page, user_));
  EXPECT_TRUE(ChangedAfterLook()) << "the tables are gone";
  work_.Started(state_);
  EXPECT_FALSE(work_.Changed()) << "a new division has nothing to lose";
  EXPECT_TRUE(work_.File().empty());
}

TEST_F(WorkMark, ViewingAndThePresetSettingLeaveTheWorkSaved) {
  Divide();
  work_.Saved(state_, Path("a.fb"));
  const std::uint64_t revision = work_.Revision();
  state_.ShowPresetClass = !state_.ShowPresetClass;  // kept in path.ini, not in the file
  state_.SameNameRows.push_back("x");                // rebuilt by every division
  model::ImportPage page;
  import::ChooseTable(state_, page, 0);
  EXPECT_FALSE(ChangedAfterLook());
  EXPECT_EQ(work_.Revision(), revision) << "nothing new to keep a copy of";
}

TEST_F(WorkMark, UndoingBackToTheSavedStateClearsTheMark) {
  Divide();
  work_.Saved(state_, Path("a.fb"));
  model::DivisionHistory history;
  history.Run(state_, "move", [&] {
    const model::student& s = state_.RangeSets[0].Students[1];
    engine::TransferStudent(state_, user_, s.Number, s.Name, s.AssignedClass == 1 ? 2 : 1, 0,
                            engine::BackFillMode::NoBackFill);
  });
  EXPECT_TRUE(ChangedAfterLook());
  const std::uint64_t changed_revision = work_.Revision();
  history.Undo(state_);
  EXPECT_FALSE(ChangedAfterLook());
  EXPECT_GT(work_.Revision(), changed_revision);
  history.Redo(state_);
  EXPECT_TRUE(ChangedAfterLook());
}

TEST_F(WorkMark, SavingAndOpeningMarkTheWorkSavedAndNameItsFile) {
  Divide();
  ASSERT_TRUE(ChangedAfterLook());
  user_.file_answers = {std::nullopt};
  EXPECT_FALSE(io::SaveDivisionWork(state_, work_, user_)) << "cancelled";
  EXPECT_TRUE(work_.Changed());

  user_.file_answers = {Path("b.fb")};
  EXPECT_TRUE(io::SaveDivisionWork(state_, work_, user_));
  EXPECT_FALSE(work_.Changed());
  EXPECT_EQ(work_.File(), Path("b.fb"));

  // Another division opened over changed work: saved, and its file named.
  Move();
  ASSERT_TRUE(ChangedAfterLook());
  model::ImportPage page;
  user_.file_answers = {Path("b.fb")};
  EXPECT_TRUE(io::OpenDivisionWork(state_, page, work_, user_));
  EXPECT_FALSE(ChangedAfterLook());
  EXPECT_EQ(work_.File(), Path("b.fb"));

  user_.file_answers = {Path("missing.fb")};
  EXPECT_FALSE(io::OpenDivisionWork(state_, page, work_, user_));
  EXPECT_EQ(work_.File(), Path("b.fb"));
}

TEST_F(WorkMark, SavingBeforeLeavingUsesTheWorksFileOrAsksForOne) {
  Divide();
  ASSERT_TRUE(ChangedAfterLook());
  // No file yet: the name is asked; a cancelled choice saves nothing.
  user_.file_answers = {std::nullopt};
  EXPECT_FALSE(io::SaveWorkBeforeLeaving(state_, work_, user_));
  EXPECT_TRUE(work_.Changed());
  user_.file_answers = {Path("c.fb")};
  EXPECT_TRUE(io::SaveWorkBeforeLeaving(state_, work_, user_));
  EXPECT_FALSE(work_.Changed());
  EXPECT_TRUE(fs::exists(Path("c.fb")));

  // With a file: written there without a question.
  Move();
  ASSERT_TRUE(ChangedAfterLook());
  user_.calls.clear();
  EXPECT_TRUE(io::SaveWorkBeforeLeaving(state_, work_, user_));
  EXPECT_TRUE(user_.calls.empty());
  EXPECT_FALSE(work_.Changed());

  // A failed save keeps the work unsaved and says why.
  work_.Saved(state_, (dir_ / "no-such-folder" / "d.fb").string());
  Move();
  ASSERT_TRUE(ChangedAfterLook());
  EXPECT_FALSE(io::SaveWorkBeforeLeaving(state_, work_, user_));
  EXPECT_TRUE(work_.Changed());
  ASSERT_EQ(user_.Messages().size(), 1u);
  EXPECT_NE(user_.Messages()[0].find("保存分班结果失败"), std::string::npos);
}

TEST_F(WorkMark, ARestoredCopyIsUnsavedWorkOfItsFile) {
  Divide();
  work_.Restored(state_, Path("e.fb"));
  EXPECT_TRUE(work_.Changed());
  EXPECT_EQ(work_.File(), Path("e.fb"));
  EXPECT_TRUE(ChangedAfterLook());
}

}  // namespace
}  // namespace tessaly
