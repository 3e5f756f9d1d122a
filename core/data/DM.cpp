#include "data/DM.h"

#include <QFile>

#include "common/Errors.h"

TfrmDM* frmDM = nullptr;

TfrmDM::TfrmDM()
    : ADOConnection1(QStringLiteral("Data.mdb")),
      ADOConnection2(QStringLiteral("Log.mdb")),
      qrycihaz(QStringLiteral("qrycihaz"), ADOConnection1, this),
      DataSource3(QStringLiteral("DataSource3"), &qrycihaz, this),
      ADOQuery1(QStringLiteral("ADOQuery1"), ADOConnection1, this),
      qryisim(QStringLiteral("qryisim"), ADOConnection2, this),
      dsisim(QStringLiteral("dsisim"), &qryisim, this),
      ADOQuery2(QStringLiteral("ADOQuery2"), ADOConnection2, this),
      qry3(QStringLiteral("qry3"), ADOConnection2, this),
      Terminals(qrycihaz, ADOQuery1),
      Names(qryisim, ADOQuery2, qry3),
      // ---- Personnel database ----
      MyConnection1(QStringLiteral("PDKS")),
      MyQuery1(QStringLiteral("MyQuery1"), MyConnection1, this),
      qrypersonel(QStringLiteral("qrypersonel"), MyConnection1, this),
      dspersonel(QStringLiteral("dspersonel"), &qrypersonel, this) {
  // ---- end of the personnel database ----
  setObjectName(QStringLiteral("frmDM"));
  frmDM = this;
}

TfrmDM::~TfrmDM() {
  if (frmDM == this) frmDM = nullptr;
}

// Opens one file when it exists and hands on what its opening has to tell;
// otherwise hands MissingText on and leaves the connection unopened.
static void OpenIfPresent(TADOConnection& Connection, const QString& FileName,
                          const QString& MissingText,
                          const std::function<void(const QString&)>& Tell) {
  if (QFile::exists(FileName)) {
    Connection.Close();
    Connection.Open(FileName);
    if (!Connection.Notice().isEmpty()) Tell(Connection.Notice());
  } else {
    Tell(MissingText);
  }
}

void TfrmDM::OpenLocalDatabases(const QString& AppPath,
                                const std::function<void(const QString& Text)>& Tell) {
  OpenIfPresent(ADOConnection1, AppPath + QStringLiteral("Data.mdb"),
                QStringLiteral("Data dosyası bulunamadı....."), Tell);
  OpenIfPresent(ADOConnection2, AppPath + QStringLiteral("Log.mdb"),
                QStringLiteral("Log dosyası bulunamadı....."), Tell);
  Terminals.Open();
}

TTerminalFile::TTerminalFile()
    : connection_(QStringLiteral("Terminals")),
      list_(QStringLiteral("qrycihaz"), connection_),
      row_(QStringLiteral("ADOQuery1"), connection_),
      terminals_(list_, row_) {}

void TTerminalFile::Open(const QString& FileName) {
  connection_.Open(FileName);
  terminals_.Open();
}
