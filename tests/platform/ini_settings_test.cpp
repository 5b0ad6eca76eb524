#include "platform/ini_settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/paths.h"

namespace tessaly::platform {
namespace {

namespace fs = std::filesystem;

struct TempFolder {
  fs::path path;
  TempFolder() {
    path = fs::temp_directory_path() /
           ("tessaly-ini-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~TempFolder() { fs::remove_all(path); }
};

std::string Contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void Put(const fs::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary) << text;
}

TEST(IniSettings, MissingFileIsCreatedWithBothKeys) {
  TempFolder dir;
  ProgramSettings opened = OpenProgramSettings(dir.path, dir.path / "user");
  EXPECT_FALSE(opened.in_user_folder);
  EXPECT_EQ(opened.settings.file(), dir.path / "path.ini");
  EXPECT_EQ(opened.settings.Read("YuSeBanJi", "YSBJ_Show"), "1");
  EXPECT_EQ(opened.settings.Read("face", "facefile"), (dir.path / "skin" / "skin.ini").string());
  // An existing file is kept as it is.
  Put(dir.path / "path.ini", "[YuSeBanJi]\nYSBJ_Show=0\n");
  EXPECT_EQ(
      OpenProgramSettings(dir.path, dir.path / "user").settings.Read("YuSeBanJi", "YSBJ_Show"),
      "0");
}

TEST(IniSettings, WriteReplacesOneKeyAndKeepsEveryOtherLine) {
  TempFolder dir;
  const fs::path file = dir.path / "path.ini";
  Put(file,
      "; comment\r\n[face]\r\nfacefile=C:\\x\\skin\\skin.ini\r\n[yusebanji]\r\n"
      "other = 5\r\nysbj_show = 1\r\n[tail]\r\nk=v\r\n");
  IniSettings ini(file);
  EXPECT_EQ(ini.Read("YuSeBanJi", "YSBJ_Show"), "1");
  EXPECT_EQ(ini.Read("YuSeBanJi", "missing"), std::nullopt);
  EXPECT_EQ(ini.Read("nosection", "k"), std::nullopt);
  ASSERT_TRUE(ini.Write("YuSeBanJi", "YSBJ_Show", "0"));
  EXPECT_EQ(Contents(file),
            "; comment\n[face]\nfacefile=C:\\x\\skin\\skin.ini\n[yusebanji]\n"
            "other = 5\nYSBJ_Show=0\n[tail]\nk=v\n");
  ASSERT_TRUE(ini.Write("face", "new", "1"));
  ASSERT_TRUE(ini.Write("added", "a", "b"));
  EXPECT_EQ(ini.Read("face", "new"), "1");
  EXPECT_EQ(ini.Read("added", "a"), "b");
  EXPECT_EQ(ini.Read("tail", "k"), "v");
  EXPECT_EQ(ini.Read("face", "facefile"), "C:\\x\\skin\\skin.ini");
}

TEST(IniSettings, UnwritableProgramFolderFallsBackToTheUserFolder) {
  TempFolder dir;
  // A folder below a plain file can never be created, whoever runs the test.
  Put(dir.path / "blocker", "x");
  const fs::path program = dir.path / "blocker" / "bin";
  ProgramSettings opened = OpenProgramSettings(program, dir.path / "config" / "tessaly");
  EXPECT_TRUE(opened.in_user_folder);
  EXPECT_EQ(opened.settings.file(), dir.path / "config" / "tessaly" / "path.ini");
  EXPECT_EQ(opened.settings.Read("YuSeBanJi", "YSBJ_Show"), "1");
  ASSERT_TRUE(opened.settings.Write("YuSeBanJi", "YSBJ_Show", "0"));
  ProgramSettings again = OpenProgramSettings(program, dir.path / "config" / "tessaly");
  EXPECT_EQ(again.settings.Read("YuSeBanJi", "YSBJ_Show"), "0");
}

#ifndef _WIN32
TEST(IniSettings, UserConfigFolderFollowsTheEnvironment) {
  const char* old = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = old ? old : "";
  setenv("XDG_CONFIG_HOME", "/tmp/xdg", 1);
  EXPECT_EQ(UserConfigFolder(), fs::path("/tmp/xdg/tessaly"));
  unsetenv("XDG_CONFIG_HOME");
  if (const char* home = std::getenv("HOME")) {
    EXPECT_EQ(UserConfigFolder(), fs::path(home) / ".config" / "tessaly");
  }
  if (old) setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
}
#else
TEST(IniSettings, UserConfigFolderIsInTheRoamingAppData) {
  const std::string saved = std::getenv("APPDATA") ? std::getenv("APPDATA") : "";
  ASSERT_EQ(_putenv_s("APPDATA", "C:\\Users\\老师\\AppData\\Roaming"), 0);
  EXPECT_EQ(PathText(UserConfigFolder()), "C:\\Users\\老师\\AppData\\Roaming\\Tessaly");
  ASSERT_EQ(_putenv_s("APPDATA", ""), 0);
  EXPECT_EQ(UserConfigFolder(), fs::path());
  _putenv_s("APPDATA", saved.c_str());
}
#endif

}  // namespace
}  // namespace tessaly::platform
