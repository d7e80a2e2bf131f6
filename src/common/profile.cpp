#include "common/profile.h"

#include <QFileInfo>
#include <QSettings>
#include <QString>
#include <filesystem>
#include <mutex>

#include "common/codepage.h"
#include "common/pathutil.h"

namespace vantora {

namespace {

QString Key(const std::string& section, const std::string& key) {
  return QString::fromStdString(Cp1252ToUtf8(section + "/" + key));
}

std::mutex& FolderMutex() {
  static std::mutex m;
  return m;
}
std::string& FolderStore() {
  static std::string folder;
  return folder;
}

}  // namespace

std::string Profile::GetString(const std::string& section, const std::string& key,
                               const std::string& defaultValue) {
  QSettings settings("Halvorn", "VantoraPC");
  QVariant v = settings.value(Key(section, key));
  if (!v.isValid()) return defaultValue;
  return Utf8ToCp1252(v.toString().toStdString());
}

int Profile::GetInt(const std::string& section, const std::string& key, int defaultValue) {
  QSettings settings("Halvorn", "VantoraPC");
  QVariant v = settings.value(Key(section, key));
  if (!v.isValid()) return defaultValue;
  bool ok = false;
  int value = v.toInt(&ok);
  return ok ? value : defaultValue;
}

void Profile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
  QSettings settings("Halvorn", "VantoraPC");
  settings.setValue(Key(section, key), QString::fromStdString(Cp1252ToUtf8(value)));
}

void Profile::WriteInt(const std::string& section, const std::string& key, int value) {
  QSettings settings("Halvorn", "VantoraPC");
  settings.setValue(Key(section, key), value);
}

std::string Profile::GetUtf8String(const std::string& section, const std::string& key,
                                   const std::string& defaultValue) {
  QSettings settings("Halvorn", "VantoraPC");
  QVariant v = settings.value(Key(section, key));
  return v.isValid() ? v.toString().toStdString() : defaultValue;
}

void Profile::WriteUtf8String(const std::string& section, const std::string& key,
                              const std::string& value) {
  QSettings settings("Halvorn", "VantoraPC");
  settings.setValue(Key(section, key), QString::fromStdString(value));
}

bool Profile::Contains(const std::string& section, const std::string& key) {
  QSettings settings("Halvorn", "VantoraPC");
  return settings.contains(Key(section, key));
}

void Profile::Remove(const std::string& section, const std::string& key) {
  QSettings settings("Halvorn", "VantoraPC");
  settings.remove(Key(section, key));
}

void Profile::Sync() {
  QSettings settings("Halvorn", "VantoraPC");
  settings.sync();
}

std::string SettingsFolder() {
  // The INI form names a file on every platform (the native form is the
  // registry on Windows); its folder is the one the settings file is in on
  // Linux and the application data folder on Windows.
  QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Halvorn", "VantoraPC");
  const QString folder = QFileInfo(settings.fileName()).absolutePath();
  if (folder.isEmpty()) return std::string();
  return WithTrailingSeparator(FromNativePath(std::filesystem::u8path(folder.toStdString())));
}

void SetProgramFolder(const std::string& folder) {
  std::lock_guard<std::mutex> guard(FolderMutex());
  FolderStore() = WithTrailingSeparator(folder);
}

std::string ProgramFolder() {
  std::lock_guard<std::mutex> guard(FolderMutex());
  return FolderStore();
}

std::string ProgramDirectory() {
  std::string dir = Profile::GetString("Directories", "Program");
  if (dir.empty()) return ProgramFolder();
  return WithTrailingSeparator(dir);
}

}  // namespace vantora
