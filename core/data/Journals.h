// The files a program that died may have left beside Data.mdb or Log.mdb:
// the write-ahead log ("-wal") of an earlier version, which wrote its
// commits there, and the rollback journal ("-journal") of a transaction
// that never ended. SQLite replays either into the database it finds it
// beside, whatever file it came from: nothing in them names their database,
// and their salts, nonces and checksums only tie them to themselves. An
// operator who copies a database over one whose program died would get the
// two mixed. So the program judges them first.
#pragma once
#include <QString>

enum class TJournalFit {
  Nothing,  // none there, or none that SQLite would replay
  Fits,     // made on this very file
  Foreign,  // made on another file, or older than the file itself
};

// Judges DbFile's "-wal". A log fits when its first committed change is the
// next change of the file as it stands: the same page size, the page count
// the file has until the log's first change of page 1, and there the file's
// change counter plus one. A file that changed after the log's last write
// was replaced or already holds the log, so the log then counts as foreign
// too: setting it aside loses nothing.
TJournalFit JudgeWal(const QString& DbFile);

// Judges DbFile's "-journal", which must not belong to a transaction still
// running (see SQLite's reserved lock). It fits when it saved this file's
// pages: the same page size and, when it holds page 1, the change counter
// the file had then, or one more when the file was being committed;
// without page 1 the file's header still says the page count it saved.
TJournalFit JudgeJournal(const QString& DbFile);

// Moves DbFile + Suffix ("-wal", "-journal") aside under a name SQLite never
// reads; with a log goes its index ("-shm"), which describes that log only.
// Returns the new name; empty when it cannot be moved (a folder that cannot
// be written).
QString SetAside(const QString& DbFile, const QString& Suffix);
