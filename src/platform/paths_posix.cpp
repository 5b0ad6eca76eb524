#include "platform/paths.h"

namespace tessaly::platform {

std::filesystem::path PathOf(const std::string& text) {
  return std::filesystem::path(text);
}

std::string PathText(const std::filesystem::path& path) {
  return path.string();
}

}  // namespace tessaly::platform
