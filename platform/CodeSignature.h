#pragma once
// Checking who signed a downloaded installer. The update check asks
// CodeSignature::Current(), which is the machine's check unless another
// check has been put in its place.

#include <QString>

class CodeSignature {
public:
  virtual ~CodeSignature() = default;

  // Whether the file carries a signature the system trusts, made by a
  // signer whose name contains expectedSigner (ignoring case). On failure
  // returns false and, if error is given, the reason in the user's words.
  virtual bool Verify(const QString &path, const QString &expectedSigner, QString *error = nullptr) = 0;

  // The check in force: the machine's, unless another has been put in.
  static CodeSignature &Current();
  // Puts check in force (not owned); nullptr restores the machine's.
  static void SetOverride(CodeSignature *check);

protected:
  CodeSignature() = default;
  CodeSignature(const CodeSignature &) = default;
  CodeSignature &operator=(const CodeSignature &) = default;
};

// Linux has no system-wide code signatures for installers: every check
// fails, so an installer is never run on trust it cannot have.
class LinuxCodeSignature : public CodeSignature {
public:
  bool Verify(const QString &path, const QString &expectedSigner, QString *error = nullptr) override;
};

// Puts a check in force for the life of this object, then restores the
// one that was in force before.
class ScopedCodeSignatureOverride {
public:
  explicit ScopedCodeSignatureOverride(CodeSignature *check);
  ~ScopedCodeSignatureOverride();
  ScopedCodeSignatureOverride(const ScopedCodeSignatureOverride &) = delete;
  ScopedCodeSignatureOverride &operator=(const ScopedCodeSignatureOverride &) = delete;

private:
  CodeSignature *previous_;
};

// The texts of a failed signer check.
namespace CodeSignatureTexts {
inline constexpr char NotCheckable[] =
    "Code signatures cannot be checked on this system, so it has NOT been run.";
inline constexpr char Untrusted[] =
    "The downloaded file is not signed by a publisher Windows trusts (0x%1), so it has NOT been run.";
inline constexpr char SignerUnreadable[] =
    "The downloaded file's signer could not be read, so it has NOT been run.";
inline constexpr char WrongSigner[] =
    "The downloaded file is signed by \"%1\", not by %2, so it has NOT been run.";
}  // namespace CodeSignatureTexts
