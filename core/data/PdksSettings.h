// Where the personnel database (the PDKS program's MySQL database) is: five
// values of Settings.ini, read each time the enrollment window is shown.
// The program never writes them.
#pragma once
#include <QString>

struct TPdksSettings {
  QString Server;    // [Login] Server
  QString Database;  // [Login] Database
  QString User;      // [MySql] User
  QString Password;  // [MySql] Password
  QString Port =
      QStringLiteral("3306");  // [MySql] Port, a number only when the connection is set up
};

// Reads the five values from the settings file; a missing file or key gives
// the empty text (3306 for the port); a file that is there but cannot be
// read throws EInOutError.
TPdksSettings ReadPdksSettings(const QString& SettingsFile);

// The enrollment window's caption naming the server and database.
QString PdksCaption(const TPdksSettings& Settings);
