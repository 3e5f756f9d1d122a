// The dialogs of the windowed program: Qt message boxes, the file-open
// dialog, modal windows.
#pragma once
#include "widgets/Dlg.h"

// The Qt dialogs, one for the process.
Dialogs& QtDialogs();
