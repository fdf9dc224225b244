// The main window's clock area and satellite table: the texts and the
// table rows are worked out by ClockDisplayText and SatelliteTable; here
// they are put on the widgets.

#include "app/ClockDisplayText.h"
#include "app/MainWindow.h"
#include "app/SatelliteTable.h"
#include "core/GpsMode.h"
#include "core/MonthNames.h"
#include "clock/SetPcClockDialog.h"
#include "platform/TimeSource.h"
#include "position/GpsNavDialog.h"
#include "position/SatAzElChartDialog.h"
#include "tic/TicLineProcessor.h"
#include "ui_MainWindow.h"

#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>

namespace {

void SetCellText(QTableWidget *table, int row, int column, const QString &text)
{
  if (QTableWidgetItem *item = table->item(row, column))
    item->setText(text);
  else
    table->setItem(row, column, new QTableWidgetItem(text));
}

// Room the bar's frame leaves for its text, in pixels on each side.
constexpr int kBarTextMargin = 3;

// A text wider than its bar (SBAS names, several health flags) ends in "…"
// rather than being cut on both sides, after its last whole piece where one
// fits; the bar's tool tip then holds it whole.
void SetBarText(QProgressBar *bar, const QString &text)
{
  const QFontMetrics metrics = bar->fontMetrics();
  const int room = bar->width() - 2 * kBarTextMargin;
  QString shown = text;
  if (metrics.horizontalAdvance(text) > room) {
    const QString separator = QStringLiteral(", ");
    shown = metrics.elidedText(text, Qt::ElideRight, room);
    for (qsizetype at = text.lastIndexOf(separator); at > 0; at = text.lastIndexOf(separator, at - 1)) {
      const QString pieces = text.left(at + separator.size()) + QChar(0x2026);
      if (metrics.horizontalAdvance(pieces) <= room) {
        shown = pieces;
        break;
      }
    }
  }
  bar->setFormat(shown);
  bar->setToolTip(shown == text ? QString() : text);
}

}  // namespace

QString MainWindow::MonthAbbreviation(int month)
{
  return ::MonthAbbreviation(month);
}

void MainWindow::UpdateClockDisplay()
{
  if (state.closing)
    return;
  // Everything below is drawn from this copy; the receiver time itself is
  // never changed here.
  state.ShowTime(state.receiverTime, TimeSource::Current().MonotonicMs());
  const GpsDateTime &shown = state.displayCopy;
  const QDateTime pcNow = TimeSource::Current().NowLocal();

  const QString largeClock = LargeClockText(ClockDisplayMode, shown, pcNow, PcClockOffsetMs);
  if (!largeClock.isNull()) {
    ui->ClockDisplay->setText(largeClock);
    if (ClockDisplayMode < ClockModes::Pc || ClockDisplayMode > ClockModes::TicRaw)
      clockText = largeClock;
  } else {
    // The TIC modes show the counter's last reading, kept by its processing.
    ui->ClockDisplay->setText(ticProcessor->ClockTicText());
  }

  gpsDateText = GpsDateText(shown, state.utcOffsetSeconds, state.leapSecondPending);
  ui->IDC_GPS_CLOCK_DATA->setText(gpsDateText);
  if (ClockSetDone) {
    if (setPcClockDialog)
      setPcClockDialog->ReportClockSet(gpsDateText);
    ClockSetDone = false;
  }

  pcClockText = PcClockText(pcNow);
  ui->IDC_PC_CLOCK_DATA->setText(pcClockText);
  siderealText = SiderealPanelText(shown);
  ui->IDC_SIDEREAL_TIME->setText(siderealText);

  if (gpsNavDialog) {
    // Averages that hold no sample would read as a place at 0° 0°.
    const QString positions[3] = {gpsNavDialog->CurrentPositionText(navDataFormat),
                                  gpsNavDialog->Averages().AveragesHeld()
                                      ? gpsNavDialog->AveragePositionText(navDataFormat)
                                      : QString(),
                                  gpsNavDialog->ReferencePositionText(navDataFormat)};
    for (int row = 1; row <= 3; ++row) {
      const QStringList pieces = SplitPositionText(positions[row - 1]);
      for (int column = 1; column <= 4; ++column) {
        positionPieces[column - 1] = pieces.at(column - 1);
        SetCellText(ui->GpsNavDataTableWidget, row, column, pieces.at(column - 1));
      }
    }
    const int fixDimension = receiverMode.gpsNavMode;
    state.outOfLock = !gpsNavDialog->LockStatusText(static_cast<unsigned>(fixDimension), shown);
  }
}

void MainWindow::UpdateSatelliteTable()
{
  if (state.closing)
    return;
  const SatelliteTablePass pass = RefreshSatelliteTable(state.satellites, state.displaySatellites,
                                                        rowCache, SatelliteSortMode, CurrentGpsMode);
  QTableWidget *table = ui->SatsDataTableWidget;
  // One paint for the whole pass: a bar would otherwise repaint itself at
  // once on every new level.
  const bool repaintAfter = pass.touched && table->updatesEnabled();
  if (repaintAfter)
    table->setUpdatesEnabled(false);
  for (int i = 0; i < SatelliteTableRows; ++i) {
    const SatelliteRowWrites &w = pass.rows[i];
    const int row = i + 1;
    if (w.identifier)
      SetCellText(table, row, 0, w.identifierText);
    if (w.elevation)
      SetCellText(table, row, 1, w.elevationText);
    if (w.azimuth)
      SetCellText(table, row, 2, w.azimuthText);
    QProgressBar *bar = satCnoBars[i];
    if (w.cno) {
      SetCellText(table, row, 3, w.cnoText);
      if (bar) {
        if (w.barVisible)
          bar->setValue(w.barValue);
        bar->setVisible(w.barVisible);
      }
    }
    if (w.barText && bar)
      SetBarText(bar, w.barTextValue);
  }
  if (repaintAfter)
    table->setUpdatesEnabled(true);
  // The chart follows every refresh that changed the table or the sorted
  // copy, shown or not.
  if ((pass.touched || pass.displayChanged) && satAzElChartDialog)
    satAzElChartDialog->UpdateSatellites(state.displaySatellites);
}

void MainWindow::UpdateSatSortButtons(int column)
{
  if (column < 0 || column > 3)
    return;
  const SortButtonPress press = PressSortButton(SatelliteSortMode, column);
  if (press.plainButton >= 0)
    satSortButtons[press.plainButton]->setStyleSheet(QLatin1String(SortButtonPlainStyle));
  if (press.selectedButton >= 0)
    satSortButtons[press.selectedButton]->setStyleSheet(QLatin1String(SortButtonSelectedStyle));
  SatelliteSortMode = press.newMode;
  QSettings settings;
  settings.setValue(MainWindowKeys::SatelliteSortMode, SatelliteSortMode);
}

void MainWindow::SatSortBtn_PRN_pressed() { UpdateSatSortButtons(SatelliteSortModes::Prn); }
void MainWindow::SatSortBtn_El_pressed() { UpdateSatSortButtons(SatelliteSortModes::Elevation); }
void MainWindow::SatSortBtn_Azm_pressed() { UpdateSatSortButtons(SatelliteSortModes::Azimuth); }
void MainWindow::SatSortBtn_CNo_pressed() { UpdateSatSortButtons(SatelliteSortModes::Cno); }
