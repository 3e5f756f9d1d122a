#include "MariaDb.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTcpServer>
#include <QThread>

#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif
#ifdef Q_OS_UNIX
#include <unistd.h>
#include <csignal>
#endif

namespace {

QString FindProgram(const QString& Name) {
  QString path = QStandardPaths::findExecutable(Name);
  if (path.isEmpty())
    path = QStandardPaths::findExecutable(
        Name, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin")});
  return path;
}

int FreeLoopbackPort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  const int port = probe.serverPort();
  probe.close();
  return port;
}

// The server refuses to run as root unless told to.
QStringList AsUser() {
#ifdef Q_OS_UNIX
  if (::geteuid() == 0) return {QStringLiteral("--user=root")};
#endif
  return {};
}

// "--character-set-server=latin5" as "character_set_server", "latin5".
std::pair<QString, QString> GlobalOf(const QString& ServerOption) {
  QString option = ServerOption.mid(2);
  const qsizetype equals = option.indexOf(QLatin1Char('='));
  const QString value = equals < 0 ? QStringLiteral("ON") : option.mid(equals + 1);
  option.truncate(equals < 0 ? option.size() : equals);
  return {option.replace(QLatin1Char('-'), QLatin1Char('_')), value};
}

int instances = 0;

}  // namespace

MariaDb::MariaDb() : admin_(QStringLiteral("mariadb-fixture#%1").arg(++instances)) {}

MariaDb::~MariaDb() {
  Stop();
  QSqlDatabase::removeDatabase(admin_);
}

bool MariaDb::Start(const QStringList& ExtraArgs) {
  extraArgs_ = ExtraArgs;
  // The address itself, or a file holding it (written by the fixture that
  // started the server, once it knew the port).
  QString external = qEnvironmentVariable("MERIDOX_TEST_MARIADB");
  if (QFileInfo(external).isFile()) {
    QFile file(external);
    if (file.open(QIODevice::ReadOnly)) external = QString::fromUtf8(file.readLine()).trimmed();
  }
  if (!external.isEmpty()) return StartExternal(external, ExtraArgs);
  if (!dir_.isValid()) {
    error_ = QStringLiteral("no temporary folder");
    return false;
  }
  const QString install = FindProgram(QStringLiteral("mariadb-install-db"));
  if (install.isEmpty() || FindProgram(QStringLiteral("mariadbd")).isEmpty()) {
    error_ = QStringLiteral("mariadb-install-db or mariadbd not found (mariadb-server-core)");
    return false;
  }
  // Each server keeps its temporary tables in a folder of its own: servers
  // of suites run side by side clashed over names in the shared one.
  if (!QDir().mkpath(tmpdir())) {
    error_ = QStringLiteral("cannot make ") + tmpdir();
    return false;
  }
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("TMPDIR"), tmpdir());
  p.setProcessEnvironment(env);
  p.start(install,
          QStringList{QStringLiteral("--no-defaults"),
                      QStringLiteral("--auth-root-authentication-method=normal"),
                      QStringLiteral("--skip-test-db"),
                      QStringLiteral("--datadir=") + dir_.path() + QStringLiteral("/data")} +
              AsUser());
  if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
    p.kill();
    error_ = QStringLiteral("mariadb-install-db failed: ") + QString::fromLocal8Bit(p.readAll());
    return false;
  }
  return Launch();
}

bool MariaDb::StartExternal(const QString& Address, const QStringList& ExtraArgs) {
  // host:port:user:password; the password may hold colons.
  const QStringList parts = Address.split(QLatin1Char(':'));
  if (parts.size() < 4 || parts[1].toInt() <= 0) {
    error_ = QStringLiteral(
                 "no MariaDB server: MERIDOX_TEST_MARIADB is neither "
                 "host:port:user:password nor a file holding it: ") +
             Address;
    return false;
  }
  external_ = true;
  host_ = parts[0];
  port_ = parts[1].toInt();
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), admin_);
  db.setHostName(host_);
  db.setPort(port_);
  db.setUserName(parts[2]);
  db.setPassword(parts.mid(3).join(QLatin1Char(':')));
  if (!Launch()) return false;
  // The server runs already: its options become global variables, for the
  // connections made from now on, and go back to their defaults at Stop.
  for (const QString& option : ExtraArgs) {
    const auto [name, value] = GlobalOf(option);
    if (!Exec(QStringLiteral("SET GLOBAL %1 = '%2'").arg(name, value))) return false;
  }
  return true;
}

bool MariaDb::Launch() {
  if (Running()) return true;
  if (external_) {
    QSqlDatabase db = QSqlDatabase::database(admin_, false);
    connected_ = db.open();
    if (!connected_) {
      error_ = QStringLiteral("the server of MERIDOX_TEST_MARIADB did not answer: ") +
               db.lastError().text();
      return false;
    }
    QSqlQuery(db).exec(QStringLiteral("SET NAMES utf8mb4"));
    return true;
  }
  if (port_ == 0) port_ = FreeLoopbackPort();  // a restart keeps its port
  process_.setProcessChannelMode(QProcess::MergedChannels);
  // A test that dies takes its server with it.
#ifdef Q_OS_LINUX
  process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
#endif
  process_.setStandardOutputFile(dir_.path() + QStringLiteral("/server.log"), QIODevice::Append);
  process_.start(
      FindProgram(QStringLiteral("mariadbd")),
      QStringList{QStringLiteral("--no-defaults"),
                  QStringLiteral("--datadir=") + dir_.path() + QStringLiteral("/data"),
                  QStringLiteral("--socket=") + socket(), QStringLiteral("--tmpdir=") + tmpdir(),
                  QStringLiteral("--port=%1").arg(port_),
                  QStringLiteral("--bind-address=127.0.0.1"),
                  QStringLiteral("--pid-file=") + dir_.path() + QStringLiteral("/pid"),
                  QStringLiteral("--skip-name-resolve"), QStringLiteral("--skip-log-bin"),
                  QStringLiteral("--innodb-buffer-pool-size=16M")} +
          AsUser() + extraArgs_);
  if (!process_.waitForStarted(10000) || !WaitReady()) {
    process_.kill();
    process_.waitForFinished(10000);
    return false;
  }
  return true;
}

// Ready when root can log in over the socket; bounded.
bool MariaDb::WaitReady() {
  QSqlDatabase db = QSqlDatabase::contains(admin_)
                        ? QSqlDatabase::database(admin_, false)
                        : QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), admin_);
  db.close();
  db.setUserName(QStringLiteral("root"));
  db.setConnectOptions(QStringLiteral("UNIX_SOCKET=") + socket());
  const QDeadlineTimer deadline(60000);
  while (!deadline.hasExpired()) {
    if (!Running()) {
      error_ = QStringLiteral("mariadbd ended; see ") + dir_.path() + QStringLiteral("/server.log");
      return false;
    }
    if (db.open()) {
      QSqlQuery(db).exec(QStringLiteral("SET NAMES utf8mb4"));
      return true;
    }
    QThread::msleep(50);
  }
  error_ = QStringLiteral("mariadbd did not answer: ") + db.lastError().text();
  return false;
}

void MariaDb::Stop() {
  if (external_ && connected_) {
    for (const QString& option : extraArgs_)
      Exec(QStringLiteral("SET GLOBAL %1 = DEFAULT").arg(GlobalOf(option).first));
    extraArgs_.clear();
    connected_ = false;
  }
  if (QSqlDatabase::contains(admin_)) QSqlDatabase::database(admin_, false).close();
  if (!Running()) return;
#ifdef Q_OS_UNIX
  ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
#else
  process_.terminate();
#endif
  if (!process_.waitForFinished(30000)) {
    process_.kill();
    process_.waitForFinished(10000);
  }
}

bool MariaDb::Exec(const QString& Statement, const QVariantList& Params, const QString& Database) {
  QSqlDatabase db = QSqlDatabase::database(admin_, false);
  if (!db.isOpen()) {
    error_ = QStringLiteral("the server is not running");
    return false;
  }
  QSqlQuery q(db);
  if (!Database.isEmpty() && !q.exec(QStringLiteral("USE `%1`").arg(Database))) {
    error_ = q.lastError().text();
    return false;
  }
  if (Params.isEmpty() ? !q.exec(Statement) : !(q.prepare(Statement) && [&] {
        for (const QVariant& p : Params) q.addBindValue(p);
        return q.exec();
      }())) {
    error_ = Statement + QStringLiteral(": ") + q.lastError().text();
    return false;
  }
  return true;
}

bool MariaDb::CreateDatabase(const QString& Database, const QString& User,
                             const QString& Password) {
  // A server of the run's own may still hold the database of a suite run
  // before.
  if (external_ && !Exec(QStringLiteral("DROP DATABASE IF EXISTS `%1`").arg(Database)))
    return false;
  return Exec(QStringLiteral("CREATE DATABASE `%1`").arg(Database)) &&
         Exec(QStringLiteral("CREATE USER IF NOT EXISTS '%1'@'127.0.0.1' IDENTIFIED BY '%2'")
                  .arg(User, Password)) &&
         Exec(QStringLiteral("GRANT SELECT ON `%1`.* TO '%2'@'127.0.0.1'").arg(Database, User));
}

QString MariaDb::Text(const QString& Value) {
  return QStringLiteral("CONVERT(UNHEX('%1') USING utf8mb4)")
      .arg(QString::fromLatin1(Value.toUtf8().toHex()));
}
