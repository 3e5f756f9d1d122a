// Writes stored enroll data back to the connected terminal: the whole store,
// or every stored item of one user. Each row is reported as it is sent. The
// terminal, once disabled, is enabled again at the end on every path,
// connecting once more when the connection was lost. Each row is loaded into
// Working and sent from there, so Working holds the last row at the end.
#pragma once
#include "data/DataSet.h"
#include "enrolldata/EnrollRecord.h"
#include "enrolldata/EnrollReport.h"
#include "enrolldata/EnrollStore.h"
#include "sdk/FKDefine.h"

// Sends every row of the store view Store.Rows() (after clearing the
// terminal's enroll data when ClearFirst is set), then saves. Every row is
// read and checked first: a database error is thrown before the terminal is
// disabled, so a store that cannot be read whole changes nothing. The
// terminal gets no call at all, and the status line says why, when the store
// holds an item twice (the same user and backup number), or when ClearFirst
// is set and the store is empty or holds a row that does not load: the
// terminal is never left emptier than the store. Otherwise a row that does
// not load is logged and not sent. The final status names the last failure
// (a refused save included) when any occurred.
void RestoreAllEnrollData(TFKAttendObject& Sdk, TWorkingTemplate& Working, TEnrollStore& Store,
                          bool ClearFirst, TEnrollReport& Report);

// Sends every stored row of the user at the current row of List, through
// PerUser (which is left holding those rows). The rows are read, and the
// question whether to try again asked for a row that does not load, before
// the terminal is disabled; a user with an item stored twice is refused
// without any terminal call.
void RestoreUserEnrollData(TFKAttendObject& Sdk, TWorkingTemplate& Working, TDataSet& List,
                           TDataSet& PerUser, TEnrollReport& Report);
