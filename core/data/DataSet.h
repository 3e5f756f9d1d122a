// The dataset layer: a statement, its rows read into memory, a current row,
// columns by name, and row changes written back to the table. What the
// windows use in place of query objects.
#pragma once
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>

class QSqlQuery;
class TConnection;
class TDataSet;

// One column of the current row. Names are matched without regard to case.
class TField {
 public:
  TField(TDataSet* DataSet, int Index) : ds_(DataSet), index_(Index) {}
  QString FieldName() const;
  bool IsNull() const;
  QString AsString() const;
  // A value that is no whole number in the range of int (text, a fraction, a
  // 64-bit number) throws EConvertError; it is never cut or wrapped.
  int AsInteger() const;
  // Whether the value is bytes as stored (a BLOB), not text or a number.
  bool IsBlob() const;
  // The bytes of a BLOB; an empty array for any other value: text is not a
  // template, and its characters are not the bytes that were stored.
  QByteArray AsBytes() const;
  QVariant Value() const;
  void SetAsString(const QString& Value);
  void SetAsInteger(int Value);
  void SetAsBytes(const QByteArray& Value);
  void SetValue(const QVariant& Value);

 private:
  TDataSet* ds_;
  int index_;
};

class TDataSet : public QObject {
 public:
  enum class TState { Inactive, Browse, Edit, Insert };
  // The row's identity in its table; 0 for none. Only rows of the local
  // files have one: on a server connection every dataset is read-only.
  using TBookmark = qint64;

  // The dataset runs its statements on Connection, which must outlive it.
  TDataSet(const QString& Name, TConnection& Connection, QObject* Parent = nullptr);

  TConnection& Connection() const { return connection_; }

  // Statement text and its bound values (positional, for each '?').
  const QString& SQL() const { return sql_; }
  void SetSQL(const QString& Statement, const QVariantList& Params = {});

  void Open();  // runs the statement, reads all rows, goes to the first
  void Close();
  void ExecSQL();  // runs the statement for its effect; returns nothing
  void Requery();  // runs the same statement again; back on the first row
  // Close, replace the statement, then open or execute: how every action
  // runs a statement.
  void OpenSQL(const QString& Statement, const QVariantList& Params = {});
  void ExecuteSQL(const QString& Statement, const QVariantList& Params = {});

  bool Active() const { return state_ != TState::Inactive; }
  TState State() const { return state_; }

  // Navigation over the rows in memory.
  int RecordCount() const { return rows_.size(); }
  bool IsEmpty() const { return rows_.isEmpty(); }
  bool Eof() const { return eof_; }
  bool Bof() const { return bof_; }
  void First();
  void Last();
  void Next();
  void Prior();
  int RecNo() const { return recNo_; }  // 0-based; -1 with no rows
  void SetRecNo(int Row);
  TBookmark GetBookmark() const;
  bool GotoBookmark(TBookmark Bookmark);  // false when the row is gone

  // Columns of the current row.
  int FieldCount() const { return fields_.size(); }
  const QStringList& FieldNames() const { return fields_; }
  int FieldIndex(const QString& Name) const;  // -1 when absent
  TField FieldByName(const QString& Name);
  QVariant ValueAt(int Row, int Column) const;

  // Row changes: Insert/Append start a new row, Edit the current one; Post
  // writes it to the table, Cancel drops it; Delete removes the current row.
  void Insert();
  void Append();
  void Edit();
  void Post();
  void Cancel();
  void Delete();

  QString TableName() const { return table_; }
  // Rows can be changed: the statement reads one table with every column.
  bool CanModify() const { return !table_.isEmpty() && rowIdColumn_ >= 0; }

  // Which rows a posted edit is written to. With key columns, to every row
  // of the table holding the edited row's values in them (a name list keeps
  // one row per item of a user, and a name belongs to the user), and the
  // rows read here that share them are read again. Without, only to the
  // edited row. Kept across statements.
  void SetUpdateKey(const QStringList& Columns) { updateKey_ = Columns; }
  const QStringList& UpdateKey() const { return updateKey_; }

  // Events, as plain callbacks called inside Open, the moves, Post and
  // Delete, after the dataset is consistent: an error a handler throws leaves
  // that call and ends the action through its guard.
  std::function<void()> AfterOpen;    // after Open and Requery
  std::function<void()> AfterScroll;  // the current row moved

  // Views that show the rows (table models, grids) and follow them. A view
  // is dropped when Owner is destroyed.
  // Rows: the rows were read again, added or removed. Values: values of the
  // rows read changed (an edit, a post, a cancel), the rows stayed.
  // Scroll: the current row moved.
  enum class TChange { Rows, Values, Scroll };
  void AddView(QObject* Owner, std::function<void(TChange)> Follow);

 private:
  void Notify(TChange Change);
  void Scrolled();  // views, then the AfterScroll event

  friend class TField;
  const QVariant& CurrentValue(int Index) const;
  void SetCurrentValue(int Index, const QVariant& Value);
  void CheckActive() const;
  void CheckBrowse();
  void CheckModify() const;
  void MoveTo(int Row, bool AtBof, bool AtEof);
  void ReadRow(qint64 RowId, QVector<QVariant>& Into);
  void PostEdit(const QStringList& Columns, QVariantList Values);
  // Runs a statement on the connection; its error throws (Fail).
  QSqlQuery Exec(const QString& Text, const QVariantList& Params);
  [[noreturn]] void Fail(const QString& Text) const;

  TConnection& connection_;
  QString sql_;
  QVariantList params_;
  QString table_;         // single table the statement reads, when known
  QStringList fields_;    // visible columns
  int rowIdColumn_ = -1;  // hidden column holding the table's rowid
  QVector<QVector<QVariant>> rows_;
  int recNo_ = -1;
  bool eof_ = true;
  bool bof_ = true;
  TState state_ = TState::Inactive;
  QVector<QVariant> buffer_;  // row being inserted or edited
  QVector<bool> modified_;
  int insertAt_ = -1;
  QStringList updateKey_;
  struct TView {
    QObject* Owner;
    std::function<void(TChange)> Follow;
  };
  QVector<TView> views_;
};
