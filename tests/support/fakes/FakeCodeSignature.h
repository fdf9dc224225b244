#pragma once

#include "platform/CodeSignature.h"

#include <QString>
#include <QStringList>

// A check for tests: answers as told and records every file it was asked
// about.
class FakeCodeSignature : public CodeSignature {
public:
  bool Verify(const QString &path, const QString &expectedSigner, QString *error = nullptr) override;

  // The signer name every file has; empty: the signer cannot be read.
  void SetSigner(const QString &signer) { signer_ = signer; }
  // Makes every file untrusted.
  void SetUntrusted(bool untrusted) { untrusted_ = untrusted; }
  const QStringList &CheckedPaths() const { return checked_; }

private:
  QString signer_ = QStringLiteral("ZIV Systems");
  bool untrusted_ = false;
  QStringList checked_;
};
