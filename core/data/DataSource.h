// A dataset as a table model: what a grid shows (the data-source link of a
// query). Qt Core only, so the data module can own it; the grid itself is
// widgets/DBGrid.h in gui/.
#pragma once
#include <QAbstractTableModel>
#include <QColor>
#include <QList>

#include "data/DataSet.h"

struct TGridColumn {
  TGridColumn(QString FieldName, QString Title, int Width = 64, bool Editable = false,
              QColor Color = {}, bool BoldTitle = false)
      : FieldName(std::move(FieldName)),
        Title(std::move(Title)),
        Width(Width),
        Editable(Editable),
        Color(Color),
        BoldTitle(BoldTitle) {}
  QString FieldName;
  QString Title;
  int Width = 64;
  bool Editable = false;  // typed into in place; the dataset stores it
  QColor Color;           // background of the column's cells, when set
  bool BoldTitle = false;
};

class TDataSource : public QAbstractTableModel {
  Q_OBJECT
 public:
  TDataSource(const QString& Name, TDataSet* DataSet, QObject* Parent = nullptr);
  TDataSet* DataSet() const { return ds_; }

  // Columns to show; with none, every column of the dataset.
  void SetColumns(const QList<TGridColumn>& Columns);
  const QList<TGridColumn>& Columns() const { return columns_; }
  // Some shown column can be typed into.
  bool Editable() const;

  int rowCount(const QModelIndex& Parent = {}) const override;
  int columnCount(const QModelIndex& Parent = {}) const override;
  QVariant data(const QModelIndex& Index, int Role) const override;
  QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override;
  Qt::ItemFlags flags(const QModelIndex& Index) const override;
  // A value typed into an editable column puts the dataset's row (made the
  // current row first) into edit state; the row is stored when it is left.
  // A value the dataset refuses returns false and leaves its error in
  // LastError (the grid shows it).
  bool setData(const QModelIndex& Index, const QVariant& Value, int Role) override;
  // Why the last setData was refused; empty when it was not.
  const QString& LastError() const { return lastError_; }

 private:
  void Rebind();
  TDataSet* ds_;
  QList<TGridColumn> columns_;
  QVector<int> fieldIndex_;  // dataset column of each shown column, -1 if absent
  QString lastError_;
};
