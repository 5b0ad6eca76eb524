#include "io/safe_save.h"

namespace tessaly::io {

namespace {
constexpr std::string_view kPrefix = kTemporaryPrefix;
}  // namespace

bool IsOurTemporaryName(std::string_view name, long* pid) {
  if (name.substr(0, kPrefix.size()) != kPrefix) return false;
  name.remove_prefix(kPrefix.size());
  std::size_t dot = name.find('.');
  if (dot == 0 || dot == std::string_view::npos || dot > 10 || name.size() != dot + 7) {
    return false;
  }
  long value = 0;
  for (char c : name.substr(0, dot)) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  for (char c : name.substr(dot + 1)) {
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
  }
  if (pid) *pid = value;
  return true;
}

}  // namespace tessaly::io
