// A transaction on one database connection, rolled back when the scope ends
// without Commit: work that must take effect as a whole or not at all.
#pragma once

class TConnection;

class TTransaction {
 public:
  // Begins a transaction on Connection, which must outlive it; throws
  // EDatabaseError.
  explicit TTransaction(TConnection& Connection);
  ~TTransaction();
  TTransaction(const TTransaction&) = delete;
  TTransaction& operator=(const TTransaction&) = delete;

  // Throws EDatabaseError when the database has ended the transaction on its
  // own: SQLite rolls the whole transaction back after some errors (a full
  // disk among them), and every statement after that would take effect at
  // once, outside any transaction.
  void CheckActive();
  // Makes the work permanent; throws EDatabaseError (the work is then
  // rolled back), also when the transaction is no longer active.
  void Commit();
  void Rollback();
  bool Open() const { return open_; }

 private:
  TConnection& connection_;
  bool open_ = false;
};
