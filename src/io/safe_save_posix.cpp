// Replacing a file by an anonymous or temporary file renamed over it.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <random>

#include "io/safe_save.h"

namespace tessaly::io {
namespace {

constexpr std::string_view kPrefix = kTemporaryPrefix;

// The file a path names after following symbolic links (at most 40, as the
// system does); a path that is no link is returned as it is.
std::string ResolveLinks(std::string path) {
  for (int i = 0; i < 40; ++i) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::string target(PATH_MAX, '\0');
    ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n <= 0) return path;
    target.resize(static_cast<std::size_t>(n));
    if (target[0] != '/') {
      std::size_t slash = path.rfind('/');
      if (slash != std::string::npos) target = path.substr(0, slash + 1) + target;
    }
    path = std::move(target);
  }
  return path;
}

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string TemporaryName() {
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  static thread_local std::mt19937 gen{std::random_device{}()};
  std::string name = std::string(kPrefix) + std::to_string(::getpid()) + ".";
  for (int i = 0; i < 6; ++i) name += kChars[gen() % 36];
  return name;
}

// Removes temporary files of ours in the folder whose process has ended:
// what a save that was killed between linking and renaming left behind.
void RemoveStaleTemporaries(int dir_fd) {
  int fd = ::dup(dir_fd);
  if (fd < 0) return;
  DIR* dir = ::fdopendir(fd);
  if (dir == nullptr) {
    ::close(fd);
    return;
  }
  while (dirent* e = ::readdir(dir)) {
    long pid = 0;
    if (!IsOurTemporaryName(e->d_name, &pid) || pid == ::getpid()) continue;
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    ::unlinkat(dir_fd, e->d_name, 0);
  }
  ::closedir(dir);
}

int WriteAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<std::size_t>(n);
  }
  return ::fsync(fd) == 0 ? 0 : errno;
}

// Gives the new file the mode, owner and group of the old one. A user who
// may not give the file away still keeps the group where it is one of
// theirs; what the system refuses is left as it is.
void KeepAttributes(int fd, const struct stat& old) {
  ::fchmod(fd, old.st_mode & 07777);
  if (::fchown(fd, old.st_uid, old.st_gid) != 0) ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
  // A change of owner may clear the set-id bits: set the mode once more.
  ::fchmod(fd, old.st_mode & 07777);
}

}  // namespace

SaveOutcome ReplaceFile(const std::string& path, std::string_view bytes) {
  SaveOutcome out;
  const std::string target = ResolveLinks(path);
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0) {
    if (S_ISDIR(old.st_mode)) {
      out.error = EISDIR;
      return out;
    }
    out.existed = true;
  }
  const std::string folder = FolderOf(target);
  const std::string name =
      target.substr(target.rfind('/') == std::string::npos ? 0 : target.rfind('/') + 1);
  int dir_fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir_fd < 0) {
    out.error = errno;
    return out;
  }
  RemoveStaleTemporaries(dir_fd);
  auto fail = [&](int err, int fd, const std::string& temp) {
    if (fd >= 0) ::close(fd);
    if (!temp.empty()) ::unlinkat(dir_fd, temp.c_str(), 0);
    ::close(dir_fd);
    out.error = err;
    return out;
  };

  std::string temp;
  bool anonymous = false;
#ifdef O_TMPFILE
  // An anonymous file has no name until it is complete: a save killed while
  // writing leaves nothing behind.
  int fd = ::openat(dir_fd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  anonymous = fd >= 0;
#else
  int fd = -1;
#endif
  if (!anonymous) {
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
      temp = TemporaryName();
      fd = ::openat(dir_fd, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd < 0 && errno != EEXIST) return fail(errno, -1, "");
    }
    if (fd < 0) return fail(EEXIST, -1, "");
  }
  if (out.existed) KeepAttributes(fd, old);
  if (int err = WriteAll(fd, bytes)) return fail(err, fd, temp);
  if (anonymous) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
      temp = TemporaryName();
      if (::linkat(AT_FDCWD, self.c_str(), dir_fd, temp.c_str(), AT_SYMLINK_FOLLOW) == 0) break;
      if (errno != EEXIST) return fail(errno, fd, "");
      temp.clear();
    }
    if (temp.empty()) return fail(EEXIST, fd, "");
  }
  if (::close(fd) != 0) return fail(errno, -1, temp);
  if (::renameat(dir_fd, temp.c_str(), dir_fd, name.c_str()) != 0) return fail(errno, -1, temp);
  ::fsync(dir_fd);
  ::close(dir_fd);
  return out;
}

}  // namespace tessaly::io
