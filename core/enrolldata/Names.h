// The personnel name list (table temp of Log.mdb) and the names written into
// the terminal. The terminal shows plain Latin letters, so a name goes out
// with its Turkish letters replaced.
#pragma once
#include <QString>
#include <functional>

class TDataSet;
class TFKAttendObject;

// Each of the twelve Turkish letters çğıöşüÇĞİÖŞÜ replaced by cgiosuCGIOSU;
// every other character (â, î, û included) kept. Same length as Name.
QString ToAsciiName(const QString& Name);

enum class TSendResult { Skipped, Sent, Failed };

// Writes the name of List's current row into the terminal: kartno as a
// whole number (leading zeros vanish; text that is no number throws
// EConvertError), the name through ToAsciiName, sent whole. A row with an
// empty name is skipped without a call. No enable bracket: the terminal
// takes a name while it runs.
TSendResult SendUserName(TFKAttendObject& Sdk, TDataSet& List);

// The status line after a send: "SetUserName OK" or "error"; empty for a
// skipped row (the line keeps what it showed).
QString SendStatus(TSendResult Result);

// Sends every row of List from the first, in list order, reporting the
// status line after each sent row. When any row failed the last report is
// "error", so a rejected name is not hidden by later successes. Returns the
// number of rows that failed.
int SendAllUserNames(TFKAttendObject& Sdk, TDataSet& List,
                     const std::function<void(const QString&)>& Status);
