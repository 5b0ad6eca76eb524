#pragma once
// The settings file as core sees it: values read and written key by key in
// sections. The program's implementation is the INI file beside the
// executable (platform/); tests use a map.

#include <optional>
#include <string>

namespace tessaly::model {

class SettingsPort {
 public:
  virtual ~SettingsPort() = default;
  // The value of `key` in `section`; none when the file, section or key is
  // missing.
  virtual std::optional<std::string> Read(const std::string& section, const std::string& key) = 0;
  // Writes one value, keeping every other line of the file; false when the
  // file could not be written.
  virtual bool Write(const std::string& section, const std::string& key,
                     const std::string& value) = 0;
};

}  // namespace tessaly::model
