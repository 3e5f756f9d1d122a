// Writes stored enroll data back to the connected terminal: the whole store,
// or every stored item of one user. Each row is reported as it is sent. The
// terminal, once disabled, is enabled again at the end on every path,
// connecting once more when the connection was lost. Each row is loaded into
// Working and sent from there, so Working holds the last row at the end.
#pragma once
#include "data/DataSet.h"
#include "enrolldata/EnrollRecord.h"
#include "enrolldata/EnrollReport.h"
#include "sdk/FKDefine.h"

// Sends every row of Store (after clearing the terminal's enroll data when
// ClearFirst is set), then saves. The final status names the last failure
// when any row failed.
void RestoreAllEnrollData(TFKAttendObject& Sdk, TWorkingTemplate& Working, TDataSet& Store,
                          bool ClearFirst, TEnrollReport& Report);

// Sends every stored row of the user at the current row of List, through
// PerUser (which is left holding those rows). Asks whether to try again when
// a row does not load.
void RestoreUserEnrollData(TFKAttendObject& Sdk, TWorkingTemplate& Working, TDataSet& List,
                           TDataSet& PerUser, TEnrollReport& Report);
