// The main window's maintenance commands on the connected terminal: set and
// read its clock, cancel its administrators, erase its enrolled data. Each
// brackets its calls with disabling and enabling the terminal and handles a
// failed disable its own way.
#include "app/giris.h"
#include "common/Cleanup.h"
#include "common/DayCount.h"
#include "widgets/BusyState.h"
#include "widgets/Dlg.h"

namespace {
TFKAttendObject& Sdk() {
  return *Session().TerminalSdk;
}
// The end of each command's bracket: a connection lost meanwhile is opened
// once more to enable the terminal, and the operator hears when even that
// failed.
auto EnableAgain(TFKAttendObject& Sdk) {
  return [&Sdk] {
    const QString notEnabled = EnableTerminalAgain(Sdk);
    if (!notEnabled.isEmpty())
      Dlg().MessageBox(notEnabled, QStringLiteral("Terminal İşlemleri"), MB_OK | MB_ICONWARNING);
  };
}
}  // namespace

void Tfrmgiris::BitBtn6Click() {
  TBusyState busy(BitBtn6);
  TFKAttendObject& sdk = Sdk();
  if (!sdk.FK_EnableDevice(0)) return;
  TScopeExit enableAgain(EnableAgain(sdk));
  if (SetClockToComputerTime(sdk))
    Dlg().ShowMessage(QStringLiteral("cihaz tarih saati ayarlandı.."));
  else
    Dlg().ShowMessage(QStringLiteral("HATA...tarih saat ayarlanamadı.."));
}

void Tfrmgiris::BitBtn7Click() {
  TBusyState busy(BitBtn7);
  TFKAttendObject& sdk = Sdk();
  if (!sdk.FK_EnableDevice(0)) return;
  TScopeExit enableAgain(EnableAgain(sdk));
  double value = 0;
  if (sdk.FK_GetDeviceTime(value))
    Dlg().ShowMessage(DayCountToDateTime(value).toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")));
}

void Tfrmgiris::BitBtn8Click() {
  TBusyState busy(BitBtn8);
  TFKAttendObject& sdk = Sdk();
  // Enabled again also after a failed disable.
  TScopeExit enableAgain(EnableAgain(sdk));
  if (!sdk.FK_EnableDevice(0)) {
    Dlg().ShowMessage(QStringLiteral("hata"));
    return;
  }
  Dlg().ShowMessage(sdk.FK_BenumbAllManager() ? QStringLiteral("Adminler iptal edildi")
                                              : QStringLiteral("hata"));
}

void Tfrmgiris::erminaldeTanmlTmParmakizleriniSil1Click() {
  // Erasing goes ahead only on an explicit Yes.
  if (Dlg().MessageBox(
          QStringLiteral("Seçili Terminaldeki Tüm Parmakizlerini Silmek İstiyor musunuz...?"),
          QStringLiteral("UYARI"), MB_YESNO) != IDYES)
    return;
  TFKAttendObject& sdk = Sdk();
  if (!sdk.FK_EnableDevice(0)) return;
  TScopeExit enableAgain(EnableAgain(sdk));
  if (sdk.FK_EmptyEnrollData()) {
    sdk.FK_ClearKeeperData();
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
  TFKAttendObject& sdk = Sdk();
  TScopeExit enableAgain(EnableAgain(sdk));
  sdk.FK_EnableDevice(0);  // the erase is tried whatever this answers
  Dlg().ShowMessage(sdk.FK_EmptyEnrollData() ? QStringLiteral("tüm parmak/yüz'ler sislindi..")
                                             : QStringLiteral("HATA!!!!İşlem yapılamadı...."));
}
