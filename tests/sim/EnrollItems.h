// Shared by the end-to-end enroll-data suites: the operator's backup from one
// terminal and full restore to another, and every item a vterminal holds,
// read through the Linux stand-in library, to compare the two.
#pragma once
#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QTest>

#include "SimFixture.h"
#include "TestProgram.h"
#include "enrolldata/EnrollRecord.h"

struct Item {
  int Privilege = 0;
  int Password = 0;
  QByteArray Bytes;
  bool operator==(const Item&) const = default;
};
using Items = QMap<QPair<int, int>, Item>;

inline Items ReadItems(FkApi& Api, int Port) {
  Items items;
  const int h = Api.connectLocal(Port);
  if (h <= 0) return items;
  int n = 0, b = 0, p = 0, e = 0;
  QList<QPair<int, int>> keys;
  if (Api.FK_ReadAllUserID(h) == 1)
    while (Api.FK_GetAllUserID(h, &n, &b, &p, &e) == 1) keys << qMakePair(n, b);
  for (const auto& k : keys) {
    Item item;
    item.Bytes = QByteArray(TemplateSize(k.second), '\0');
    Api.FK_GetEnrollData(h, k.first, k.second, &item.Privilege,
                         reinterpret_cast<unsigned char*>(item.Bytes.data()), &item.Password);
    items.insert(k, item);
  }
  Api.FK_DisConnect(h);
  return items;
}

// Fails the running test unless the terminal at TargetPort holds every item
// of the one at SourcePort, byte for byte, and the source more than AtLeast
// (so that an empty pair does not pass). The caller returns when
// QTest::currentTestFailed().
inline void CompareItems(int SourcePort, int TargetPort, int AtLeast) {
  FkApi api;
  QVERIFY(api.load());
  const Items held = ReadItems(api, SourcePort);
  const Items restored = ReadItems(api, TargetPort);
  QVERIFY(held.size() > AtLeast);
  QCOMPARE(restored.keys(), held.keys());
  for (auto it = held.cbegin(); it != held.cend(); ++it)
    QVERIFY2(restored.value(it.key()) == it.value(),
             qPrintable(QStringLiteral("item %1-%2").arg(it.key().first).arg(it.key().second)));
}

// In the enrollment window: a backup from the terminal of row 0, then the
// full restore of it to the terminal of row 1 (confirmed), each over a
// connection of its own that is closed again.
inline void BackupAndRestore(TestProgram& T) {
  TfrmEnrol& w = *T.Program->Enrol;
  T.SelectTerminalRow(0);
  T.Main().BitBtn4->click();
  w.FormShow();
  w.BitBtn1Click();
  QCOMPARE(w.lblMessage->text(), QStringLiteral("GetEnrollData OK"));
  T.Main().BitBtn4->click();  // disconnect

  T.SelectTerminalRow(1);
  T.Main().BitBtn4->click();
  T.Dialogs->Answers = {IDYES};
  w.BitBtn2Click();
  QVERIFY2(w.lblMessage->text().startsWith(QStringLiteral("EMachine = 000")),
           qPrintable(w.lblMessage->text()));
  QVERIFY(!w.Memo1->toPlainText().contains(QStringLiteral("error")));
  T.Main().BitBtn4->click();
}
