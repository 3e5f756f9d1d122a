// The enroll-data store (tblEnroll of Data.mdb): one row per user number and
// backup number, the template bytes kept exactly as the terminal gave them.
#pragma once
#include <QString>

#include "data/DataSet.h"
#include "enrolldata/EnrollRecord.h"
#include "enrolldata/EnrollReport.h"

// The store and its statements: Rows is the whole-store view rows are
// appended through and the full restore walks ("ads"); a second dataset runs
// the duplicate test and the emptying ("adsTmp").
class TEnrollStore {
 public:
  // Connection: the connection to Data.mdb.
  explicit TEnrollStore(TConnection& Connection, QObject* Parent = nullptr);

  TDataSet& Rows() { return ads_; }
  TConnection& Connection() const { return ads_.Connection(); }

  // Reads the whole store into Rows.
  void OpenAll();
  void Close();
  // Empties the table (Rows keeps what it last read).
  void Clear();
  // Whether the pair is stored already.
  bool Contains(int EnrollNumber, int BackupNumber);

 private:
  TDataSet ads_;
  TDataSet adsTmp_;
};

// Adds the record with the bytes of Template unless the pair is already
// stored; true when it was added (and listed). A database error is thrown (EDatabaseError) with
// nothing stored: the caller's walk must end there, because after some errors (a full disk) the
// database has already rolled back the caller's transaction and a row stored after it would take
// effect on its own.
bool StoreEnrollRecord(TEnrollStore& S, TEnrollReport& Report, int EnrollNumber, int BackupNumber,
                       int Privilege, const QString& Name, const QByteArray& Template);

// Reads the current row of Source: number, backup number, privilege and
// name into Record, the first TemplateSize(backup number) bytes of FPdata
// into Template. False, with nothing changed, when Source has no current row
// or its EnrollNumber is not above 0; false with Record filled and Template
// unchanged when FPdata is null, is not a BLOB or is shorter than the
// template (a longer value is cut). A missing column or a number that is no
// whole number in range throws.
bool ReadEnrollRow(TDataSet& Source, EnrollRecord& Record, QByteArray& Template);

// Reads the numbers of every row of Rows as ReadEnrollRow does, so that one
// that is no whole number in range throws (EConvertError) before anything is
// sent; leaves Rows on its first row.
void CheckEnrollNumbers(TDataSet& Rows);

// Makes a record read by ReadEnrollRow the working record: shown on the
// single-record tab, its template in Working, PasswordValue 0.
void TakeEnrollRecord(const EnrollRecord& Record, const QByteArray& Template, TEnrollReport& Report,
                      TWorkingTemplate& Working);

// Both at once: makes the current row of Source the working record. On
// false the working record and the single-record tab are unchanged.
bool LoadEnrollRecord(TDataSet& Source, TEnrollReport& Report, EnrollRecord& Record,
                      TWorkingTemplate& Working);

// The name as stored: blanks and control characters cut from both ends.
QString TrimName(const QString& Name);

// "EMachine = 000, ID = 002, FpNo = 10, Count = 3": the progress line of the
// restores ("00" in front of the numbers is literal, not a width).
QString ProgressLine(int EnrollNumber, int BackupNumber, int Count);

// Status text of a per-user action whose list holds no row.
QString EmptyListText();
