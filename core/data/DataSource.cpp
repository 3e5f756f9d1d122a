#include "data/DataSource.h"

#include <QFont>

#include "common/Errors.h"

TDataSource::TDataSource(const QString& Name, TDataSet* DataSet, QObject* Parent)
    : QAbstractTableModel(Parent), ds_(DataSet) {
  setObjectName(Name);
  ds_->AddView(this, [this](TDataSet::TChange Change) {
    if (Change == TDataSet::TChange::Values && rowCount() > 0) {
      emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    } else if (Change == TDataSet::TChange::Rows) {
      beginResetModel();
      Rebind();
      endResetModel();
    }
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

bool TDataSource::Editable() const {
  for (const TGridColumn& c : columns_)
    if (c.Editable) return true;
  return false;
}

QVariant TDataSource::data(const QModelIndex& Index, int Role) const {
  if (!Index.isValid() || Index.column() >= fieldIndex_.size()) return {};
  if (Role == Qt::BackgroundRole) {
    const QColor color = columns_.isEmpty() ? QColor() : columns_[Index.column()].Color;
    return color.isValid() ? QVariant(color) : QVariant();
  }
  if (Role != Qt::DisplayRole && Role != Qt::EditRole) return {};
  const QVariant v = ds_->ValueAt(Index.row(), fieldIndex_[Index.column()]);
  if (v.typeId() == QMetaType::QByteArray) return QStringLiteral("(BLOB)");
  return v;
}

Qt::ItemFlags TDataSource::flags(const QModelIndex& Index) const {
  Qt::ItemFlags f = QAbstractTableModel::flags(Index);
  if (Index.isValid() && Index.column() < columns_.size() && columns_[Index.column()].Editable &&
      fieldIndex_[Index.column()] >= 0 && ds_->CanModify())
    f |= Qt::ItemIsEditable;
  return f;
}

bool TDataSource::setData(const QModelIndex& Index, const QVariant& Value, int Role) {
  lastError_.clear();
  if (Role != Qt::EditRole || !(flags(Index) & Qt::ItemIsEditable)) return false;
  const int field = fieldIndex_[Index.column()];
  if (ds_->ValueAt(Index.row(), field).toString() == Value.toString()) return false;
  // Called by the grid's editor, outside any handler: the error is kept for
  // the grid to show, as a model reports a refused edit.
  try {
    if (ds_->RecNo() != Index.row()) ds_->SetRecNo(Index.row());
    ds_->Edit();
    ds_->FieldByName(ds_->FieldNames()[field]).SetValue(Value);
  } catch (const EAbort&) {
    return false;
  } catch (const EAppError& e) {
    lastError_ = e.Text();
    return false;
  } catch (const std::exception& e) {
    lastError_ = QString::fromLocal8Bit(e.what());
    return false;
  }
  emit dataChanged(Index, Index);
  return true;
}

QVariant TDataSource::headerData(int Section, Qt::Orientation Orientation, int Role) const {
  if (Role == Qt::FontRole && Orientation == Qt::Horizontal && Section < columns_.size() &&
      columns_[Section].BoldTitle) {
    QFont bold;
    bold.setBold(true);
    return bold;
  }
  if (Role != Qt::DisplayRole) return {};
  if (Orientation == Qt::Vertical) return {};
  if (!columns_.isEmpty()) return Section < columns_.size() ? columns_[Section].Title : QVariant();
  return Section < ds_->FieldCount() ? ds_->FieldNames()[Section] : QVariant();
}
