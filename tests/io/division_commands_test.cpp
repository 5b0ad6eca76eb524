#include "io/division_commands.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "io/division_file.h"
#include "io/division_test_states.h"
#include "model/show_table.h"
#include "platform/encoding.h"
#include "support/fake_user.h"

namespace tessaly::io {
namespace {

namespace fs = std::filesystem;
using model::ImportPage;
using model::ProgramState;
using testing::FakeUser;

class DivisionCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("tessaly_cmd_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const char* name) const { return (dir_ / name).string(); }
  static void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  // A page that shows something else, as before opening a file.
  static ImportPage EarlierPage() {
    ImportPage page;
    page.TableList = {"旧表"_gb};
    page.ScoreView.At(0, 0) = "x";
    return page;
  }
  fs::path dir_;
};

TEST_F(DivisionCommands, SaveDoesNothingBeforeADivisionIsStarted) {
  ProgramState state = testdata::SmallSingleTable();
  state.DivisionStarted = false;
  FakeUser user;
  user.file_answers.push_back(Path("a.fb"));
  SaveDivisionCommand(state, user);
  EXPECT_TRUE(user.calls.empty());
  EXPECT_FALSE(fs::exists(Path("a.fb")));
}

TEST_F(DivisionCommands, SaveWritesTheChosenFileSilently) {
  FakeUser user;
  SaveDivisionCommand(testdata::SmallSingleTable(), user);  // cancelled
  user.file_answers.push_back(Path("a.fb"));
  SaveDivisionCommand(testdata::SmallSingleTable(), user);
  EXPECT_EQ(user.calls, (std::vector<std::string>{"save file: Save file", "save file: Save file"}));
  std::ifstream in(Path("a.fb"), std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  EXPECT_EQ(bytes.str(), WriteDivisionText(testdata::SmallSingleTable()));
}

TEST_F(DivisionCommands, FailedSaveShowsAnError) {
  FakeUser user;
  user.file_answers.push_back(Path("missing/a.fb"));
  SaveDivisionCommand(testdata::SmallSingleTable(), user);
  ASSERT_EQ(user.Messages().size(), 1u);
  EXPECT_EQ(user.Messages()[0].rfind("error: 保存分班结果失败", 0), 0u) << user.Messages()[0];
}

TEST_F(DivisionCommands, OpenReplacesStateAndRebuildsThePage) {
  Write(Path("a.fb"), WriteDivisionText(testdata::CombinedDivided()));
  ProgramState state = testdata::SmallSingleTable();
  ImportPage page = EarlierPage();
  FakeUser user;
  user.file_answers.push_back(Path("a.fb"));
  OpenDivisionCommand(state, page, user);
  EXPECT_TRUE(user.Messages().empty());
  EXPECT_EQ(state, testdata::CombinedDivided());
  EXPECT_EQ(page.TableList,
            (std::vector<std::string>{"期末(折合)"_gb, "期中"_gb, "期末"_gb, "月考"_gb}));
  EXPECT_EQ(page.ScoreView, model::ShowTable(state.ImportedSets[0], true));
}

TEST_F(DivisionCommands, OpenWithoutTableZeroShowsWhatWasRead) {
  ProgramState saved = testdata::CombinedDivided();
  saved.ImportedSets[0] = model::Student_F{};
  saved.ImportedSets[2] = model::Student_F{};
  Write(Path("a.fb"), WriteDivisionText(saved));
  ProgramState state = testdata::SmallSingleTable();
  ImportPage page = EarlierPage();
  FakeUser user;
  user.file_answers.push_back(Path("a.fb"));
  OpenDivisionCommand(state, page, user);
  EXPECT_EQ(page.TableList, (std::vector<std::string>{"期中"_gb, "月考"_gb}));
  EXPECT_EQ(page.ScoreView, model::ShowTable(state.ImportedSets[1], true));

  // A file without tables: the earlier division's entries are gone too.
  Write(Path("b.fb"), "FengBanLeixin%5Fbegin\r\nFengBanLeixin%5Fend\r\n");
  page = EarlierPage();
  user.file_answers.push_back(Path("b.fb"));
  OpenDivisionCommand(state, page, user);
  EXPECT_TRUE(state.ImportedSets.empty());
  EXPECT_FALSE(state.DivisionStarted);
  EXPECT_EQ(page, ImportPage{});
}

TEST_F(DivisionCommands, OpenThatFailsChangesNothing) {
  std::string damaged = WriteDivisionText(testdata::CombinedDivided());
  damaged.resize(damaged.size() / 2);
  Write(Path("bad.fb"), damaged);
  const ProgramState before = testdata::SmallSingleTable();
  ProgramState state = before;
  ImportPage page = EarlierPage();
  FakeUser user;
  user.file_answers = {std::nullopt, Path("none.fb"), Path("bad.fb")};
  for (int i = 0; i < 3; ++i) OpenDivisionCommand(state, page, user);
  EXPECT_EQ(state, before);
  EXPECT_EQ(page, EarlierPage());
  // Cancel and a missing file say nothing; the damaged file is reported.
  ASSERT_EQ(user.Messages().size(), 1u);
  EXPECT_NE(user.Messages()[0].find("bad.fb”已损坏"), std::string::npos) << user.Messages()[0];
}

}  // namespace
}  // namespace tessaly::io
