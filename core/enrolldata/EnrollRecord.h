// One enroll-data item of one user, the backup-number codes and the working
// template type that the enroll-data operations share.
#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

struct EnrollRecord {
  int EnrollNumber = 0;  // usable only when greater than 0
  int BackupNumber = 0;  // which item of the user; column FingerNumber
  int Privilege = 0;     // 0 user, 1 or 2 administrator; column Privilige
  QString Name;
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

// The working template: the item last read from the terminal or loaded from
// the store, and the password value exchanged with it. Its owner keeps it
// between actions (empty and 0 until the first read or load), so what one
// action read or loaded is what a later single-record write sends.
struct TWorkingTemplate {
  QByteArray TemplateBuffer;
  int PasswordValue = 0;

  // A zeroed buffer of TemplateSize(BackupNumber) bytes, and PasswordValue 0.
  void Reset(int BackupNumber);
  // Pads the buffer with zeros to at least TemplateSize(BackupNumber) bytes,
  // so the terminal library, which reads that many, never reads past its
  // end. A longer buffer is kept whole: an item sent under a smaller backup
  // number by mistake must not lose its bytes for the next send.
  // PasswordValue is kept.
  void Fit(int BackupNumber);
  // The buffer as the terminal library takes it.
  unsigned char* Data() { return reinterpret_cast<unsigned char*>(TemplateBuffer.data()); }
};
