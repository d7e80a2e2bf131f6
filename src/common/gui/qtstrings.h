// Core text (Windows-1252) to and from QString, where it meets the widgets.
#pragma once

#include <QString>
#include <string>

#include "common/codepage.h"

namespace vantora {

inline QString ToQt(const std::string& text) { return QString::fromStdString(Cp1252ToUtf8(text)); }

inline std::string FromQt(const QString& text) { return Utf8ToCp1252(text.toStdString()); }

}  // namespace vantora
