// The Windows code of the platform layer: conversions by the Windows code
// pages, locks of recovery copies, the folders of settings and copies.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "platform/encoding.h"
#include "platform/recovery_folder.h"
#include "platform/wide_text.h"

namespace tessaly::platform {
namespace {

namespace fs = std::filesystem;

TEST(WindowsEncoding, CharactersPastTheBasicPlaneHaveTheirFourBytes) {
  // U+10000, U+20000 (a rare name character), U+10FFFF: one linear run.
  EXPECT_EQ(enc::FromUtf8("\xF0\x90\x80\x80"), "\x90\x30\x81\x30");
  EXPECT_EQ(enc::FromUtf8("\xF0\xA0\x80\x80"), "\x95\x32\x82\x36");
  EXPECT_EQ(enc::FromUtf8("\xF4\x8F\xBF\xBF"), "\xE3\x32\x9A\x35");
  for (const char* utf8 :
       {"\xF0\x90\x80\x80", "\xF0\xA0\x80\x80", "\xF4\x8F\xBF\xBF", "学\xF0\x9F\x98\x80号"}) {
    EXPECT_EQ(enc::ToUtf8(enc::FromUtf8(utf8)), utf8);
  }
  // Four bytes past U+10FFFF are no character.
  EXPECT_EQ(enc::ToUtf8("\xE3\x32\x9A\x36"),
            "\xEF\xBF\xBD"
            "2\xEF\xBF\xBD"
            "6");
}

TEST(WindowsEncoding, BytesThatStartNoCharacterBecomeReplacements) {
  // Code page 936 reads 0x80 as the euro sign; GB18030 reads no character.
  EXPECT_EQ(enc::ToUtf8("a\x80"
                        "b"),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(enc::ToUtf8("\xD1\xA7\xFF"), "学\xEF\xBF\xBD");
  EXPECT_EQ(enc::ToUtf8("\xD1"), "\xEF\xBF\xBD");            // a lead byte at the end
  EXPECT_EQ(enc::FromUtf8("\xC0\x80x\xED\xA0\x80"), "?x?");  // overlong, surrogate
  EXPECT_EQ(enc::FromUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
  // UTF-16 with a lone surrogate and an odd last byte.
  EXPECT_EQ(enc::FromOutside(std::string("\xFF\xFE\x66\x5B\x00\xD8\x41\x00\x42", 9)),
            "\xD1\xA7?A?");
}

TEST(WindowsLock, ExcludesOtherHoldersUntilReleased) {
  const fs::path dir =
      fs::temp_directory_path() / ("tessaly_lock_" + std::to_string(GetCurrentProcessId()));
  fs::create_directories(dir);
  const std::string path = (dir / "copy.lock").string();
  {
    std::optional<FileLock> lock = FileLock::Take(path);
    ASSERT_TRUE(lock);
    EXPECT_FALSE(FileLock::Take(path)) << "a second holder in the same program";
    ASSERT_TRUE(lock->Write("C:\\work\\初一.fb\n"));
    ASSERT_TRUE(lock->Write("D:\\a.fb\n"));  // replaces, does not append
    EXPECT_EQ(lock->Read(), "D:\\a.fb\n");
  }
  // Let go at the end of its holder: taken again, then removed.
  std::optional<FileLock> again = FileLock::Take(path);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->Read(), "D:\\a.fb\n");
  again->RemoveAndRelease();
  EXPECT_FALSE(fs::exists(path));
  EXPECT_TRUE(FileLock::Take(path));
  fs::remove_all(dir);
}

TEST(WindowsFolders, RecoveryCopiesLiveInTheLocalAppData) {
  const std::string saved = EnvironmentUtf8(L"LOCALAPPDATA");
  SetEnvironmentVariableW(L"LOCALAPPDATA", L"C:\\Users\\老师\\AppData\\Local");
  EXPECT_EQ(RecoveryFolder(), "C:\\Users\\老师\\AppData\\Local\\Tessaly\\recovery");
  SetEnvironmentVariableW(L"LOCALAPPDATA", nullptr);
  EXPECT_EQ(RecoveryFolder(), "");
  SetEnvironmentVariableW(L"LOCALAPPDATA", WideFromUtf8(saved).c_str());
}

}  // namespace
}  // namespace tessaly::platform
