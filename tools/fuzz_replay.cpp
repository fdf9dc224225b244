// A fuzz target as a plain program, for builds without libFuzzer: it feeds
// the target each of its seed inputs once, so that a target that no longer
// builds, or breaks a rule on a seed, is noticed by every build.
//
//   fuzz_<target> [file or folder]...
//
// Without arguments it replays the seeds built in: the files of its seed
// folder (tools/fuzz-seeds/<target>) and the receiver captures of its
// protocols. Finding nothing to replay is a failure: the seeds travel
// with the source tree, so a target without any has lost them.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

// The files of a folder in name order, or the file itself.
QStringList InputFiles(const QString &path, const QStringList &patterns = {})
{
  const QFileInfo info(path);
  if (!info.isDir())
    return info.isFile() ? QStringList{path} : QStringList{};
  QStringList files;
  const QDir folder(path);
  for (const QString &name : folder.entryList(patterns, QDir::Files, QDir::Name))
    files.append(folder.filePath(name));
  return files;
}

QStringList BuiltInSeeds()
{
  QStringList files = InputFiles(QStringLiteral(FUZZ_SEED_DIR));
  const QString captures = QStringLiteral(RIDUDER_CAPTURE_DIR);
  for (const QString &protocol : QStringLiteral(FUZZ_CAPTURE_FOLDERS).split(' ', Qt::SkipEmptyParts))
    files += InputFiles(captures + '/' + protocol, {QStringLiteral("*.log")});
  return files;
}

}  // namespace

int main(int argc, char *argv[])
{
  LLVMFuzzerInitialize(&argc, &argv);
  QStringList files;
  for (int i = 1; i < argc; ++i) {
    const QString path = QFile::decodeName(argv[i]);
    const QStringList found = InputFiles(path);
    if (found.isEmpty()) {
      std::fprintf(stderr, "nothing to replay in %s\n", argv[i]);
      return 1;
    }
    files += found;
  }
  if (argc == 1)
    files = BuiltInSeeds();
  if (files.isEmpty()) {
    std::fprintf(stderr, "no seed inputs found\n");
    return 1;
  }
  for (const QString &name : std::as_const(files)) {
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) {
      std::fprintf(stderr, "cannot read %s\n", qPrintable(name));
      return 1;
    }
    const QByteArray input = file.readAll();
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(input.constData()), size_t(input.size()));
  }
  std::printf("%lld inputs replayed\n", static_cast<long long>(files.size()));
  return 0;
}
