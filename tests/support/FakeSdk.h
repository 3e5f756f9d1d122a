// Fake terminal SDK entry points for exact unit tests: every call is
// recorded with its arguments, and results are scripted per entry point.
#pragma once
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

#include "sdk/FKDefine.h"

struct FakeSdkState {
  // Calls in order, as "FK_ConnectNet(7,10.0.0.5,5005,5000,0,731856)".
  QStringList Calls;
  // Results per entry point: queued ones first, then the standing one, then
  // 1 (a connect entry point gives handle 17 by default).
  QHash<QString, QList<int>> Queued;
  QHash<QString, int> Results;
  // Names the libraries do not export, and libraries that fail to load.
  QSet<QString> Missing;
  bool FirstLibraryMissing = false;
  bool SecondLibraryMissing = false;
  QStringList Resolved;  // "FK623Attend:FK_ConnectUSB", in lookup order

  // What the output entry points deliver.
  QList<std::array<int, 9>> LogRecords;  // one per FK_GetGeneralLogData_1
  QList<std::array<int, 4>> UserIds;     // one per FK_GetAllUserID
  double DeviceTime = 0;
  int BellCount = 0;
  QByteArray BellBlock = QByteArray(FK_BELL_BLOCK_SIZE, '\0');
  QByteArray UserName;              // written into the caller's name buffer
  bool ReplaceNamePointer = false;  // point the caller's pointer at our own text instead
  int Supported = 1;
  // Enroll data: what FK_GetEnrollData writes (before its result is taken),
  // what FK_PutEnrollData received, and names per user for FK_GetUserName
  // (UserName for a user not listed).
  std::function<void(int EnrollNumber, int BackupNumber, int* Privilege, unsigned char* Data,
                     int* PasswordValue)>
      OnGetEnrollData;
  std::function<void(int EnrollNumber, int BackupNumber, int Privilege, const unsigned char* Data,
                     int PasswordValue)>
      OnPutEnrollData;
  QHash<int, QByteArray> UserNames;

  void Reset() { *this = FakeSdkState(); }
  int CallCount(const QString& EntryPoint) const;
  int NextResult(const QString& EntryPoint, int Default = 1);
};

extern FakeSdkState FakeSdk;

std::unique_ptr<SdkLoader> MakeFakeSdkLoader();

// Makes every new binding use the fakes, with fresh state, while it lives.
class ScopedFakeSdk {
 public:
  ScopedFakeSdk() {
    FakeSdk.Reset();
    SetSdkLoaderFactory(&MakeFakeSdkLoader);
  }
  ~ScopedFakeSdk() { SetSdkLoaderFactory(nullptr); }
};

// A binding over the fakes that holds the connection Handle as if a connect
// had opened it, without a request to reconnect with.
class TFakeConnectedSdk : public TFKAttendObject {
 public:
  explicit TFakeConnectedSdk(int Handle) : TFKAttendObject(MakeFakeSdkLoader()) {
    AdoptHandle(Handle);
  }
};
