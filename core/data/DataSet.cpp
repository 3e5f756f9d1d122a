#include "data/DataSet.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cmath>
#include <limits>

#include "common/Cleanup.h"
#include "common/Errors.h"
#include "data/Connection.h"
#include "data/RowStatements.h"

// ---- TField ----------------------------------------------------------------

QString TField::FieldName() const {
  return ds_->fields_.at(index_);
}
QVariant TField::Value() const {
  return ds_->CurrentValue(index_);
}
bool TField::IsNull() const {
  return Value().isNull();
}

QString TField::AsString() const {
  const QVariant v = Value();
  if (v.isNull()) return QString();
  if (v.typeId() == QMetaType::QByteArray) return QString::fromLatin1(v.toByteArray());
  return v.toString();
}

// A stored number is read as the number it is or not at all: a value past
// the range of int, or with a fraction, would otherwise become another user's
// number or another port on its way to the terminal.
int TField::AsInteger() const {
  const QVariant v = Value();
  if (v.isNull()) return 0;
  const auto invalid = [&v]() -> EConvertError {
    return EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(v.toString()));
  };
  switch (v.typeId()) {
    case QMetaType::Int:
      return v.toInt();
    case QMetaType::LongLong:
    case QMetaType::UInt: {
      const qint64 n = v.toLongLong();
      if (n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max())
        throw invalid();
      return static_cast<int>(n);
    }
    case QMetaType::ULongLong: {
      const quint64 n = v.toULongLong();
      if (n > quint64(std::numeric_limits<int>::max())) throw invalid();
      return static_cast<int>(n);
    }
    case QMetaType::Double: {
      const double d = v.toDouble();
      // NaN fails both comparisons and the whole-number test alike.
      if (!(d >= std::numeric_limits<int>::min() && d <= std::numeric_limits<int>::max()) ||
          d != std::trunc(d))
        throw invalid();
      return static_cast<int>(d);
    }
    default:
      return StrToInt(AsString());
  }
}

bool TField::IsBlob() const {
  return Value().typeId() == QMetaType::QByteArray;
}

QByteArray TField::AsBytes() const {
  if (!IsBlob()) return QByteArray();
  return Value().toByteArray();
}

void TField::SetAsString(const QString& Value) {
  SetValue(Value);
}
void TField::SetAsInteger(int Value) {
  SetValue(Value);
}
void TField::SetAsBytes(const QByteArray& Value) {
  SetValue(Value);
}
void TField::SetValue(const QVariant& Value) {
  ds_->SetCurrentValue(index_, Value);
}

// ---- TDataSet --------------------------------------------------------------

TDataSet::TDataSet(const QString& Name, TConnection& Connection, QObject* Parent)
    : QObject(Parent), connection_(Connection) {
  setObjectName(Name);
}

void TDataSet::Fail(const QString& Text) const {
  throw EDatabaseError(objectName().isEmpty() ? Text : objectName() + QStringLiteral(": ") + Text);
}

QSqlQuery TDataSet::Exec(const QString& Text, const QVariantList& Params) {
  QString error;
  QSqlQuery q = connection_.Run(Text, Params, error);
  if (!error.isEmpty()) Fail(error);
  return q;
}

void TDataSet::CheckModify() const {
  if (!CanModify()) Fail(QStringLiteral("Cannot modify a read-only dataset"));
}

void TDataSet::SetSQL(const QString& Statement, const QVariantList& Params) {
  Close();
  sql_ = Statement;
  params_ = Params;
}

void TDataSet::OpenSQL(const QString& Statement, const QVariantList& Params) {
  SetSQL(Statement, Params);
  Open();
}

void TDataSet::ExecuteSQL(const QString& Statement, const QVariantList& Params) {
  SetSQL(Statement, Params);
  ExecSQL();
}

void TDataSet::Open() {
  if (Active()) Close();
  QString text = connection_.ToEngineDialect(sql_);
  table_.clear();
  if (connection_.IsLocalFile()) text = SelectWithRowId(text, table_);
  QSqlQuery q = Exec(text, params_);

  const QSqlRecord record = q.record();
  fields_.clear();
  rowIdColumn_ = -1;
  for (int i = 0; i < record.count(); ++i) {
    if (!table_.isEmpty() && record.fieldName(i) == RowIdColumn()) {
      rowIdColumn_ = i;
    } else {
      fields_ << record.fieldName(i);
    }
  }
  rows_.clear();
  while (q.next()) {
    QVector<QVariant> row(record.count());
    for (int i = 0; i < record.count(); ++i) row[i] = q.value(i);
    rows_.append(std::move(row));
  }
  // The engine ends the walk the same way at the last row and at a page it
  // cannot read: only the error tells a damaged file from a shorter one, and
  // the rows read so far must never pass for the whole result.
  const QSqlError walk = q.lastError();
  q.finish();  // a kept statement must not hold the file open for reading
  if (walk.isValid()) {
    rows_.clear();
    fields_.clear();
    rowIdColumn_ = -1;
    Fail(connection_.ErrorText(walk));
  }
  // Keep the rowid last so visible columns keep their indexes.
  if (rowIdColumn_ >= 0) {
    for (auto& row : rows_) {
      const QVariant id = row.takeAt(rowIdColumn_);
      row.append(id);
    }
    rowIdColumn_ = fields_.size();
  }
  state_ = TState::Browse;
  recNo_ = rows_.isEmpty() ? -1 : 0;
  bof_ = true;
  eof_ = rows_.isEmpty();
  Notify(TChange::Rows);
  Notify(TChange::Scroll);
  if (AfterOpen) AfterOpen();
  if (AfterScroll) AfterScroll();
}

void TDataSet::AddView(QObject* Owner, std::function<void(TChange)> Follow) {
  views_.append({Owner, std::move(Follow)});
  QObject::connect(Owner, &QObject::destroyed, this, [this, Owner] {
    views_.removeIf([Owner](const TView& v) { return v.Owner == Owner; });
  });
}

void TDataSet::Notify(TChange Change) {
  // A copy: a view may add or drop views while it follows.
  const QVector<TView> views = views_;
  for (const TView& v : views) v.Follow(Change);
}

void TDataSet::Scrolled() {
  Notify(TChange::Scroll);
  if (AfterScroll) AfterScroll();
}

void TDataSet::Close() {
  if (!Active()) return;
  state_ = TState::Inactive;
  rows_.clear();
  fields_.clear();
  rowIdColumn_ = -1;
  recNo_ = -1;
  bof_ = eof_ = true;
  Notify(TChange::Rows);
}

void TDataSet::ExecSQL() {
  Close();
  Exec(connection_.ToEngineDialect(sql_), params_);
}

void TDataSet::Requery() {
  CheckActive();
  CheckBrowse();
  Open();
}

void TDataSet::CheckActive() const {
  if (!Active()) Fail(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void TDataSet::CheckBrowse() {
  // A pending insert or edit is written before the cursor moves.
  if (state_ == TState::Edit || state_ == TState::Insert) Post();
}

// Moves to Row (bounded) and sets the end flags before the views and the
// AfterScroll event see the new row.
void TDataSet::MoveTo(int Row, bool AtBof, bool AtEof) {
  CheckActive();
  CheckBrowse();
  if (rows_.isEmpty()) {
    bof_ = eof_ = true;
    return;
  }
  Row = qBound(0, Row, static_cast<int>(rows_.size()) - 1);
  const bool moved = Row != recNo_;
  recNo_ = Row;
  bof_ = AtBof;
  eof_ = AtEof;
  if (moved) Scrolled();
}

void TDataSet::First() {
  MoveTo(0, true, false);
}

void TDataSet::Last() {
  MoveTo(rows_.size() - 1, false, true);
}

void TDataSet::Next() {
  CheckActive();
  if (recNo_ + 1 < rows_.size()) {
    MoveTo(recNo_ + 1, false, false);
  } else {
    CheckBrowse();
    eof_ = true;
  }
}

void TDataSet::Prior() {
  CheckActive();
  if (recNo_ > 0) {
    MoveTo(recNo_ - 1, false, false);
  } else {
    CheckBrowse();
    bof_ = true;
  }
}

void TDataSet::SetRecNo(int Row) {
  MoveTo(Row, false, false);
}

TDataSet::TBookmark TDataSet::GetBookmark() const {
  if (rowIdColumn_ < 0 || recNo_ < 0) return 0;
  return rows_[recNo_][rowIdColumn_].toLongLong();
}

bool TDataSet::GotoBookmark(TBookmark Bookmark) {
  if (rowIdColumn_ < 0 || Bookmark == 0) return false;
  for (int r = 0; r < rows_.size(); ++r) {
    if (rows_[r][rowIdColumn_].toLongLong() == Bookmark) {
      SetRecNo(r);
      return true;
    }
  }
  return false;
}

int TDataSet::FieldIndex(const QString& Name) const {
  for (int i = 0; i < fields_.size(); ++i)
    if (fields_[i].compare(Name, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

TField TDataSet::FieldByName(const QString& Name) {
  CheckActive();
  const int index = FieldIndex(Name);
  if (index < 0) Fail(QStringLiteral("Field '%1' not found").arg(Name));
  return TField(this, index);
}

QVariant TDataSet::ValueAt(int Row, int Column) const {
  if (Row < 0 || Row >= rows_.size() || Column < 0 || Column >= fields_.size()) return {};
  if (Row == recNo_ && (state_ == TState::Edit)) return buffer_[Column];
  return rows_[Row][Column];
}

const QVariant& TDataSet::CurrentValue(int Index) const {
  static const QVariant null;
  if (state_ == TState::Edit || state_ == TState::Insert) return buffer_[Index];
  if (recNo_ < 0) return null;
  return rows_[recNo_][Index];
}

void TDataSet::SetCurrentValue(int Index, const QVariant& Value) {
  if (state_ != TState::Edit && state_ != TState::Insert)
    Fail(QStringLiteral("Dataset not in edit or insert mode"));
  buffer_[Index] = Value;
  modified_[Index] = true;
}

void TDataSet::Insert() {
  CheckActive();
  CheckBrowse();
  CheckModify();
  buffer_ = QVector<QVariant>(fields_.size() + 1);
  modified_ = QVector<bool>(fields_.size(), false);
  insertAt_ = recNo_ < 0 ? 0 : recNo_;
  state_ = TState::Insert;
}

void TDataSet::Append() {
  Insert();
  insertAt_ = rows_.size();
}

void TDataSet::Edit() {
  CheckActive();
  if (state_ == TState::Edit || state_ == TState::Insert) return;
  CheckModify();
  if (recNo_ < 0) Fail(QStringLiteral("Cannot perform this operation on an empty dataset"));
  buffer_ = rows_[recNo_];
  modified_ = QVector<bool>(fields_.size(), false);
  state_ = TState::Edit;
}

void TDataSet::Cancel() {
  const bool changing = state_ == TState::Edit || state_ == TState::Insert;
  if (changing) state_ = TState::Browse;
  buffer_.clear();
  if (changing) Notify(TChange::Values);
}

void TDataSet::ReadRow(qint64 RowId, QVector<QVariant>& Into) {
  QSqlQuery q = Exec(ReadRowStatement(table_), {RowId});
  TScopeExit finish([&q] { q.finish(); });
  if (!q.next()) {
    if (q.lastError().isValid()) Fail(connection_.ErrorText(q.lastError()));
    return;
  }
  const QSqlRecord record = q.record();
  for (int i = 0; i < fields_.size(); ++i) {
    const int c = record.indexOf(fields_[i]);
    if (c >= 0) Into[i] = q.value(c);
  }
  Into[rowIdColumn_] = RowId;
}

void TDataSet::Post() {
  if (state_ != TState::Edit && state_ != TState::Insert) return;
  QStringList columns;
  QVariantList values;
  for (int i = 0; i < fields_.size(); ++i) {
    if (!modified_[i]) continue;
    columns << fields_[i];
    values << buffer_[i];
  }
  if (state_ == TState::Insert) {
    // A failure leaves the row in insert state, unsaved.
    QSqlQuery q = Exec(InsertRowStatement(table_, columns), values);
    const qint64 rowId = q.lastInsertId().toLongLong();
    ReadRow(rowId, buffer_);
    rows_.insert(insertAt_, buffer_);
    recNo_ = insertAt_;
  } else {
    if (!columns.isEmpty()) PostEdit(columns, values);
    rows_[recNo_] = buffer_;
  }
  const bool inserted = state_ == TState::Insert;
  state_ = TState::Browse;
  buffer_.clear();
  bof_ = eof_ = false;
  Notify(inserted ? TChange::Rows : TChange::Values);
  Scrolled();
}

// Writes the changed columns of the edited row to the table: to that row, or
// with an update key to every row sharing its key values. The rows read here
// that the statement reached are read again.
void TDataSet::PostEdit(const QStringList& Columns, QVariantList Values) {
  const QVector<QVariant> before = rows_[recNo_];
  QVector<int> key;
  QStringList keyColumns;
  for (const QString& name : updateKey_) {
    const int i = FieldIndex(name);
    if (i < 0) Fail(QStringLiteral("Field '%1' not found").arg(name));
    key << i;
    keyColumns << fields_[i];
    Values << before[i];
  }
  if (key.isEmpty()) Values << before[rowIdColumn_];
  Exec(UpdateRowsStatement(table_, Columns, keyColumns), Values);
  for (int r = 0; r < rows_.size(); ++r) {
    if (r == recNo_) continue;
    bool same = !key.isEmpty();
    for (int i : key) same = same && rows_[r][i] == before[i];
    if (same) ReadRow(rows_[r][rowIdColumn_].toLongLong(), rows_[r]);
  }
  ReadRow(before[rowIdColumn_].toLongLong(), buffer_);
}

void TDataSet::Delete() {
  CheckActive();
  if (state_ == TState::Insert) {
    Cancel();
    return;
  }
  Cancel();
  if (recNo_ < 0) Fail(QStringLiteral("Cannot perform this operation on an empty dataset"));
  CheckModify();
  Exec(DeleteRowStatement(table_), {rows_[recNo_][rowIdColumn_]});
  rows_.removeAt(recNo_);
  if (recNo_ >= rows_.size()) recNo_ = rows_.size() - 1;
  bof_ = eof_ = rows_.isEmpty();
  Notify(TChange::Rows);
  Scrolled();
}
