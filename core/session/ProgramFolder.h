// Where the program keeps Data.mdb, Log.mdb, Settings.ini and the attendance
// files. A program run from a folder of its own (the build folder, a copied
// folder) keeps everything beside the executable. An installed program's
// folder belongs to the system and is not written: its data then lives in
// the user's data folder, which gets the package's empty databases on first
// use.
#pragma once
#include <QString>
#include <QStringList>

struct TProgramFolder {
  QString Path;                // with a trailing separator; empty when none could be made
  bool BesideProgram = false;  // the executable's own folder
  QStringList Copied;          // the empty databases copied in this time
  QString Error;               // why the folder or a database could not be made
  // For the operator, once: the folder had been used (it holds Log.mdb or
  // Settings.ini) but had lost its Data.mdb, and an empty one was put there.
  QString Notice;
};

// The folder of the running program file, with a trailing separator.
QString ProgramFileFolder();

// The folder with the empty databases an installed package ships, when this
// program runs from an installed package; empty otherwise.
QString InstalledSeedFolder();

// Whether the running program is an installed one, whose own folder belongs
// to the system: on Linux, its package's empty databases are where the
// package puts them; on Windows, it lies under Program Files.
bool InstalledProgram();

// The user's own data folder: $XDG_DATA_HOME/meridox (by default
// ~/.local/share/meridox), on Windows %LOCALAPPDATA%\Meridox.
QString UserDataFolder();

// The program folder PrepareProgramFolder chooses, without making anything.
QString ChooseProgramFolder(const QString& Requested = {});

// Chooses the program folder: Requested (--folder) when given, else
// $MERIDOX_HOME when set; else the executable's folder when it is writable
// and not an installed package's; else $XDG_DATA_HOME/meridox (by default
// ~/.local/share/meridox). On Windows the program is installed when it lies
// under Program Files, its empty databases beside it, and the user's folder
// is %LOCALAPPDATA%\Meridox. A folder named by --folder or MERIDOX_HOME must
// be an existing folder (otherwise Path is empty and Error says why); the
// user's folder is created when missing. A folder other than the
// executable's gets the package's empty Data.mdb and Log.mdb where they are
// missing.
TProgramFolder PrepareProgramFolder(const QString& Requested = {});

// Gives the program folder Folder.Path the databases it misses from
// SeedFolder (CopyMissingDatabases), setting Copied, Error when a copy
// failed, and Notice when the folder was used before and Data.mdb had to be
// made anew. A folder's first use is silent.
void FillProgramFolder(const QString& SeedFolder, TProgramFolder& Folder);

// Copies each of Data.mdb and Log.mdb from SeedFolder into Folder when it is
// missing there: through a temporary file that is synced and then renamed,
// never over an existing file, so a database is either whole or absent.
// Returns the names copied; throws EInOutError on a failed step.
QStringList CopyMissingDatabases(const QString& SeedFolder, const QString& Folder);
