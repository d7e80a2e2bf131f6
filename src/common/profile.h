// The per-user profile store of VantoraPC: (section, key) pairs read with a
// default and written back when changed. Backed by
// QSettings("Halvorn", "VantoraPC"), which on Windows is the registry key
// HKEY_CURRENT_USER\Software\Halvorn\VantoraPC.
#pragma once

#include <string>

namespace vantora {

class Profile {
 public:
  static std::string GetString(const std::string& section, const std::string& key,
                               const std::string& defaultValue = std::string());
  static int GetInt(const std::string& section, const std::string& key, int defaultValue);
  static void WriteString(const std::string& section, const std::string& key,
                          const std::string& value);
  static void WriteInt(const std::string& section, const std::string& key, int value);
  // The same for values held as UTF-8 (names that Windows-1252 cannot hold).
  static std::string GetUtf8String(const std::string& section, const std::string& key,
                                   const std::string& defaultValue = std::string());
  static void WriteUtf8String(const std::string& section, const std::string& key,
                              const std::string& value);
  static bool Contains(const std::string& section, const std::string& key);
  static void Remove(const std::string& section, const std::string& key);
  static void Sync();
};

// The folder that holds the settings file (with a trailing separator), for
// the user's own files kept beside it: ~/.config/Halvorn/ on Linux, the
// Halvorn folder of the roaming application data on Windows.
std::string SettingsFolder();

// Folder of the running program (with a trailing separator); set by main().
void SetProgramFolder(const std::string& folder);
std::string ProgramFolder();

// "Directories"/"Program" with a separator appended, or the running program's
// own folder when that setting is empty.
std::string ProgramDirectory();

}  // namespace vantora
