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

ScopedCodeSignatureOverride::ScopedCodeSignatureOverride(CodeSignature *check)
    : previous_(overrideCheck)
{
  CodeSignature::SetOverride(check);
}

ScopedCodeSignatureOverride::~ScopedCodeSignatureOverride() { CodeSignature::SetOverride(previous_); }
