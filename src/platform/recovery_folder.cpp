#include "platform/recovery_folder.h"

#include <utility>

namespace tessaly::platform {

std::string RecoveryFolderFor(const char* xdg_data_home, const char* home) {
  // A relative XDG_DATA_HOME is invalid and is ignored, as the base
  // directory rules say.
  if (xdg_data_home != nullptr && xdg_data_home[0] == '/') {
    return std::string(xdg_data_home) + "/tessaly/recovery";
  }
  if (home != nullptr && home[0] != '\0')
    return std::string(home) + "/.local/share/tessaly/recovery";
  return {};
}

FileLock::FileLock(FileLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) Close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
  }
  return *this;
}

FileLock::~FileLock() {
  if (fd_ >= 0) Close(fd_);
}

}  // namespace tessaly::platform
