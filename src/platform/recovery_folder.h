#pragma once
// Where the desktop program keeps recovery copies of unsaved work, and the
// lock by which a running program tells that its copy is still in use.

#include <optional>
#include <string>
#include <string_view>

namespace tessaly::platform {

// The recovery folder for the given environment values (either may be null
// or empty): XDG_DATA_HOME/tessaly/recovery when that is an absolute path,
// else HOME/.local/share/tessaly/recovery; empty when neither is usable.
std::string RecoveryFolderFor(const char* xdg_data_home, const char* home);

// The recovery folder of this user, from the environment.
std::string RecoveryFolder();

// An exclusive lock on a file, held while the object lives. The system
// drops it when the process ends, however it ends (a crash, a kill), so a
// lock that can be taken tells that its owner is gone. Two locks on the same
// file exclude each other within one process as well.
class FileLock {
 public:
  // Creates the file when missing and locks it; no value when another
  // holder has it or the file cannot be opened.
  static std::optional<FileLock> Take(const std::string& path);

  FileLock(FileLock&& other) noexcept;
  FileLock& operator=(FileLock&& other) noexcept;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  ~FileLock();

  const std::string& path() const { return path_; }
  // Replaces the locked file's content; false on failure.
  bool Write(std::string_view content);
  // The locked file's content.
  std::string Read() const;
  // Removes the file, then lets the lock go.
  void RemoveAndRelease();

 private:
  FileLock(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  // Closes a descriptor of the system's C library (each system's file).
  static void Close(int fd);
  int fd_ = -1;
  std::string path_;
};

}  // namespace tessaly::platform
