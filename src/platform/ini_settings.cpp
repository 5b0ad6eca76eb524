#include "platform/ini_settings.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include "platform/paths.h"
#include "platform/wide_text.h"
#endif

namespace tessaly::platform {
namespace {

namespace fs = std::filesystem;

std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  const auto e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::optional<std::string> Slurp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  std::istringstream in(text);
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// The section named by a line "[name]", or none.
std::optional<std::string> SectionOf(const std::string& line) {
  const std::string t = Trim(line);
  if (t.size() < 2 || t.front() != '[' || t.back() != ']') return std::nullopt;
  return Trim(t.substr(1, t.size() - 2));
}

// The key of a line "key=value", or none (comments and other lines).
std::optional<std::string> KeyOf(const std::string& line) {
  const std::string t = Trim(line);
  if (t.empty() || t[0] == ';' || t[0] == '#') return std::nullopt;
  const auto eq = t.find('=');
  if (eq == std::string::npos) return std::nullopt;
  return Trim(t.substr(0, eq));
}

bool WriteWhole(const fs::path& file, const std::string& text) {
  std::error_code ec;
  const fs::path tmp = file.string() + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << text;
    out.flush();
    if (!out) {
      out.close();
      fs::remove(tmp, ec);
      return false;
    }
  }
  fs::rename(tmp, file, ec);
  if (ec) {
    fs::remove(tmp, ec);
    return false;
  }
  return true;
}

std::string DefaultText(const fs::path& program_folder) {
  const fs::path skin = program_folder / "skin" / "skin.ini";
  return "[face]\nfacefile=" + skin.string() + "\n[YuSeBanJi]\nYSBJ_Show=1\n";
}

// True when the folder exists (or can be made) and takes a new file.
bool FolderTakesFiles(const fs::path& folder) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  const fs::path probe = folder / ".tessaly-write-test";
  {
    std::ofstream out(probe, std::ios::binary | std::ios::trunc);
    if (!out) return false;
  }
  fs::remove(probe, ec);
  return true;
}

// A file that can be opened for writing where it is, without changing it.
bool FileWritable(const fs::path& file) {
  std::ofstream out(file, std::ios::binary | std::ios::app);
  return static_cast<bool>(out);
}

}  // namespace

std::optional<std::string> IniSettings::Read(const std::string& section, const std::string& key) {
  const std::optional<std::string> text = Slurp(file_);
  if (!text) return std::nullopt;
  bool inside = false;
  for (const std::string& line : Lines(*text)) {
    if (auto s = SectionOf(line)) {
      inside = SameName(*s, section);
    } else if (inside) {
      if (auto k = KeyOf(line); k && SameName(*k, key)) {
        return Trim(Trim(line).substr(Trim(line).find('=') + 1));
      }
    }
  }
  return std::nullopt;
}

bool IniSettings::Write(const std::string& section, const std::string& key,
                        const std::string& value) {
  std::vector<std::string> lines = Lines(Slurp(file_).value_or(""));
  const std::string entry = key + "=" + value;
  bool inside = false;
  std::optional<std::size_t> section_end;  // one past the section's last key line
  bool done = false;
  for (std::size_t i = 0; i < lines.size() && !done; ++i) {
    if (auto s = SectionOf(lines[i])) {
      inside = SameName(*s, section);
      if (inside) section_end = i + 1;
    } else if (inside) {
      if (auto k = KeyOf(lines[i])) {
        if (SameName(*k, key)) {
          lines[i] = entry;
          done = true;
        } else {
          section_end = i + 1;
        }
      }
    }
  }
  if (!done) {
    if (section_end) {
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*section_end), entry);
    } else {
      lines.push_back("[" + section + "]");
      lines.push_back(entry);
    }
  }
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return WriteWhole(file_, text);
}

fs::path UserConfigFolder() {
#ifdef _WIN32
  // The roaming application data, where Windows keeps a user's settings.
  const std::string appdata = EnvironmentUtf8(L"APPDATA");
  return appdata.empty() ? fs::path() : PathOf(appdata) / "Tessaly";
#else
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
    return fs::path(xdg) / "tessaly";
  if (const char* home = std::getenv("HOME"); home && *home) {
    return fs::path(home) / ".config" / "tessaly";
  }
  return {};
#endif
}

ProgramSettings OpenProgramSettings(const fs::path& program_folder, const fs::path& user_folder) {
  const fs::path beside = program_folder / "path.ini";
  std::error_code ec;
  const bool exists = fs::exists(beside, ec);
  // Writes go through a temporary file beside path.ini, so the folder itself
  // must take files.
  const bool usable =
      FolderTakesFiles(program_folder) &&
      (exists ? FileWritable(beside) : WriteWhole(beside, DefaultText(program_folder)));
  if (usable) {
    return {IniSettings(beside), false};
  }
  const fs::path fallback = user_folder / "path.ini";
  if (!fs::exists(fallback, ec) && !user_folder.empty()) {
    fs::create_directories(user_folder, ec);
    WriteWhole(fallback, Slurp(beside).value_or(DefaultText(program_folder)));
  }
  return {IniSettings(fallback), true};
}

}  // namespace tessaly::platform
