#pragma once
// What the system-independent encoding functions and the conversions of each
// system (encoding_posix.cpp: iconv; encoding_windows.cpp: the Windows code
// pages) share.

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaly::enc::detail {

// Byte length of the UTF-8 sequence that starts at `pos`, never past a byte
// that is no continuation byte (1 for a byte that starts no sequence).
std::size_t Utf8SequenceLength(std::string_view s, std::size_t pos);

bool AllAscii(std::string_view s);

// UTF-16 without its byte-order mark -> code page 936 (GB18030). A broken
// unit (a lone surrogate, an odd last byte) becomes '?'.
std::string FromUtf16(std::string_view bytes, bool little);

}  // namespace tessaly::enc::detail
