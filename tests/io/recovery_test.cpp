// Recovery copies: written as division files, one per running program,
// offered back only when their program is gone, set aside without loss.

#include "io/recovery.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#endif
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "io/division_file.h"
#include "io/division_test_states.h"
#include "platform/recovery_folder.h"

namespace tessaly::io {
namespace {

namespace fs = std::filesystem;

class Recovery : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("tessaly_recovery_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    folder_ = (dir_ / "tessaly" / "recovery").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  // A copy as a program that was killed leaves it: the copy, and a lock file
  // nobody holds that names the work's file.
  std::string LeaveCopy(const std::string& stem, const model::ProgramState& state,
                        const std::string& file) {
    fs::create_directories(folder_);
    const std::string path = folder_ + "/" + stem + ".fb";
    EXPECT_FALSE(SaveDivisionFile(state, path));
    std::ofstream(folder_ + "/" + stem + ".lock") << file << "\n";
    return path;
  }

  fs::path dir_;
  std::string folder_;
};

TEST(RecoveryFolderTest, DataHomeThenHomeThenNone) {
  using platform::RecoveryFolderFor;
  EXPECT_EQ(RecoveryFolderFor("/x/data", "/home/t"), "/x/data/tessaly/recovery");
  EXPECT_EQ(RecoveryFolderFor("relative", "/home/t"), "/home/t/.local/share/tessaly/recovery");
  EXPECT_EQ(RecoveryFolderFor("", "/home/t"), "/home/t/.local/share/tessaly/recovery");
  EXPECT_EQ(RecoveryFolderFor(nullptr, nullptr), "");
}

TEST_F(Recovery, ACopyIsADivisionFileThatGoesWithACleanExit) {
  const model::ProgramState state = testdata::SmallSingleTable();
  std::string path;
  {
    RecoveryCopies copies(folder_);
    EXPECT_EQ(copies.OwnCopy(), "") << "nothing written before a change";
    ASSERT_FALSE(copies.Write(state, "/w/a.fb"));
    path = copies.OwnCopy();
    const DivisionRead read = LoadDivisionFile(path, {});
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.state, state);
    EXPECT_TRUE(copies.Left().empty()) << "its own copy is not left over";
  }
  EXPECT_FALSE(fs::exists(path));
  EXPECT_TRUE(fs::is_empty(folder_)) << "no lock file stays either";
}

TEST_F(Recovery, TwoRunningProgramsKeepTwoCopiesAndOfferNeither) {
  RecoveryCopies first(folder_), second(folder_);
  model::ProgramState a = testdata::SmallSingleTable();
  model::ProgramState b = a;
  b.ClassRangeRows.push_back("x|");
  ASSERT_FALSE(first.Write(a, ""));
  ASSERT_FALSE(second.Write(b, ""));
  ASSERT_NE(first.OwnCopy(), second.OwnCopy());
  EXPECT_TRUE(first.Left().empty());
  EXPECT_TRUE(second.Left().empty());
  EXPECT_EQ(LoadDivisionFile(first.OwnCopy(), {}).state, a);
  EXPECT_EQ(LoadDivisionFile(second.OwnCopy(), {}).state, b);
}

// A second program by fork (POSIX).
#ifndef _WIN32
TEST_F(Recovery, ACopyIsOfferedOnlyOnceItsProgramIsGone) {
  int to_child[2], from_child[2];
  ASSERT_EQ(::pipe(to_child), 0);
  ASSERT_EQ(::pipe(from_child), 0);
  const model::ProgramState state = testdata::SmallSingleTable();
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The other program: writes its copy, then ends without cleaning up,
    // as a crash or a kill ends it.
    ::close(to_child[1]);
    ::close(from_child[0]);
    RecoveryCopies copies(folder_);
    char go = copies.Write(state, "/w/work.fb") ? 'e' : 'w';
    (void)!::write(from_child[1], &go, 1);
    (void)!::read(to_child[0], &go, 1);
    ::_exit(0);
  }
  ::close(to_child[0]);
  ::close(from_child[1]);
  char written = 0;
  ASSERT_EQ(::read(from_child[0], &written, 1), 1);
  ASSERT_EQ(written, 'w');
  RecoveryCopies mine(folder_);
  EXPECT_TRUE(mine.Left().empty()) << "the other program still runs";
  ::close(to_child[1]);
  int status = 0;
  ::waitpid(child, &status, 0);
  std::vector<LeftCopy> left = mine.Left();
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].file, "/w/work.fb");
  EXPECT_GT(left[0].written, 0);
  const DivisionRead read = RecoveryCopies::Read(left[0], {});
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(read.state, state);
  // While one program offers it, no other one does.
  RecoveryCopies third(folder_);
  EXPECT_TRUE(third.Left().empty());
  ::close(from_child[0]);
}
#endif

TEST_F(Recovery, CopiesSetAsideAreKeptWholeAndNotOfferedAgain) {
  const model::ProgramState state = testdata::SmallSingleTable();
  LeaveCopy("tessaly-999-aaaaaa", state, "/w/old.fb");
  RecoveryCopies copies(folder_);
  std::vector<LeftCopy> left = copies.Left();
  ASSERT_EQ(left.size(), 1u);
  ASSERT_TRUE(copies.SetAside(left[0]));
  EXPECT_TRUE(copies.Left().empty());
  const fs::path aside = fs::path(folder_) / "set-aside";
  EXPECT_EQ(LoadDivisionFile((aside / "tessaly-999-aaaaaa.fb").string(), {}).state, state);
  std::ifstream note(aside / "tessaly-999-aaaaaa.fb.file");
  std::string file;
  std::getline(note, file);
  EXPECT_EQ(file, "/w/old.fb");

  // The same name again: the earlier copy set aside stays.
  model::ProgramState other = state;
  other.BandConditionRows.push_back("y|");
  LeaveCopy("tessaly-999-aaaaaa", other, "");
  left = copies.Left();
  ASSERT_EQ(left.size(), 1u);
  ASSERT_TRUE(copies.SetAside(left[0]));
  EXPECT_EQ(LoadDivisionFile((aside / "tessaly-999-aaaaaa.fb").string(), {}).state, state);
  EXPECT_EQ(LoadDivisionFile((aside / "tessaly-999-aaaaaa-2.fb").string(), {}).state, other);
}

TEST_F(Recovery, NewestFirstAndForgottenOnceTakenOver) {
  const model::ProgramState state = testdata::SmallSingleTable();
  const std::string older = LeaveCopy("tessaly-1-aaaaaa", state, "");
  LeaveCopy("tessaly-2-bbbbbb", state, "");
  fs::last_write_time(older, fs::last_write_time(older) - std::chrono::hours(1));
  std::ofstream(folder_ + "/notes.txt") << "not a copy";
  RecoveryCopies copies(folder_);
  std::vector<LeftCopy> left = copies.Left();
  ASSERT_EQ(left.size(), 2u);
  EXPECT_EQ(fs::path(left[0].path).filename(), "tessaly-2-bbbbbb.fb");
  EXPECT_GT(left[0].written, left[1].written);
  RecoveryCopies::Forget(left[0]);
  left.clear();
  left = copies.Left();
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].path, older);
}

}  // namespace
}  // namespace tessaly::io
