#include "session/DisabledTerminals.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "common/Errors.h"
#include "session/ProgramFolder.h"

TDisabledTerminals::TDisabledTerminals(const QString& AppPath)
    : folder_(AppPath + QStringLiteral("DevreDisi/")) {}

QString TDisabledTerminals::TerminalAddress(const TConnInfo& Info) {
  QStringList parts{Info.Kind, QString::number(Info.MachineNumber)};
  if (Info.Kind == QLatin1String("LAN"))
    parts << Info.IpAddress << QString::number(Info.TcpPort);
  else if (Info.Kind == QLatin1String("RS232/485"))
    parts << Info.SerialPort.left(4) << QString::number(Info.BaudRate);
  return parts.join(QLatin1Char(' '));
}

// The address may hold characters no file name can (the kind's slash, the
// port's text), so the file is named after its hash; the note itself says
// which terminal it is for.
QString TDisabledTerminals::NoteFile(const TConnInfo& Info) const {
  const QByteArray hash =
      QCryptographicHash::hash(TerminalAddress(Info).toUtf8(), QCryptographicHash::Sha1);
  return folder_ + QString::fromLatin1(hash.toHex().left(20)) + QStringLiteral(".txt");
}

bool TDisabledTerminals::Disabling(const TConnInfo& Info) {
  if (LeftDisabled(Info)) return false;
  const QString what = QStringLiteral("Terminalin devre dışı bırakıldığı not edilemedi");
  if (!QFileInfo::exists(folder_)) {
    if (!QDir().mkpath(folder_))
      throw EInOutError(
          QStringLiteral("%1: %2").arg(what, QDir::toNativeSeparators(folder_.chopped(1))));
    // The new folder's own entry must last as long as the note in it.
    SyncFolder(QFileInfo(folder_.chopped(1)).path());
  }
  const QByteArray text =
      QStringLiteral("%1\r\n%2\r\n")
          .arg(TerminalAddress(Info), QDateTime::currentDateTime().toString(Qt::ISODate))
          .toUtf8();
  return WriteNewFileSynced(folder_, QFileInfo(NoteFile(Info)).fileName(), text, what);
}

void TDisabledTerminals::Enabled(const TConnInfo& Info) {
  // A note that stays only costs one more enable at the next connect.
  QFile::remove(NoteFile(Info));
}

bool TDisabledTerminals::LeftDisabled(const TConnInfo& Info) const {
  return QFileInfo::exists(NoteFile(Info));
}
