// The grid over a data source: whole rows, and its selection is the
// dataset's current row.
#pragma once
#include <QTableView>

#include "data/DataSource.h"

// Whole-row, read-only grid over a data source; moving the selection moves
// the dataset's current row and the other way round.
class TDBGrid : public QTableView {
  Q_OBJECT
 public:
  explicit TDBGrid(const QString& Name, QWidget* Parent = nullptr);
  void SetDataSource(TDataSource* Source);
  TDataSource* DataSource() const { return source_; }
  // Selects the row (as the operator's click would).
  void SelectRow(int Row);

 signals:
  void CtrlDeletePressed();

 protected:
  void keyPressEvent(QKeyEvent* Event) override;

 private:
  void FollowDataSet();
  TDataSource* source_ = nullptr;
  bool syncing_ = false;
};
