#include "session/TerminalSession.h"

#include <QCoreApplication>

#include "data/DM.h"
#include "data/IniFile.h"
#include "sdk/FolderLoader.h"
#include "session/ProgramFolder.h"

namespace {
TTerminalSession* current = nullptr;
}

TTerminalSession& Session() {
  return *current;
}
bool HasSession() {
  return current != nullptr;
}

TTerminalSession::TTerminalSession(const QString& AppFolder) : appFolder_(AppFolder) {
  current = this;
}

TTerminalSession::~TTerminalSession() {
  Close();
  if (current == this) current = nullptr;
}

void TTerminalSession::Start() {
  AppPath = appFolder_.isEmpty() ? QCoreApplication::applicationDirPath() : appFolder_;
  if (!AppPath.endsWith(QLatin1Char('/'))) AppPath += QLatin1Char('/');
  // The SDK libraries beside the program come first; then those the operator
  // put into the program folder; last the stand-ins an installed package
  // keeps apart, so that they never hide the vendor's.
  const QString own = ProgramFileFolder();
  TerminalSdk = std::make_unique<TFKAttendObject>(MakeLoaderWithFolders(
      MakeSdkLoader({AppPath}),
      {AppPath == own ? QString() : AppPath, own + QStringLiteral("stand-in")}));
}

void TTerminalSession::OpenDatabases(
    TfrmDM& DM, const std::function<void(const QString& Text)>& Missing) const {
  DM.OpenLocalDatabases(AppPath, Missing);
}

TDownloadOptions TTerminalSession::ReadDownloadOptions() const {
  const TIniFile ini(SettingsFile());
  TDownloadOptions options;
  options.SecondDataFile = ini.ReadString(QStringLiteral("Options"), QStringLiteral("veriDosya2"),
                                          {}) == QLatin1String("1");
  options.DeleteAfterRead = ini.ReadString(QStringLiteral("Options"), QStringLiteral("veriSil"),
                                           {}) == QLatin1String("1");
  return options;
}

bool TTerminalSession::Connect(const TConnInfo& Info, const QString& TerminalName) {
  ConnectedMachineNumber = Info.MachineNumber;
  TerminalConnected = TerminalSdk->Connect(Info);
  if (TerminalConnected) ConnectedTerminalName = TerminalName;
  return TerminalConnected;
}

void TTerminalSession::Disconnect() {
  if (TerminalConnected && TerminalSdk) TerminalSdk->Disconnect();
  TerminalConnected = false;
}

void TTerminalSession::Close() {
  if (!TerminalSdk) return;
  TerminalSdk->Disconnect();
  TerminalConnected = false;
  TerminalSdk.reset();
}

void TTerminalSession::AddBusyWatcher(QObject* Owner, std::function<void(bool)> Watch) {
  watchers_.append({Owner, std::move(Watch)});
  QObject::connect(Owner, &QObject::destroyed, &watchContext_, [this, Owner] {
    watchers_.removeIf([Owner](const TWatcher& w) { return w.Owner == Owner; });
  });
}

void TTerminalSession::SetBusy(bool Busy) {
  const QVector<TWatcher> watchers = watchers_;
  for (const TWatcher& w : watchers) w.Watch(Busy);
}

TTerminalBusy::TTerminalBusy() {
  if (Session().busy_++ == 0) Session().SetBusy(true);
}

TTerminalBusy::~TTerminalBusy() {
  if (--Session().busy_ == 0) Session().SetBusy(false);
}
