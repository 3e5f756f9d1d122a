// The terminal SDK's entry points: the slot list of the binding and the
// argument lists of the entry points the program calls. Shared by the
// binding (which resolves them) and the stand-in libraries (which export them).
#pragma once

#if defined(_WIN32) && !defined(_WIN64)
#define FK_API __stdcall
#else
#define FK_API
#endif

// Library marks: A = FK623Attend, B = FKAttend.
// X(name, library) in the order of the binding's slots.
#define FK_ENTRY_POINTS(X)                                                    \
  X(FK_ConnectUSB, A)                                                         \
  X(FK_ConnectComm, A)                                                        \
  X(FK_ConnectNet, A)                                                         \
  X(FK_DisConnect, A)                                                         \
  X(FK_EnableDevice, A)                                                       \
  X(FK_PowerOnAllDevice, A)                                                   \
  X(FK_PowerOffDevice, A)                                                     \
  X(FK_GetDeviceStatus, A)                                                    \
  X(FK_GetDeviceTime, A)                                                      \
  X(FK_SetDeviceTime, A)                                                      \
  X(FK_GetDeviceInfo, A)                                                      \
  X(FK_SetDeviceInfo, A)                                                      \
  X(FK_GetProductData, A)                                                     \
  X(FK_LoadSuperLogData, A)                                                   \
  X(FK_USBLoadSuperLogDataFromFile, A)                                        \
  X(FK_GetSuperLogData, A)                                                    \
  X(FK_GetSuperLogData_1, A)                                                  \
  X(FK_EmptySuperLogData, A)                                                  \
  X(FK_LoadGeneralLogData, A)                                                 \
  X(FK_USBLoadGeneralLogDataFromFile, A)                                      \
  X(FK_GetGeneralLogData, A)                                                  \
  X(FK_GetGeneralLogData_1, A)                                                \
  X(FK_EmptyGeneralLogData, A)                                                \
  X(FK_GetBellTime, A)                                                        \
  X(FK_SetBellTime, A)                                                        \
  X(FK_GetEnrollData, A)                                                      \
  X(FK_PutEnrollData, A)                                                      \
  X(FK_SaveEnrollData, A)                                                     \
  X(FK_DeleteEnrollData, A)                                                   \
  X(FK_SetUSBModel, A)                                                        \
  X(FK_SetUDiskFileFKModel, B)                                                \
  X(FK_USBReadAllEnrollDataFromFile, A)                                       \
  X(FK_USBReadAllEnrollDataCount, A)                                          \
  X(FK_USBGetOneEnrollData, A)                                                \
  X(FK_USBSetOneEnrollData, A)                                                \
  X(FK_USBWriteAllEnrollDataToFile, A)                                        \
  X(FK_USBReadAllEnrollDataFromFile_Color, A)                                 \
  X(FK_USBWriteAllEnrollDataToFile_Color, A)                                  \
  X(FK_USBGetOneEnrollData_Color, A)                                          \
  X(FK_USBSetOneEnrollData_Color, A)                                          \
  X(FK_EnableUser, A)                                                         \
  X(FK_ModifyPrivilege, A)                                                    \
  X(FK_BenumbAllManager, A)                                                   \
  X(FK_ReadAllUserID, A)                                                      \
  X(FK_GetAllUserID, A)                                                       \
  X(FK_EmptyEnrollData, A)                                                    \
  X(FK_ClearKeeperData, A)                                                    \
  X(FK_SetFontName, A)                                                        \
  X(FK_GetUserName, A)                                                        \
  X(FK_SetUserName, A)                                                        \
  X(FK_GetNewsMessage, A)                                                     \
  X(FK_SetNewsMessage, A)                                                     \
  X(FK_GetUserNewsID, A)                                                      \
  X(FK_SetUserNewsID, A)                                                      \
  X(FK_GetDoorStatus, A)                                                      \
  X(FK_SetDoorStatus, A)                                                      \
  X(FK_GetPassTime, A)                                                        \
  X(FK_SetPassTime, A)                                                        \
  X(FK_GetUserPassTime, A)                                                    \
  X(FK_SetUserPassTime, A)                                                    \
  X(FK_GetGroupPassTime, A)                                                   \
  X(FK_SetGroupPassTime, A)                                                   \
  X(FK_GetGroupMatch, A)                                                      \
  X(FK_SetGroupMatch, A)                                                      \
  X(FK_ConnectGetIP, B)                                                       \
  X(FK_GetAdjustInfo, A)                                                      \
  X(FK_SetAdjustInfo, A)                                                      \
  X(FK_GetAccessTime, A)                                                      \
  X(FK_SetAccessTime, A)                                                      \
  X(FK_GetRealTimeInfo, A)                                                    \
  X(FK_SetRealTimeInfo, A)                                                    \
  X(FK_GetServerNetInfo, A)                                                   \
  X(FK_SetServerNetInfo, A)                                                   \
  X(FK_GetOneShiftInfo, A)                                                    \
  X(FK_SetOneShiftInfo, A)                                                    \
  X(FK_GetOnePostInfo, A)                                                     \
  X(FK_SetOnePostInfo, A)                                                     \
  X(FK_GetUserInfo, A)                                                        \
  X(FK_SetUserInfo, A)                                                        \
  X(FK_GetPostShiftInfo, A)                                                   \
  X(FK_SetPostShiftInfo, A)                                                   \
  X(FK_GetUserInfoEx, A)                                                      \
  X(FK_SetUserInfoEx, A)                                                      \
  X(FK_GetEnrollPhoto, A)                                                     \
  X(FK_SetEnrollPhoto, A)                                                     \
  X(FK_DeleteEnrollPhoto, A)                                                  \
  X(FK_GetLogPhoto, A)                                                        \
  X(FK_IsSupportedEnrollData, A)

// Argument lists of the entry points the program calls. Every integer is
// 32-bit signed; a date-time is a day count since 1899-12-30 as a double.
// X(name, (parameters)); all return a 32-bit signed result code.
#define FK_CALLED_ENTRY_POINTS(X)                                                          \
  X(FK_ConnectUSB, (int MachineNumber))                                                    \
  X(FK_ConnectComm, (int MachineNumber, int Port, int BaudRate, const char* CommText,      \
                     int CommOption, int Timeout))                                         \
  X(FK_ConnectNet, (int MachineNumber, const char* IpAddress, int TcpPort, int Timeout,    \
                    int NetOption, int NetPassword))                                       \
  X(FK_DisConnect, (int Handle))                                                           \
  X(FK_EnableDevice, (int Handle, int EnableFlag))                                         \
  X(FK_GetDeviceTime, (int Handle, double* DateTime))                                      \
  X(FK_SetDeviceTime, (int Handle, double DateTime))                                       \
  X(FK_LoadGeneralLogData, (int Handle, int ReadMark))                                     \
  X(FK_EmptyGeneralLogData, (int Handle))                                                  \
  X(FK_GetGeneralLogData_1, (int Handle, int* EnrollNumber, int* VerifyMode,               \
                             int* InOutMode, int* Year, int* Month, int* Day, int* Hour,   \
                             int* Minute, int* Second))                                    \
  X(FK_GetBellTime, (int Handle, int* BellCount, unsigned char* BellBlock))                \
  X(FK_SetBellTime, (int Handle, int BellCount, unsigned char* BellBlock))                 \
  X(FK_GetEnrollData, (int Handle, int EnrollNumber, int BackupNumber, int* Privilege,     \
                       unsigned char* EnrollData, int* PasswordValue))                     \
  X(FK_PutEnrollData, (int Handle, int EnrollNumber, int BackupNumber, int Privilege,      \
                       unsigned char* EnrollData, int PasswordValue))                      \
  X(FK_SaveEnrollData, (int Handle))                                                       \
  X(FK_DeleteEnrollData, (int Handle, int EnrollNumber, int BackupNumber))                 \
  X(FK_EnableUser, (int Handle, int EnrollNumber, int BackupNumber, int EnableFlag))       \
  X(FK_ModifyPrivilege, (int Handle, int EnrollNumber, int BackupNumber, int Privilege))   \
  X(FK_BenumbAllManager, (int Handle))                                                     \
  X(FK_ReadAllUserID, (int Handle))                                                        \
  X(FK_GetAllUserID, (int Handle, int* EnrollNumber, int* BackupNumber, int* Privilege,    \
                      int* EnableFlag))                                                    \
  X(FK_GetUserName, (int Handle, int EnrollNumber, char** UserName))                       \
  X(FK_SetUserName, (int Handle, int EnrollNumber, const char* UserName))                  \
  X(FK_EmptyEnrollData, (int Handle))                                                      \
  X(FK_ClearKeeperData, (int Handle))                                                      \
  X(FK_IsSupportedEnrollData, (int Handle, int BackupNumber, int* Supported))

// Function-pointer types, e.g. FK_GetEnrollData_t.
#define FK_DECLARE_TYPE(name, params) typedef int(FK_API* name##_t) params;
FK_CALLED_ENTRY_POINTS(FK_DECLARE_TYPE)
#undef FK_DECLARE_TYPE

constexpr int FK_BELL_BLOCK_SIZE = 360;
constexpr int FK_USER_NAME_BUFFER = 256;
