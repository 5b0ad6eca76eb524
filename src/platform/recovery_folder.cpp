#include "platform/recovery_folder.h"

namespace tessaly::platform {

std::string RecoveryFolderFor(const char* xdg_data_home, const char* home) {
  // A relative XDG_DATA_HOME is invalid and is ignored, as the base
  // directory rules say.
  if (xdg_data_home != nullptr && xdg_data_home[0] == '/') {
    return std::string(xdg_data_home) + "/tessaly/recovery";
  }
  if (home != nullptr && home[0] != '\0')
    return std::string(home) + "/.local/share/tessaly/recovery";
  return {};
}

}  // namespace tessaly::platform
