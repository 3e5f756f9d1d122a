#include "enrolldata/EnrollRecord.h"

#include "sdk/FKEntryPoints.h"

int TemplateSize(int BackupNumber) {
  return FK_TemplateSize(BackupNumber);
}

const QStringList& BackupNumberNames() {
  static const QStringList names = {
      QStringLiteral("Fp-0"), QStringLiteral("Fp-1"), QStringLiteral("Fp-2"),
      QStringLiteral("Fp-3"), QStringLiteral("Fp-4"), QStringLiteral("Fp-5"),
      QStringLiteral("Fp-6"), QStringLiteral("Fp-7"), QStringLiteral("Fp-8"),
      QStringLiteral("Fp-9"), QStringLiteral("Pass"), QStringLiteral("Card"),
      QStringLiteral("Face"), QStringLiteral("Vein")};
  return names;
}

int BackupNumberFromName(const QString& Name) {
  return BackupNumberNames().indexOf(Name);  // item i names code i
}

int BackupItemIndex(int Code) {
  return Code >= 0 && Code < BackupNumberNames().size() ? Code : -1;
}

void TWorkingTemplate::Reset(int BackupNumber) {
  TemplateBuffer = QByteArray(TemplateSize(BackupNumber), '\0');
  PasswordValue = 0;
}

void TWorkingTemplate::Fit(int BackupNumber) {
  const int size = TemplateSize(BackupNumber);
  if (TemplateBuffer.size() < size) TemplateBuffer.append(size - TemplateBuffer.size(), '\0');
}
