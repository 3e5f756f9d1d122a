#include "widgets/DBGrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTimer>

#include "widgets/ActionGuard.h"

namespace {
constexpr QAbstractItemView::EditTriggers kEditTriggers =
    QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
    QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed;

bool Changing(const TDataSet& DataSet) {
  return DataSet.State() == TDataSet::TState::Edit || DataSet.State() == TDataSet::TState::Insert;
}
}  // namespace

TDBGrid::TDBGrid(const QString& Name, QWidget* Parent) : QTableView(Parent) {
  setObjectName(Name);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  verticalHeader()->setDefaultSectionSize(18);
  verticalHeader()->setFixedWidth(12);
  setShowGrid(true);
  connect(qApp, &QApplication::focusChanged, this,
          [this](QWidget*, QWidget* Now) { FocusMoved(Now); });
}

// A grid that has the focus gives it up while QWidget's destructor runs,
// after this part of it is gone: the focus watch must end first.
TDBGrid::~TDBGrid() {
  disconnect(qApp, &QApplication::focusChanged, this, nullptr);
}

void TDBGrid::SetDataSource(TDataSource* Source) {
  source_ = Source;
  setModel(Source);
  ApplyColumns();
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& Current) {
            if (syncing_ || !Current.isValid()) return;
            syncing_ = true;
            // Leaving a row stores it; when that fails the selection goes
            // back to the row still being edited.
            RunGuarded([&] { source_->DataSet()->SetRecNo(Current.row()); });
            syncing_ = false;
            if (source_->DataSet()->RecNo() != Current.row())
              QTimer::singleShot(0, this, [this] { FollowDataSet(); });
          });
  Source->DataSet()->AddView(this, [this](TDataSet::TChange Change) {
    if (Change == TDataSet::TChange::Scroll) FollowDataSet();
  });
  connect(Source, &QAbstractItemModel::modelReset, this, [this] {
    ApplyColumns();
    FollowDataSet();
  });
  FollowDataSet();
}

void TDBGrid::ApplyColumns() {
  for (int i = 0; i < source_->Columns().size(); ++i)
    setColumnWidth(i, source_->Columns()[i].Width);
  setEditTriggers(source_->Editable() ? kEditTriggers : QAbstractItemView::NoEditTriggers);
}

// Keeps the column the operator is in, so typing goes on in that column.
void TDBGrid::FollowDataSet() {
  if (syncing_ || !source_) return;
  const int row = source_->DataSet()->RecNo();
  if (row < 0) return;
  syncing_ = true;
  const int column = qMax(0, currentIndex().column());
  const QModelIndex index = source_->index(row, column);
  selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  scrollTo(index);
  syncing_ = false;
}

// A row being edited is stored when the operator moves to another control
// of the same window (a button, a search box), so what an action reads is
// what was typed. Focus going to the cell editor or to another window (a
// message box) leaves it as it is.
void TDBGrid::FocusMoved(QWidget* Now) {
  if (posting_ || !source_ || !Now || Now == this || isAncestorOf(Now)) return;
  if (Now->window() != window() || !Changing(*source_->DataSet())) return;
  posting_ = true;
  RunGuarded([&] { source_->DataSet()->Post(); });
  posting_ = false;
}

void TDBGrid::commitData(QWidget* Editor) {
  QTableView::commitData(Editor);
  if (source_ && !source_->LastError().isEmpty()) ShowErrorBox(source_->LastError());
}

void TDBGrid::SelectRow(int Row) {
  if (!source_) return;
  selectionModel()->setCurrentIndex(
      source_->index(Row, qMax(0, currentIndex().column())),
      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TDBGrid::keyPressEvent(QKeyEvent* Event) {
  if (Event->key() == Qt::Key_Delete && (Event->modifiers() & Qt::ControlModifier)) {
    emit CtrlDeletePressed();
    return;
  }
  if (Event->key() == Qt::Key_Escape && source_ && state() != EditingState &&
      Changing(*source_->DataSet())) {
    source_->DataSet()->Cancel();
    return;
  }
  QTableView::keyPressEvent(Event);
}
