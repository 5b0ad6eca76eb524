#pragma once
// Text at the edge between the core (code page 936) and Qt (UTF-16).

#include <QString>
#include <string>

#include "platform/encoding.h"

namespace tessaly::ui {

// Core text (code page 936) as a Qt string.
inline QString Q(const std::string& cp936) {
  return QString::fromStdString(enc::ToUtf8(cp936));
}

// A Qt string as core text (code page 936).
inline std::string Gb(const QString& text) {
  return enc::FromUtf8(text.toStdString());
}

// A file path as the file system names it (what core opens).
inline std::string PathText(const QString& path) {
  return path.toStdString();
}

// A path that core opened or wrote, for the user to read.
inline QString FilePath(const std::string& path) {
  return QString::fromStdString(path);
}

}  // namespace tessaly::ui
