#pragma once
// The modal "Remote Control Link" dialog: serving on or off, and the port.

#include <QDialog>
#include <QtGlobal>

class TelnetLink : public QDialog {
  Q_OBJECT

public:
  explicit TelnetLink(QWidget *parent = nullptr);
  ~TelnetLink() override;

  // What the main window reads after OK.
  bool telnetActivate = false;
  quint16 telnetServerPort = 32325;
};
