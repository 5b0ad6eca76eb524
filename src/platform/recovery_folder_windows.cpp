// The recovery folder in the user's local application data, and locks by
// files opened for this program alone.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>

#include "platform/recovery_folder.h"
#include "platform/wide_text.h"

namespace tessaly::platform {
namespace {

HANDLE HandleOf(int fd) {
  return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

}  // namespace

std::string RecoveryFolder() {
  const std::string local = EnvironmentUtf8(L"LOCALAPPDATA");
  return local.empty() ? std::string() : local + "\\Tessaly\\recovery";
}

std::optional<FileLock> FileLock::Take(const std::string& path) {
  // No other opening for writing or deleting while this one lives (in this
  // program or another); the system closes it when the program ends.
  HANDLE h = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                         FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDWR | _O_BINARY);
  if (fd < 0) {
    CloseHandle(h);
    return std::nullopt;
  }
  return FileLock(fd, path);
}

void FileLock::Close(int fd) {
  _close(fd);
}

bool FileLock::Write(std::string_view content) {
  if (fd_ < 0) return false;
  HANDLE h = HandleOf(fd_);
  LARGE_INTEGER start{};
  if (!SetFilePointerEx(h, start, nullptr, FILE_BEGIN) || !SetEndOfFile(h)) return false;
  std::size_t done = 0;
  while (done < content.size()) {
    DWORD wrote = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1 << 20));
    if (!WriteFile(h, content.data() + done, chunk, &wrote, nullptr) || wrote == 0) return false;
    done += wrote;
  }
  return true;
}

std::string FileLock::Read() const {
  std::string content;
  if (fd_ < 0) return content;
  HANDLE h = HandleOf(fd_);
  LARGE_INTEGER start{};
  if (!SetFilePointerEx(h, start, nullptr, FILE_BEGIN)) return content;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) content.append(buffer, got);
  return content;
}

void FileLock::RemoveAndRelease() {
  if (fd_ < 0) return;
  FILE_DISPOSITION_INFO remove{TRUE};
  SetFileInformationByHandle(HandleOf(fd_), FileDispositionInfo, &remove, sizeof remove);
  Close(fd_);
  fd_ = -1;
}

}  // namespace tessaly::platform
