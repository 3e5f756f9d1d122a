#include "sdk/FKDefine.h"

#include <QDateTime>
#include <cstring>

#include "common/DayCount.h"
#include "common/Encoding.h"
#include "common/Errors.h"

static SdkLoaderFactory loaderFactory = nullptr;
void SetSdkLoaderFactory(SdkLoaderFactory Factory) {
  loaderFactory = Factory;
}
std::unique_ptr<SdkLoader> MakeSdkLoader(const TSdkChoice& Choice) {
  return loaderFactory ? loaderFactory() : MakeChosenLoader(Choice);
}

QString ResultText(int Code) {
  switch (Code) {
    case FKResult::Success:
      return QStringLiteral("Successful");
    case FKResult::NoSupport:
      return QStringLiteral("No support");
    case FKResult::UnknownError:
      return QStringLiteral("Unknown error");
    case FKResult::NoOpenComm:
      return QStringLiteral("No Open Comm");
    case FKResult::WriteError:
      return QStringLiteral("Write Error");
    case FKResult::ReadError:
      return QStringLiteral("Read Error");
    case FKResult::ParameterError:
      return QStringLiteral("Parameter Error");
    case FKResult::CommandFailed:
      return QStringLiteral("execution of command failed.");
    case FKResult::EndOfData:
      return QStringLiteral("End of data array");
    case FKResult::NoData:
      return QStringLiteral("None of data array");
    case FKResult::MemoryError:
      return QStringLiteral("Memory Allocating Error");
    case FKResult::WrongPassword:
      return QStringLiteral("mistake password");
    case FKResult::EnrollDataFull:
      return QStringLiteral("full enrolldata & can`t put enrolldata");
    case FKResult::IdExists:
      return QStringLiteral("this ID is already  existed.");
    case FKResult::ManagersFull:
      return QStringLiteral("full manager & can`t put manager");
    case FKResult::WrongFpVersion:
      return QStringLiteral("mistake fp data version.");
    case FKResult::WrongInOutMode:
      return QStringLiteral("mistake logdata In/Out mode.");
    default:
      return QStringLiteral("Unknown");
  }
}

TFKAttendObject::TFKAttendObject(std::unique_ptr<SdkLoader> Loader) : loader_(std::move(Loader)) {
  constexpr SdkLibrary A = SdkLibrary::FK623Attend;
  constexpr SdkLibrary B = SdkLibrary::FKAttend;
  firstLoaded_ = loader_->Load(A);
  if (firstLoaded_) {
    for (int i = 0; i < FK_SLOT_COUNT; ++i) {
      const FKSlot s = static_cast<FKSlot>(i);
      if (SlotLibrary(s) == A) slots_[i] = loader_->Resolve(A, SlotName(s));
    }
  }
  secondLoaded_ = loader_->Load(B);
  // The second library's names are looked up only when the first one loaded.
  if (firstLoaded_ && secondLoaded_) {
    for (int i = 0; i < FK_SLOT_COUNT; ++i) {
      const FKSlot s = static_cast<FKSlot>(i);
      if (SlotLibrary(s) == B) slots_[i] = loader_->Resolve(B, SlotName(s));
    }
  }
}

TFKAttendObject::~TFKAttendObject() {
  if (firstLoaded_) loader_->Unload(SdkLibrary::FK623Attend);
  if (secondLoaded_) loader_->Unload(SdkLibrary::FKAttend);
}

bool TFKAttendObject::Connect(const TConnInfo& Info) {
  // A handle still open would otherwise be dropped unclosed.
  Disconnect();
  leftDisabled_ = TLeftDisabled::No;
  if (!Open(Info)) return false;
  connectedInfo_ = Info;
  if (record_ && record_->LeftDisabled(Info)) {
    leftDisabled_ = FK_EnableDevice(1) ? TLeftDisabled::Enabled : TLeftDisabled::NotEnabled;
    leftDisabledResult_ = ResultOf(FKSlot::FK_EnableDevice);
  }
  return true;
}

bool TFKAttendObject::Open(const TConnInfo& Info) {
  if (Info.Kind == QLatin1String("USB")) {
    connectionHandle_ = 0;
    auto fn = reinterpret_cast<FK_ConnectUSB_t>(Slot(FKSlot::FK_ConnectUSB));
    sdkResult_ = fn ? fn(Info.MachineNumber) : -1;
  } else if (Info.Kind == QLatin1String("RS232/485")) {
    const int port = StrToIntDef(Info.SerialPort.left(4), 0);
    connectionHandle_ = 0;
    auto fn = reinterpret_cast<FK_ConnectComm_t>(Slot(FKSlot::FK_ConnectComm));
    const QByteArray commText = ToWin1254(Info.CommText);
    sdkResult_ = fn ? fn(Info.MachineNumber, port, Info.BaudRate, commText.constData(),
                         Info.CommOption, Info.CommTimeout)
                    : -1;
  } else if (Info.Kind == QLatin1String("LAN")) {
    connectionHandle_ = 0;
    auto fn = reinterpret_cast<FK_ConnectNet_t>(Slot(FKSlot::FK_ConnectNet));
    const QByteArray ip = ToWin1254(Info.IpAddress);
    sdkResult_ = fn ? fn(Info.MachineNumber, ip.constData(), Info.TcpPort, Info.NetTimeout,
                         Info.NetOption, Info.NetPassword)
                    : -1;
  } else {
    // No such kind: nothing is called and the last result stands.
    return false;
  }
  if (sdkResult_ > 0) {
    connectionHandle_ = sdkResult_;
    sdkResult_ = 1;
    return true;
  }
  return false;
}

TFKAttendObject::TEnableAgain TFKAttendObject::EnableDeviceAgain() {
  if (FK_EnableDevice(1)) return TEnableAgain::Enabled;
  // Only while connected: after a disconnect there is no request, and a
  // terminal the operator let go of is never connected behind the window.
  if (!Slot(FKSlot::FK_EnableDevice) || !IsConnectionLost(sdkResult_) ||
      connectedInfo_.Kind.isEmpty())
    return TEnableAgain::Failed;
  const int lost = sdkResult_;
  // The owner is still connected to that terminal: the request stays, even
  // when the new connection fails, so a later action may try again.
  CloseHandle();
  if (!Open(connectedInfo_)) {
    sdkResult_ = sdkResult_ == FKResult::Success ? lost : sdkResult_;
    return TEnableAgain::Failed;
  }
  return FK_EnableDevice(1) ? TEnableAgain::EnabledAfterReconnect : TEnableAgain::Failed;
}

QString TFKAttendObject::LastErrorText() const {
  const QString problem = loader_->Problem();
  return problem.isEmpty() ? ResultText(sdkResult_) : problem;
}

void TFKAttendObject::Disconnect() {
  CloseHandle();
  connectedInfo_ = TConnInfo();
}

void TFKAttendObject::CloseHandle() {
  auto fn = reinterpret_cast<FK_DisConnect_t>(Slot(FKSlot::FK_DisConnect));
  if (fn && connectionHandle_ != 0) {
    fn(connectionHandle_);
    connectionHandle_ = 0;
  }
}

// Every disable and enable of the program passes here, so the record of a
// terminal left disabled is made in this one place: durable before the
// disable is sent, gone once an enable succeeded.
bool TFKAttendObject::FK_EnableDevice(int EnableFlag) {
  const bool noted = record_ && !connectedInfo_.Kind.isEmpty() && Slot(FKSlot::FK_EnableDevice);
  const bool madeNow = noted && EnableFlag == 0 && record_->Disabling(connectedInfo_);
  const bool ok = Invoke<FKSlot::FK_EnableDevice>(EnableFlag);
  // A disable the terminal answered with a refusal left it as it was; one
  // whose answer was lost may have arrived, so its note stays.
  if (noted && (ok ? EnableFlag != 0 : madeNow && !IsConnectionLost(sdkResult_)))
    record_->Enabled(connectedInfo_);
  return ok;
}

bool TFKAttendObject::FK_GetDeviceTime(double& DateTime) {
  return Invoke<FKSlot::FK_GetDeviceTime>(&DateTime);
}

bool TFKAttendObject::FK_SetDeviceTime(double DateTime) {
  return Invoke<FKSlot::FK_SetDeviceTime>(DateTime);
}

bool TFKAttendObject::FK_LoadGeneralLogData(int ReadMark) {
  return Invoke<FKSlot::FK_LoadGeneralLogData>(ReadMark);
}

bool TFKAttendObject::FK_GetGeneralLogData_1(int& EnrollNumber, int& VerifyMode, int& InOutMode,
                                             int& Year, int& Month, int& Day, int& Hour,
                                             int& Minute, int& Second) {
  return Invoke<FKSlot::FK_GetGeneralLogData_1>(&EnrollNumber, &VerifyMode, &InOutMode, &Year,
                                                &Month, &Day, &Hour, &Minute, &Second);
}

bool TFKAttendObject::FK_GetBellTime(int& BellCount, unsigned char* BellBlock) {
  return Invoke<FKSlot::FK_GetBellTime>(&BellCount, BellBlock);
}

bool TFKAttendObject::FK_SetBellTime(int BellCount, unsigned char* BellBlock) {
  return Invoke<FKSlot::FK_SetBellTime>(BellCount, BellBlock);
}

bool TFKAttendObject::FK_GetEnrollData(int EnrollNumber, int BackupNumber, int& Privilege,
                                       unsigned char* EnrollData, int& PasswordValue) {
  return Invoke<FKSlot::FK_GetEnrollData>(EnrollNumber, BackupNumber, &Privilege, EnrollData,
                                          &PasswordValue);
}

bool TFKAttendObject::FK_PutEnrollData(int EnrollNumber, int BackupNumber, int Privilege,
                                       unsigned char* EnrollData, int PasswordValue) {
  return Invoke<FKSlot::FK_PutEnrollData>(EnrollNumber, BackupNumber, Privilege, EnrollData,
                                          PasswordValue);
}

bool TFKAttendObject::FK_SaveEnrollData() {
  return Invoke<FKSlot::FK_SaveEnrollData>();
}

bool TFKAttendObject::FK_DeleteEnrollData(int EnrollNumber, int BackupNumber) {
  return Invoke<FKSlot::FK_DeleteEnrollData>(EnrollNumber, BackupNumber);
}

bool TFKAttendObject::FK_EnableUser(int EnrollNumber, int BackupNumber, int EnableFlag) {
  return Invoke<FKSlot::FK_EnableUser>(EnrollNumber, BackupNumber, EnableFlag);
}

bool TFKAttendObject::FK_ModifyPrivilege(int EnrollNumber, int BackupNumber, int Privilege) {
  return Invoke<FKSlot::FK_ModifyPrivilege>(EnrollNumber, BackupNumber, Privilege);
}

bool TFKAttendObject::FK_BenumbAllManager() {
  return Invoke<FKSlot::FK_BenumbAllManager>();
}

bool TFKAttendObject::FK_ReadAllUserID() {
  return Invoke<FKSlot::FK_ReadAllUserID>();
}

bool TFKAttendObject::FK_GetAllUserID(int& EnrollNumber, int& BackupNumber, int& Privilege,
                                      int& EnableFlag) {
  return Invoke<FKSlot::FK_GetAllUserID>(&EnrollNumber, &BackupNumber, &Privilege, &EnableFlag);
}

bool TFKAttendObject::FK_GetUserName(int EnrollNumber, QString& UserName) {
  UserName.clear();
  // 256 blanks the SDK may overwrite, with a terminator of our own behind
  // them so a name that fills the buffer is still read safely.
  char buffer[FK_USER_NAME_BUFFER + 1];
  std::memset(buffer, ' ', FK_USER_NAME_BUFFER);
  buffer[FK_USER_NAME_BUFFER] = '\0';
  char* text = buffer;
  if (!Invoke<FKSlot::FK_GetUserName>(EnrollNumber, &text)) return false;
  if (text) UserName = FromWin1254(text);
  return true;
}

bool TFKAttendObject::FK_SetUserName(int EnrollNumber, const QString& UserName) {
  const QByteArray bytes = ToWin1254(UserName);
  return Invoke<FKSlot::FK_SetUserName>(EnrollNumber, bytes.constData());
}

bool TFKAttendObject::FK_EmptyGeneralLogData() {
  return Invoke<FKSlot::FK_EmptyGeneralLogData>();
}

bool TFKAttendObject::FK_EmptyEnrollData() {
  return Invoke<FKSlot::FK_EmptyEnrollData>();
}

bool TFKAttendObject::FK_ClearKeeperData() {
  return Invoke<FKSlot::FK_ClearKeeperData>();
}

bool TFKAttendObject::FK_IsSupportedEnrollData(int BackupNumber, bool& Supported) {
  Supported = false;
  int supported = 0;
  if (!Slot(FKSlot::FK_IsSupportedEnrollData)) return false;
  const bool ok = Invoke<FKSlot::FK_IsSupportedEnrollData>(BackupNumber, &supported);
  Supported = supported != 0;
  return ok;
}

QString NotEnabledAgainText(int Result) {
  return QStringLiteral(
             "Terminal yeniden etkinleştirilemedi (%1); cihazın tuş takımı ve "
             "okuyucusu kilitli kalmış olabilir, terminale yeniden bağlanıp kontrol "
             "edin....")
      .arg(ResultText(Result));
}

QString LeftDisabledText(const TFKAttendObject& Sdk) {
  switch (Sdk.LeftDisabledAtConnect()) {
    case TFKAttendObject::TLeftDisabled::No:
      break;
    case TFKAttendObject::TLeftDisabled::Enabled:
      return QStringLiteral(
          "Terminal yarıda kalan önceki bir işlemden devre dışı kalmıştı, yeniden "
          "etkinleştirildi....");
    case TFKAttendObject::TLeftDisabled::NotEnabled:
      return QStringLiteral(
                 "Terminal yarıda kalan önceki bir işlemden devre dışı kalmıştı ve "
                 "etkinleştirilemedi (%1); cihazın tuş takımı ve okuyucusu kilitli....")
          .arg(ResultText(Sdk.LeftDisabledResult()));
  }
  return {};
}

TTerminalBracket::~TTerminalBracket() {
  const QString notEnabled = Enable();
  if (!notEnabled.isEmpty() && notEnabled_) notEnabled_(notEnabled);
}

bool TTerminalBracket::Disable() {
  const bool ok = sdk_.FK_EnableDevice(0);
  due_ = due_ || ok;
  return ok;
}

QString TTerminalBracket::Enable() {
  if (!due_) return {};
  due_ = false;
  if (sdk_.EnableDeviceAgain() != TFKAttendObject::TEnableAgain::Failed) return {};
  return NotEnabledAgainText(sdk_.SdkResult());
}

bool SetClockToComputerTime(TFKAttendObject& Sdk) {
  return Sdk.FK_SetDeviceTime(DateTimeToDayCount(QDateTime::currentDateTime()));
}
