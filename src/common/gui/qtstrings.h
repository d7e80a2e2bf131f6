// Core text and paths (Windows-1252) to and from QString, where they meet
// the widgets.
#pragma once

#include <QString>
#include <filesystem>
#include <string>

#include "common/codepage.h"
#include "common/platform.h"

namespace vantora {

inline QString ToQt(const std::string& text) { return QString::fromStdString(Cp1252ToUtf8(text)); }

inline std::string FromQt(const QString& text) { return Utf8ToCp1252(text.toStdString()); }

// A core path as the operating system names it, for Qt's file functions.
inline QString NativeQtPath(const std::string& path) {
  return QString::fromStdString(NativePath(path).u8string());
}

// A path from Qt's file functions as a core path.
inline std::string FromQtPath(const QString& path) {
  return FromNativePath(std::filesystem::u8path(path.toStdString()));
}

}  // namespace vantora
