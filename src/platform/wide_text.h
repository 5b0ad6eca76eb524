#pragma once
// Windows only: the UTF-16 text of the system's wide functions and the UTF-8
// of the program's paths (the program runs with UTF-8 as its code page; see
// packaging/windows/tessaly.manifest).

#include <string>
#include <string_view>

namespace tessaly::platform {

std::string Utf8FromWide(std::wstring_view wide);
std::wstring WideFromUtf8(std::string_view utf8);

// The value of an environment variable as UTF-8; empty when it is not set.
std::string EnvironmentUtf8(const wchar_t* name);

// The errno value that tells the same as a Windows error code (EIO for one
// without a counterpart), for the messages made from errno values.
int ErrnoOf(unsigned long error);

}  // namespace tessaly::platform
