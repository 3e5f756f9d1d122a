#include "session/TerminalSession.h"

#include <QCoreApplication>

#include "data/DM.h"
#include "data/IniFile.h"

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
  appPath_ = appFolder_.isEmpty() ? QCoreApplication::applicationDirPath() : appFolder_;
  if (!appPath_.endsWith(QLatin1Char('/'))) appPath_ += QLatin1Char('/');
  sdkChoice_ = ChooseSdk(SdkFolders(appPath_));
  sdk_ = std::make_unique<TFKAttendObject>(MakeSdkLoader(sdkChoice_));
  disabled_ = std::make_unique<TDisabledTerminals>(appPath_);
  sdk_->SetDisabledRecord(disabled_.get());
}

QString TTerminalSession::SdkDescription() const {
  return ::SdkDescription(sdkChoice_);
}

QString TTerminalSession::ConnectFailureText() const {
  QString text = sdk_ ? sdk_->LastErrorText() : QString();
  const QString hint = VendorLibraryHint(sdkChoice_);
  if (!hint.isEmpty()) text += QLatin1Char('\n') + hint;
  return text;
}

void TTerminalSession::OpenDatabases(
    TfrmDM& DM, const std::function<void(const QString& Text)>& Missing) const {
  DM.OpenLocalDatabases(appPath_, Missing);
}

namespace {
const QString kOptions = QStringLiteral("Options");
const QString kSecondDataFile = QStringLiteral("veriDosya2");
const QString kDeleteAfterRead = QStringLiteral("veriSil");
QString Flag(bool On) {
  return On ? QStringLiteral("1") : QStringLiteral("0");
}
}  // namespace

TDownloadOptions TTerminalSession::ReadDownloadOptions() const {
  const TIniFile ini(SettingsFile());
  TDownloadOptions options;
  options.SecondDataFile = ini.ReadString(kOptions, kSecondDataFile, {}) == QLatin1String("1");
  options.DeleteAfterRead = ini.ReadString(kOptions, kDeleteAfterRead, {}) == QLatin1String("1");
  return options;
}

void TTerminalSession::WriteDownloadOptions(const TDownloadOptions& Options) const {
  TIniFile ini(SettingsFile());
  ini.WriteString(kOptions, kSecondDataFile, Flag(Options.SecondDataFile));
  ini.WriteString(kOptions, kDeleteAfterRead, Flag(Options.DeleteAfterRead));
}

bool TTerminalSession::Connect(const TConnInfo& Info, const QString& TerminalName) {
  const bool connected = sdk_->Connect(Info);
  SetConnected(connected, connected ? TConnectedTerminal{Info.MachineNumber, TerminalName}
                                    : TConnectedTerminal{});
  return connected;
}

void TTerminalSession::Disconnect() {
  if (sdk_) sdk_->Disconnect();
  SetConnected(false);
}

void TTerminalSession::SetConnected(bool Connected, const TConnectedTerminal& Terminal) {
  connected_ = Connected;
  terminal_ = Terminal;
  const QVector<TWatcher> watchers = connectionWatchers_;
  for (const TWatcher& w : watchers) w.Watch(Connected);
}

void TTerminalSession::Close() {
  if (!sdk_) return;
  Disconnect();
  sdk_.reset();
}

void TTerminalSession::AddBusyWatcher(QObject* Owner, std::function<void(bool)> Watch) {
  watchers_.append({Owner, std::move(Watch)});
  QObject::connect(Owner, &QObject::destroyed, &watchContext_, [this, Owner] {
    watchers_.removeIf([Owner](const TWatcher& w) { return w.Owner == Owner; });
  });
}

void TTerminalSession::AddConnectionWatcher(QObject* Owner, std::function<void(bool)> Watch) {
  connectionWatchers_.append({Owner, std::move(Watch)});
  QObject::connect(Owner, &QObject::destroyed, &watchContext_, [this, Owner] {
    connectionWatchers_.removeIf([Owner](const TWatcher& w) { return w.Owner == Owner; });
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
