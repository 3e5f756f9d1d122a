// The enrollment window: enroll-data backup and restore, single records,
// personnel names, privileges and passwords.
#pragma once
#include <QDialog>
#include <QGroupBox>
#include <QLabel>

class TfrmEnrol : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmEnrol(QWidget* Parent = nullptr);
  ~TfrmEnrol() override;

  QGroupBox* GroupBox3;
  QLabel* Label1;
  QLabel* Label3;  // the connected terminal's name
};

extern TfrmEnrol* frmEnrol;
