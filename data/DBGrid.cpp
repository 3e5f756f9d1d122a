#include "data/DBGrid.h"

#include <QHeaderView>
#include <QKeyEvent>

#include "common/ActionGuard.h"

TDBGrid::TDBGrid(const QString& Name, QWidget* Parent) : QTableView(Parent) {
  setObjectName(Name);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  verticalHeader()->setDefaultSectionSize(18);
  verticalHeader()->setFixedWidth(12);
  setShowGrid(true);
}

void TDBGrid::SetDataSource(TDataSource* Source) {
  source_ = Source;
  setModel(Source);
  for (int i = 0; i < Source->Columns().size(); ++i) setColumnWidth(i, Source->Columns()[i].Width);
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& Current) {
            if (syncing_ || !Current.isValid()) return;
            syncing_ = true;
            RunGuarded([&] { source_->DataSet()->SetRecNo(Current.row()); });
            syncing_ = false;
          });
  Source->DataSet()->AddView(this, [this](TDataSet::TChange Change) {
    if (Change == TDataSet::TChange::Scroll) FollowDataSet();
  });
  connect(Source, &QAbstractItemModel::modelReset, this, [this] {
    for (int i = 0; i < source_->Columns().size(); ++i)
      setColumnWidth(i, source_->Columns()[i].Width);
    FollowDataSet();
  });
  FollowDataSet();
}

void TDBGrid::FollowDataSet() {
  if (syncing_ || !source_) return;
  const int row = source_->DataSet()->RecNo();
  if (row < 0) return;
  syncing_ = true;
  const QModelIndex index = source_->index(row, 0);
  selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  scrollTo(index);
  syncing_ = false;
}

void TDBGrid::SelectRow(int Row) {
  if (!source_) return;
  selectionModel()->setCurrentIndex(source_->index(Row, 0),
                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TDBGrid::keyPressEvent(QKeyEvent* Event) {
  if (Event->key() == Qt::Key_Delete && (Event->modifiers() & Qt::ControlModifier)) {
    emit CtrlDeletePressed();
    return;
  }
  QTableView::keyPressEvent(Event);
}
