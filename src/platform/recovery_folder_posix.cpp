// The recovery folder by the base directory rules, and locks by flock.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/recovery_folder.h"

namespace tessaly::platform {

std::string RecoveryFolder() {
  return RecoveryFolderFor(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

std::optional<FileLock> FileLock::Take(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return std::nullopt;
  // flock belongs to the open file, not to the process: a second Take in
  // the same program fails as it would in another one.
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    ::close(fd);
    return std::nullopt;
  }
  return FileLock(fd, path);
}

void FileLock::Close(int fd) {
  ::close(fd);
}

bool FileLock::Write(std::string_view content) {
  if (fd_ < 0 || ::ftruncate(fd_, 0) != 0) return false;
  std::size_t done = 0;
  while (done < content.size()) {
    ssize_t n =
        ::pwrite(fd_, content.data() + done, content.size() - done, static_cast<off_t>(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::string FileLock::Read() const {
  std::string content;
  if (fd_ < 0) return content;
  char buffer[4096];
  off_t at = 0;
  for (;;) {
    ssize_t n = ::pread(fd_, buffer, sizeof buffer, at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    content.append(buffer, static_cast<std::size_t>(n));
    at += n;
  }
  return content;
}

void FileLock::RemoveAndRelease() {
  if (fd_ < 0) return;
  ::unlink(path_.c_str());
  Close(fd_);
  fd_ = -1;
}

}  // namespace tessaly::platform
