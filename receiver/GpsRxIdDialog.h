#pragma once
// The non-modal "Receiver ID  Message" window: the receiver's latest
// identification text above, and the messages about it below. Texts are
// taken whether the window is visible or not.

#include <QDialog>
#include <QString>

class QPlainTextEdit;

class GpsRxIdDialog : public QDialog {
  Q_OBJECT

public:
  explicit GpsRxIdDialog(QWidget *parent = nullptr);
  ~GpsRxIdDialog() override;

  // Adds the trimmed text to the lower box, one line per "\n" piece; an
  // empty text adds nothing.
  void AppendText(const QString &text);
  // Like AppendText, for a whole multi-line message.
  void AppendLines(const QString &text);
  // Replaces the upper box with the text.
  void SetIdText(const QString &text);
  // Empties the lower box.
  void ClearText();
  // Shows and raises the window.
  void ShowDialog();

  QString IdText() const { return idText; }
  QString MessageText() const;

private:
  QString idText;
  QPlainTextEdit *idEdit = nullptr;
  QPlainTextEdit *messageEdit = nullptr;
};
