#include "data/TurkishText.h"

#include <sqlite3.h>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

#include "common/Errors.h"

namespace {

// The Turkish alphabet, with the Latin letters it lacks where they fall
// in the Latin one; circumflexed vowels sort with their plain vowel.
const QString kAlphabet = QStringLiteral("abcçdefgğhıijklmnoöpqrsştuüvwxyz");

QChar Fold(QChar C) {
  switch (C.unicode()) {
    case u'I':
      return QChar(u'ı');
    case 0x0130:
      return QChar(u'i');  // İ
    case u'â':
    case u'Â':
      return QChar(u'a');
    case u'î':
    case u'Î':
      return QChar(u'i');
    case u'û':
    case u'Û':
      return QChar(u'u');
    default:
      return C.toLower();
  }
}

// Rank of a folded character: marks and digits first (by code), then the
// alphabet, then everything else by code.
int Rank(QChar Folded) {
  const int at = kAlphabet.indexOf(Folded);
  if (at >= 0) return 0x10000 + at;
  if (Folded.unicode() < 0x80) return Folded.unicode();
  return 0x20000 + Folded.unicode();
}

bool LikeAt(const QString& P, int p, const QString& T, int t, QChar Escape) {
  while (p < P.size()) {
    const QChar c = P[p];
    if (!Escape.isNull() && c == Escape && p + 1 < P.size()) {
      if (t >= T.size() || TurkishLower(P.mid(p + 1, 1)) != TurkishLower(T.mid(t, 1))) return false;
      p += 2;
      ++t;
    } else if (c == QLatin1Char('%')) {
      while (p < P.size() && P[p] == QLatin1Char('%')) ++p;
      if (p == P.size()) return true;
      for (int from = t; from <= T.size(); ++from)
        if (LikeAt(P, p, T, from, Escape)) return true;
      return false;
    } else if (c == QLatin1Char('_')) {
      if (t >= T.size()) return false;
      ++p;
      ++t;
    } else {
      if (t >= T.size() || Fold(c) != Fold(T[t])) return false;
      ++p;
      ++t;
    }
  }
  return t == T.size();
}

QString Text(sqlite3_value* Value) {
  const auto* bytes = reinterpret_cast<const char*>(sqlite3_value_text(Value));
  return bytes ? QString::fromUtf8(bytes, sqlite3_value_bytes(Value)) : QString();
}

int Collate(void*, int LengthA, const void* A, int LengthB, const void* B) {
  return TurkishCompare(QString::fromUtf8(static_cast<const char*>(A), LengthA),
                        QString::fromUtf8(static_cast<const char*>(B), LengthB));
}

// like(pattern, text [, escape]); a null argument gives null, as SQL's does.
void Like(sqlite3_context* Context, int Count, sqlite3_value** Values) {
  for (int i = 0; i < Count; ++i) {
    if (sqlite3_value_type(Values[i]) == SQLITE_NULL) {
      sqlite3_result_null(Context);
      return;
    }
  }
  QChar escape;
  if (Count == 3) {
    const QString e = Text(Values[2]);
    if (e.size() != 1) {
      sqlite3_result_error(Context, "ESCAPE expression must be a single character", -1);
      return;
    }
    escape = e[0];
  }
  sqlite3_result_int(Context, TurkishLike(Text(Values[0]), Text(Values[1]), escape) ? 1 : 0);
}

}  // namespace

QString TurkishLower(const QString& Text) {
  QString folded(Text.size(), Qt::Uninitialized);
  for (int i = 0; i < Text.size(); ++i) folded[i] = Fold(Text[i]);
  return folded;
}

int TurkishCompare(const QString& A, const QString& B) {
  const int n = qMin(A.size(), B.size());
  for (int i = 0; i < n; ++i) {
    const int a = Rank(Fold(A[i]));
    const int b = Rank(Fold(B[i]));
    if (a != b) return a < b ? -1 : 1;
  }
  if (A.size() != B.size()) return A.size() < B.size() ? -1 : 1;
  return A.compare(B);
}

bool TurkishLike(const QString& Pattern, const QString& Text, QChar Escape) {
  return LikeAt(Pattern, 0, Text, 0, Escape);
}

void RegisterTurkishText(QSqlDatabase& Database) {
  const QVariant handle = Database.driver() ? Database.driver()->handle() : QVariant();
  if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
    throw EDatabaseError(QStringLiteral("Turkish text order needs an SQLite connection"));
  sqlite3* db = *static_cast<sqlite3* const*>(handle.data());
  const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
  if (sqlite3_create_collation(db, kTurkishCollation, SQLITE_UTF8, nullptr, &Collate) !=
          SQLITE_OK ||
      sqlite3_create_function(db, "like", 2, flags, nullptr, &Like, nullptr, nullptr) !=
          SQLITE_OK ||
      sqlite3_create_function(db, "like", 3, flags, nullptr, &Like, nullptr, nullptr) != SQLITE_OK)
    throw EDatabaseError(QString::fromUtf8(sqlite3_errmsg(db)));
}
