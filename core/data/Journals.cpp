#include "data/Journals.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include "common/Errors.h"

namespace {

constexpr quint32 kWalMagicLittle = 0x377f0682;
constexpr quint32 kWalMagicBig = 0x377f0683;
constexpr quint32 kWalVersion = 3007000;
constexpr int kWalHeader = 32;
constexpr int kFrameHeader = 24;

quint32 Be32(const uchar* p) {
  return qFromBigEndian<quint32>(p);
}

// SQLite's running checksum over whole 8-byte steps of Data; BigEndian says
// how the log reads its words.
void AddChecksum(const uchar* Data, int Size, bool BigEndian, quint32& S0, quint32& S1) {
  for (int i = 0; i + 8 <= Size; i += 8) {
    const quint32 x0 =
        BigEndian ? qFromBigEndian<quint32>(Data + i) : qFromLittleEndian<quint32>(Data + i);
    const quint32 x1 = BigEndian ? qFromBigEndian<quint32>(Data + i + 4)
                                 : qFromLittleEndian<quint32>(Data + i + 4);
    S0 += x0 + S1;
    S1 += x1 + S0;
  }
}

// What the first 100 bytes of the database say.
struct TDbHeader {
  quint32 PageSize = 0;
  quint32 ChangeCounter = 0;
  quint32 Pages = 0;
  bool HeaderPages = false;  // Pages as the header says it, not the file's size
};

bool ReadDbHeader(const QString& DbFile, TDbHeader& Header) {
  QFile f(DbFile);
  if (!f.open(QIODevice::ReadOnly)) return false;
  const QByteArray bytes = f.read(100);
  if (bytes.size() < 100) return false;
  const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
  const quint32 size = qFromBigEndian<quint16>(p + 16);
  Header.PageSize = size == 1 ? 65536 : size;
  if (Header.PageSize < 512) return false;
  Header.ChangeCounter = Be32(p + 24);
  // The page count in the header holds only while the counter it was
  // written with is still the file's; otherwise the file's size says it.
  const quint32 pages = Be32(p + 28);
  Header.HeaderPages = pages != 0 && Be32(p + 92) == Header.ChangeCounter;
  Header.Pages = Header.HeaderPages ? pages : quint32(f.size() / Header.PageSize);
  return true;
}

// Walks the log's frames as SQLite's recovery does and judges the committed
// ones against the database's header.
TJournalFit JudgeFrames(QFile& Wal, const TDbHeader& Db) {
  const QByteArray head = Wal.read(kWalHeader);
  if (head.size() < kWalHeader) return TJournalFit::Nothing;
  const auto* h = reinterpret_cast<const uchar*>(head.constData());
  const quint32 magic = Be32(h);
  const quint32 pageSize = Be32(h + 8);
  if ((magic != kWalMagicLittle && magic != kWalMagicBig) || Be32(h + 4) != kWalVersion ||
      pageSize < 512 || pageSize > 65536 || (pageSize & (pageSize - 1)) != 0)
    return TJournalFit::Nothing;  // SQLite reads no frame of such a log
  const bool bigEndian = (magic & 1) != 0;
  quint32 s0 = 0, s1 = 0;
  AddChecksum(h, 24, bigEndian, s0, s1);
  if (s0 != Be32(h + 24) || s1 != Be32(h + 28)) return TJournalFit::Nothing;

  bool committed = false;   // a commit frame was met
  bool fits = true;         // what the committed frames say so far
  bool pendingFits = true;  // the same, counting frames not yet committed
  bool pageOneSeen = false;
  QByteArray frame(kFrameHeader + int(pageSize), Qt::Uninitialized);
  const auto* f = reinterpret_cast<const uchar*>(frame.constData());
  while (Wal.read(frame.data(), frame.size()) == frame.size()) {
    const quint32 page = Be32(f);
    if (page == 0 || Be32(f + 8) != Be32(h + 16) || Be32(f + 12) != Be32(h + 20)) break;
    AddChecksum(f, 8, bigEndian, s0, s1);
    AddChecksum(f + kFrameHeader, int(pageSize), bigEndian, s0, s1);
    if (s0 != Be32(f + 16) || s1 != Be32(f + 20)) break;
    if (!pageOneSeen && page == 1) {
      pageOneSeen = true;
      // Every change of page 1 counts the file's changes one further.
      if (Be32(f + kFrameHeader + 24) != Db.ChangeCounter + 1) pendingFits = false;
    }
    const quint32 pagesAfterCommit = Be32(f + 4);
    if (pagesAfterCommit != 0) {
      // Until page 1 changes, the file keeps its size.
      if (!pageOneSeen && pagesAfterCommit != Db.Pages) pendingFits = false;
      committed = true;
      fits = pendingFits;
    }
  }
  if (!committed) return TJournalFit::Nothing;
  return fits && pageSize == Db.PageSize ? TJournalFit::Fits : TJournalFit::Foreign;
}

// Walks the rollback journal's saved pages as SQLite's playback does and
// judges them against the database's header.
TJournalFit JudgeSavedPages(QFile& Journal, const TDbHeader& Db) {
  static const QByteArray kMagic("\xd9\xd5\x05\xf9\x20\xa1\x63\xd7", 8);
  const qint64 size = Journal.size();
  QByteArray head = Journal.read(28);
  if (head.size() < 28 || head.left(8) != kMagic) return TJournalFit::Nothing;
  const auto* h = reinterpret_cast<const uchar*>(head.constData());
  const quint32 nonce = Be32(h + 12);
  const quint32 originalPages = Be32(h + 16);
  const quint32 sector = Be32(h + 20);
  const quint32 pageSize = Be32(h + 24);
  if (sector < 32 || sector > 65536 || (sector & (sector - 1)) != 0 || pageSize < 512 ||
      pageSize > 65536 || (pageSize & (pageSize - 1)) != 0)
    return TJournalFit::Nothing;  // SQLite plays nothing back from it
  if (pageSize != Db.PageSize) return TJournalFit::Foreign;

  const qint64 recordSize = 8 + qint64(pageSize);
  QByteArray record(int(recordSize), Qt::Uninitialized);
  const auto* r = reinterpret_cast<const uchar*>(record.constData());
  bool pageOne = false;
  quint32 savedCounter = 0;
  qint64 headerAt = 0;
  for (bool first = true;; first = false) {
    if (!first) {
      // The next part of the journal starts at a sector boundary, with a
      // header of its own.
      if (!Journal.seek(headerAt) || (head = Journal.read(28)).size() < 28 ||
          head.left(8) != kMagic)
        break;
    }
    quint32 records = Be32(reinterpret_cast<const uchar*>(head.constData()) + 8);
    const qint64 recordsAt = headerAt + sector;
    if (records == 0xffffffff) records = quint32((size - recordsAt) / recordSize);
    if (!Journal.seek(recordsAt)) break;
    quint32 n = 0;
    for (; n < records && Journal.read(record.data(), recordSize) == recordSize; ++n) {
      const quint32 page = Be32(r);
      quint32 sum = nonce;
      for (int i = int(pageSize) - 200; i > 0; i -= 200) sum += r[4 + i];
      if (page == 0 || sum != Be32(r + 4 + pageSize)) break;
      if (page == 1 && !pageOne) {
        pageOne = true;
        savedCounter = Be32(r + 4 + 24);
      }
    }
    if (n < records) break;
    const qint64 end = recordsAt + qint64(records) * recordSize;
    headerAt = (end + sector - 1) / sector * sector;
    if (records == 0 || headerAt >= size) break;
  }
  // The commit writes the file's page 1 with the counter one further, and
  // the journal goes only after that.
  if (pageOne)
    return Db.ChangeCounter == savedCounter || Db.ChangeCounter == savedCounter + 1
               ? TJournalFit::Fits
               : TJournalFit::Foreign;
  // Page 1 not saved: the file's page 1 is still the one the journal began
  // with.
  return !Db.HeaderPages || Db.Pages == originalPages ? TJournalFit::Fits : TJournalFit::Foreign;
}

// The latest time the file's contents or entry changed; the entry's change
// counts where the system keeps it apart, so a copy that kept the old file's
// time still reads as new.
QDateTime LastChange(const QFileInfo& Info) {
  const QDateTime modified = Info.lastModified();
  const QDateTime changed = Info.metadataChangeTime();
  return changed.isValid() && changed > modified ? changed : modified;
}

}  // namespace

TJournalFit JudgeWal(const QString& DbFile) {
  const QString walName = DbFile + QStringLiteral("-wal");
  const QFileInfo walInfo(walName);
  if (!walInfo.exists() || walInfo.size() < kWalHeader) return TJournalFit::Nothing;
  TDbHeader db;
  QFile wal(walName);
  if (!wal.open(QIODevice::ReadOnly)) {
    throw EDatabaseError(QStringLiteral("%1 okunamıyor: %2")
                             .arg(QDir::toNativeSeparators(walName), wal.errorString()));
  }
  // A database whose header cannot be read fits no log.
  if (!ReadDbHeader(DbFile, db)) db = TDbHeader();
  const TJournalFit fit = JudgeFrames(wal, db);
  if (fit == TJournalFit::Fits && LastChange(QFileInfo(DbFile)) > walInfo.lastModified())
    return TJournalFit::Foreign;
  return fit;
}

TJournalFit JudgeJournal(const QString& DbFile) {
  const QString name = DbFile + QStringLiteral("-journal");
  QFile journal(name);
  if (!journal.exists() || journal.size() == 0) return TJournalFit::Nothing;
  if (!journal.open(QIODevice::ReadOnly)) {
    throw EDatabaseError(QStringLiteral("%1 okunamıyor: %2")
                             .arg(QDir::toNativeSeparators(name), journal.errorString()));
  }
  TDbHeader db;
  // A file too short for a header has no page the journal could belong to.
  if (!ReadDbHeader(DbFile, db)) return TJournalFit::Nothing;
  return JudgeSavedPages(journal, db);
}

QString SetAside(const QString& DbFile, const QString& Suffix) {
  const QString name = DbFile + Suffix;
  const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
  QString aside = QStringLiteral("%1.ayrildi-%2").arg(name, stamp);
  for (int n = 2; QFileInfo::exists(aside); ++n)
    aside = QStringLiteral("%1.ayrildi-%2-%3").arg(name, stamp).arg(n);
  if (!QFile::rename(name, aside)) return {};
  if (Suffix == QLatin1String("-wal")) QFile::remove(DbFile + QStringLiteral("-shm"));
  return aside;
}
