// The terminal SDK binding: loads the vendor's libraries by name, keeps one
// slot per entry point, holds the one open connection and wraps every call
// the program makes.
#pragma once
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

#include "common/Errors.h"
#include "sdk/FKEntryPoints.h"
#include "sdk/SdkChoice.h"
#include "sdk/SdkLoader.h"

// The connection request handed to Connect. Fields a kind does not use stay
// zero or empty.
struct TConnInfo {
  int MachineNumber = 0;
  QString Kind;        // "USB", "RS232/485" or "LAN", compared exactly
  QString SerialPort;  // only its first four characters are used
  int BaudRate = 0;
  QString CommText;
  int CommOption = 0;
  int CommTimeout = 0;
  QString IpAddress;
  int TcpPort = 0;
  int NetPassword = 0;
  int NetTimeout = 0;
  int NetOption = 0;
};

// The loader a new binding uses, unless a test installed a factory of its own
// (nullptr restores the default): the loader of Choice (sdk/SdkChoice.h).
// Without one, the libraries are chosen from the folders of a program
// without a program folder of its own.
using SdkLoaderFactory = std::unique_ptr<SdkLoader> (*)();
void SetSdkLoaderFactory(SdkLoaderFactory Factory);
std::unique_ptr<SdkLoader> MakeSdkLoader(const TSdkChoice& Choice = ChooseSdk(SdkFolders({})));

// English text of an SDK result code; "Unknown" for codes without one.
QString ResultText(int Code);

// The note that a terminal is being disabled could not be kept, so the
// disable was not sent: the terminal is as it was.
class EDisabledNoteError : public EInOutError {
  using EInOutError::EInOutError;
};

// Where the binding notes, outside the program, which terminals it disabled
// and has not enabled again, so that a terminal a killed program left
// disabled is enabled at its next connect. The session keeps it in the
// program folder (session/DisabledTerminals.h).
class TDisabledRecord {
 public:
  virtual ~TDisabledRecord() = default;
  // Before FK_EnableDevice(0) on the terminal of Info: the note is on disk
  // when this returns (true when it was made now, false when it was there
  // already); throws EDisabledNoteError when it cannot be kept, and then
  // the terminal is not disabled.
  virtual bool Disabling(const TConnInfo& Info) = 0;
  // The terminal of Info is enabled (or was never disabled): the note goes.
  virtual void Enabled(const TConnInfo& Info) = 0;
  virtual bool LeftDisabled(const TConnInfo& Info) const = 0;
};

class TFKAttendObject {
 public:
  explicit TFKAttendObject(std::unique_ptr<SdkLoader> Loader = MakeSdkLoader());
  virtual ~TFKAttendObject();
  TFKAttendObject(const TFKAttendObject&) = delete;
  TFKAttendObject& operator=(const TFKAttendObject&) = delete;

  bool FirstLibraryLoaded() const { return firstLoaded_; }
  bool SecondLibraryLoaded() const { return secondLoaded_; }
  void* Slot(FKSlot S) const { return slots_[static_cast<int>(S)]; }

  // The handle of the open connection; 0: no connection. Only Connect,
  // Disconnect and a reconnect change it.
  int ConnectionHandle() const { return connectionHandle_; }
  // The code of the last entry point actually called.
  int SdkResult() const { return sdkResult_; }
  // The result of a call of Called: SdkResult when its slot is filled,
  // otherwise NoSupport, since a missing entry point was never called and
  // SdkResult still holds an earlier call's code.
  int ResultOf(FKSlot Called) const { return Slot(Called) ? sdkResult_ : FKResult::NoSupport; }

  // Opens the connection (closing one still open first). A terminal the
  // record holds as left disabled is enabled right after; LeftDisabledAtConnect
  // says how that went.
  bool Connect(const TConnInfo& Info);
  // Closes the connection and forgets its request: nothing reconnects to a
  // terminal the owner disconnected.
  void Disconnect();

  // The request of the last successful Connect while it is not disconnected,
  // kept so a connection lost in the middle of an action can be opened once
  // more to enable the terminal. Empty without a connection.
  const TConnInfo& ConnectedInfo() const { return connectedInfo_; }

  // Notes every disable and enable (nullptr: none); not owned.
  void SetDisabledRecord(TDisabledRecord* Record) { record_ = Record; }
  enum class TLeftDisabled {
    No,         // not recorded as left disabled: no call was made
    Enabled,    // recorded, and FK_EnableDevice(1) succeeded
    NotEnabled  // recorded, and FK_EnableDevice(1) failed (LeftDisabledResult says why)
  };
  TLeftDisabled LeftDisabledAtConnect() const { return leftDisabled_; }
  int LeftDisabledResult() const { return leftDisabledResult_; }

  // How EnableDeviceAgain ended.
  enum class TEnableAgain {
    Enabled,                // FK_EnableDevice(1) succeeded on the connection
    EnabledAfterReconnect,  // the connection was lost; it was opened again and enabled
    Failed                  // not enabled: SdkResult holds the reason
  };
  // Ends an action's bracket: FK_EnableDevice(1). When that fails because the
  // connection is gone (No Open Comm, Write Error, Read Error), the dead
  // handle is closed, the terminal is connected once more with the request of
  // the last Connect and enabled on the new connection, which stays open.
  TEnableAgain EnableDeviceAgain();
  // True for the results that mean the connection itself failed.
  static bool IsConnectionLost(int Result) {
    return Result >= FKResult::ReadError && Result <= FKResult::NoOpenComm;
  }

  bool FK_EnableDevice(int EnableFlag);
  bool FK_GetDeviceTime(double& DateTime);
  bool FK_SetDeviceTime(double DateTime);
  bool FK_LoadGeneralLogData(int ReadMark);
  // Removes every attendance record the terminal holds.
  bool FK_EmptyGeneralLogData();
  bool FK_GetGeneralLogData_1(int& EnrollNumber, int& VerifyMode, int& InOutMode, int& Year,
                              int& Month, int& Day, int& Hour, int& Minute, int& Second);
  bool FK_GetBellTime(int& BellCount, unsigned char* BellBlock);
  bool FK_SetBellTime(int BellCount, unsigned char* BellBlock);
  bool FK_GetEnrollData(int EnrollNumber, int BackupNumber, int& Privilege,
                        unsigned char* EnrollData, int& PasswordValue);
  bool FK_PutEnrollData(int EnrollNumber, int BackupNumber, int Privilege,
                        unsigned char* EnrollData, int PasswordValue);
  bool FK_SaveEnrollData();
  bool FK_DeleteEnrollData(int EnrollNumber, int BackupNumber);
  bool FK_EnableUser(int EnrollNumber, int BackupNumber, int EnableFlag);
  bool FK_ModifyPrivilege(int EnrollNumber, int BackupNumber, int Privilege);
  bool FK_BenumbAllManager();
  bool FK_ReadAllUserID();
  bool FK_GetAllUserID(int& EnrollNumber, int& BackupNumber, int& Privilege, int& EnableFlag);
  // UserName is emptied first and filled only on success.
  bool FK_GetUserName(int EnrollNumber, QString& UserName);
  bool FK_SetUserName(int EnrollNumber, const QString& UserName);
  bool FK_EmptyEnrollData();
  bool FK_ClearKeeperData();
  // Supported is false unless the entry point was called and said otherwise.
  bool FK_IsSupportedEnrollData(int BackupNumber, bool& Supported);

  // The text of SdkResult, or what keeps the libraries from being used when
  // their loader knows (Wine missing, a library that does not load).
  QString LastErrorText() const;

 protected:
  // For a test double: a connection already open as Handle, without the
  // request a reconnect would need.
  void AdoptHandle(int Handle) { connectionHandle_ = Handle; }

 private:
  // The common rule: no call when the slot is empty; otherwise the handle
  // first, the result kept, success exactly when it is 1.
  template <FKSlot S, class... Args>
  bool Invoke(Args... args) {
    auto fn = reinterpret_cast<FKSlotFunction<S>>(Slot(S));
    if (!fn) return false;
    sdkResult_ = fn(connectionHandle_, args...);
    return sdkResult_ == FKResult::Success;
  }

  int connectionHandle_ = 0;
  int sdkResult_ = 0;

  std::unique_ptr<SdkLoader> loader_;
  bool firstLoaded_ = false;
  bool secondLoaded_ = false;
  std::array<void*, FK_SLOT_COUNT> slots_{};
  TConnInfo connectedInfo_;
  TDisabledRecord* record_ = nullptr;
  TLeftDisabled leftDisabled_ = TLeftDisabled::No;
  int leftDisabledResult_ = 0;
  bool Open(const TConnInfo& Info);
  void CloseHandle();
};

// The bracket of a terminal command: FK_EnableDevice(0), the command's calls,
// FK_EnableDevice(1). Disable makes the first call (a command may make it
// more than once); the second is made once, by Enable or when the bracket
// goes, on every path errors included, over a new connection when the
// command lost its own (TFKAttendObject::EnableDeviceAgain). Whether a
// command enables after a disable that failed (or that it never made) is
// its own rule, given by When.
class TTerminalBracket {
 public:
  enum class TEnableWhen {
    Disabled,  // only after a disable the terminal accepted
    EveryPath  // whatever the disables answered, also with none made
  };
  // Told at the end the text of an enable that failed (NotEnabledAgainText);
  // not called by Enable, whose caller gets the text.
  using TNotEnabled = std::function<void(const QString& Text)>;

  TTerminalBracket(TFKAttendObject& Sdk, TEnableWhen When, TNotEnabled NotEnabled = {})
      : sdk_(Sdk), notEnabled_(std::move(NotEnabled)), due_(When == TEnableWhen::EveryPath) {}
  ~TTerminalBracket();
  TTerminalBracket(const TTerminalBracket&) = delete;
  TTerminalBracket& operator=(const TTerminalBracket&) = delete;

  // FK_EnableDevice(0); true when the terminal accepted it.
  bool Disable();
  // The end of the bracket now, when it is due: empty when the terminal is
  // enabled (or no enable was due), else the text that tells the operator it
  // is not. Nothing more is sent when the bracket goes.
  QString Enable();

 private:
  TFKAttendObject& sdk_;
  TNotEnabled notEnabled_;
  bool due_;
};
// "The terminal could not be enabled again (reason)", for an SDK result.
QString NotEnabledAgainText(int Result);
// What the last Connect of Sdk did about a terminal an earlier run left
// disabled, for the operator; empty when it was not recorded as such.
QString LeftDisabledText(const TFKAttendObject& Sdk);

// Sets the terminal's clock to this computer's local time, milliseconds
// included (FK_SetDeviceTime), inside the caller's TTerminalBracket.
bool SetClockToComputerTime(TFKAttendObject& Sdk);
