// Copies every enroll-data item of the connected terminal into the store and
// builds the name list (temp of Log.mdb), replacing both as a whole: the new
// content is committed only when the terminal's user walk reaches its end;
// on any other outcome both keep exactly what they held before, and when
// items were already listed as stored, the list ends with the line
// "kayıtlar değiştirilmedi".
#pragma once
#include "data/NameList.h"
#include "enrolldata/EnrollStore.h"
#include "sdk/FKDefine.h"

enum class TBackupOutcome {
  NoDevice,      // the terminal did not answer "disable"
  NoUserList,    // the user list could not be read; nothing replaced
  WalkBroken,    // the walk ended on another result than end-of-data
  TooManyItems,  // the walk went past the bound; nothing replaced
  Completed,     // committed; every item read was stored
  ItemsSkipped,  // committed, but some items were passed over
  Empty,         // committed: the terminal holds no user, store and list are empty
};

// More items than any terminal holds: a walk that goes on past it comes from
// a terminal that misbehaves, and ends before it uses up the memory.
constexpr int kMaxEnrollItems = 1'000'000;

// The backup's terminal calls and store work, the terminal bracket included:
// it is enabled again at the end on every path (connecting once more when the
// connection was lost). The caller disables and enables its controls. The
// first database error ends the backup with nothing replaced and is thrown
// (EDatabaseError). Store.Rows() is read again at the end so it holds
// exactly the store.
// Each item is read through Working, which holds the last one read at the
// end.
TBackupOutcome BackupEnrollData(TFKAttendObject& Sdk, TWorkingTemplate& Working,
                                TEnrollStore& Store, TNameList& Names, TEnrollReport& Report,
                                int MaxItems = kMaxEnrollItems);
