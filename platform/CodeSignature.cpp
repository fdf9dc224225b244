#include "platform/CodeSignature.h"

#include <QCoreApplication>

namespace {

CodeSignature *overrideCheck = nullptr;

QString Tr(const char *text) { return QCoreApplication::translate("CodeSignature", text); }

}  // namespace

CodeSignature &CodeSignature::Current()
{
  static LinuxCodeSignature machine;
  return overrideCheck ? *overrideCheck : machine;
}

void CodeSignature::SetOverride(CodeSignature *check) { overrideCheck = check; }

bool LinuxCodeSignature::Verify(const QString &path, const QString &expectedSigner, QString *error)
{
  Q_UNUSED(path);
  Q_UNUSED(expectedSigner);
  if (error)
    *error = Tr(CodeSignatureTexts::NotCheckable);
  return false;
}

bool FakeCodeSignature::Verify(const QString &path, const QString &expectedSigner, QString *error)
{
  checked_.append(path);
  QString failure;
  if (untrusted_)
    failure = Tr(CodeSignatureTexts::Untrusted).arg(QStringLiteral("800B0100"));
  else if (signer_.isEmpty())
    failure = Tr(CodeSignatureTexts::SignerUnreadable);
  else if (!signer_.contains(expectedSigner, Qt::CaseInsensitive))
    failure = Tr(CodeSignatureTexts::WrongSigner).arg(signer_, expectedSigner);
  if (failure.isEmpty())
    return true;
  if (error)
    *error = failure;
  return false;
}

ScopedCodeSignatureOverride::ScopedCodeSignatureOverride(CodeSignature *check)
    : previous_(overrideCheck)
{
  CodeSignature::SetOverride(check);
}

ScopedCodeSignatureOverride::~ScopedCodeSignatureOverride() { CodeSignature::SetOverride(previous_); }
