#include "data/PdksSettings.h"

#include "data/IniFile.h"

TPdksSettings ReadPdksSettings(const QString& SettingsFile) {
  const TIniFile ini(SettingsFile);
  const QString login = QStringLiteral("Login");
  const QString mysql = QStringLiteral("MySql");
  TPdksSettings s;
  s.Server = ini.ReadString(login, QStringLiteral("Server"), {});
  s.Database = ini.ReadString(login, QStringLiteral("Database"), {});
  s.User = ini.ReadString(mysql, QStringLiteral("User"), {});
  s.Password = ini.ReadString(mysql, QStringLiteral("Password"), {});
  s.Port = ini.ReadString(mysql, QStringLiteral("Port"), QStringLiteral("3306"));
  return s;
}

QString PdksCaption(const TPdksSettings& Settings) {
  return QStringLiteral(
             "Parmakizi Datası Kopyalama / Yükleme / Personel İsimlendirme -  [server=") +
         Settings.Server + QStringLiteral("] [veritabanı=") + Settings.Database + QLatin1Char(']');
}
