// A dataset shown in a grid: the table model (the design's data-source link)
// and the grid whose selection is the dataset's current row.
#pragma once
#include <QAbstractTableModel>
#include <QList>
#include <QTableView>

#include "data/DataSet.h"

struct TGridColumn {
  QString FieldName;
  QString Title;
  int Width = 64;
};

class TDataSource : public QAbstractTableModel {
  Q_OBJECT
 public:
  TDataSource(const QString& Name, TDataSet* DataSet, QObject* Parent = nullptr);
  TDataSet* DataSet() const { return ds_; }

  // Columns to show; with none, every column of the dataset.
  void SetColumns(const QList<TGridColumn>& Columns);
  const QList<TGridColumn>& Columns() const { return columns_; }

  int rowCount(const QModelIndex& Parent = {}) const override;
  int columnCount(const QModelIndex& Parent = {}) const override;
  QVariant data(const QModelIndex& Index, int Role) const override;
  QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override;

 private:
  void Rebind();
  TDataSet* ds_;
  QList<TGridColumn> columns_;
  QVector<int> fieldIndex_;  // dataset column of each shown column, -1 if absent
};

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
