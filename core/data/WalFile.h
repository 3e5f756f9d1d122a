// The write-ahead log ("-wal" file) an earlier version of the program may
// have left beside Data.mdb or Log.mdb. SQLite replays any such file into the
// database it finds it beside, whatever file it came from: nothing in the
// log names its database, and the salts and checksums only tie its frames to
// its own header. An operator who copies a database over one whose program
// died would get the two mixed. So the program judges the log first.
#pragma once
#include <QString>

enum class TWalFit {
  Nothing,  // no log, or none with a committed change
  Fits,     // its changes were made on this very file
  Foreign,  // another file's changes, or older than the file itself
};

// Judges DbFile's "-wal" beside it. A log fits when its first committed
// change is the next change of the file as it stands: the same page size,
// the page count the file has until the log's first change of page 1, and
// there the file's change counter plus one. A file that changed after the
// log's last write was replaced or already holds the log, so the log then
// counts as foreign too: setting it aside loses nothing.
TWalFit JudgeWal(const QString& DbFile);

// Moves DbFile's "-wal" aside under a name SQLite never reads, and drops
// its index ("-shm"), which describes that log only. Returns the new name;
// empty when the log cannot be moved (a folder that cannot be written).
QString SetWalAside(const QString& DbFile);
