// The personnel database: the MySQL database of the PDKS program, which owns
// it. The system only reads it: the names of the cards in the name list and
// the member list with its membership dates.
#pragma once
#include <QString>
#include <QStringList>

#include "data/Connection.h"

class TDataSet;
class TNameList;

// The connection to the PDKS server. Its properties are used the next time
// it opens; it opens by itself with the first statement run on it while it
// is closed, and stays open until Close.
class TMyConnection : public TConnection {
 public:
  explicit TMyConnection(const QString& Label = QStringLiteral("PDKS"));
  ~TMyConnection() override;

  QString Server = QStringLiteral("localhost");
  QString Database = QStringLiteral("mysql");
  QString Username = QStringLiteral("root");
  QString Password;
  int Port = 3306;

  // A server that does not answer gives its error after these many seconds
  // instead of freezing the window.
  static constexpr int ConnectTimeout = 10;
  static constexpr int ReadTimeout = 30;

  // The character sets asked for, in order, until the server accepts one.
  QStringList CharacterSets = {QStringLiteral("utf8mb4"), QStringLiteral("utf8"),
                               QStringLiteral("latin5")};
  // The one the open connection uses; empty while closed.
  const QString& CharacterSet() const { return characterSet_; }

  // Throws EDatabaseError with the server's text when it cannot open, or
  // when the server takes none of the character sets.
  void Open();
  void Close() override;

 protected:
  void OpenOnDemand() override { Open(); }

 private:
  QString characterSet_;
};

// Sets the connection up from the five settings values (closing it first):
// server, database, user and password, then the port, which must be a whole
// number. False when a step failed: the steps before it stay done, and the
// caller tells the operator ("Veritabanına bağlanamadı....") and goes on.
bool ConfigurePdksConnection(TMyConnection& Connection, const QString& Server,
                             const QString& Database, const QString& User, const QString& Password,
                             const QString& Port);

// Looks the card number up, exactly as given (leading zeros included). True
// when a person has it; Name is then the first row's first name, a blank and
// surname. Throws EDatabaseError when the name did not arrive intact.
bool LookUpPdksName(TDataSet& Query, const QString& CardNo, QString& Name);

// The names import's walk over the name list as last loaded, each card looked
// up through Query (on Connection): each card found in the personnel database
// gets the person's name on every temp row of that card; the others keep
// theirs. Closes Connection when every card was looked up. An error ends the
// walk where it arose and leaves the connection as it is; names written
// before it stay. The names are committed at once at the end: a commit that
// fails throws EDatabaseError with the database's text (after the walk's own
// error, on a line of its own), and no name is changed.
void ImportPdksNames(TNameList& Names, TDataSet& Query, TMyConnection& Connection);

// The member list's status filter (the "Durum" buttons).
enum class TMemberStatus { All, Active, Passive };

// The member-list statement for a status and a name filter (blanks around
// it dropped); the filter, when there is one, is its one bound value.
QString MemberListStatement(TMemberStatus Status, const QString& NameFilter);

// Runs the member list on Query and gives the number of members listed.
int RefreshMemberList(TDataSet& Query, TMemberStatus Status, const QString& NameFilter);
