// F1 in a window opens the operator's guide (the HTML pages built from
// docs/kilavuz) at the page about that window, in the user's browser. The
// request goes through the dialogs seam, so no control of the window changes
// and tests see which page was asked for.
#pragma once
#include <QString>
#include <functional>

class QWidget;

// Puts F1 on Window: Page names the guide's page ("zil-saatleri.html") for
// what the window shows at that moment.
void InstallGuideKey(QWidget& Window, std::function<QString()> Page);

// The folder of the built guide: MERIDOX_GUIDE_DIR when set, else kilavuz/
// beside the program (the Windows folder, the build folder's bin/), else the
// package's guide seen from the program's folder (InstallLayout.h).
QString GuideFolder();

// Opens Page of the guide, or tells the operator why it cannot.
void OpenGuidePage(const QString& Page);
