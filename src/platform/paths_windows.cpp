#include "platform/paths.h"
#include "platform/wide_text.h"

namespace tessaly::platform {

std::filesystem::path PathOf(const std::string& text) {
  return std::filesystem::path(WideFromUtf8(text));
}

std::string PathText(const std::filesystem::path& path) {
  return Utf8FromWide(path.native());
}

}  // namespace tessaly::platform
