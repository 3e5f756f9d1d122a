// A MariaDB server of the tests' own (the binaries of mariadb-server-core,
// no system service): a data folder and a folder for its temporary files,
// both in a temporary folder of its own, a free loopback port, and the
// server stopped when the fixture ends. Starting costs seconds, so a suite
// starts one for all its tests.
// With MERIDOX_TEST_MARIADB=host:port:user:password set (a Windows suite
// under Wine, which cannot start the Linux server itself) it uses that
// server instead: started and stopped by the caller (tests/windows has a
// ctest fixture for it), the user allowed everything root may do; the
// server options of Start are then set as global variables, and Stop only
// closes the connection.
#pragma once
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>

class MariaDb {
 public:
  MariaDb();
  ~MariaDb();
  MariaDb(const MariaDb&) = delete;
  MariaDb& operator=(const MariaDb&) = delete;

  // Makes the data folder and starts the server with ExtraArgs (server
  // options); false with Error() telling why.
  bool Start(const QStringList& ExtraArgs = {});
  // Stops the server (it can be started again over the same data).
  void Stop();
  bool Restart() { return Launch(); }
  bool Running() const { return external_ ? connected_ : process_.state() != QProcess::NotRunning; }
  // Whether the server is the one named by MERIDOX_TEST_MARIADB.
  bool External() const { return external_; }
  // The address the server listens on, for a client's settings.
  QString Host() const { return host_; }

  int Port() const { return port_; }
  const QString& Error() const { return error_; }
  QString Folder() const { return dir_.path(); }

  // Runs one statement as root, in Database when given. Values bound to the
  // '?' in order. False with Error() set when it fails.
  bool Exec(const QString& Statement, const QVariantList& Params = {},
            const QString& Database = {});
  // A database and a user who may read it from the loopback address.
  bool CreateDatabase(const QString& Database, const QString& User, const QString& Password);

  // A text value for a statement, independent of any connection's
  // character set: "CONVERT(UNHEX('...') USING utf8mb4)".
  static QString Text(const QString& Value);

 private:
  bool Launch();
  bool WaitReady();
  bool StartExternal(const QString& Address, const QStringList& ExtraArgs);
  QString socket() const { return dir_.path() + QStringLiteral("/mysqld.sock"); }
  QString tmpdir() const { return dir_.path() + QStringLiteral("/tmp"); }

  QTemporaryDir dir_;
  QProcess process_;
  QStringList extraArgs_;
  int port_ = 0;
  QString host_ = QStringLiteral("127.0.0.1");
  bool external_ = false;
  bool connected_ = false;
  QString error_;
  QString admin_;  // the QSqlDatabase connection name of the root connection
};
