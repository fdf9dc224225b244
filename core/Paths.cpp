#include "Paths.h"

#include <QDir>
#include <QStandardPaths>

QString DefaultLogDirectory()
{
  QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (docs.isEmpty())
    docs = QDir::homePath();
  return QDir(docs).filePath(QStringLiteral("RiduderData"));
}
