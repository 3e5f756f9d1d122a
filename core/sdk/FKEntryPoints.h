// The terminal SDK's entry points: the slot list of the binding, and for the
// entry points the program calls their argument lists, both as C++ types and
// as the kinds the Wine bridge carries them as. Shared by the binding (which
// resolves them), the stand-in libraries (which export them) and the Windows
// host that runs the vendor's libraries under Wine (sdkhost/), so every side
// is generated from this one table.
#pragma once

// The entry points' calling convention: __stdcall in a 32-bit Windows
// library, as the vendor's are built; every other target has only one.
// Decided here by the compiler's target rather than by a platform file,
// since the host and the stand-ins are built from this header alone for
// each machine type.
#if defined(_WIN32) && !defined(_WIN64)
#define FK_API __stdcall
#else
#define FK_API
#endif

// One row per slot, in the order of the binding's slots:
//   M(X, name, library, use, (parameters), (kinds))
// library: A = FK623Attend, B = FKAttend. use: CALLED for the entry points
// the program calls, which carry their parameters and kinds; WALK for those
// of them that hand out one entry of a walk per call (the Wine bridge may
// make their calls ahead in windows, see sdkhost/PROTOCOL.md); LISTED for
// the names that are only looked up (their argument lists are not ours to
// know).
// Kinds, one per parameter (sdk/FKWire.h gives their wire form):
//   Handle        the connection handle (32-bit signed)
//   In            a 32-bit signed integer
//   Text          an 8-bit NUL-terminated text the entry point reads
//   Date          a date-time, a day count since 1899-12-30 as a double
//   Out           the address of a 32-bit integer the entry point fills
//   DateOut       the address of a date-time the entry point fills
//   BlockIn<N>, BlockOut<N>
//                 a byte buffer of N bytes the entry point reads / fills
//   TemplateIn<I>, TemplateOut<I>
//                 a template buffer of FK_TemplateSize(parameter I) bytes
//   NameOut       the address of a text pointer that points at a buffer of
//                 FK_USER_NAME_BUFFER bytes the entry point may fill or
//                 replace with a pointer of its own
#define FK_ENTRY_POINT_TABLE(M, X)                                                                 \
  M(X, FK_ConnectUSB, A, CALLED, (int MachineNumber), (In))                                        \
  M(X, FK_ConnectComm, A, CALLED,                                                                  \
    (int MachineNumber, int Port, int BaudRate, const char* CommText, int CommOption,              \
     int Timeout),                                                                                 \
    (In, In, In, Text, In, In))                                                                    \
  M(X, FK_ConnectNet, A, CALLED,                                                                   \
    (int MachineNumber, const char* IpAddress, int TcpPort, int Timeout, int NetOption,            \
     int NetPassword),                                                                             \
    (In, Text, In, In, In, In))                                                                    \
  M(X, FK_DisConnect, A, CALLED, (int Handle), (Handle))                                           \
  M(X, FK_EnableDevice, A, CALLED, (int Handle, int EnableFlag), (Handle, In))                     \
  M(X, FK_PowerOnAllDevice, A, LISTED, (), ())                                                     \
  M(X, FK_PowerOffDevice, A, LISTED, (), ())                                                       \
  M(X, FK_GetDeviceStatus, A, LISTED, (), ())                                                      \
  M(X, FK_GetDeviceTime, A, CALLED, (int Handle, double* DateTime), (Handle, DateOut))             \
  M(X, FK_SetDeviceTime, A, CALLED, (int Handle, double DateTime), (Handle, Date))                 \
  M(X, FK_GetDeviceInfo, A, LISTED, (), ())                                                        \
  M(X, FK_SetDeviceInfo, A, LISTED, (), ())                                                        \
  M(X, FK_GetProductData, A, LISTED, (), ())                                                       \
  M(X, FK_LoadSuperLogData, A, LISTED, (), ())                                                     \
  M(X, FK_USBLoadSuperLogDataFromFile, A, LISTED, (), ())                                          \
  M(X, FK_GetSuperLogData, A, LISTED, (), ())                                                      \
  M(X, FK_GetSuperLogData_1, A, LISTED, (), ())                                                    \
  M(X, FK_EmptySuperLogData, A, LISTED, (), ())                                                    \
  M(X, FK_LoadGeneralLogData, A, CALLED, (int Handle, int ReadMark), (Handle, In))                 \
  M(X, FK_USBLoadGeneralLogDataFromFile, A, LISTED, (), ())                                        \
  M(X, FK_GetGeneralLogData, A, LISTED, (), ())                                                    \
  M(X, FK_GetGeneralLogData_1, A, WALK,                                                            \
    (int Handle, int* EnrollNumber, int* VerifyMode, int* InOutMode, int* Year, int* Month,        \
     int* Day, int* Hour, int* Minute, int* Second),                                               \
    (Handle, Out, Out, Out, Out, Out, Out, Out, Out, Out))                                         \
  M(X, FK_EmptyGeneralLogData, A, CALLED, (int Handle), (Handle))                                  \
  M(X, FK_GetBellTime, A, CALLED, (int Handle, int* BellCount, unsigned char* BellBlock),          \
    (Handle, Out, BlockOut<FK_BELL_BLOCK_SIZE>))                                                   \
  M(X, FK_SetBellTime, A, CALLED, (int Handle, int BellCount, unsigned char* BellBlock),           \
    (Handle, In, BlockIn<FK_BELL_BLOCK_SIZE>))                                                     \
  M(X, FK_GetEnrollData, A, CALLED,                                                                \
    (int Handle, int EnrollNumber, int BackupNumber, int* Privilege, unsigned char* EnrollData,    \
     int* PasswordValue),                                                                          \
    (Handle, In, In, Out, TemplateOut<2>, Out))                                                    \
  M(X, FK_PutEnrollData, A, CALLED,                                                                \
    (int Handle, int EnrollNumber, int BackupNumber, int Privilege, unsigned char* EnrollData,     \
     int PasswordValue),                                                                           \
    (Handle, In, In, In, TemplateIn<2>, In))                                                       \
  M(X, FK_SaveEnrollData, A, CALLED, (int Handle), (Handle))                                       \
  M(X, FK_DeleteEnrollData, A, CALLED, (int Handle, int EnrollNumber, int BackupNumber),           \
    (Handle, In, In))                                                                              \
  M(X, FK_SetUSBModel, A, LISTED, (), ())                                                          \
  M(X, FK_SetUDiskFileFKModel, B, LISTED, (), ())                                                  \
  M(X, FK_USBReadAllEnrollDataFromFile, A, LISTED, (), ())                                         \
  M(X, FK_USBReadAllEnrollDataCount, A, LISTED, (), ())                                            \
  M(X, FK_USBGetOneEnrollData, A, LISTED, (), ())                                                  \
  M(X, FK_USBSetOneEnrollData, A, LISTED, (), ())                                                  \
  M(X, FK_USBWriteAllEnrollDataToFile, A, LISTED, (), ())                                          \
  M(X, FK_USBReadAllEnrollDataFromFile_Color, A, LISTED, (), ())                                   \
  M(X, FK_USBWriteAllEnrollDataToFile_Color, A, LISTED, (), ())                                    \
  M(X, FK_USBGetOneEnrollData_Color, A, LISTED, (), ())                                            \
  M(X, FK_USBSetOneEnrollData_Color, A, LISTED, (), ())                                            \
  M(X, FK_EnableUser, A, CALLED, (int Handle, int EnrollNumber, int BackupNumber, int EnableFlag), \
    (Handle, In, In, In))                                                                          \
  M(X, FK_ModifyPrivilege, A, CALLED,                                                              \
    (int Handle, int EnrollNumber, int BackupNumber, int Privilege), (Handle, In, In, In))         \
  M(X, FK_BenumbAllManager, A, CALLED, (int Handle), (Handle))                                     \
  M(X, FK_ReadAllUserID, A, CALLED, (int Handle), (Handle))                                        \
  M(X, FK_GetAllUserID, A, WALK,                                                                   \
    (int Handle, int* EnrollNumber, int* BackupNumber, int* Privilege, int* EnableFlag),           \
    (Handle, Out, Out, Out, Out))                                                                  \
  M(X, FK_EmptyEnrollData, A, CALLED, (int Handle), (Handle))                                      \
  M(X, FK_ClearKeeperData, A, CALLED, (int Handle), (Handle))                                      \
  M(X, FK_SetFontName, A, LISTED, (), ())                                                          \
  M(X, FK_GetUserName, A, CALLED, (int Handle, int EnrollNumber, char** UserName),                 \
    (Handle, In, NameOut))                                                                         \
  M(X, FK_SetUserName, A, CALLED, (int Handle, int EnrollNumber, const char* UserName),            \
    (Handle, In, Text))                                                                            \
  M(X, FK_GetNewsMessage, A, LISTED, (), ())                                                       \
  M(X, FK_SetNewsMessage, A, LISTED, (), ())                                                       \
  M(X, FK_GetUserNewsID, A, LISTED, (), ())                                                        \
  M(X, FK_SetUserNewsID, A, LISTED, (), ())                                                        \
  M(X, FK_GetDoorStatus, A, LISTED, (), ())                                                        \
  M(X, FK_SetDoorStatus, A, LISTED, (), ())                                                        \
  M(X, FK_GetPassTime, A, LISTED, (), ())                                                          \
  M(X, FK_SetPassTime, A, LISTED, (), ())                                                          \
  M(X, FK_GetUserPassTime, A, LISTED, (), ())                                                      \
  M(X, FK_SetUserPassTime, A, LISTED, (), ())                                                      \
  M(X, FK_GetGroupPassTime, A, LISTED, (), ())                                                     \
  M(X, FK_SetGroupPassTime, A, LISTED, (), ())                                                     \
  M(X, FK_GetGroupMatch, A, LISTED, (), ())                                                        \
  M(X, FK_SetGroupMatch, A, LISTED, (), ())                                                        \
  M(X, FK_ConnectGetIP, B, LISTED, (), ())                                                         \
  M(X, FK_GetAdjustInfo, A, LISTED, (), ())                                                        \
  M(X, FK_SetAdjustInfo, A, LISTED, (), ())                                                        \
  M(X, FK_GetAccessTime, A, LISTED, (), ())                                                        \
  M(X, FK_SetAccessTime, A, LISTED, (), ())                                                        \
  M(X, FK_GetRealTimeInfo, A, LISTED, (), ())                                                      \
  M(X, FK_SetRealTimeInfo, A, LISTED, (), ())                                                      \
  M(X, FK_GetServerNetInfo, A, LISTED, (), ())                                                     \
  M(X, FK_SetServerNetInfo, A, LISTED, (), ())                                                     \
  M(X, FK_GetOneShiftInfo, A, LISTED, (), ())                                                      \
  M(X, FK_SetOneShiftInfo, A, LISTED, (), ())                                                      \
  M(X, FK_GetOnePostInfo, A, LISTED, (), ())                                                       \
  M(X, FK_SetOnePostInfo, A, LISTED, (), ())                                                       \
  M(X, FK_GetUserInfo, A, LISTED, (), ())                                                          \
  M(X, FK_SetUserInfo, A, LISTED, (), ())                                                          \
  M(X, FK_GetPostShiftInfo, A, LISTED, (), ())                                                     \
  M(X, FK_SetPostShiftInfo, A, LISTED, (), ())                                                     \
  M(X, FK_GetUserInfoEx, A, LISTED, (), ())                                                        \
  M(X, FK_SetUserInfoEx, A, LISTED, (), ())                                                        \
  M(X, FK_GetEnrollPhoto, A, LISTED, (), ())                                                       \
  M(X, FK_SetEnrollPhoto, A, LISTED, (), ())                                                       \
  M(X, FK_DeleteEnrollPhoto, A, LISTED, (), ())                                                    \
  M(X, FK_GetLogPhoto, A, LISTED, (), ())                                                          \
  M(X, FK_IsSupportedEnrollData, A, CALLED, (int Handle, int BackupNumber, int* Supported),        \
    (Handle, In, Out))

// The plain lists, for code that needs no more than they give:
// FK_ENTRY_POINTS(X): X(name, library), every slot in order.
// FK_CALLED_ENTRY_POINTS(X): X(name, (parameters)), the called entry points.
// FK_ENTRY_POINTS_FULL(X): X(name, library, use, (parameters), (kinds)).
#define FK_SLOT_ROW(X, name, library, use, params, kinds) X(name, library)
#define FK_ENTRY_POINTS(X) FK_ENTRY_POINT_TABLE(FK_SLOT_ROW, X)
#define FK_CALLED_ROW(X, name, library, use, params, kinds) FK_CALLED_ROW_##use(X, name, params)
#define FK_CALLED_ROW_CALLED(X, name, params) X(name, params)
#define FK_CALLED_ROW_WALK(X, name, params) X(name, params)
#define FK_CALLED_ROW_LISTED(X, name, params)
#define FK_CALLED_ENTRY_POINTS(X) FK_ENTRY_POINT_TABLE(FK_CALLED_ROW, X)
#define FK_FULL_ROW(X, name, library, use, params, kinds) X(name, library, use, params, kinds)
#define FK_ENTRY_POINTS_FULL(X) FK_ENTRY_POINT_TABLE(FK_FULL_ROW, X)

// Function-pointer types, e.g. FK_GetEnrollData_t.
#define FK_DECLARE_TYPE(name, params) typedef int(FK_API * name##_t) params;
FK_CALLED_ENTRY_POINTS(FK_DECLARE_TYPE)
#undef FK_DECLARE_TYPE

// The slots, in the order of the table: the binding's slot array, the
// host's rows and the slot numbers on the wire all count in it.
enum class FKSlot : int {
#define FK_SLOT_ENUM(name, library) name,
  FK_ENTRY_POINTS(FK_SLOT_ENUM)
#undef FK_SLOT_ENUM
      Count
};
constexpr int FK_SLOT_COUNT = static_cast<int>(FKSlot::Count);

// The function type of a called slot, FKSlotFunction<FKSlot::FK_X> being
// FK_X_t, so a call names its entry point once.
template <FKSlot S>
struct FKSlotType;
#define FK_SLOT_TYPE(name, params)  \
  template <>                       \
  struct FKSlotType<FKSlot::name> { \
    using type = name##_t;          \
  };
FK_CALLED_ENTRY_POINTS(FK_SLOT_TYPE)
#undef FK_SLOT_TYPE
template <FKSlot S>
using FKSlotFunction = typename FKSlotType<S>::type;

// Result codes of the entry points; ResultText (sdk/FKDefine.h) gives their
// English texts. A call succeeded exactly when it returned Success.
namespace FKResult {
constexpr int Success = 1;
constexpr int NoSupport = 0;
constexpr int UnknownError = -1;
constexpr int NoOpenComm = -2;  // -2 to -4: the connection itself failed
constexpr int WriteError = -3;
constexpr int ReadError = -4;
constexpr int ParameterError = -5;
constexpr int CommandFailed = -6;
constexpr int EndOfData = -7;  // a walk went past its last record
constexpr int NoData = -8;     // a walk found nothing at all
constexpr int MemoryError = -9;
constexpr int WrongPassword = -10;
constexpr int EnrollDataFull = -11;
constexpr int IdExists = -12;
constexpr int ManagersFull = -14;
constexpr int WrongFpVersion = -15;
constexpr int WrongInOutMode = -16;
}  // namespace FKResult

// Text the project's stand-in libraries carry in their file, by which the
// program tells them from a vendor's library without loading either.
#define FK_STAND_IN_MARK "Meridox stand-in terminal library; talks to vterminal only"

constexpr int FK_BELL_BLOCK_SIZE = 360;
constexpr int FK_USER_NAME_BUFFER = 256;

// Bytes of an enroll template by backup number: 40 for password and card,
// 20080 for a face, 3080 for a palm, 1680 for the rest.
constexpr int FK_TemplateSize(int BackupNumber) {
  switch (BackupNumber) {
    case 10:
    case 11:
      return 40;
    case 12:
      return 20080;
    case 20:
      return 3080;
    default:
      return 1680;
  }
}
