#include "enrolldata/EnrollRestore.h"

#include <QPair>
#include <QSet>
#include <QStringList>

#include "common/Dialogs.h"
#include "common/LibFunctions.h"
#include "enrolldata/EnrollStore.h"

namespace {

const QString kConvError = QStringLiteral("Conv Error");
const QString kSendError = QStringLiteral("SetAllEnrollData Error");
const QString kSaveError = QStringLiteral("SaveEnrollData Error");

// A status line names at most this many users or items; "..." stands for
// the rest.
constexpr int kNamedAtMost = 5;

// One row of the store as it will be sent: read and checked before the
// terminal is changed, so that a store that cannot be read whole changes
// nothing. Rows that do not load are kept too: they are logged in order.
struct TPrepared {
  EnrollRecord Record;
  QByteArray Template;
  int Count = 0;        // 1-based position of the row in the result set
  bool Loaded = false;  // false: not sent, logged as an error
};

// Every row of Rows from the first. A database error (a column missing, a
// value that is no number) is thrown from here, before any terminal call.
QVector<TPrepared> PrepareAll(TDataSet& Rows) {
  QVector<TPrepared> rows;
  rows.reserve(Rows.RecordCount());
  for (Rows.First(); !Rows.Eof(); Rows.Next()) {
    TPrepared p;
    p.Loaded = ReadEnrollRow(Rows, p.Record, p.Template);
    p.Count = Rows.RecNo() + 1;
    rows.append(std::move(p));
  }
  return rows;
}

QString NamedFew(const QStringList& Names) {
  QStringList shown = Names.mid(0, kNamedAtMost);
  if (Names.size() > kNamedAtMost) shown << QStringLiteral("...");
  return shown.join(QStringLiteral(", "));
}

// Items stored more than once under the same user number and backup number
// ("0002-0"), each named once, where its second copy is. The terminal keeps
// one item per pair, so sending both would let the later one silently
// replace the first. Rows whose number could not be read have no pair.
QStringList StoredTwice(const QVector<TPrepared>& Rows) {
  QSet<QPair<int, int>> seen;
  QSet<QPair<int, int>> named;
  QStringList twice;
  for (const TPrepared& row : Rows) {
    if (row.Record.EnrollNumber <= 0) continue;
    const QPair<int, int> pair(row.Record.EnrollNumber, row.Record.BackupNumber);
    if (!seen.contains(pair)) {
      seen.insert(pair);
    } else if (!named.contains(pair)) {
      named.insert(pair);
      twice << ZeroFill(QString::number(pair.first), 4) + QLatin1Char('-') +
                   QString::number(pair.second);
    }
  }
  return twice;
}

// Why nothing of Rows may be sent; empty when they may. The terminal is not
// touched at all then: a clear-first restore must never leave the terminal
// emptier than the store, so it clears only when every stored row can be
// sent; and a store holding an item twice does not say which one is meant.
QString Refusal(const QVector<TPrepared>& Rows, bool ClearFirst) {
  const QStringList twice = StoredTwice(Rows);
  if (!twice.isEmpty())
    return QStringLiteral("Datada çift kayıt var (%1) - terminale yükleme yapılmadı")
        .arg(NamedFew(twice));
  if (!ClearFirst) return {};
  if (Rows.isEmpty()) return QStringLiteral("Datada kayıt yok - terminal silinmedi");
  int notLoaded = 0;
  QStringList users;
  for (const TPrepared& row : Rows) {
    if (row.Loaded) continue;
    ++notLoaded;
    const QString user = ZeroFill(QString::number(row.Record.EnrollNumber), 5);
    if (!users.contains(user)) users << user;
  }
  if (notLoaded == 0) return {};
  return QStringLiteral("Datada yüklenemeyen %1 kayıt var (%2) - terminal silinmedi")
      .arg(notLoaded)
      .arg(NamedFew(users));
}

bool Send(TFKAttendObject& Sdk, const TPrepared& Row, TWorkingTemplate& Working,
          TEnrollReport& Report) {
  TakeEnrollRecord(Row.Record, Row.Template, Report, Working);
  return Sdk.FK_PutEnrollData(Row.Record.EnrollNumber, Row.Record.BackupNumber,
                              Row.Record.Privilege, Working.Data(), Working.PasswordValue);
}

// Remembers the last failure of a walk for its final status line.
struct TFailures {
  bool Any = false;
  QString Last;
  void Add(const QString& Text) {
    Any = true;
    Last = Text;
  }
  void Report(TEnrollReport& R) const {
    if (Any) R.Status(Last + QStringLiteral(" : error"));
  }
};

void ShowProgress(TEnrollReport& Report, const EnrollRecord& R, int Count) {
  Report.Status(ProgressLine(R.EnrollNumber, R.BackupNumber, Count));
  Report.Count(Count);
}

}  // namespace

void RestoreAllEnrollData(TFKAttendObject& Sdk, TWorkingTemplate& Working, TEnrollStore& Store,
                          bool ClearFirst, TEnrollReport& Out) {
  Out.Status(QStringLiteral("Working..."));
  Out.Idle();
  // A view that an earlier error left closed (the store could not be read
  // when the window was shown, or after a backup) is read now: its error is
  // the one to show.
  if (!Store.Rows().Active()) Store.OpenAll();
  const QVector<TPrepared> rows = PrepareAll(Store.Rows());
  const QString refusal = Refusal(rows, ClearFirst);
  if (!refusal.isEmpty()) {
    Out.Status(refusal);
    return;
  }
  TEnableAtEnd report(Sdk, Out, TTerminalBracket::TEnableWhen::Disabled);
  if (!report.DisableTerminal()) {
    report.Status(QStringLiteral("No Device"));
    return;
  }
  if (ClearFirst)
    report.Status(Sdk.FK_ClearKeeperData() ? QStringLiteral("ClearKeeperData OK")
                                           : QStringLiteral("ERROR"));
  TFailures failures;
  for (const TPrepared& row : rows) {
    bool ok = row.Loaded;
    if (!ok) {
      failures.Add(kConvError);
    } else {
      bool supported = false;
      Sdk.FK_IsSupportedEnrollData(row.Record.BackupNumber, supported);
      ok = Send(Sdk, row, Working, report);
      if (!ok) failures.Add(kSendError);
    }
    ShowProgress(report, row.Record, row.Count);
    report.LogLine(ZeroFill(QString::number(row.Record.EnrollNumber), 5) +
                   QStringLiteral(" - Kayıt=") + QString::number(row.Record.BackupNumber) +
                   (ok ? QStringLiteral(" ok") : QStringLiteral(" error")));
    report.Idle();
  }
  // Until it is saved the terminal may not keep what it was sent.
  if (!Sdk.FK_SaveEnrollData()) failures.Add(kSaveError);
  failures.Report(report);
}

void RestoreUserEnrollData(TFKAttendObject& Sdk, TWorkingTemplate& Working, TDataSet& List,
                           TDataSet& PerUser, TEnrollReport& Out) {
  Out.Status(QStringLiteral("Working..."));
  Out.Idle();
  if (!List.Active() || List.IsEmpty()) {
    Out.Status(EmptyListText());
    return;
  }
  const int user = List.FieldByName(QStringLiteral("EnrollNumber")).AsInteger();
  PerUser.OpenSQL(QStringLiteral("SELECT * FROM tblEnroll where EnrollNumber=?"), {user});
  // The user's rows are read, and the questions answered, before the
  // terminal is disabled.
  QVector<TPrepared> rows = PrepareAll(PerUser);
  const QString refusal = Refusal(rows, false);
  if (!refusal.isEmpty()) {
    Out.Status(refusal);
    return;
  }
  // A row that does not load is asked about: Yes reads it again, No logs it
  // unsent, Cancel leaves out the row and those after it.
  int cancelledAt = -1;
  for (int i = 0; i < rows.size() && cancelledAt < 0; ++i) {
    TPrepared& p = rows[i];
    while (!p.Loaded) {
      const int answer = Out.Ask(kConvError + QStringLiteral(": Continue ?"),
                                 QStringLiteral("ConvShToArm"), MB_YESNOCANCEL | MB_ICONQUESTION);
      if (answer == IDNO) break;
      if (answer != IDYES) {
        cancelledAt = i;
        break;
      }
      PerUser.SetRecNo(p.Count - 1);
      p.Record = EnrollRecord();
      p.Loaded = ReadEnrollRow(PerUser, p.Record, p.Template);
    }
  }
  const bool cancelled = cancelledAt >= 0;
  if (cancelled) rows.resize(cancelledAt);
  TEnableAtEnd report(Sdk, Out, TTerminalBracket::TEnableWhen::EveryPath);
  if (!report.DisableTerminal()) {
    report.Status(QStringLiteral("No Device"));
    return;
  }
  // The failures in row order, as the final status names the last one.
  TFailures failures;
  for (const TPrepared& row : rows) {
    if (!row.Loaded) {
      failures.Add(kConvError);
    } else if (!Send(Sdk, row, Working, report)) {
      failures.Add(kSendError);
    }
    ShowProgress(report, row.Record, row.Count);
    report.LogLine(ZeroFill(QString::number(row.Record.EnrollNumber), 5));
    report.Idle();
  }
  if (cancelled) failures.Add(kConvError);
  failures.Report(report);
}
