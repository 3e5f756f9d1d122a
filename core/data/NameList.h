// The name list (table temp of Log.mdb): card numbers and names of the
// terminal's users, built by the backup, filled from the personnel database
// and written into the terminal. The datasets belong to the data module (the
// enrollment window's grid shows the list); this type owns the statements.
#pragma once
#include <QString>

class TConnection;

class TDataSet;

class TNameList {
 public:
  // List is the list shown (its current row is the selected name); Change
  // clears the table and adds rows, Rename stores a name on a card's rows.
  TNameList(TDataSet& List, TDataSet& Change, TDataSet& Rename);

  TDataSet& List() { return list_; }
  // The connection the table is on, for a transaction around many changes.
  TConnection& Connection() const;

  // Lists temp: every row, or with a search text (blanks around it dropped)
  // the rows whose name begins with it, in card-number order. The text is a
  // bound value, so an apostrophe in it is searched for.
  void Open(const QString& SearchText);
  // Empties the table.
  void Clear();
  // Adds one row.
  void Add(const QString& CardNo, const QString& Name);
  // Stores Name on every row of the card.
  void SetName(const QString& CardNo, const QString& Name);

 private:
  TDataSet& list_;
  TDataSet& change_;
  TDataSet& rename_;
};
