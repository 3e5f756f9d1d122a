#include "data/TerminalList.h"

#include "common/Cleanup.h"
#include "common/Errors.h"
#include "data/DataSet.h"

namespace {

const QString kList = QStringLiteral("select * from Terminal order by Terminal");
const QString kById = QStringLiteral("select * from Terminal where ID=?");
const QString kForInsert = QStringLiteral("select * from Terminal ");

// A row put into insert or edit state and then refused by the database is
// dropped, so the list does not go on showing (and retrying) an unsaved row.
void CancelUnposted(TDataSet& Row) {
  if (Row.State() == TDataSet::TState::Insert || Row.State() == TDataSet::TState::Edit)
    Row.Cancel();
}

// Every column is written whatever the connection type; Tip only when given.
void WriteColumns(TDataSet& Target, const TTerminalRow& Row) {
  auto set = [&Target](const char* Column, const QString& Value) {
    Target.FieldByName(QLatin1String(Column)).SetAsString(Value);
  };
  set("TerminalNo", Row.TerminalNo);
  set("Terminal", Row.Terminal);
  if (!Row.Tip.isEmpty()) set("Tip", Row.Tip);
  set("ComPort", Row.ComPort);
  set("ComBaud", Row.ComBaud);
  set("Ip", Row.Ip);
  set("NetPort", Row.NetPort);
  set("Sifre", Row.Sifre);
}

}  // namespace

TTerminalList::TTerminalList(TDataSet& List, TDataSet& Row) : list_(List), row_(Row) {}

void TTerminalList::Open() {
  list_.OpenSQL(kList);
}

bool TTerminalList::IsEmpty() const {
  return list_.IsEmpty();
}

TTerminalRow TTerminalList::Current() {
  auto text = [this](const char* Column) {
    return list_.FieldByName(QLatin1String(Column)).AsString();
  };
  return {text("Terminal"), text("TerminalNo"), text("Tip"),     text("ComPort"),
          text("ComBaud"),  text("Ip"),         text("NetPort"), text("Sifre")};
}

QString TTerminalList::CurrentName() {
  return list_.FieldByName(QStringLiteral("Terminal")).AsString();
}

TConnInfo TTerminalList::ConnectionRequest(TColumns Columns) {
  TDataSet& row = list_;
  const auto number = [&row](const QString& Column) { return row.FieldByName(Column).AsInteger(); };
  const auto baud = [&row, &number] {
    const QString comBaud = row.FieldByName(QStringLiteral("ComBaud")).AsString();
    return comBaud.isEmpty() ? 9600 : number(QStringLiteral("ComBaud"));
  };
  TConnInfo info;
  info.MachineNumber = number(QStringLiteral("TerminalNo"));
  // "BAGLAN" converts the numbers of every type before it looks at the type:
  // a row with a bad number is refused there whatever its type.
  if (Columns == TColumns::Every) {
    number(QStringLiteral("NetPort"));
    number(QStringLiteral("Sifre"));
    baud();
  }
  const QString tip = row.FieldByName(QStringLiteral("Tip")).AsString();
  if (tip == QLatin1String("usb")) {
    info.Kind = QStringLiteral("USB");
  } else if (tip == QLatin1String("com")) {
    info.Kind = QStringLiteral("RS232/485");
    info.SerialPort = row.FieldByName(QStringLiteral("ComPort")).AsString();
    info.BaudRate = baud();
    info.CommTimeout = 5000;
  } else {
    info.Kind = QStringLiteral("LAN");
    info.IpAddress = row.FieldByName(QStringLiteral("Ip")).AsString();
    info.TcpPort = number(QStringLiteral("NetPort"));
    info.NetPassword = number(QStringLiteral("Sifre"));
    info.NetTimeout = 5000;
    info.NetOption = 0;
  }
  return info;
}

QList<TListedTerminal> TTerminalList::ReadAll() {
  QList<TListedTerminal> terminals;
  if (list_.IsEmpty()) return terminals;
  const int at = list_.RecNo();
  TScopeExit back([this, at] { list_.SetRecNo(at); });
  for (list_.First(); !list_.Eof(); list_.Next()) {
    TListedTerminal t;
    t.Name = CurrentName();
    try {
      t.Info = ConnectionRequest(TColumns::Used);
    } catch (const EConvertError& e) {
      t.RowError = e.Text();
    }
    terminals << t;
  }
  return terminals;
}

bool TTerminalList::CurrentStored() {
  row_.OpenSQL(kById, {list_.FieldByName(QStringLiteral("id")).AsString()});
  return !row_.IsEmpty();
}

void TTerminalList::Insert(const TTerminalRow& Row) {
  row_.OpenSQL(kForInsert);
  row_.Insert();
  {
    TScopeExit dropUnposted([this] { CancelUnposted(row_); });
    WriteColumns(row_, Row);
    row_.Post();  // the database assigns id
  }
  list_.Requery();
}

void TTerminalList::UpdateCurrent(const TTerminalRow& Row) {
  const TDataSet::TBookmark changed = list_.GetBookmark();
  list_.Edit();
  {
    TScopeExit dropUnposted([this] { CancelUnposted(list_); });
    WriteColumns(list_, Row);
    list_.Post();
  }
  // The list is stored in name order: the changed row may move, and the
  // current row follows it there.
  list_.Requery();
  if (!list_.IsEmpty()) list_.GotoBookmark(changed);
}

void TTerminalList::DeleteCurrent() {
  if (CurrentStored()) row_.Delete();
  list_.Requery();
}

void TTerminalList::DeleteCurrentInPlace() {
  list_.Delete();
}
