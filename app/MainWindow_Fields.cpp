// The decoders' field helpers under the window's names.

#include "app/MainWindow.h"

#include "receiver/decode/ElevationTrend.h"
#include "receiver/decode/FieldReaders.h"

QByteArray MainWindow::NextField(QByteArray &line, const QByteArray &fallback)
{
  return ::NextField(line, fallback);
}

int MainWindow::ElevationTrend(int satellite, int elevation)
{
  return ::ElevationTrend(state, satellite, elevation);
}
