// The data module: the connections to Data.mdb and Log.mdb and the queries
// the windows share, alive from program start to exit.
#pragma once
#include <QObject>
#include <QString>
#include <functional>

#include "data/Connection.h"
#include "data/DataSet.h"
#include "data/DataSource.h"
#include "data/NameList.h"
#include "data/Pdks.h"
#include "data/TerminalList.h"

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

  TTerminalList Terminals;  // the terminal list's statements, over qrycihaz and ADOQuery1
  TNameList Names;          // the name list's statements, over qryisim, ADOQuery2 and qry3

  // ---- Personnel database (the PDKS program's MySQL server, read only) ----
  TMyConnection MyConnection1;  // closed at start; opens with its first query
  TDataSet MyQuery1;            // name look-up of one card
  TDataSet qrypersonel;         // the member list
  TDataSource dspersonel;
  // ---- end of the personnel database ----

  // Opens Data.mdb and Log.mdb in AppPath and then the terminal list. A
  // missing file is left unopened; its text for the operator, or what the
  // opening of a file has to say (a log set aside), is handed to Tell at
  // once, before the next file is opened. Database errors are thrown to the
  // caller.
  void OpenLocalDatabases(const QString& AppPath,
                          const std::function<void(const QString& Text)>& Tell);
};

// Data.mdb's terminal list alone, for a front end that needs nothing else.
class TTerminalFile {
 public:
  TTerminalFile();
  // Opens the existing file and reads the list; throws EDatabaseError.
  void Open(const QString& FileName);
  // What the opening has to tell the operator (see TADOConnection).
  QString Notice() const { return connection_.Notice(); }
  TTerminalList& Terminals() { return terminals_; }

 private:
  TADOConnection connection_;
  TDataSet list_;
  TDataSet row_;
  TTerminalList terminals_;
};

// The one data module, set while it exists.
extern TfrmDM* frmDM;
