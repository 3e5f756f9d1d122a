// One enroll-data item of one user, the backup-number codes and the working
// template that every enroll-data operation shares.
#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

struct EnrollRecord {
  int EnrollNumber = 0;   // usable only when greater than 0
  int BackupNumber = 0;   // which item of the user; column FingerNumber
  int Privilege = 0;      // 0 user, 1 or 2 administrator; column Privilige
  int PasswordValue = 0;  // exchanged with the terminal, never stored
  QString Name;
  QByteArray Template;
};

// Bytes of a template of that backup number: 40 for password and card, 20080
// for a face, 3080 for 20, 1680 for every other value.
int TemplateSize(int BackupNumber);

// The fourteen names of the backup-number box in item order ("Fp-0".."Fp-9",
// "Pass", "Card", "Face", "Vein"), item i naming code i.
const QStringList& BackupNumberNames();
// Code of a backup-number name, compared exactly; -1 for any other text.
int BackupNumberFromName(const QString& Name);
// Item index of the box naming that code; -1 when none does (15, 20, ...).
int BackupItemIndex(int Code);

// The working template, process-wide: empty and 0 at program start, kept
// while the enrollment window is closed.
extern QByteArray TemplateBuffer;
extern int PasswordValue;

// A zeroed buffer of TemplateSize(BackupNumber) bytes, and PasswordValue 0.
void ResetTemplateBuffer(int BackupNumber);
// Pads the buffer with zeros to at least TemplateSize(BackupNumber) bytes, so
// the terminal library, which reads that many, never reads past its end. A
// longer buffer is kept whole: an item sent under a smaller backup number by
// mistake must not lose its bytes for the next send. PasswordValue is kept.
void FitTemplateBuffer(int BackupNumber);
