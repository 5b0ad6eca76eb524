// The workbook's scratch file and its placing, by Windows calls.
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdlib>

#include "io/export/scratch_file.h"
#include "platform/wide_text.h"

namespace tessaly::io::exports {

int StartScratch(const std::string& path, std::string& temp) {
  temp = path + ".XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return errno;
  ::_close(fd);
  return 0;
}

int PlaceFinished(const std::string& temp, const std::string& path) {
  const std::wstring from = platform::WideFromUtf8(temp);
  HANDLE file = CreateFileW(from.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD error = 0;
  if (file == INVALID_HANDLE_VALUE || !FlushFileBuffers(file)) error = GetLastError();
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (error == 0 && !MoveFileExW(from.c_str(), platform::WideFromUtf8(path).c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = GetLastError();
  }
  if (error == 0) return 0;
  DeleteFileW(from.c_str());
  return platform::ErrnoOf(error);
}

char* ScratchFolder() {
  return nullptr;
}

}  // namespace tessaly::io::exports
