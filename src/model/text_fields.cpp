#include "model/text_fields.h"

#include <charconv>
#include <limits>

#include "platform/encoding.h"

namespace tessaly::model {
namespace {

// Calls f(pos, length) for every character of the text.
template <typename F>
void ForEachChar(std::string_view text, F&& f) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t n = enc::CharLength(text, pos);
    if (!f(pos, n)) return;
    pos += n;
  }
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::int32_t CountChar(std::string_view text, char c) {
  std::int32_t count = 0;
  ForEachChar(text, [&](std::size_t pos, std::size_t n) {
    if (n == 1 && text[pos] == c) ++count;
    return true;
  });
  return count;
}

std::string FieldAt(std::string_view text, char c, std::int32_t n) {
  if (n < 1) return {};
  std::int32_t seen = 0;
  std::size_t start = 0;
  std::string result;
  ForEachChar(text, [&](std::size_t pos, std::size_t len) {
    if (len == 1 && text[pos] == c) {
      ++seen;
      if (seen == n) {
        result.assign(text.substr(start, pos - start));
        return false;
      }
      start = pos + 1;
    }
    return true;
  });
  return result;
}

std::int32_t FirstInteger(std::string_view text) {
  std::int64_t value = -1;
  ForEachChar(text, [&](std::size_t pos, std::size_t len) {
    bool digit = len == 1 && IsDigit(text[pos]);
    if (digit) {
      if (value < 0) value = 0;
      value = value * 10 + (text[pos] - '0');
      if (value > std::numeric_limits<std::int32_t>::max()) {
        value = std::numeric_limits<std::int32_t>::max();
      }
      return true;
    }
    return value < 0;  // stop at the first non-digit after the run
  });
  return static_cast<std::int32_t>(value);
}

double FirstNumber(std::string_view text) {
  std::size_t start = std::string_view::npos, end = 0;
  ForEachChar(text, [&](std::size_t pos, std::size_t len) {
    bool part = len == 1 && (IsDigit(text[pos]) || text[pos] == '.');
    if (part) {
      if (start == std::string_view::npos) start = pos;
      end = pos + 1;
      return true;
    }
    return start == std::string_view::npos;
  });
  if (start == std::string_view::npos) return 0;
  std::string_view run = text.substr(start, end - start);
  // Longest valid beginning: digits, at most one point, digits.
  std::size_t point = run.find('.');
  if (point != std::string_view::npos) {
    std::size_t second = run.find('.', point + 1);
    if (second != std::string_view::npos) run = run.substr(0, second);
  }
  if (run == ".") return 0;
  std::string buf(run);
  if (buf.front() == '.') buf.insert(buf.begin(), '0');
  if (buf.back() == '.') buf.pop_back();
  double value = 0;
  auto [ptr, ec] = std::from_chars(buf.data(), buf.data() + buf.size(), value);
  if (ec != std::errc()) return 0;
  return value;
}

std::string RemoveSpaces(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  ForEachChar(text, [&](std::size_t pos, std::size_t len) {
    std::string_view ch = text.substr(pos, len);
    if (ch != " " && ch != "\xA1\xA1") out.append(ch);
    return true;
  });
  return out;
}

bool ListContains(std::string_view item, std::string_view list) {
  std::size_t start = 0;
  bool found = false;
  ForEachChar(list, [&](std::size_t pos, std::size_t len) {
    if (len == 1 && list[pos] == ',') {
      if (list.substr(start, pos - start) == item) {
        found = true;
        return false;
      }
      start = pos + 1;
    }
    return true;
  });
  return found;
}

std::size_t FindText(std::string_view hay, std::string_view needle, std::size_t from) {
  if (needle.empty()) return from <= hay.size() ? from : std::string_view::npos;
  std::size_t found = std::string_view::npos;
  ForEachChar(hay, [&](std::size_t pos, std::size_t) {
    if (pos >= from && hay.substr(pos, needle.size()) == needle) {
      found = pos;
      return false;
    }
    return pos + needle.size() <= hay.size();
  });
  return found;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  std::string out;
  std::size_t pos = 0;
  while (true) {
    std::size_t hit = FindText(text, from, pos);
    if (hit == std::string_view::npos || from.empty()) break;
    out.append(text.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(text.substr(pos));
  return out;
}

std::string ToUpperLatin(std::string_view text) {
  std::string out(text);
  ForEachChar(text, [&](std::size_t pos, std::size_t len) {
    if (len == 1 && out[pos] >= 'a' && out[pos] <= 'z') out[pos] = static_cast<char>(out[pos] - 32);
    return true;
  });
  return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && ToUpperLatin(a) == ToUpperLatin(b);
}

}  // namespace tessaly::model
