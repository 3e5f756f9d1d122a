// Users of the enroll-data store on the terminal: the stored old password,
// and the commands that enable or disable a user or change its privilege.
// They change the terminal only; the store keeps what it held.
#pragma once
#include <QString>

class TDataSet;
class TEnrollReport;
class TFKAttendObject;
struct TWorkingTemplate;

// The password a stored PassWord value holds: its hexadecimal digits from
// the lowest up, each one more than the password digit it stands for. Value
// 0 or less gives the empty text; a 0 group below a higher one gives "-1",
// groups 11 to 15 give "10" to "14".
QString OldPasswordText(int StoredValue);

// The password list (FingerNumber 15) and the enable / privilege list of the
// store, each for plain users, administrators or everyone.
enum class TPrivilegeFilter { All, Users, Admins };
void OpenPasswordList(TDataSet& List, TPrivilegeFilter Filter);
void OpenActivePassiveList(TDataSet& List, TPrivilegeFilter Filter);

enum class TUserCommand { Enable, Disable, MakeAdmin, MakeUser };

// Sends Command for every stored item of the user selected in List (the
// enable / privilege list): Rows is given that user's rows, each row is
// loaded as the working record into Working (LoadEnrollRecord), the terminal disabled,
// the command sent with the row's backup number, and the status line set to
// "Success!" or "error". The terminal is enabled once at the end, on every
// path, connecting once more when the connection was lost. A terminal that cannot be disabled ends
// the walk with "No Device"; when any row was refused the line ends as "error". A row that cannot
// be loaded asks "Conv Error: Continue ?": Yes loads it again, No sends with numbers 0, Cancel
// passes it over. An empty list is said on the status line and nothing is sent. Report.Idle
// comes after each row.
void RunUserCommand(TFKAttendObject& Sdk, TWorkingTemplate& Working, TDataSet& List, TDataSet& Rows,
                    TUserCommand Command, TEnrollReport& Report);
