// The private settings file of corvanetransfer: serial-port sections ("COM1",
// ...) and the "Kestrane" section with the port number. An INI file of the
// program's own (corvanetransfer.ini in the user's configuration folder),
// separate from the VantoraPC settings.
#pragma once

#include <string>

namespace vantora {

class TransferProfile {
 public:
  static int GetInt(const std::string& section, const std::string& key, int defaultValue);
  static std::string GetString(const std::string& section, const std::string& key,
                               const std::string& defaultValue = std::string());
  static void WriteInt(const std::string& section, const std::string& key, int value);
  static void WriteString(const std::string& section, const std::string& key,
                          const std::string& value);
  static void Remove(const std::string& section, const std::string& key);
  // Full path of the settings file.
  static std::string FilePath();
};

}  // namespace vantora
