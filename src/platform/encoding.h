#pragma once
// Conversion between the code page 936 text used inside the program and the
// UTF-8 text of the outside world (files, terminal, clipboard, Qt strings).
//
// Conversion goes through GB18030: every GBK character keeps its two bytes,
// and characters outside GBK are still carried (as four-byte sequences)
// instead of being lost.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessaly::enc {

// UTF-8 -> code page 936 (GB18030). Invalid UTF-8 sequences become '?'.
std::string FromUtf8(std::string_view utf8);

// Code page 936 (GB18030) -> UTF-8. Bytes that do not form a character
// become U+FFFD.
std::string ToUtf8(std::string_view cp936);

// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

// Outside text of unknown encoding: UTF-16 when it starts with a UTF-16
// byte-order mark (little or big endian), UTF-8 (a leading byte-order mark is
// dropped) when it is valid UTF-8, GB18030 otherwise. The result is always
// valid text (see ValidText).
std::string FromOutside(std::string_view bytes);

// The text with every byte that does not belong to a complete character
// (a lead byte without its trail bytes, 0x80, 0xFF) replaced by '?'. Such a
// byte could otherwise pair with a "|" or another byte that follows it and
// change where a field ends.
std::string ValidText(std::string_view cp936);

// True when every byte of the text belongs to a complete character.
bool IsValidText(std::string_view cp936);

// Appends the UTF-8 form of one Unicode code point (at most U+10FFFF).
void AppendUtf8(std::string& out, std::uint32_t code_point);

// Byte length of the character that starts at `pos` in code page 936 /
// GB18030 text: 1 for single bytes, 2 for double-byte characters, 4 for
// four-byte GB18030 sequences. A lead byte at the very end counts as 1.
std::size_t CharLength(std::string_view text, std::size_t pos);

// The longest prefix of `text` of at most `max_bytes` bytes that does not
// split a character, made valid (see ValidText).
std::string CutToBytes(std::string_view text, std::size_t max_bytes);

}  // namespace tessaly::enc

// "学号"_gb: a UTF-8 literal of the source code as code page 936 text.
// Converted at run time; hoist it out of hot loops.
inline std::string operator""_gb(const char* text, std::size_t size) {
  return tessaly::enc::FromUtf8(std::string_view(text, size));
}
