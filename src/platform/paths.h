#pragma once
// The program's paths (UTF-8 text, as the system names files) as
// std::filesystem paths, and back. On Windows the narrow form of a
// std::filesystem path is not UTF-8 (MinGW's C library reads it byte by
// byte), so these conversions go through UTF-16 there; elsewhere they keep
// the bytes.

#include <filesystem>
#include <string>

namespace tessaly::platform {

std::filesystem::path PathOf(const std::string& text);
std::string PathText(const std::filesystem::path& path);

}  // namespace tessaly::platform
