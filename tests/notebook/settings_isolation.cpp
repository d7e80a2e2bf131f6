// Points the settings store at a private folder before any test runs, so the
// tests never read or write the user's own settings (nor those of other test
// programs running at the same time), on every platform.
#include <QCoreApplication>
#include <QSettings>
#include <QString>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

struct IsolateSettings {
  IsolateSettings() {
    dir = std::filesystem::temp_directory_path() /
          ("vantora-nb-settings-" + std::to_string(QCoreApplication::applicationPid()));
    std::filesystem::create_directories(dir);
    // The profile's QSettings uses the native format: a file under this path
    // on Linux and macOS (on Windows, the registry).
    for (auto format : {QSettings::NativeFormat, QSettings::IniFormat})
      QSettings::setPath(format, QSettings::UserScope, QString::fromStdString(dir.u8string()));
  }
  ~IsolateSettings() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  std::filesystem::path dir;
} isolate;

}  // namespace

#include <gtest/gtest.h>

#ifndef _WIN32
TEST(SettingsIsolation, ProfileLivesInAPrivateFolder) {
  QSettings settings("Halvorn", "VantoraPC");
  EXPECT_NE(settings.fileName().toStdString().find("vantora-nb-settings-"), std::string::npos)
      << settings.fileName().toStdString();
}
#endif
