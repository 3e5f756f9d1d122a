// The data module: the connections to Data.mdb and Log.mdb and the queries
// the windows share, alive from program start to exit.
#pragma once
#include <QObject>
#include <QString>
#include <functional>

#include "data/DataSet.h"
#include "data/DataSource.h"
#include "data/Pdks.h"

// A connection to one database file. Never creates the file.
class TADOConnection {
 public:
  explicit TADOConnection(QString Name);
  ~TADOConnection();
  TADOConnection(const TADOConnection&) = delete;
  TADOConnection& operator=(const TADOConnection&) = delete;

  const QString& Name() const { return name_; }  // the QSqlDatabase connection name
  // Opens the existing file; throws EDatabaseError when it cannot.
  void Open(const QString& FileName);
  void Close();
  bool Connected() const;

 private:
  QString name_;
};

class TfrmDM : public QObject {
  Q_OBJECT
 public:
  TfrmDM();
  ~TfrmDM() override;

  TADOConnection ADOConnection1;  // Data.mdb: Terminal, tblEnroll
  TADOConnection ADOConnection2;  // Log.mdb: temp

  TDataSet qrycihaz;  // the terminal list; its current row is the selected terminal
  TDataSource DataSource3;
  TDataSet ADOQuery1;  // one Terminal row: insert, look-up by id, delete
  TDataSet qryisim;    // the name list over temp
  TDataSource dsisim;
  TDataSet ADOQuery2;  // clearing of temp and inserts into it
  TDataSet qry3;       // name updates of temp

  // ---- Personnel database (the PDKS program's MySQL server, read only) ----
  TMyConnection MyConnection1;  // closed at start; opens with its first query
  TDataSet MyQuery1;            // name look-up of one card
  TDataSet qrypersonel;         // the member list
  TDataSource dspersonel;
  // ---- end of the personnel database ----

  // Opens Data.mdb and Log.mdb in AppPath and then the terminal list. A
  // missing file is left unopened and handed to Missing with the text that
  // tells the operator, at once, before the next file is opened. Database
  // errors are thrown to the caller.
  void OpenLocalDatabases(const QString& AppPath,
                          const std::function<void(const QString& Text)>& Missing);
};

// The one data module, set while it exists.
extern TfrmDM* frmDM;
