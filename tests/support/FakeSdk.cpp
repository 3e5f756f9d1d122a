#include "FakeSdk.h"

#include <cstring>

FakeSdkState FakeSdk;

int FakeSdkState::CallCount(const QString& EntryPoint) const {
  int n = 0;
  for (const QString& c : Calls)
    if (c.startsWith(EntryPoint + QLatin1Char('('))) ++n;
  return n;
}

int FakeSdkState::NextResult(const QString& EntryPoint, int Default) {
  QList<int>& queue = Queued[EntryPoint];
  if (!queue.isEmpty()) return queue.takeFirst();
  return Results.value(EntryPoint, Default);
}

namespace {

QString Arg(int v) {
  return QString::number(v);
}
QString Arg(double v) {
  return QString::number(v, 'g', 17);
}
QString Arg(const char* v) {
  return v ? QString::fromLatin1(v) : QStringLiteral("(null)");
}
QString Arg(const void* v) {
  return v ? QStringLiteral("ptr") : QStringLiteral("(null)");
}

template <class... Args>
int Record(const char* Name, Args... args) {
  QStringList list{Arg(args)...};
  FakeSdk.Calls << QString::fromLatin1(Name) + QLatin1Char('(') + list.join(QLatin1Char(',')) +
                       QLatin1Char(')');
  return FakeSdk.NextResult(QString::fromLatin1(Name));
}

int FK_API FakeConnectUSB(int MachineNumber) {
  FakeSdk.Calls << QStringLiteral("FK_ConnectUSB(%1)").arg(MachineNumber);
  return FakeSdk.NextResult(QStringLiteral("FK_ConnectUSB"), 17);
}
int FK_API FakeConnectComm(int MachineNumber, int Port, int BaudRate, const char* CommText,
                           int CommOption, int Timeout) {
  FakeSdk.Calls << QStringLiteral("FK_ConnectComm(%1,%2,%3,%4,%5,%6)")
                       .arg(MachineNumber)
                       .arg(Port)
                       .arg(BaudRate)
                       .arg(Arg(CommText))
                       .arg(CommOption)
                       .arg(Timeout);
  return FakeSdk.NextResult(QStringLiteral("FK_ConnectComm"), 17);
}
int FK_API FakeConnectNet(int MachineNumber, const char* IpAddress, int TcpPort, int Timeout,
                          int NetOption, int NetPassword) {
  FakeSdk.Calls << QStringLiteral("FK_ConnectNet(%1,%2,%3,%4,%5,%6)")
                       .arg(MachineNumber)
                       .arg(Arg(IpAddress))
                       .arg(TcpPort)
                       .arg(Timeout)
                       .arg(NetOption)
                       .arg(NetPassword);
  return FakeSdk.NextResult(QStringLiteral("FK_ConnectNet"), 17);
}
int FK_API FakeDisConnect(int Handle) {
  return Record("FK_DisConnect", Handle);
}
int FK_API FakeEnableDevice(int Handle, int Flag) {
  return Record("FK_EnableDevice", Handle, Flag);
}
int FK_API FakeGetDeviceTime(int Handle, double* DateTime) {
  *DateTime = FakeSdk.DeviceTime;
  return Record("FK_GetDeviceTime", Handle);
}
int FK_API FakeSetDeviceTime(int Handle, double DateTime) {
  return Record("FK_SetDeviceTime", Handle, DateTime);
}
int FK_API FakeLoadGeneralLogData(int Handle, int ReadMark) {
  return Record("FK_LoadGeneralLogData", Handle, ReadMark);
}
int FK_API FakeGetGeneralLogData_1(int Handle, int* EnrollNumber, int* VerifyMode, int* InOutMode,
                                   int* Year, int* Month, int* Day, int* Hour, int* Minute,
                                   int* Second) {
  const int result = Record("FK_GetGeneralLogData_1", Handle);
  if (result != 1) return result;
  if (FakeSdk.LogRecords.isEmpty()) return -7;
  const auto r = FakeSdk.LogRecords.takeFirst();
  int* out[] = {EnrollNumber, VerifyMode, InOutMode, Year, Month, Day, Hour, Minute, Second};
  for (int i = 0; i < 9; ++i) *out[i] = r[i];
  return 1;
}
int FK_API FakeGetBellTime(int Handle, int* BellCount, unsigned char* BellBlock) {
  *BellCount = FakeSdk.BellCount;
  std::memcpy(BellBlock, FakeSdk.BellBlock.constData(), FK_BELL_BLOCK_SIZE);
  return Record("FK_GetBellTime", Handle);
}
int FK_API FakeSetBellTime(int Handle, int BellCount, unsigned char* BellBlock) {
  FakeSdk.BellCount = BellCount;
  FakeSdk.BellBlock = QByteArray(reinterpret_cast<const char*>(BellBlock), FK_BELL_BLOCK_SIZE);
  return Record("FK_SetBellTime", Handle, BellCount);
}
int FK_API FakeGetEnrollData(int Handle, int EnrollNumber, int BackupNumber, int* Privilege,
                             unsigned char* EnrollData, int* PasswordValue) {
  if (FakeSdk.OnGetEnrollData)
    FakeSdk.OnGetEnrollData(EnrollNumber, BackupNumber, Privilege, EnrollData, PasswordValue);
  return Record("FK_GetEnrollData", Handle, EnrollNumber, BackupNumber, Privilege, EnrollData,
                PasswordValue);
}
int FK_API FakePutEnrollData(int Handle, int EnrollNumber, int BackupNumber, int Privilege,
                             unsigned char* EnrollData, int PasswordValue) {
  if (FakeSdk.OnPutEnrollData)
    FakeSdk.OnPutEnrollData(EnrollNumber, BackupNumber, Privilege, EnrollData, PasswordValue);
  return Record("FK_PutEnrollData", Handle, EnrollNumber, BackupNumber, Privilege, EnrollData,
                PasswordValue);
}
int FK_API FakeSaveEnrollData(int Handle) {
  return Record("FK_SaveEnrollData", Handle);
}
int FK_API FakeDeleteEnrollData(int Handle, int EnrollNumber, int BackupNumber) {
  return Record("FK_DeleteEnrollData", Handle, EnrollNumber, BackupNumber);
}
int FK_API FakeEnableUser(int Handle, int EnrollNumber, int BackupNumber, int Flag) {
  return Record("FK_EnableUser", Handle, EnrollNumber, BackupNumber, Flag);
}
int FK_API FakeModifyPrivilege(int Handle, int EnrollNumber, int BackupNumber, int Privilege) {
  return Record("FK_ModifyPrivilege", Handle, EnrollNumber, BackupNumber, Privilege);
}
int FK_API FakeBenumbAllManager(int Handle) {
  return Record("FK_BenumbAllManager", Handle);
}
int FK_API FakeReadAllUserID(int Handle) {
  return Record("FK_ReadAllUserID", Handle);
}
int FK_API FakeGetAllUserID(int Handle, int* EnrollNumber, int* BackupNumber, int* Privilege,
                            int* EnableFlag) {
  const int result = Record("FK_GetAllUserID", Handle);
  if (result != 1) return result;
  if (FakeSdk.UserIds.isEmpty()) return -7;
  const auto u = FakeSdk.UserIds.takeFirst();
  *EnrollNumber = u[0];
  *BackupNumber = u[1];
  *Privilege = u[2];
  *EnableFlag = u[3];
  return 1;
}
int FK_API FakeGetUserName(int Handle, int EnrollNumber, char** UserName) {
  static QByteArray own;
  const QByteArray name = FakeSdk.UserNames.value(EnrollNumber, FakeSdk.UserName);
  if (FakeSdk.ReplaceNamePointer) {
    own = name;
    *UserName = own.data();
  } else {
    std::memcpy(*UserName, name.constData(), name.size());
    (*UserName)[name.size()] = '\0';
  }
  return Record("FK_GetUserName", Handle, EnrollNumber);
}
int FK_API FakeSetUserName(int Handle, int EnrollNumber, const char* UserName) {
  return Record("FK_SetUserName", Handle, EnrollNumber, UserName);
}
int FK_API FakeEmptyGeneralLogData(int Handle) {
  return Record("FK_EmptyGeneralLogData", Handle);
}
int FK_API FakeEmptyEnrollData(int Handle) {
  return Record("FK_EmptyEnrollData", Handle);
}
int FK_API FakeClearKeeperData(int Handle) {
  return Record("FK_ClearKeeperData", Handle);
}
int FK_API FakeIsSupportedEnrollData(int Handle, int BackupNumber, int* Supported) {
  *Supported = FakeSdk.Supported;
  return Record("FK_IsSupportedEnrollData", Handle, BackupNumber);
}
// Stands for every entry point the program never calls.
int FK_API FakeNeverCalled() {
  return 0;
}

const QHash<QString, void*>& FakeEntryPoints() {
  static const QHash<QString, void*> table = {
      {"FK_ConnectUSB", reinterpret_cast<void*>(&FakeConnectUSB)},
      {"FK_ConnectComm", reinterpret_cast<void*>(&FakeConnectComm)},
      {"FK_ConnectNet", reinterpret_cast<void*>(&FakeConnectNet)},
      {"FK_DisConnect", reinterpret_cast<void*>(&FakeDisConnect)},
      {"FK_EnableDevice", reinterpret_cast<void*>(&FakeEnableDevice)},
      {"FK_GetDeviceTime", reinterpret_cast<void*>(&FakeGetDeviceTime)},
      {"FK_SetDeviceTime", reinterpret_cast<void*>(&FakeSetDeviceTime)},
      {"FK_LoadGeneralLogData", reinterpret_cast<void*>(&FakeLoadGeneralLogData)},
      {"FK_GetGeneralLogData_1", reinterpret_cast<void*>(&FakeGetGeneralLogData_1)},
      {"FK_GetBellTime", reinterpret_cast<void*>(&FakeGetBellTime)},
      {"FK_SetBellTime", reinterpret_cast<void*>(&FakeSetBellTime)},
      {"FK_GetEnrollData", reinterpret_cast<void*>(&FakeGetEnrollData)},
      {"FK_PutEnrollData", reinterpret_cast<void*>(&FakePutEnrollData)},
      {"FK_SaveEnrollData", reinterpret_cast<void*>(&FakeSaveEnrollData)},
      {"FK_DeleteEnrollData", reinterpret_cast<void*>(&FakeDeleteEnrollData)},
      {"FK_EnableUser", reinterpret_cast<void*>(&FakeEnableUser)},
      {"FK_ModifyPrivilege", reinterpret_cast<void*>(&FakeModifyPrivilege)},
      {"FK_BenumbAllManager", reinterpret_cast<void*>(&FakeBenumbAllManager)},
      {"FK_ReadAllUserID", reinterpret_cast<void*>(&FakeReadAllUserID)},
      {"FK_GetAllUserID", reinterpret_cast<void*>(&FakeGetAllUserID)},
      {"FK_GetUserName", reinterpret_cast<void*>(&FakeGetUserName)},
      {"FK_SetUserName", reinterpret_cast<void*>(&FakeSetUserName)},
      {"FK_EmptyGeneralLogData", reinterpret_cast<void*>(&FakeEmptyGeneralLogData)},
      {"FK_EmptyEnrollData", reinterpret_cast<void*>(&FakeEmptyEnrollData)},
      {"FK_ClearKeeperData", reinterpret_cast<void*>(&FakeClearKeeperData)},
      {"FK_IsSupportedEnrollData", reinterpret_cast<void*>(&FakeIsSupportedEnrollData)},
  };
  return table;
}

class FakeLoader final : public SdkLoader {
 public:
  bool Load(SdkLibrary Library) override {
    return Library == SdkLibrary::FK623Attend ? !FakeSdk.FirstLibraryMissing
                                              : !FakeSdk.SecondLibraryMissing;
  }
  void* Resolve(SdkLibrary Library, const char* Name) override {
    const QString name = QString::fromLatin1(Name);
    FakeSdk.Resolved << (Library == SdkLibrary::FK623Attend ? QStringLiteral("FK623Attend:")
                                                            : QStringLiteral("FKAttend:")) +
                            name;
    if (FakeSdk.Missing.contains(name)) return nullptr;
    return FakeEntryPoints().value(name, reinterpret_cast<void*>(&FakeNeverCalled));
  }
  void Unload(SdkLibrary) override {}
};

}  // namespace

std::unique_ptr<SdkLoader> MakeFakeSdkLoader() {
  return std::make_unique<FakeLoader>();
}
