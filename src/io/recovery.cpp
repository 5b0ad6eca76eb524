#include "io/recovery.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#include "platform/encoding.h"
#include "platform/paths.h"

namespace tessaly::io {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPrefix = "tessaly-";
constexpr std::string_view kCopyEnd = ".fb";
constexpr std::string_view kLockEnd = ".lock";
constexpr std::string_view kAsideFolder = "set-aside";

// "tessaly-<pid>-<six letters or digits>": one name per program run, so
// that a later program with the same process id never writes over a copy
// that an earlier one left.
std::string OwnStem() {
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::mt19937 gen{std::random_device{}()};
  std::string stem = std::string(kPrefix) + std::to_string(::getpid()) + "-";
  for (int i = 0; i < 6; ++i) stem += kChars[gen() % 36];
  return stem;
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

std::string LockPathOf(const std::string& copy_path) {
  return copy_path.substr(0, copy_path.size() - kCopyEnd.size()) + std::string(kLockEnd);
}

std::int64_t WrittenAt(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<std::int64_t>(st.st_mtime) : 0;
}

// The lock file holds the division file's path and a line end.
std::string FileNamedBy(const platform::FileLock& lock) {
  std::string text = lock.Read();
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

}  // namespace

RecoveryCopies::RecoveryCopies(std::string folder) : folder_(std::move(folder)) {}

RecoveryCopies::~RecoveryCopies() {
  Remove();
}

std::optional<std::string> RecoveryCopies::Write(const model::ProgramState& state,
                                                 const std::string& file) {
  if (folder_.empty()) return "没有可写入恢复副本的用户数据文件夹。"_gb;
  if (!own_lock_) {
    std::error_code ec;
    fs::create_directories(platform::PathOf(folder_), ec);
    const std::string stem = folder_ + "/" + OwnStem();
    own_lock_ = platform::FileLock::Take(stem + std::string(kLockEnd));
    if (!own_lock_) return "无法在文件夹“"_gb + folder_ + "”中写入恢复副本。"_gb;
    own_path_ = stem + std::string(kCopyEnd);
  }
  own_lock_->Write(file + "\n");
  return SaveDivisionFile(state, own_path_);
}

void RecoveryCopies::Remove() {
  if (!own_lock_) return;
  // The copy goes first: a copy never stays without its lock file while
  // this program runs.
  ::unlink(own_path_.c_str());
  own_lock_->RemoveAndRelease();
  own_lock_.reset();
  own_path_.clear();
}

std::vector<LeftCopy> RecoveryCopies::Left() const {
  std::vector<LeftCopy> copies;
  if (folder_.empty()) return copies;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(platform::PathOf(folder_), ec)) {
    const std::string name = platform::PathText(entry.path().filename());
    if (name.rfind(kPrefix, 0) != 0 || !EndsWith(name, kCopyEnd)) continue;
    if (!entry.is_regular_file(ec)) continue;
    // Named as this program names its own copy (own_path_), whatever
    // separator the system's listing uses.
    const std::string path = folder_ + "/" + name;
    if (path == own_path_) continue;
    // A lock that cannot be taken belongs to a program still running.
    std::optional<platform::FileLock> lock = platform::FileLock::Take(LockPathOf(path));
    if (!lock) continue;
    // The copy may have been removed by its program just before it ended.
    if (!fs::exists(platform::PathOf(path), ec)) {
      lock->RemoveAndRelease();
      continue;
    }
    LeftCopy copy{path, FileNamedBy(*lock), WrittenAt(path), std::move(lock)};
    copies.push_back(std::move(copy));
  }
  std::sort(copies.begin(), copies.end(), [](const LeftCopy& a, const LeftCopy& b) {
    return a.written != b.written ? a.written > b.written : a.path < b.path;
  });
  return copies;
}

DivisionRead RecoveryCopies::Read(const LeftCopy& copy, const model::ProgramState& current) {
  return LoadDivisionFile(copy.path, current);
}

bool RecoveryCopies::SetAside(LeftCopy& copy) const {
  std::error_code ec;
  const fs::path aside = platform::PathOf(folder_) / kAsideFolder;
  fs::create_directories(aside, ec);
  // rename would replace a copy set aside earlier under the same name: a
  // taken name gets a number.
  const std::string stem = platform::PathText(platform::PathOf(copy.path).stem());
  fs::path target = aside / platform::PathOf(copy.path).filename();
  for (int n = 2; fs::exists(target, ec) && n < 1000; ++n) {
    target = aside / platform::PathOf(stem + "-" + std::to_string(n) + std::string(kCopyEnd));
  }
  if (fs::exists(target, ec)) return false;
  fs::rename(platform::PathOf(copy.path), target, ec);
  if (ec) return false;
  if (!copy.file.empty()) {
    // Which division file the copy belonged to stays beside it.
    std::ofstream(fs::path(target) += ".file") << copy.file << "\n";
  }
  if (copy.lock) copy.lock->RemoveAndRelease();
  copy.lock.reset();
  return true;
}

void RecoveryCopies::Forget(LeftCopy& copy) {
  ::unlink(copy.path.c_str());
  if (copy.lock) copy.lock->RemoveAndRelease();
  copy.lock.reset();
}

}  // namespace tessaly::io
