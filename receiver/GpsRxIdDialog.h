#pragma once
// The non-modal "Receiver ID  Message" window: the receiver's latest
// identification text in the upper box (replaced as a whole) and the
// messages about it in the lower box (added to). Texts are taken whether the
// window is visible or not; closing it only hides it.

#include <QDialog>
#include <QString>
#include <QStringList>

class QCloseEvent;
class QPlainTextEdit;

namespace Ui {
class GpsRxIdDialog;
}

namespace GpsRxIdKeys {
inline constexpr char Geometry[] = "GpsRxIdDialog/geometry";
}

class GpsRxIdDialog : public QDialog {
  Q_OBJECT

public:
  // Lines the lower box and its history keep; older ones go first, so the
  // receiver's echoes over weeks stay bounded.
  static constexpr int MaxLines = 1024;

  explicit GpsRxIdDialog(QWidget *parent = nullptr);
  ~GpsRxIdDialog() override;

  // Restores the stored geometry and shows the window without blocking.
  void ShowDialog();
  int exec() override;

  // Adds a message to the lower box: CRs removed and trimmed, one line per
  // "\n" piece, a multi-line message set off by a separator line before it.
  // An empty text adds nothing.
  void AppendText(const QString &text);
  // Replaces the upper box with a whole identification answer: CRs removed,
  // trimmed, one line per "\n" piece. The lower box is not touched.
  void AppendLines(const QString &text);
  // Replaces the upper box with the text as it is; an empty text empties it.
  void SetIdText(const QString &text);
  // Empties the lower box and its history.
  void ClearText();

  QString IdText() const { return idText; }
  QString MessageText() const;
  QString HistoryText() const;

public slots:
  void on_ClearScreen_clicked();
  void OnWrapStateChanged(int state);

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  void RestoreGeometry();
  void AppendMessageLine(const QString &line);

  Ui::GpsRxIdDialog *ui;
  QString idText;
  // What the lower box holds, line by line (the newest MaxLines): only new
  // messages are added, and "Clear Screen" empties it for good.
  QStringList historyLines;
  const QString separatorText = QStringLiteral("---------------------------------\n");
  QPlainTextEdit *messageEdit = nullptr;
  QPlainTextEdit *idEdit = nullptr;
};
