#pragma once
// The file a workbook is written to before it replaces its target: beside
// the target, so that one rename puts it in place.

#include <string>

namespace tessaly::io::exports {

// Creates the scratch file for `path`, with the permissions the finished
// file is to have, and names it in `temp`; 0 or the errno of the failure.
int StartScratch(const std::string& path, std::string& temp);

// Puts the finished scratch file on the disk, then in place of `path`; on
// failure the scratch file is removed and `path` is untouched. 0 or an errno.
int PlaceFinished(const std::string& temp, const std::string& path);

// Where libxlsxwriter keeps its own scratch files; null for the system's
// temporary folder.
char* ScratchFolder();

}  // namespace tessaly::io::exports
