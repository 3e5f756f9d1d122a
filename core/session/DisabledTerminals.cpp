#include "session/DisabledTerminals.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "common/DurableFile.h"
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
  // Without its note a terminal that a killed run left disabled would stay
  // locked with nothing to enable it, so no note means no disable: the
  // terminal is left as it is and its records wait for the next run.
  const QString what = QStringLiteral("Terminalin devre dışı bırakıldığı not edilemedi");
  const QString folder = folder_.chopped(1);
  try {
    const QFileInfo there(folder);
    if (there.exists() && !there.isDir())
      throw EInOutError(
          QStringLiteral("%1: %2 bir klasör değil").arg(what, QDir::toNativeSeparators(folder)));
    if (!there.exists()) {
      if (!QDir().mkpath(folder_))
        throw EInOutError(QStringLiteral("%1: %2").arg(what, QDir::toNativeSeparators(folder)));
      // The new folder's own entry must last as long as the note in it.
      SyncFolder(QFileInfo(folder).path());
    }
    const QByteArray text =
        QStringLiteral("%1\r\n%2\r\n")
            .arg(TerminalAddress(Info), QDateTime::currentDateTime().toString(Qt::ISODate))
            .toUtf8();
    return WriteNewFileSynced(folder_, QFileInfo(NoteFile(Info)).fileName(), text, what);
  } catch (const EInOutError& e) {
    throw EDisabledNoteError(e.Text());
  }
}

void TDisabledTerminals::Enabled(const TConnInfo& Info) {
  // A note that stays only costs one more enable at the next connect.
  QFile::remove(NoteFile(Info));
}

bool TDisabledTerminals::LeftDisabled(const TConnInfo& Info) const {
  return QFileInfo::exists(NoteFile(Info));
}
