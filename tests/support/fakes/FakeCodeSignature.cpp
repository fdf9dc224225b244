#include "FakeCodeSignature.h"

#include <QCoreApplication>

bool FakeCodeSignature::Verify(const QString &path, const QString &expectedSigner, QString *error)
{
  checked_.append(path);
  QString failure;
  if (untrusted_)
    failure = QCoreApplication::translate("CodeSignature", CodeSignatureTexts::Untrusted).arg(QStringLiteral("800B0100"));
  else if (signer_.isEmpty())
    failure = QCoreApplication::translate("CodeSignature", CodeSignatureTexts::SignerUnreadable);
  else if (!signer_.contains(expectedSigner, Qt::CaseInsensitive))
    failure = QCoreApplication::translate("CodeSignature", CodeSignatureTexts::WrongSigner).arg(signer_, expectedSigner);
  if (failure.isEmpty())
    return true;
  if (error)
    *error = failure;
  return false;
}
