// The grid over a data source: whole rows, and its selection is the
// dataset's current row.
#pragma once
#include <QTableView>

#include "data/DataSource.h"

// Whole-row grid over a data source; moving the selection moves the
// dataset's current row and the other way round. Columns the data source
// marks editable are typed into in place; the edited row is stored when the
// operator leaves it or moves to another control of the window, and Esc
// drops the change.
class TDBGrid : public QTableView {
  Q_OBJECT
 public:
  explicit TDBGrid(const QString& Name, QWidget* Parent = nullptr);
  ~TDBGrid() override;
  void SetDataSource(TDataSource* Source);
  TDataSource* DataSource() const { return source_; }
  // Selects the row (as the operator's click would).
  void SelectRow(int Row);

 signals:
  void CtrlDeletePressed();

 protected:
  void keyPressEvent(QKeyEvent* Event) override;
  // A value the data source refuses shows its error in the standard error
  // box; the editor's row stays as it was.
  void commitData(QWidget* Editor) override;

 private:
  void FollowDataSet();
  void ApplyColumns();
  void FocusMoved(QWidget* Now);
  TDataSource* source_ = nullptr;
  bool syncing_ = false;
  bool posting_ = false;
};
