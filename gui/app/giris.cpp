#include "app/giris.h"

#include <QCloseEvent>
#include <QStyle>
#include <optional>

#include "bells/zil.h"
#include "common/Cleanup.h"
#include "data/DM.h"
#include "enrol/Enrol.h"
#include "terminals/yeni.h"
#include "widgets/ActionGuard.h"
#include "widgets/BusyControls.h"
#include "widgets/BusyState.h"
#include "widgets/Controls.h"
#include "widgets/GuideKey.h"

Tfrmgiris* frmgiris = nullptr;

namespace {

const QString kTitle = QStringLiteral("MERIDOX Kart/Parmakizi/Yüztanıma v1.0 [Tesra Nova]");
const QString kConnect = QStringLiteral("BAGLAN");
const QString kDisconnect = QStringLiteral("BAGLANTI_KES");

void BoldPicture(QPushButton* Button, QStyle::StandardPixmap Picture) {
  SetBold(Button, 10);
  Button->setIcon(Button->style()->standardIcon(Picture));
  Button->setIconSize(QSize(32, 32));
}

// A terminal's message box, titled with the active window's title (blanks
// around it dropped, at most 259 characters) or else the application's.
int ShowTerminalMessage(const QString& Text, int Flags) {
  QString title = Dlg().ActiveWindowTitle().left(259);
  auto isBlank = [](QChar c) { return c.unicode() <= 0x20; };
  while (!title.isEmpty() && isBlank(title.front())) title.remove(0, 1);
  while (!title.isEmpty() && isBlank(title.back())) title.chop(1);
  if (title.isEmpty()) title = ApplicationTitle();
  return Dlg().MessageBox(Text, title, Flags);
}

}  // namespace

Tfrmgiris::Tfrmgiris() {
  setObjectName(QStringLiteral("frmgiris"));
  frmgiris = this;
  BuildControls();
  // While a terminal action runs, nothing may connect, disconnect, start
  // another terminal command, open another window or delete a terminal row.
  LockWhileBusy(this,
                {DBGrid1, BitBtn1, BitBtn2, BitBtn3, BitBtn4, BitBtn5, BitBtn6, BitBtn7, BitBtn8,
                 BitBtn9, BitBtn10, BitBtn11, Button1},
                {mnuParmakizleriniSil, mnuTumVerileriAl, mnuTumVerileriAlSil, mnuParmakYuzSil});
  Session().AddConnectionWatcher(this, [this](bool) { ShowConnectionState(); });
  InstallGuideKey(*this, [this] {
    return PageControl1->currentWidget() == TabSheet2 ? QStringLiteral("toplu-aktarim.html")
                                                      : QStringLiteral("index.html");
  });
  ConnectAction(BitBtn4, &QPushButton::clicked, this, &Tfrmgiris::BitBtn4Click);
  ConnectAction(BitBtn5, &QPushButton::clicked, this, &Tfrmgiris::BitBtn5Click);
  ConnectAction(mnuTumVerileriAl, &QAction::triggered, this, &Tfrmgiris::mnuTumVerileriAlClick);
  ConnectAction(mnuTumVerileriAlSil, &QAction::triggered, this,
                &Tfrmgiris::mnuTumVerileriAlSilClick);
  ConnectAction(BitBtn11, &QPushButton::clicked, this, &Tfrmgiris::BitBtn11Click);
  ConnectAction(BitBtn13, &QPushButton::clicked, this, &Tfrmgiris::BitBtn13Click);
  ConnectAction(Button1, &QPushButton::clicked, this, &Tfrmgiris::Button1Click);
  ConnectAction(BitBtn6, &QPushButton::clicked, this, &Tfrmgiris::BitBtn6Click);
  ConnectAction(BitBtn7, &QPushButton::clicked, this, &Tfrmgiris::BitBtn7Click);
  ConnectAction(BitBtn8, &QPushButton::clicked, this, &Tfrmgiris::BitBtn8Click);
  ConnectAction(mnuParmakizleriniSil, &QAction::triggered, this,
                &Tfrmgiris::erminaldeTanmlTmParmakizleriniSil1Click);
  ConnectAction(mnuParmakYuzSil, &QAction::triggered, this,
                &Tfrmgiris::CihazdaTanmltmparmaky1Click);
  ConnectAction(BitBtn9, &QPushButton::clicked, this, &Tfrmgiris::BitBtn9Click);
  ConnectAction(BitBtn10, &QPushButton::clicked, this, &Tfrmgiris::BitBtn10Click);
  ConnectAction(Button2, &QPushButton::clicked, this, &Tfrmgiris::Button2Click);
  ConnectAction(BitBtn1, &QPushButton::clicked, this, &Tfrmgiris::BitBtn1Click);
  ConnectAction(BitBtn2, &QPushButton::clicked, this, &Tfrmgiris::BitBtn2Click);
  ConnectAction(BitBtn3, &QPushButton::clicked, this, &Tfrmgiris::BitBtn3Click);
  ConnectAction(DBGrid1, &TDBGrid::CtrlDeletePressed, this, &Tfrmgiris::DBGrid1CtrlDeletePressed);
  FormCreate();
}

Tfrmgiris::~Tfrmgiris() {
  if (HasSession() && Session().HasTerminalSdk()) FormClose();
  if (frmgiris == this) frmgiris = nullptr;
}

void Tfrmgiris::BuildControls() {
  setFixedSize(932, 527);
  SetSmallFont(this);
  setWindowFlags(FixedWindowFlags(Qt::Window));

  DBGrid1 = MakeGrid(QStringLiteral("DBGrid1"), this, {8, 8, 393, 353});
  DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  mnuParmakizleriniSil =
      PopupMenu1->addAction(QStringLiteral("Terminalde Tanımlı Tüm Parmakizlerini Sil"));
  PopupMenu1->addSeparator();
  mnuTumVerileriAl = PopupMenu1->addAction(QStringLiteral("Tüm Verileri Al (silmez)"));
  mnuTumVerileriAlSil =
      PopupMenu1->addAction(QStringLiteral("Tüm Verileri Al(aldıktan sonra cihazdan sil)"));
  mnuParmakYuzSil =
      PopupMenu1->addAction(QStringLiteral("Cihazda Tanımlı tüm parmak/yüz'leri sil"));
  connect(DBGrid1, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& At) { PopupMenu1->popup(DBGrid1->viewport()->mapToGlobal(At)); });

  BitBtn1 = MakeButton(QStringLiteral("BitBtn1"), QStringLiteral("Ekle"), this, {8, 376, 121, 33});
  BitBtn2 =
      MakeButton(QStringLiteral("BitBtn2"), QStringLiteral("Değiştir"), this, {144, 376, 121, 33});
  BitBtn3 = MakeButton(QStringLiteral("BitBtn3"), QStringLiteral("Sil"), this, {280, 376, 121, 33});

  PageControl1 = Named(new QTabWidget(this), QStringLiteral("PageControl1"), {408, 0, 313, 361});
  TabSheet1 =
      MakeTab(PageControl1, QStringLiteral("TabSheet1"), QStringLiteral("Standart Veri Aktarımı"));
  TabSheet2 =
      MakeTab(PageControl1, QStringLiteral("TabSheet2"), QStringLiteral("Toplu Veri Aktarımı"));

  BitBtn4 = MakeButton(QStringLiteral("BitBtn4"), kConnect, TabSheet1, {32, 24, 209, 81});
  BoldPicture(BitBtn4, QStyle::SP_DriveNetIcon);
  BitBtn5 = MakeButton(QStringLiteral("BitBtn5"), QStringLiteral("Verileri Aktar"), TabSheet1,
                       {24, 184, 209, 65});
  BoldPicture(BitBtn5, QStyle::SP_ArrowDown);
  ProgressBar1 =
      Named(new QProgressBar(TabSheet1), QStringLiteral("ProgressBar1"), {28, 257, 205, 16});
  ProgressBar1->setValue(0);
  ProgressBar1->setTextVisible(false);

  // The second page: the batch over every terminal of the list.
  Label4 = MakeLabel(QStringLiteral("Label4"),
                     QStringLiteral("Sadece Modülü pdks olanlardan veri alır"), TabSheet2, {46, 8});
  Label4->setStyleSheet(QStringLiteral("color: red"));
  Label4->hide();
  BitBtn11 = MakeButton(QStringLiteral("BitBtn11"), QStringLiteral("Bağlanıp Verileri Aktar"),
                        TabSheet2, {46, 35, 203, 105});
  BitBtn11->setIcon(BitBtn11->style()->standardIcon(QStyle::SP_BrowserReload));
  Memo3 = MakeMemo(QStringLiteral("Memo3"), TabSheet2, {0, 146, 297, 143});
  Memo3->setFrameShape(QFrame::NoFrame);
  BitBtn13 = MakeButton(QStringLiteral("BitBtn13"), QStringLiteral("işlemi iptal et"), TabSheet2,
                        {40, 300, 201, 25});
  BitBtn13->setEnabled(false);  // only while a batch runs

  Label1 = MakeLabel(QStringLiteral("Label1"), QStringLiteral("Aktarılan Kayıt Sayısı:"), this,
                     {416, 368});
  Label1->hide();
  LabelTotal = MakeLabel(QStringLiteral("LabelTotal"), QStringLiteral("0"), this, {568, 368});
  LabelTotal->hide();
  LabelLibrary = Named(new QLabel(this), QStringLiteral("LabelLibrary"), {8, 416, 560, 42});
  LabelLibrary->setWordWrap(true);
  LabelLibrary->setTextInteractionFlags(Qt::TextSelectableByMouse);

  BitBtn7 = MakeButton(QStringLiteral("BitBtn7"), QStringLiteral("Tarih-Saat Oku"), this,
                       {8, 464, 113, 41});
  BitBtn6 = MakeButton(QStringLiteral("BitBtn6"), QStringLiteral("Tarih-Saat Ayarla"), this,
                       {128, 464, 113, 41});
  BitBtn8 = MakeButton(QStringLiteral("BitBtn8"), QStringLiteral("Admin İptal"), this,
                       {248, 464, 113, 41});
  BitBtn9 = MakeButton(QStringLiteral("BitBtn9"), QStringLiteral("Zil Saatleri(24)"), this,
                       {376, 464, 105, 41});
  BitBtn10 =
      MakeButton(QStringLiteral("BitBtn10"), QStringLiteral("Parmakizi"), this, {488, 464, 81, 41});

  Memo4 = MakeMemo(QStringLiteral("Memo4"), this, {574, 390, 353, 121});
  Memo4->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo4->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo4->setLineWrapMode(QPlainTextEdit::NoWrap);

  GroupBox1 = MakeGroup(QStringLiteral("GroupBox1"), {}, this, {768, 8, 153, 121});
  CheckBox2 = MakeCheckBox(QStringLiteral("CheckBox2"), QStringLiteral("aldıktan sonra veri sil"),
                           GroupBox1, {8, 12, 143, 17});
  CheckBox2->hide();
  CheckBox1 = MakeCheckBox(QStringLiteral("CheckBox1"), QStringLiteral("2. veri dosyası kaydet"),
                           GroupBox1, {8, 40, 143, 17});
  Button2 =
      MakeButton(QStringLiteral("Button2"), QStringLiteral("kaydet"), GroupBox1, {8, 80, 137, 25});

  GroupBox2 = MakeGroup(QStringLiteral("GroupBox2"), {}, this, {752, 160, 169, 105});
  QRadioButton** radios[] = {&RadioButton1, &RadioButton2, &RadioButton3};
  for (int i = 0; i < 3; ++i) {
    *radios[i] = MakeRadio(QStringLiteral("RadioButton%1").arg(i + 1), {}, GroupBox2,
                           {8, 8 + i * 20, 150, 17});
    (*radios[i])->hide();
  }
  Button1 = MakeButton(QStringLiteral("Button1"), QStringLiteral("sdkart->text (veri.txt)"),
                       GroupBox2, {8, 70, 153, 25});

  // Work controls placed beyond the visible client area.
  Memo1 = MakeMemo(QStringLiteral("Memo1"), this, {936, 8, 185, 89});
  Memo2 = MakeMemo(QStringLiteral("Memo2"), this, {936, 104, 185, 89});
  Edit1 = MakeEdit(QStringLiteral("Edit1"), this, {936, 200, 121, 21});
  SpeedButton1 = MakeToolButton(QStringLiteral("SpeedButton1"), QStringLiteral("Time Zone"), this,
                                {936, 232, 81, 22});
}

void Tfrmgiris::SetTerminalButtonsEnabled(bool Enabled) {
  for (QPushButton* b : {BitBtn5, BitBtn6, BitBtn7, BitBtn8, BitBtn9, BitBtn10})
    b->setEnabled(Enabled);
}

void Tfrmgiris::FormCreate() {
  Session().Start();
  setWindowTitle(kTitle);
  LabelLibrary->setText(Session().SdkDescription());
  PageControl1->setCurrentIndex(0);
  SetTerminalButtonsEnabled(false);
  frmDM->DataSource3.SetColumns({{QStringLiteral("Terminal"), QStringLiteral("Terminal"), 150},
                                 {QStringLiteral("Tip"), QStringLiteral("Tip"), 70},
                                 {QStringLiteral("Ip"), QStringLiteral("IP"), 130}});
  DBGrid1->SetDataSource(&frmDM->DataSource3);
  // A database or settings error ends the start-up here; the window still opens.
  RunGuarded([this] {
    Session().OpenDatabases(*frmDM, [](const QString& Text) {
      Dlg().MessageBox(Text, QStringLiteral("UYARI"), MB_OK | MB_ICONINFORMATION);
    });
    ReadDownloadOptions();
  });
}

void Tfrmgiris::ReadDownloadOptions() {
  const TDownloadOptions options = Session().ReadDownloadOptions();
  CheckBox1->setChecked(options.SecondDataFile);
  CheckBox2->setChecked(options.DeleteAfterRead);
}

void Tfrmgiris::Button2Click() {
  Session().WriteDownloadOptions({CheckBox1->isChecked(), CheckBox2->isChecked()});
}

void Tfrmgiris::BitBtn4Click() {
  TTerminalSession& session = Session();
  TTerminalList& terminals = frmDM->Terminals;
  // The selected row is read on every press, the disconnect included.
  const TConnInfo info = terminals.ConnectionRequest(TTerminalList::TColumns::Every);

  if (session.Connected()) {
    DisconnectTerminal();
    return;
  }
  SetTerminalButtonsEnabled(false);
  bool connected = false;
  {
    // The connect may wait for the SDK's time-out.
    TBusyState busy = TBusyState::CursorOnly();
    connected = session.Connect(info, terminals.CurrentName());
  }
  if (!connected) {
    ShowTerminalMessage(session.ConnectFailureText(), MB_OK | MB_ICONWARNING);
    return;
  }
  // A terminal an earlier run left disabled was enabled first: said once,
  // in the log beside the download.
  const QString leftDisabled = LeftDisabledText(session.TerminalSdk());
  if (!leftDisabled.isEmpty()) Memo4->appendPlainText(leftDisabled);
}

void Tfrmgiris::DisconnectTerminal() {
  Session().Disconnect();
}

void Tfrmgiris::ShowConnectionState() {
  const bool connected = Session().Connected();
  BitBtn4->setText(connected ? kDisconnect : kConnect);
  SetTerminalButtonsEnabled(connected);
}

void Tfrmgiris::ShowModalHidden(QDialog& Window) {
  hide();
  TScopeExit showAgain([this] { show(); });
  Dlg().ShowModal(Window);
}

void Tfrmgiris::BitBtn9Click() {
  ShowModalHidden(*frmzil);
}

void Tfrmgiris::BitBtn10Click() {
  frmEnrol->Label3->setText(Session().Terminal().Name);
  ShowModalHidden(*frmEnrol);
}

void Tfrmgiris::FormClose() {
  Session().Close();
}

// The window stays open while a terminal action runs: closing it would
// release the connection the action is using.
void Tfrmgiris::closeEvent(QCloseEvent* Event) {
  if (Session().Busy()) {
    Event->ignore();
    return;
  }
  RunGuarded([this] { FormClose(); });
  Event->accept();
}

// ---- The terminal list -----------------------------------------------------

void Tfrmgiris::BitBtn1Click() {
  frmyeni->StartNew();
  Dlg().ShowModal(*frmyeni);
}

// A row no longer in the table opens the editor empty-handed, as it always
// has: its save then changes nothing but the list's view of that row.
void Tfrmgiris::BitBtn2Click() {
  TTerminalList& terminals = frmDM->Terminals;
  if (terminals.IsEmpty()) return;
  std::optional<TTerminalRow> row;
  if (terminals.CurrentStored()) row = terminals.Current();
  frmyeni->StartChange(row);
  Dlg().ShowModal(*frmyeni);
}

void Tfrmgiris::BitBtn3Click() {
  TTerminalList& terminals = frmDM->Terminals;
  if (terminals.IsEmpty()) return;
  if (Dlg().MessageBox(QStringLiteral("Seçili kaydı Silmek İstiyor musunuz...?"),
                       QStringLiteral("UYARI"), MB_YESNO) == IDNO)
    return;
  terminals.DeleteCurrent();
}

// Deletes through the list itself: the grid keeps its place on the row that
// followed, or the one before when the last row went.
void Tfrmgiris::DBGrid1CtrlDeletePressed() {
  TTerminalList& terminals = frmDM->Terminals;
  if (terminals.IsEmpty()) return;
  if (!Dlg().Confirm(QStringLiteral("Delete record?"))) return;
  terminals.DeleteCurrentInPlace();
}
