// Copies every enroll-data item of the connected terminal into the store and
// builds the name list (temp of Log.mdb), replacing both as a whole: the new
// content is committed only when the terminal's user walk reaches its end;
// on any other outcome both keep exactly what they held before.
#pragma once
#include "data/DataSet.h"
#include "enrolldata/EnrollStore.h"
#include "sdk/FKDefine.h"

struct TEnrollBackupTables {
  TDataSet& ADOEnroll;  // empties the store, then holds it (empty)
  TDataSet& Names;      // runs the statements on temp (Log.mdb)
};

enum class TBackupOutcome {
  NoDevice,      // the terminal did not answer "disable"
  NoUserList,    // the user list could not be read
  WalkBroken,    // the walk ended on another result than end-of-data
  Completed,     // committed; every item read was stored
  ItemsSkipped,  // committed, but some items were passed over
};

// The backup's terminal calls and store work; the caller disables and
// enables its controls and enables the terminal at the end on every path.
// Store.Store is read again at the end so it holds exactly the store.
TBackupOutcome BackupEnrollData(TFKAttendObject& Sdk, TEnrollStore& Store,
                                const TEnrollBackupTables& Tables);
