#include "data/DataSource.h"

#include <QHeaderView>
#include <QKeyEvent>

#include "common/ActionGuard.h"

TDataSource::TDataSource(const QString& Name, TDataSet* DataSet, QObject* Parent)
    : QAbstractTableModel(Parent), ds_(DataSet) {
  setObjectName(Name);
  connect(ds_, &TDataSet::DataChanged, this, [this] {
    beginResetModel();
    Rebind();
    endResetModel();
  });
}

void TDataSource::SetColumns(const QList<TGridColumn>& Columns) {
  beginResetModel();
  columns_ = Columns;
  Rebind();
  endResetModel();
}

void TDataSource::Rebind() {
  fieldIndex_.clear();
  if (columns_.isEmpty()) {
    for (int i = 0; i < ds_->FieldCount(); ++i) fieldIndex_ << i;
  } else {
    for (const TGridColumn& c : columns_) fieldIndex_ << ds_->FieldIndex(c.FieldName);
  }
}

int TDataSource::rowCount(const QModelIndex& Parent) const {
  return Parent.isValid() ? 0 : ds_->RecordCount();
}

int TDataSource::columnCount(const QModelIndex& Parent) const {
  if (Parent.isValid()) return 0;
  return columns_.isEmpty() ? ds_->FieldCount() : columns_.size();
}

QVariant TDataSource::data(const QModelIndex& Index, int Role) const {
  if (Role != Qt::DisplayRole || !Index.isValid() || Index.column() >= fieldIndex_.size())
    return {};
  const QVariant v = ds_->ValueAt(Index.row(), fieldIndex_[Index.column()]);
  if (v.typeId() == QMetaType::QByteArray) return QStringLiteral("(BLOB)");
  return v;
}

QVariant TDataSource::headerData(int Section, Qt::Orientation Orientation, int Role) const {
  if (Role != Qt::DisplayRole) return {};
  if (Orientation == Qt::Vertical) return {};
  if (!columns_.isEmpty()) return Section < columns_.size() ? columns_[Section].Title : QVariant();
  return Section < ds_->FieldCount() ? ds_->FieldNames()[Section] : QVariant();
}

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
  connect(Source->DataSet(), &TDataSet::AfterScroll, this, &TDBGrid::FollowDataSet);
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
