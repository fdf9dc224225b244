#pragma once
// The modal settings dialog of the eight counter ports.

#include <QDialog>

class TicPortDialog : public QDialog {
  Q_OBJECT

public:
  explicit TicPortDialog(QWidget *parent = nullptr);
  ~TicPortDialog() override;
};
