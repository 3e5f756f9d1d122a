// The enrollment window's controls: the frame and all six tabs, as laid out.
#include <QPainter>

#include "data/DM.h"
#include "enrol/Enrol.h"
#include "enrolldata/EnrollRecord.h"
#include "widgets/Controls.h"

namespace {

// A label whose lines are separated by CR alone, as the legend's and the
// member tab's warning are. Qt breaks lines only at LF, so the text is drawn
// with LF (and wrapped when the label wraps); text() keeps CR.
class TCrLabel final : public QLabel {
 public:
  using QLabel::QLabel;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const int wrap = wordWrap() ? static_cast<int>(Qt::TextWordWrap) : 0;
    painter.drawText(contentsRect(), static_cast<int>(alignment()) | wrap,
                     QString(text()).replace(QLatin1Char('\r'), QLatin1Char('\n')));
  }
};

// The box of the password and the enable tabs that picks a user or an
// admin; the admin is picked at first.
QGroupBox* UserOrAdmin(QWidget* Tab, int Box, int FirstRadio, QRadioButton*& User,
                       QRadioButton*& Admin) {
  auto* g = MakeGroup(QStringLiteral("GroupBox%1").arg(Box), QStringLiteral("seç"), Tab,
                      {220, 8, 200, 70});
  User = MakeRadio(QStringLiteral("RadioButton%1").arg(FirstRadio), QStringLiteral("kullanıcı"), g,
                   {8, 20, 180, 17});
  Admin = MakeRadio(QStringLiteral("RadioButton%1").arg(FirstRadio + 1),
                    QStringLiteral("admin(yönetici)"), g, {8, 42, 180, 17});
  Admin->setChecked(true);
  return g;
}

// Legend of the selective-upload tab: the codes of the store, one per line.
QString BackupLegend() {
  QStringList lines = {QStringLiteral("Tür"), QString(16, QLatin1Char('-'))};
  for (int i = 0; i < 10; ++i) lines << QStringLiteral("%1  parmak").arg(i);
  lines << QStringLiteral("10 sifre") << QStringLiteral("11 kartno") << QStringLiteral("12 yüz")
        << QStringLiteral("13 avuçiçi") << QStringLiteral("15 şifre");
  return lines.join(QLatin1Char('\r'));
}

}  // namespace

void TfrmEnrol::BuildControls() {
  setWindowTitle(QStringLiteral("Parmakizi Datası Kopyalama / Yükleme / Personel İsimlendirme"));
  setFixedSize(970, 596);
  SetSmallFont(this);

  // Frame.
  GroupBox3 = MakeGroup(QStringLiteral("GroupBox3"), {}, this, {8, 8, 465, 41});
  Label1 = Named(new QLabel(QStringLiteral("Bağlantı Kurulan Terminal:"), GroupBox3),
                 QStringLiteral("Label1"), {8, 14, 170, 20});
  Label3 = Named(new QLabel(GroupBox3), QStringLiteral("Label3"), {184, 14, 270, 20});
  for (QLabel* l : {Label1, Label3}) {
    SetBold(l);
    l->setStyleSheet(QStringLiteral("color: red"));
  }
  BitBtn3 =
      MakeButton(QStringLiteral("BitBtn3"), QStringLiteral("Kapat"), this, {856, 12, 105, 33});
  Label11 = MakeLabel(QStringLiteral("Label11"), QStringLiteral("Program Tipi:"), this, {490, 12});
  Label12 = MakeLabel(QStringLiteral("Label12"), {}, this, {570, 12});
  Label13 = MakeLabel(QStringLiteral("Label13"),
                      QStringLiteral("program tipi--> Varnok yada Varnok Soft olmalıdır"), this,
                      {490, 30});
  SetBold(Label13);
  for (QLabel* l : {Label11, Label12, Label13}) l->hide();
  PageControl1 = Named(new QTabWidget(this), QStringLiteral("PageControl1"), {8, 56, 954, 500});
  lblMessage = Named(new QLabel(QStringLiteral("Message"), this), QStringLiteral("lblMessage"),
                     {8, 564, 954, 22});
  lblMessage->setAlignment(Qt::AlignCenter);

  TabSheet1 = MakeTab(PageControl1, QStringLiteral("TabSheet1"), QStringLiteral("tüm data"));
  TabSheet2 =
      MakeTab(PageControl1, QStringLiteral("TabSheet2"), QStringLiteral("tek data(parmak)"));
  TabSheet3 = MakeTab(PageControl1, QStringLiteral("TabSheet3"),
                      QStringLiteral("Seçili Kayıt Yükleme(Parmak/Kart/Şifre)"));
  TabSheet4 = MakeTab(PageControl1, QStringLiteral("TabSheet4"),
                      QStringLiteral("Kullanıcı / Admin (Yönetici) Şifre Değiştirme"));
  TabSheet5 = MakeTab(PageControl1, QStringLiteral("TabSheet5"),
                      QStringLiteral("Kullanıcı / Admin Aktif/Pasif Yapma"));
  TabSheet6 = MakeTab(PageControl1, QStringLiteral("TabSheet6"), QStringLiteral("Yetkilendir"));

  // First tab, left: backup and restore.
  QWidget* t = TabSheet1;
  BitBtn1 = MakeButton(QStringLiteral("BitBtn1"), QStringLiteral("Terminalden Parmakizi Datası Al"),
                       t, {8, 8, 217, 49});
  BitBtn2 = MakeButton(QStringLiteral("BitBtn2"),
                       QStringLiteral("Terminale Parmakizi Datası Yükle"), t, {8, 64, 217, 49});
  GroupBox7 = MakeGroup(QStringLiteral("GroupBox7"),
                        QStringLiteral("seçili ise cihazdaki tüm prm lari siler ve datadan yükler"),
                        t, {8, 120, 217, 57});
  CheckBox2 =
      MakeCheckBox(QStringLiteral("CheckBox2"), QStringLiteral("Cihazdaki tüm prmizlerini sil"),
                   GroupBox7, {8, 28, 200, 17});
  BitBtn6 = MakeButton(QStringLiteral("BitBtn6"),
                       QStringLiteral("Terminale Parmakizi Datası Yükle (mysql datasından)"), t,
                       {8, 184, 217, 57});
  BitBtn6->hide();
  Label2 = Named(new QLabel(t), QStringLiteral("Label2"), {8, 250, 217, 17});
  txtName = Named(new QLabel(t), QStringLiteral("txtName"), {8, 272, 217, 17});
  Memo1 = MakeMemo(QStringLiteral("Memo1"), t, {232, 8, 233, 449});
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // First tab, right: the name list.
  SpeedButton1 =
      MakeToolButton(QStringLiteral("SpeedButton1"),
                     QStringLiteral("PDKS Programından İsimleri Al (mysql)"), t, {480, 8, 280, 33});
  Label8 = MakeLabel(QStringLiteral("Label8"), QStringLiteral("Personel isim"), t, {480, 50});
  Edit8 = MakeEdit(QStringLiteral("Edit8"), t, {560, 47, 180, 21});
  Label10 = MakeLabel(QStringLiteral("Label10"), QStringLiteral("(Arama)"), t, {745, 50});
  DBGrid1 = MakeGrid(QStringLiteral("DBGrid1"), t, {480, 74, 230, 330});
  Label6 = MakeLabel(QStringLiteral("Label6"), QStringLiteral("Alınan Parmakizi Kayıt Sayısı:"), t,
                     {480, 410});
  Label7 = Named(new QLabel(t), QStringLiteral("Label7"), {650, 410, 100, 17});
  Label9 = MakeLabel(QStringLiteral("Label9"),
                     QStringLiteral("Terminal max. 12 karakterlik isim alır"), t, {480, 432});
  BitBtn4 =
      MakeButton(QStringLiteral("BitBtn4"), QStringLiteral("Seçili Personel Adını Terminale Yükle"),
                 t, {716, 74, 228, 49});
  BitBtn5 =
      MakeButton(QStringLiteral("BitBtn5"), QStringLiteral("Tüm Personel Adlarını Terminale Yükle"),
                 t, {716, 130, 228, 49});

  // Second tab: single records, labels left of their boxes.
  t = TabSheet2;
  const QStringList captions = {
      QStringLiteral("Parmak Id :"), QStringLiteral("Pmkizi No :"), QStringLiteral("Kart No :"),
      QStringLiteral("Cihaz No :"),  QStringLiteral("İmtiyaz :"),   QStringLiteral("Duress"),
      QStringLiteral("User TZ1"),    QStringLiteral("User TZ2"),    QStringLiteral("User TZ3"),
      QStringLiteral("User TZ4"),    QStringLiteral("User TZ5"),    QStringLiteral("User Depart"),
      QStringLiteral("Name :")};
  for (int i = 0; i < captions.size(); ++i)
    MakeLabel(QStringLiteral("lblRow%1").arg(i), captions[i], t, {8, 12 + i * 26});
  auto row = [](int i) { return QRect(90, 8 + i * 26, 140, 22); };
  txtEnrollNumber = MakeEdit(QStringLiteral("txtEnrollNumber"), t, row(0), QStringLiteral("1"));
  cmbBackupNumber = MakeTypedCombo(QStringLiteral("cmbBackupNumber"), t, row(1),
                                   BackupNumberNames(), QStringLiteral("Fp-0"));
  cmbBackupNumber->setMaxVisibleItems(15);
  txtCardNumber = MakeEdit(QStringLiteral("txtCardNumber"), t, row(2));
  QStringList machines;
  for (int i = 1; i <= 9; ++i) machines << QString::number(i);
  cmbEMachineNumber =
      MakeTypedCombo(QStringLiteral("cmbEMachineNumber"), t, row(3), machines, QStringLiteral("1"));
  cmbPrivilege = MakeTypedCombo(QStringLiteral("cmbPrivilege"), t, row(4),
                                {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")},
                                QStringLiteral("0"));
  cmbDuress = MakeTypedCombo(QStringLiteral("cmbDuress"), t, row(5),
                             {QStringLiteral("0"), QStringLiteral("1")}, QStringLiteral("0"));
  QLineEdit** zones[] = {&txtUserTz1, &txtUserTz2, &txtUserTz3, &txtUserTz4, &txtUserTz5};
  for (int i = 0; i < 5; ++i)
    *zones[i] = MakeEdit(QStringLiteral("txtUserTz%1").arg(i + 1), t, row(6 + i));
  txtUserDepart = MakeEdit(QStringLiteral("txtUserDepart"), t, row(11));
  Edit1 = MakeEdit(QStringLiteral("Edit1"), t, row(12));
  cmdGetEnrollData = MakeButton(QStringLiteral("cmdGetEnrollData"), QStringLiteral("Parmakizi Al"),
                                t, {248, 8, 140, 33});
  cmdSetEnrollData = MakeButton(QStringLiteral("cmdSetEnrollData"),
                                QStringLiteral("Parmakizi Yükle"), t, {248, 48, 140, 33});
  cmdDeleteEnrollData = MakeButton(QStringLiteral("cmdDeleteEnrollData"),
                                   QStringLiteral("Parmakizi Sil"), t, {248, 88, 140, 33});
  BitBtn11 = MakeButton(QStringLiteral("BitBtn11"), QStringLiteral("Kullanıcı Aktif Et"), t,
                        {248, 128, 140, 33});
  BitBtn12 = MakeButton(QStringLiteral("BitBtn12"), QStringLiteral("Kullanıcı Pasif Yap"), t,
                        {248, 168, 140, 33});
  BitBtn11->hide();
  BitBtn12->hide();
  lblEnrollData =
      MakeLabel(QStringLiteral("lblEnrollData"), QStringLiteral("Enrolled Data"), t, {404, 10});
  lblTotal = MakeLabel(QStringLiteral("lblTotal"), QStringLiteral("Total : "), t, {600, 10});
  lstEnrollData = Named(new QListWidget(t), QStringLiteral("lstEnrollData"), {404, 28, 300, 430});
  lstEnrollData->setUniformItemSizes(true);  // thousands of lines after a backup
  GroupBox1 = MakeGroup(QStringLiteral("GroupBox1"), QStringLiteral("User Photo Related"), t,
                        {716, 8, 225, 250});
  imgUserPhoto = Named(new QLabel(GroupBox1), QStringLiteral("imgUserPhoto"), {8, 20, 120, 150});
  txtUserPhotoFile = MakeEdit(QStringLiteral("txtUserPhotoFile"), GroupBox1, {8, 180, 170, 21});
  cmdUserPhotoFileBrowse = MakeButton(QStringLiteral("cmdUserPhotoFileBrowse"),
                                      QStringLiteral("..."), GroupBox1, {184, 180, 30, 21});
  cmdGetEnrollPhoto = MakeButton(QStringLiteral("cmdGetEnrollPhoto"), QStringLiteral("Resim Al"),
                                 GroupBox1, {8, 210, 100, 27});
  GroupBox1->hide();

  // Third tab: selective upload.
  t = TabSheet3;
  DBGrid2 = MakeGrid(QStringLiteral("DBGrid2"), t, {8, 8, 320, 450});
  Label28 = MakeLabel(QStringLiteral("Label28"), QStringLiteral("KullanıcıNo Ara"), t, {340, 10});
  Edit2 = MakeEdit(QStringLiteral("Edit2"), t, {340, 28, 130, 21});
  BitBtn7 = MakeButton(QStringLiteral("BitBtn7"), QStringLiteral("Seçili Kullanıcıyı Yükle"), t,
                       {340, 60, 160, 49});
  Label27 = Named(new TCrLabel(BackupLegend(), t), QStringLiteral("Label27"), {520, 10, 160, 300});
  Label27->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  // Fourth tab: passwords.
  t = TabSheet4;
  DBGrid3 = MakeGrid(QStringLiteral("DBGrid3"), t, {8, 8, 200, 450});
  GroupBox2 = UserOrAdmin(t, 2, 1, RadioButton1, RadioButton2);
  Label31 = MakeLabel(QStringLiteral("Label31"), QStringLiteral("Eski Şifresi:"), t, {220, 92});
  Label32 = Named(new QLabel(t), QStringLiteral("Label32"), {310, 92, 150, 17});
  Label29 = MakeLabel(QStringLiteral("Label29"), QStringLiteral("Yeni Şifre:"), t, {220, 122});
  Edit3 = MakeEdit(QStringLiteral("Edit3"), t, {310, 119, 120, 21});
  BitBtn8 = MakeButton(QStringLiteral("BitBtn8"),
                       QStringLiteral("Seçili Kull/Admin Şifre Değiştir"), t, {220, 150, 210, 33});
  Edit4 = MakeEdit(QStringLiteral("Edit4"), t, {220, 200, 120, 21});
  Edit4->hide();

  // Fifth tab: enable / privilege.
  t = TabSheet5;
  DBGrid4 = MakeGrid(QStringLiteral("DBGrid4"), t, {8, 8, 200, 450});
  GroupBox4 = UserOrAdmin(t, 4, 3, RadioButton3, RadioButton4);
  Button1 =
      MakeButton(QStringLiteral("Button1"), QStringLiteral("Aktif Yap"), t, {220, 90, 170, 25});
  Button2 =
      MakeButton(QStringLiteral("Button2"), QStringLiteral("Pasif Yap"), t, {220, 120, 170, 25});
  Button4 = MakeButton(QStringLiteral("Button4"), QStringLiteral("Kullanıcıyı Admin Yap"), t,
                       {220, 150, 170, 25});
  Button5 = MakeButton(QStringLiteral("Button5"), QStringLiteral("Admini Kullanıcı Yap"), t,
                       {220, 180, 170, 25});

  // Sixth tab: membership period.
  t = TabSheet6;
  GroupBox6 = MakeGroup(QStringLiteral("GroupBox6"), QStringLiteral("Durum"), t, {8, 4, 200, 45});
  RadioButton7 =
      MakeRadio(QStringLiteral("RadioButton7"), QStringLiteral("Tüm"), GroupBox6, {8, 20, 55, 17});
  RadioButton8 = MakeRadio(QStringLiteral("RadioButton8"), QStringLiteral("Aktif"), GroupBox6,
                           {68, 20, 60, 17});
  RadioButton9 = MakeRadio(QStringLiteral("RadioButton9"), QStringLiteral("Pasif"), GroupBox6,
                           {132, 20, 60, 17});
  RadioButton7->setChecked(true);
  Label34 = MakeLabel(QStringLiteral("Label34"), QStringLiteral("Adı:"), t, {220, 22});
  Edit5 = MakeEdit(QStringLiteral("Edit5"), t, {250, 19, 120, 21});
  Label35 = MakeLabel(QStringLiteral("Label35"), QStringLiteral("Kayıt Sayısı:"), t, {380, 22});
  Label36 =
      Named(new QLabel(QStringLiteral("Label36"), t), QStringLiteral("Label36"), {450, 22, 60, 17});
  DBGrid5 = MakeGrid(QStringLiteral("DBGrid5"), t, {8, 56, 400, 400});
  BitBtn10 =
      MakeButton(QStringLiteral("BitBtn10"), QStringLiteral("Bağlan"), t, {420, 56, 100, 33});
  Label33 =
      Named(new TCrLabel(QStringList{QStringLiteral("DİKKAT!:"), QString(),
                                     QStringLiteral("1-Sadece R7 model cihazlarda çalışır"),
                                     QStringLiteral("2-Üye programı olacak.Üyenin başlama ve üye "
                                                    "bitiş tarihi yükler.O tarihler arası üyeliği "
                                                    "aktifleştirir."),
                                     QStringLiteral("3-")}
                             .join(QLatin1Char('\r')),
                         t),
            QStringLiteral("Label33"), {530, 8, 410, 100});
  Label33->setWordWrap(true);
  Label33->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  CheckBox1 =
      MakeCheckBox(QStringLiteral("CheckBox1"), QStringLiteral("Üye Başlama ve Bitiş tarihi ver"),
                   t, {530, 116, 250, 17});
  CheckBox1->setChecked(true);
  GroupBox5 = MakeGroup(QStringLiteral("GroupBox5"), {}, t, {530, 140, 260, 45});
  RadioButton5 = MakeRadio(QStringLiteral("RadioButton5"), QStringLiteral("Seçili Personel"),
                           GroupBox5, {8, 16, 110, 17});
  RadioButton6 = MakeRadio(QStringLiteral("RadioButton6"), QStringLiteral("Listedeki Personeller"),
                           GroupBox5, {122, 16, 135, 17});
  RadioButton5->setChecked(true);
  BitBtn9 = MakeButton(QStringLiteral("BitBtn9"),
                       QStringLiteral("Üye Baş.Bit. Tarihlerini Terminale Yükle"), t,
                       {530, 194, 260, 33});
  Button3 = MakeButton(QStringLiteral("Button3"), QStringLiteral("Terminalden Oku"), t,
                       {530, 236, 130, 25});
  Label40 = MakeLabel(QStringLiteral("Label40"), QStringLiteral("Cihazda Geçerlilik Dönemi:"), t,
                      {530, 272});
  Label37 = MakeLabel(QStringLiteral("Label37"), QStringLiteral("Label37"), t, {530, 292});
  Label38 = MakeLabel(QStringLiteral("Label38"), QStringLiteral("Label38"), t, {530, 312});
  Label39 = MakeLabel(QStringLiteral("Label39"), QStringLiteral("Label39"), t, {530, 332});

  // The grids and their columns.
  dsenroll.SetColumns({{QStringLiteral("EnrollNumber"), QStringLiteral("KullanıcıNo(Kartno)"), 100},
                       {QStringLiteral("FingerNumber"), QStringLiteral("Tür"), 55},
                       {QStringLiteral("Password"), QStringLiteral("KartID/Şifre"), 110}});
  DBGrid2->SetDataSource(&dsenroll);
  const QList<TGridColumn> userColumns = {
      {QStringLiteral("EnrollNumber"), QStringLiteral("KullanıcıNo(Kartno)"), 100},
      {QStringLiteral("FingerNumber"), QStringLiteral("Tür"), 55}};
  dsadmin.SetColumns(userColumns);
  DBGrid3->SetDataSource(&dsadmin);
  dsaktifpasif.SetColumns(userColumns);
  DBGrid4->SetDataSource(&dsaktifpasif);
  DBGrid1->SetDataSource(&frmDM->dsisim);
}
