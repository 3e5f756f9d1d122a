// Stand-ins for the names and users tabs until their own files come.
#include "enrol/Enrol.h"

void TfrmEnrol::ConnectNamesTab() {}
void TfrmEnrol::ConnectUsersTab() {}
void TfrmEnrol::ReadPdksSettings() {}
void TfrmEnrol::RefreshNameList() {}
void TfrmEnrol::RefreshPasswordList() {}
void TfrmEnrol::RefreshActivePassiveList() {}
