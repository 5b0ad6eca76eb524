// The workbook's scratch file and its placing, by POSIX calls.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "io/export/scratch_file.h"

namespace tessaly::io::exports {
namespace {

// The permissions of the file being replaced, or those of a new file.
mode_t TargetMode(const std::string& path) {
  struct stat old {};
  if (::stat(path.c_str(), &old) == 0) return old.st_mode & 07777;
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

// libxlsxwriter keeps every part's XML in scratch files until it zips them
// (two per sheet, hundreds for a grade): in memory-backed storage, where the
// system has it, they cost no disk files.
char* ScratchFolder() {
  static char shm[] = "/dev/shm";
  struct stat st {};
  if (::stat(shm, &st) == 0 && S_ISDIR(st.st_mode) && ::access(shm, W_OK | X_OK) == 0) return shm;
  return nullptr;
}

int StartScratch(const std::string& path, std::string& temp) {
  temp = path + ".XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) return errno;
  ::fchmod(fd, TargetMode(path));
  ::close(fd);
  return 0;
}

int PlaceFinished(const std::string& temp, const std::string& path) {
  // The workbook reaches the disk before it replaces the earlier file.
  int written = ::open(temp.c_str(), O_RDONLY);
  if (written < 0 || ::fsync(written) != 0) {
    int err = errno;
    if (written >= 0) ::close(written);
    ::unlink(temp.c_str());
    return err;
  }
  ::close(written);
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    int err = errno;
    ::unlink(temp.c_str());
    return err;
  }
  return 0;
}

}  // namespace tessaly::io::exports
