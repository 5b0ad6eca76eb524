// Replacing a file on Windows: the bytes go to a temporary file in the
// target's folder, reach the disk, and then replace the target in one step
// (ReplaceFile keeps the old file's attributes and permissions).
#include <windows.h>
// windows.h names ReplaceFileW ReplaceFile too; ours is the one below.
#undef ReplaceFile

#include <algorithm>
#include <cerrno>
#include <random>

#include "io/safe_save.h"
#include "platform/wide_text.h"

namespace tessaly::io {
namespace {

using platform::ErrnoOf;
using platform::WideFromUtf8;

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return ".";
  if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);
  return path.substr(0, slash);
}

std::string TemporaryName() {
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  static thread_local std::mt19937 gen{std::random_device{}()};
  std::string name = std::string(kTemporaryPrefix) + std::to_string(GetCurrentProcessId()) + ".";
  for (int i = 0; i < 6; ++i) name += kChars[gen() % 36];
  return name;
}

bool ProcessRuns(DWORD pid) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (process == nullptr) return GetLastError() != ERROR_INVALID_PARAMETER;
  const bool runs = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return runs;
}

// Removes temporary files of ours in the folder whose process has ended:
// what a save that was killed on the way left behind.
void RemoveStaleTemporaries(const std::string& folder) {
  WIN32_FIND_DATAW found;
  const std::wstring wide_folder = WideFromUtf8(folder) + L"\\";
  HANDLE search = FindFirstFileW((wide_folder + L".~fb*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    long pid = 0;
    const std::string name = platform::Utf8FromWide(found.cFileName);
    if (!IsOurTemporaryName(name, &pid) || static_cast<DWORD>(pid) == GetCurrentProcessId()) {
      continue;
    }
    if (!ProcessRuns(static_cast<DWORD>(pid))) DeleteFileW((wide_folder + found.cFileName).c_str());
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

// The absolute form of a path (ReplaceFileW of Wine takes no relative
// paths).
std::wstring FullPath(const std::wstring& path) {
  const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (n == 0) return path;
  std::wstring full(n, L'\0');
  const DWORD got = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
  if (got == 0 || got >= n) return path;
  full.resize(got);
  return full;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD wrote = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 24));
    if (!WriteFile(file, bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0) return false;
    done += wrote;
  }
  return FlushFileBuffers(file) != 0;
}

}  // namespace

SaveOutcome ReplaceFile(const std::string& path, std::string_view bytes) {
  SaveOutcome out;
  const std::wstring target = FullPath(WideFromUtf8(path));
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      out.error = EISDIR;
      return out;
    }
    out.existed = true;
  }
  const std::string folder = FolderOf(path);
  RemoveStaleTemporaries(folder);

  std::wstring temp;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
    temp = FullPath(WideFromUtf8(folder + "\\" + TemporaryName()));
    file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) {
      out.error = ErrnoOf(GetLastError());
      return out;
    }
  }
  if (file == INVALID_HANDLE_VALUE) {
    out.error = EEXIST;
    return out;
  }
  const auto fail = [&](DWORD error) {
    out.error = ErrnoOf(error);
    DeleteFileW(temp.c_str());
    return out;
  };
  if (!WriteAll(file, bytes)) {
    const DWORD error = GetLastError();
    CloseHandle(file);
    return fail(error);
  }
  CloseHandle(file);
  const bool replaced =
      out.existed ? ::ReplaceFileW(target.c_str(), temp.c_str(), nullptr,
                                   REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0
                  : MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
  if (!replaced) return fail(GetLastError());
  return out;
}

}  // namespace tessaly::io
