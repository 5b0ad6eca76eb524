#include "cli/cli_clipboard.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/cli_files.h"
#include "platform/encoding.h"

namespace tessaly::cli {

std::string FileClipboard::GetText() {
  const bool standard = path_ == "-";
  std::FILE* in = standard ? stdin : std::fopen(path_.c_str(), "rb");
  if (in == nullptr) return {};
  std::string bytes;
  char buffer[1 << 16];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) bytes.append(buffer, n);
  if (!standard) std::fclose(in);
  return enc::FromOutside(bytes);
}

void FileClipboard::SetText(const std::string& text) {
  const std::string utf8 = enc::ToUtf8(text);
  const bool standard = path_ == "-";
  std::FILE* out = standard ? stdout : std::fopen(path_.c_str(), "wb");
  if (out == nullptr) {
    throw CommandFailed("cannot write the clipboard file " + path_ + ": " + std::strerror(errno));
  }
  const bool written = std::fwrite(utf8.data(), 1, utf8.size(), out) == utf8.size();
  const bool closed = standard ? std::fflush(out) == 0 : std::fclose(out) == 0;
  if (!written || !closed) throw CommandFailed("cannot write the clipboard file " + path_);
}

}  // namespace tessaly::cli
