// Whether this machine runs 32-bit x86 programs, which a 32-bit vendor
// library under Wine needs. Where it does, a test of that path passes or
// fails; only where it does not may the test skip, and it says why.
#pragma once

#include <QFileInfo>
#include <QProcess>
#include <QString>

// Empty when 32-bit programs run here; otherwise why the 32-bit tests skip.
// Asked of Wine's 32-bit loader itself (an i386 program), once.
// MERIDOX_TESTS_WITHOUT_32BIT, when set, is a reason given by the caller
// (the sanitizer pass leaves these rows to the plain one).
inline QString No32BitReason() {
  static const QString reason = [] {
    const QString given = qEnvironmentVariable("MERIDOX_TESTS_WITHOUT_32BIT");
    if (!given.isEmpty()) return given;
    const QString loader = QStringLiteral("/usr/lib/wine/wine");
    if (!QFileInfo(loader).isExecutable())
      return QStringLiteral("wine32 is not installed (scripts/install-deps.sh installs it)");
    QProcess p;
    p.start(loader, {QStringLiteral("--version")});
    if (p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
      return QString();
    return QStringLiteral(
        "this machine runs no 32-bit programs (scripts/enable-32bit.sh, run as root, lets "
        "qemu-user run them)");
  }();
  return reason;
}
