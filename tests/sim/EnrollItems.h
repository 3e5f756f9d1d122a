// Shared by the end-to-end enroll-data suites: every item a vterminal holds,
// read through the Linux stand-in library, to compare two terminals.
#pragma once
#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>

#include "SimFixture.h"
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
