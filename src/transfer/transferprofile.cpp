#include "transfer/transferprofile.h"

#include <QSettings>
#include <QString>

#include "common/codepage.h"

namespace vantora {

namespace {

QString Key(const std::string& section, const std::string& key) {
  return QString::fromStdString(Cp1252ToUtf8(section + "/" + key));
}

}  // namespace

int TransferProfile::GetInt(const std::string& section, const std::string& key, int defaultValue) {
  QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Halvorn", "corvanetransfer");
  QVariant v = settings.value(Key(section, key));
  if (!v.isValid()) return defaultValue;
  bool ok = false;
  int value = v.toInt(&ok);
  return ok ? value : defaultValue;
}

std::string TransferProfile::GetString(const std::string& section, const std::string& key,
                                       const std::string& defaultValue) {
  QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Halvorn", "corvanetransfer");
  QVariant v = settings.value(Key(section, key));
  if (!v.isValid()) return defaultValue;
  return Utf8ToCp1252(v.toString().toStdString());
}

void TransferProfile::WriteInt(const std::string& section, const std::string& key, int value) {
  QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Halvorn", "corvanetransfer");
  settings.setValue(Key(section, key), value);
}

void TransferProfile::WriteString(const std::string& section, const std::string& key,
                                  const std::string& value) {
  QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Halvorn", "corvanetransfer");
  settings.setValue(Key(section, key), QString::fromStdString(Cp1252ToUtf8(value)));
}

void TransferProfile::Remove(const std::string& section, const std::string& key) {
  QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Halvorn", "corvanetransfer");
  settings.remove(Key(section, key));
}

std::string TransferProfile::FilePath() {
  QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Halvorn", "corvanetransfer");
  return Utf8ToCp1252(settings.fileName().toStdString());
}

}  // namespace vantora
