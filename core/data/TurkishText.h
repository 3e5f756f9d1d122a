// Turkish order and matching for the local databases: names sort in the
// Turkish alphabet without regard to case (Ana, bina, Çatı, İdare, Şube,
// Zemin) and LIKE matches Turkish case pairs (I/ı, İ/i, Ç/ç, Ğ/ğ, Ö/ö, Ş/ş,
// Ü/ü), as an operator expects from the old Access files.
#pragma once
#include <QString>

class QSqlDatabase;

// The collation's name, as the schema's text columns declare it.
inline constexpr const char* kTurkishCollation = "TURKISH";

// Lower case with the Turkish dotted and dotless i.
QString TurkishLower(const QString& Text);
// <0, 0 or >0: Turkish alphabetical order, case ignored; texts that differ
// only in case are ordered by their characters so that only equal texts
// compare equal.
int TurkishCompare(const QString& A, const QString& B);
// SQL LIKE: '%' any run, '_' one character, Escape (when not null) makes
// the next character literal; Turkish case pairs match.
bool TurkishLike(const QString& Pattern, const QString& Text, QChar Escape = QChar());

// Registers the collation and replaces like() on an open SQLite connection.
// Throws EDatabaseError when the connection is not SQLite or refuses.
void RegisterTurkishText(QSqlDatabase& Database);
