// Saves on Windows: a file replaced in one step from a temporary file, with
// relative and absolute paths, Chinese names, and what failed or killed saves
// leave behind.
#include <gtest/gtest.h>
#include <windows.h>
// windows.h names ReplaceFileW ReplaceFile too.
#undef ReplaceFile

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "io/safe_save.h"
#include "platform/paths.h"

namespace tessaly::io {
namespace {

namespace fs = std::filesystem;

class WindowsSave : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("tessaly_win_" + std::to_string(GetCurrentProcessId()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  static std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  std::size_t Files() const {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
  }
  fs::path dir_;
};

TEST_F(WindowsSave, ReplacesByAbsoluteAndRelativePathsAndLeavesNothingElse) {
  const fs::path file = dir_ / "a.fb";
  { std::ofstream(file) << "old"; }
  SaveOutcome saved = ReplaceFile(file.string(), "new\r\n");
  EXPECT_EQ(saved.error, 0);
  EXPECT_TRUE(saved.existed);
  EXPECT_EQ(Slurp(file), "new\r\n");  // bytes as given, no line-end change

  const fs::path before = fs::current_path();
  fs::current_path(dir_);
  saved = ReplaceFile("a.fb", "again");
  fs::current_path(before);
  EXPECT_EQ(saved.error, 0);
  EXPECT_EQ(Slurp(file), "again");

  saved = ReplaceFile((dir_ / "b.fb").string(), "first");
  EXPECT_EQ(saved.error, 0);
  EXPECT_FALSE(saved.existed);
  EXPECT_EQ(Files(), 2u);
}

TEST_F(WindowsSave, ChineseNamesAreUtf8Paths) {
  const std::string name = platform::PathText(dir_ / L"初一新生.fb");
  ASSERT_EQ(ReplaceFile(name, "x").error, 0);
  ASSERT_EQ(ReplaceFile(name, "yy").error, 0);
  EXPECT_EQ(Slurp(dir_ / L"初一新生.fb"), "yy");
  // The name is the one the system shows, not its bytes in another code page.
  EXPECT_TRUE(fs::exists(dir_ / fs::path(L"初一新生.fb")));
}

TEST_F(WindowsSave, FailuresKeepTheOldFileAndSayWhy) {
  EXPECT_EQ(ReplaceFile((dir_ / "no" / "a.fb").string(), "x").error, ENOENT);
  fs::create_directories(dir_ / "c.fb" / "inner");
  EXPECT_EQ(ReplaceFile((dir_ / "c.fb").string(), "x").error, EISDIR);
  EXPECT_TRUE(fs::exists(dir_ / "c.fb" / "inner"));

  // A file another program holds open without sharing stays as it is.
  const fs::path held = dir_ / "held.fb";
  { std::ofstream(held) << "old"; }
  HANDLE h = CreateFileW(held.wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  const SaveOutcome refused = ReplaceFile(held.string(), "new");
  CloseHandle(h);
  EXPECT_NE(refused.error, 0);
  EXPECT_TRUE(refused.existed);
  EXPECT_EQ(Slurp(held), "old");
  // None of our temporary files stays (Wine's ReplaceFileW leaves one of
  // its own, rf*.tmp, when it fails).
  for (const auto& e : fs::directory_iterator(dir_)) {
    EXPECT_FALSE(IsOurTemporaryName(e.path().filename().string())) << e.path().filename();
  }
  EXPECT_TRUE(fs::exists(dir_ / "held.fb"));
}

TEST_F(WindowsSave, TemporariesOfEndedProgramsAreRemoved) {
  // A process id no process has (ids are multiples of four) and our own.
  const std::string stale = ".~fb4294967294.abc123";
  const std::string own = ".~fb" + std::to_string(GetCurrentProcessId()) + ".abc123";
  ASSERT_TRUE(IsOurTemporaryName(stale));
  { std::ofstream(dir_ / stale) << "x"; }
  { std::ofstream(dir_ / own) << "x"; }
  ASSERT_EQ(ReplaceFile((dir_ / "a.fb").string(), "x").error, 0);
  EXPECT_FALSE(fs::exists(dir_ / stale));
  EXPECT_TRUE(fs::exists(dir_ / own));
}

}  // namespace
}  // namespace tessaly::io
