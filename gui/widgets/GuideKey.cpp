#include "widgets/GuideKey.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QShortcut>
#include <QUrl>
#include <QWidget>

#include "InstallLayout.h"
#include "widgets/Dlg.h"

namespace {

const QString kIndex = QStringLiteral("index.html");

}  // namespace

void InstallGuideKey(QWidget& Window, std::function<QString()> Page) {
  // A window's own shortcut: a modal window over the main window answers
  // F1 with its own page.
  auto* key = new QShortcut(QKeySequence(Qt::Key_F1), &Window);
  key->setContext(Qt::WindowShortcut);
  QObject::connect(key, &QShortcut::activated, &Window,
                   [Page = std::move(Page)] { OpenGuidePage(Page()); });
}

QString GuideFolder() {
  const QString named = qEnvironmentVariable("MERIDOX_GUIDE_DIR");
  if (!named.isEmpty()) return QDir::cleanPath(named);
  const QString program = QCoreApplication::applicationDirPath();
  const QString beside = QDir::cleanPath(program + QLatin1Char('/') +
                                         QLatin1String(InstallLayout::GuideBesideProgram));
  const QString packaged =
      QDir::cleanPath(program + QLatin1Char('/') + QLatin1String(InstallLayout::GuideFromProgram));
  if (QFileInfo::exists(beside + QLatin1Char('/') + kIndex)) return beside;
  if (QFileInfo::exists(packaged + QLatin1Char('/') + kIndex)) return packaged;
  // Neither is there: name the one this installation should have.
  return program.endsWith(QLatin1Char('/') + QLatin1String(InstallLayout::ProgramDir)) ? packaged
                                                                                       : beside;
}

void OpenGuidePage(const QString& Page) {
  const QString path = GuideFolder() + QLatin1Char('/') + (Page.isEmpty() ? kIndex : Page);
  QString problem;
  if (!QFileInfo(path).isFile())
    problem = QStringLiteral("Kullanım kılavuzu bulunamadı: %1");
  else if (!Dlg().OpenUrl(QUrl::fromLocalFile(path)))
    problem = QStringLiteral("Kullanım kılavuzu açılamadı: %1");
  if (!problem.isEmpty())
    Dlg().MessageBox(problem.arg(QDir::toNativeSeparators(path)), QStringLiteral("UYARI"),
                     MB_OK | MB_ICONWARNING);
}
