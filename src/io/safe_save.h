#pragma once
// Replacing a file's content in one step, so that an interrupted or failed
// save leaves either the old file or the new one, complete, and no debris.

#include <string>
#include <string_view>

namespace tessaly::io {

struct SaveOutcome {
  // 0 on success, else the errno of the step that failed.
  int error = 0;
  // Whether a file was there before (its content is untouched on failure).
  bool existed = false;
};

// Writes `bytes` as the file at `path`. A symbolic link is followed: the file
// it points to is replaced and the link stays. The new file keeps the mode
// and, where the system allows, the owner and group of the file it replaces.
// The bytes go to an anonymous file in the target's folder that is linked
// under a short temporary name and renamed over the target (a named
// temporary file where the file system has no anonymous files); temporary
// files that earlier saves killed on the way left in that folder are
// removed.
SaveOutcome ReplaceFile(const std::string& path, std::string_view bytes);

// How the names of our temporary files start.
inline constexpr std::string_view kTemporaryPrefix = ".~fb";

// The name of a temporary file of ours: ".~fb" + process id + "." + six
// letters or digits. Short, so that a target name of 255 bytes still works.
bool IsOurTemporaryName(std::string_view name, long* pid = nullptr);

}  // namespace tessaly::io
