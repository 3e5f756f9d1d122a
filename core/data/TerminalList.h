// The terminal list (table Terminal of Data.mdb): its statements, the
// connection request of a row, and the list read whole for the batch. The
// datasets belong to the data module (the main window's grid shows the
// list); this type is what windows and the command line use to reach them.
#pragma once
#include <QList>
#include <QString>

#include "sdk/FKDefine.h"

class TDataSet;

// One terminal as the editor shows and stores it: every column as text.
struct TTerminalRow {
  QString Terminal;
  QString TerminalNo;
  QString Tip;  // "com", "ethernet", "usb"; empty leaves the stored Tip alone
  QString ComPort;
  QString ComBaud;
  QString Ip;
  QString NetPort;
  QString Sifre;
};

// One row of the list, ready to connect.
struct TListedTerminal {
  QString Name;
  TConnInfo Info;
  QString RowError;  // a column that is no whole number: the row cannot be used
};

class TTerminalList {
 public:
  // List is the list in name order (its current row is the selected
  // terminal); Row runs the look-up by id, the insert and the delete.
  TTerminalList(TDataSet& List, TDataSet& Row);

  TDataSet& List() { return list_; }

  // Reads the list, in name order.
  void Open();
  bool IsEmpty() const;

  // The current row's columns as stored.
  TTerminalRow Current();
  QString CurrentName();
  // Which number columns a connection request converts: "BAGLAN" converts
  // every one, whatever the connection type; the batch and the command line
  // only those the row's type uses.
  enum class TColumns { Every, Used };
  // The connection request of the current row, for "BAGLAN", the batch and
  // the command line alike (throws EConvertError for a number column of
  // Columns that is no whole number).
  TConnInfo ConnectionRequest(TColumns Columns);
  // Every row in its order; the current row is kept.
  QList<TListedTerminal> ReadAll();

  // True when the current row is still in the table (looked up by its id).
  bool CurrentStored();
  // Adds a row (the database assigns its id) and reads the list again.
  void Insert(const TTerminalRow& Row);
  // Writes Row into the current row and reads the list again; the current
  // row follows the changed one to its new place in name order.
  void UpdateCurrent(const TTerminalRow& Row);
  // Deletes the current row by its id and reads the list again.
  void DeleteCurrent();
  // Deletes through the list itself: it keeps its place on the row that
  // followed, or the one before when the last row went.
  void DeleteCurrentInPlace();

 private:
  TDataSet& list_;
  TDataSet& row_;
};
