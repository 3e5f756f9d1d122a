// The main window's maintenance commands on the connected terminal: set and
// read its clock, cancel its administrators, erase its enrolled data. Each
// brackets its calls with disabling and enabling the terminal and handles a
// failed disable its own way.
#include "app/giris.h"
#include "common/DayCount.h"
#include "widgets/BusyState.h"
#include "widgets/Dlg.h"

namespace {
TFKAttendObject& Sdk() {
  return Session().TerminalSdk();
}
// Each command's bracket. A connection lost meanwhile is opened once more to
// enable the terminal, and the operator hears when even that failed.
TTerminalBracket Bracket(TTerminalBracket::TEnableWhen When) {
  return TTerminalBracket(Sdk(), When, [](const QString& NotEnabled) {
    Dlg().MessageBox(NotEnabled, QStringLiteral("Terminal İşlemleri"), MB_OK | MB_ICONWARNING);
  });
}
constexpr auto kAfterDisable = TTerminalBracket::TEnableWhen::Disabled;
constexpr auto kEveryPath = TTerminalBracket::TEnableWhen::EveryPath;
}  // namespace

void Tfrmgiris::BitBtn6Click() {
  TBusyState busy(BitBtn6);
  TTerminalBracket terminal = Bracket(kAfterDisable);
  if (!terminal.Disable()) return;
  if (SetClockToComputerTime(Sdk()))
    Dlg().ShowMessage(QStringLiteral("cihaz tarih saati ayarlandı.."));
  else
    Dlg().ShowMessage(QStringLiteral("HATA...tarih saat ayarlanamadı.."));
}

void Tfrmgiris::BitBtn7Click() {
  TBusyState busy(BitBtn7);
  TTerminalBracket terminal = Bracket(kAfterDisable);
  if (!terminal.Disable()) return;
  double value = 0;
  if (Sdk().FK_GetDeviceTime(value))
    Dlg().ShowMessage(DayCountToDateTime(value).toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")));
}

void Tfrmgiris::BitBtn8Click() {
  TBusyState busy(BitBtn8);
  // Enabled again also after a failed disable.
  TTerminalBracket terminal = Bracket(kEveryPath);
  if (!terminal.Disable()) {
    Dlg().ShowMessage(QStringLiteral("hata"));
    return;
  }
  Dlg().ShowMessage(Sdk().FK_BenumbAllManager() ? QStringLiteral("Adminler iptal edildi")
                                                : QStringLiteral("hata"));
}

void Tfrmgiris::erminaldeTanmlTmParmakizleriniSil1Click() {
  // Erasing goes ahead only on an explicit Yes.
  if (Dlg().MessageBox(
          QStringLiteral("Seçili Terminaldeki Tüm Parmakizlerini Silmek İstiyor musunuz...?"),
          QStringLiteral("UYARI"), MB_YESNO) != IDYES)
    return;
  TTerminalBracket terminal = Bracket(kAfterDisable);
  if (!terminal.Disable()) return;
  if (Sdk().FK_EmptyEnrollData()) {
    Sdk().FK_ClearKeeperData();
    Dlg().ShowMessage(QStringLiteral("tamamlandı"));
  } else {
    Dlg().ShowMessage(QStringLiteral("hata"));
  }
}

void Tfrmgiris::CihazdaTanmltmparmaky1Click() {
  // The pending messages let the menu close and the window repaint; nothing
  // may disconnect meanwhile.
  TTerminalBusy terminalBusy;
  Dlg().ProcessMessages();
  TTerminalBracket terminal = Bracket(kEveryPath);
  terminal.Disable();  // the erase is tried whatever this answers
  Dlg().ShowMessage(Sdk().FK_EmptyEnrollData() ? QStringLiteral("tüm parmak/yüz'ler sislindi..")
                                               : QStringLiteral("HATA!!!!İşlem yapılamadı...."));
}
