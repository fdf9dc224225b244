#pragma once
// The update check: fetches the manifest of the newest version.

#include <QObject>
#include <QString>

class UpdateCheck : public QObject {
  Q_OBJECT

public:
  explicit UpdateCheck(QObject *parent = nullptr);
  ~UpdateCheck() override;

  // "Updates/AutoCheck", true when missing.
  static bool autoCheck();
  // Whether an automatic check is due now.
  static bool isCheckDue();
  static QString productName() { return QStringLiteral("Riduder"); }

signals:
  void manifestReady(bool ok, QString error);
};
