// A connection to one database: the Qt SQL connection, how and when it
// opens, the statements prepared on it and the dialect its statements are
// rewritten to. Datasets and transactions hold one by reference.
#pragma once
#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

class QSqlError;

class TConnection {
 public:
  // The local files are SQLite databases; the personnel database is a MySQL
  // server. The dialect decides whether rows read carry their identity and
  // can be written back, whether prepared statements are kept, and which of
  // the driver's texts names a fault.
  enum class TDialect { LocalFile, Server };

  virtual ~TConnection();
  TConnection(const TConnection&) = delete;
  TConnection& operator=(const TConnection&) = delete;

  TDialect Dialect() const { return dialect_; }
  // Only the local files read rows with a hidden rowid and write them back;
  // a server database is read as its statements say and never written
  // through a dataset.
  bool IsLocalFile() const { return dialect_ == TDialect::LocalFile; }
  // The statement as the engine takes it: the statements are written in the
  // Jet dialect, whose "delete * from" becomes "delete from".
  QString ToEngineDialect(const QString& Statement) const;

  bool Connected() const { return db_.isOpen(); }
  // Closes the connection and drops the statements prepared on it.
  virtual void Close();

  // Runs Text with its positional bound values ('?'). A closed connection
  // that opens by itself is opened first, and an error opening it fails the
  // statement. On failure Error holds the driver's text.
  QSqlQuery Run(const QString& Text, const QVariantList& Params, QString& Error);

  // The Qt connection, for what a statement cannot say (transactions).
  QSqlDatabase SqlDatabase() const { return db_; }

  // The text that names the fault best.
  virtual QString ErrorText(const QSqlError& Error) const;

 protected:
  // Driver names the Qt SQL driver; Label shows in the Qt connection's name.
  TConnection(TDialect Dialect, const QString& Driver, const QString& Label);
  // Called by Run while the connection is closed; one that opens with its
  // first statement opens here and throws EDatabaseError when it cannot.
  virtual void OpenOnDemand() {}

  QSqlDatabase db_;

 private:
  void ForgetStatements() { statements_.clear(); }

  TDialect dialect_;
  QString name_;  // the Qt connection's name, unique to this object
  // Prepared statements of a local file: a statement run once per record
  // (the backup's look-up and inserts, the download of names) is prepared
  // once. Dropped when the connection closes or opens another file.
  QHash<QString, QSqlQuery> statements_;
};

// A connection to one local database file (Data.mdb, Log.mdb). Never
// creates the file.
class TADOConnection : public TConnection {
 public:
  explicit TADOConnection(const QString& Label = QStringLiteral("local"));
  ~TADOConnection() override;

  // Opens the existing file; throws EDatabaseError when it cannot. The file
  // is kept whole in itself: every commit is written into it before the
  // commit returns, and no log is left beside it. A log an earlier version
  // left beside it, or the journal of a transaction that never ended, is
  // played into it when it came from this file and set aside otherwise (see
  // Notice). A file in a folder that cannot be written opens for reading,
  // without a log or journal that is not its own; its first write fails
  // naming the folder.
  void Open(const QString& FileName);
  // What the operator must be told about the last Open (a log or journal
  // set aside); empty when nothing.
  QString Notice() const { return notice_; }

  // A write the folder or the file refused names the folder.
  QString ErrorText(const QSqlError& Error) const override;

 private:
  void OpenFile(const QString& FileName, const QString& Options);
  void OpenAsItStands(const QString& FileName);

  QString folder_;  // the file's folder, as the operator knows it
  QString notice_;
};
