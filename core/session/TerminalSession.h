// The program's terminal session: the SDK binding, the one open connection
// and the program folder, with the start-up steps that are not about
// windows. The windowed program and a front end without windows open the
// same session.
#pragma once
#include <QObject>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>

#include "sdk/FKDefine.h"
#include "session/BellBlock.h"
#include "session/DisabledTerminals.h"

class TfrmDM;

// The terminal the session is connected to.
struct TConnectedTerminal {
  int MachineNumber = 0;
  QString Name;  // the list's name of the row it was connected from
};

// The download options of Settings.ini's [Options] section.
struct TDownloadOptions {
  bool SecondDataFile = false;   // veriDosya2: also write veri2.txt
  bool DeleteAfterRead = false;  // veriSil
};

class TTerminalSession {
 public:
  // AppFolder: where Data.mdb, Log.mdb and Settings.ini are; empty for the
  // program file's folder.
  explicit TTerminalSession(const QString& AppFolder = {});
  ~TTerminalSession();
  TTerminalSession(const TTerminalSession&) = delete;
  TTerminalSession& operator=(const TTerminalSession&) = delete;

  // The SDK binding; only between Start and Close (HasTerminalSdk).
  TFKAttendObject& TerminalSdk() const { return *sdk_; }
  bool HasTerminalSdk() const { return sdk_ != nullptr; }
  // The program folder, with a trailing separator; set by Start.
  const QString& AppPath() const { return appPath_; }
  // Where the terminal libraries in use come from, and what the operator
  // reads of it: "Terminal kitaplığı: ...", and after a failed connect the
  // binding's reason, with where to put the vendor's files while no vendor
  // library is in use.
  const TSdkChoice& SdkChoice() const { return sdkChoice_; }
  QString SdkDescription() const;
  QString ConnectFailureText() const;
  // The bell schedule of the last read or send, kept for the whole run and
  // shared by every showing of the bell window.
  TBellSchedule Bells;

  // Start-up: loads the SDK binding and sets AppPath.
  void Start();
  // Opens Data.mdb, Log.mdb and the terminal list of the data module;
  // Missing tells the operator of a file that is not there.
  void OpenDatabases(TfrmDM& DM, const std::function<void(const QString& Text)>& Missing) const;
  // Reads the download options; missing keys give false, a Settings.ini
  // that cannot be read throws EInOutError.
  TDownloadOptions ReadDownloadOptions() const;
  // Writes them (EIniFileError when Settings.ini cannot be written).
  void WriteDownloadOptions(const TDownloadOptions& Options) const;
  QString SettingsFile() const { return appPath_ + QStringLiteral("Settings.ini"); }

  // Opens the connection; on success the session is connected to the
  // terminal of that machine number and name. A terminal an earlier run left
  // disabled is enabled first; LeftDisabledText(TerminalSdk()) then says so.
  bool Connect(const TConnInfo& Info, const QString& TerminalName);
  // Closes the connection if one is open; nothing reconnects to it after.
  void Disconnect();
  // Whether the session is connected, and to which terminal. Only Connect,
  // Disconnect and Close change it.
  bool Connected() const { return connected_; }
  const TConnectedTerminal& Terminal() const { return terminal_; }
  // Disconnects and releases the SDK binding (the program's end).
  void Close();

  // Busy: a terminal action is running (see TTerminalBusy). Windows watch
  // it to lock their controls and refuse to close meanwhile.
  bool Busy() const { return busy_ > 0; }
  void AddBusyWatcher(QObject* Owner, std::function<void(bool Busy)> Watch);
  // Watch runs after every change of Connected(), so what a window shows of
  // the connection follows the session and is never decided by the window.
  void AddConnectionWatcher(QObject* Owner, std::function<void(bool Connected)> Watch);

 private:
  friend class TTerminalBusy;
  void SetBusy(bool Busy);
  void SetConnected(bool Connected, const TConnectedTerminal& Terminal = {});
  QString appFolder_;
  QString appPath_;
  TSdkChoice sdkChoice_;
  std::unique_ptr<TFKAttendObject> sdk_;
  bool connected_ = false;
  TConnectedTerminal terminal_;
  std::unique_ptr<TDisabledTerminals> disabled_;
  int busy_ = 0;
  struct TWatcher {
    QObject* Owner;
    std::function<void(bool)> Watch;
  };
  QVector<TWatcher> watchers_;
  QVector<TWatcher> connectionWatchers_;
  QObject watchContext_;  // ends the watchers' clean-up with the session
};

// The program's one session, set while it exists.
TTerminalSession& Session();
bool HasSession();

// Marks the session busy for as long as it lives: every watching window
// disables what could connect, disconnect, start another terminal command,
// open another window or delete a terminal row, and refuses to close; all of
// it comes back when the last guard ends, on every path. Guards nest.
class TTerminalBusy {
 public:
  TTerminalBusy();
  ~TTerminalBusy();
  TTerminalBusy(const TTerminalBusy&) = delete;
  TTerminalBusy& operator=(const TTerminalBusy&) = delete;
};
