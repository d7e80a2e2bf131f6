// Windows-1252 <-> UTF-8 conversion. Text in files and in the core is
// single-byte Windows-1252; it is converted only where it meets the operating
// system (file names on POSIX) or the GUI.
#pragma once

#include <string>

namespace vantora {

std::string Cp1252ToUtf8(const std::string& text);
// Characters with no Windows-1252 form become '?'; malformed UTF-8 bytes are
// taken as Latin-1.
std::string Utf8ToCp1252(const std::string& text);

}  // namespace vantora
