#include "data/DataSource.h"


TDataSource::TDataSource(const QString& Name, TDataSet* DataSet, QObject* Parent)
    : QAbstractTableModel(Parent), ds_(DataSet) {
  setObjectName(Name);
  ds_->AddView(this, [this](TDataSet::TChange Change) {
    if (Change != TDataSet::TChange::Rows) return;
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
