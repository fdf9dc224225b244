#include "position/SatAzElChartDialog.h"

#include "core/GpsMode.h"
#include "position/Callout.h"
#include "position/SatAzElChart.h"
#include "ui_SatAzElChartDialog.h"

#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QPainter>
#include <QPainterPath>
#include <QPolarChart>
#include <QScatterSeries>
#include <QSettings>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace {

const QString kGeometryKey = QStringLiteral("SatAzElChartDialog/geometry");

const char kLegendText[] =
    "<span style='color:#0000ff'>&#9733;</span>&nbsp;Rising &nbsp; "
    "<span style='color:#ff0000'>&#9733;</span>&nbsp;Falling &nbsp; "
    "<span style='color:#009696'>&#9733;</span>&nbsp;No&nbsp;Doppler &nbsp; "
    "<span style='color:#a000a0'>&#9670;</span>&nbsp;SBAS &nbsp; "
    "<span style='color:#008000'>&#9473;</span>&nbsp;Horizon&nbsp;(min&nbsp;elevation) &nbsp; "
    "<span style='color:#0000c8'>&#9473;</span>&nbsp;Sky&nbsp;hole&nbsp;(max&nbsp;elevation)";

QImage MarkerImage(int size, const QPainterPath &shape, const QColor &colour)
{
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(colour);
  painter.setBrush(colour);
  painter.drawPath(shape);
  return image;
}

// A five-pointed star of radius 10 about (11, 11), first point (21, 11).
QPainterPath StarPath()
{
  QPainterPath star;
  const double angles[] = {0, 144, 288, 72, 216};
  for (int i = 0; i < 5; ++i) {
    const double t = angles[i] * M_PI / 180.0;
    const QPointF p(11 + 10 * std::cos(t), 11 + 10 * std::sin(t));
    if (i == 0)
      star.moveTo(p);
    else
      star.lineTo(p);
  }
  star.closeSubpath();
  return star;
}

QPainterPath DiamondPath()
{
  QPainterPath diamond;
  diamond.moveTo(7, 1);
  diamond.lineTo(13, 7);
  diamond.lineTo(7, 13);
  diamond.lineTo(1, 7);
  diamond.closeSubpath();
  return diamond;
}

QScatterSeries *MarkerSeries(const QString &name, const QImage &image)
{
  auto *series = new QScatterSeries;
  series->setName(name);
  series->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
  series->setMarkerSize(image.width());
  series->setBrush(image);
  series->setPen(QColor(Qt::transparent));
  return series;
}

bool FuzzyEqual(double a, double b)
{
  if (a == 0.0 || b == 0.0)
    return std::fabs(a - b) <= 1e-12;
  return std::fabs(a - b) <= 1e-12 * std::min(std::fabs(a), std::fabs(b));
}

}  // namespace

SatAzElChartDialog::SatAzElChartDialog(QWidget *parent) : QDialog(parent), ui(new Ui::SatAzElChartDialog)
{
  ui->setupUi(this);
  QSettings settings;
  lines_.Load(settings);
  BuildChart();
  DrawLines();
  connect(ui->IDC_HORIZON_RESET_BUTTON, &QPushButton::clicked, this,
          &SatAzElChartDialog::IDC_HORIZON_RESET_BUTTON_clicked);
}

SatAzElChartDialog::~SatAzElChartDialog()
{
  // What was learnt while the window was hidden counts too.
  SaveLines();
  DropPinnedCallouts();
  // The view and its chart go first, while this object can still take
  // their last signals.
  delete view_;
  view_ = nullptr;
  chart_ = nullptr;
  hover_ = nullptr;
  delete ui;
}

void SatAzElChartDialog::BuildChart()
{
  const QImage star[3] = {MarkerImage(22, StarPath(), QColor(0, 0, 255)),
                          MarkerImage(22, StarPath(), QColor(255, 0, 0)),
                          MarkerImage(22, StarPath(), QColor(0, 150, 150))};
  const QImage diamond = MarkerImage(14, DiamondPath(), QColor(160, 0, 160));

  rising_ = MarkerSeries(QStringLiteral("Rising"), star[0]);
  falling_ = MarkerSeries(QStringLiteral("Falling"), star[1]);
  noDoppler_ = MarkerSeries(QStringLiteral("No Doppler"), star[2]);
  sbas_ = MarkerSeries(QStringLiteral("SBAS"), diamond);

  horizon_ = new QLineSeries;
  horizon_->setName(QStringLiteral("Horizon"));
  horizon_->setPen(QPen(QColor(0, 128, 0), 1));
  skyHole_ = new QLineSeries;
  skyHole_->setName(QStringLiteral("Sky hole"));
  skyHole_->setPen(QPen(QColor(0, 0, 200), 1));

  auto *polar = new QPolarChart;
  chart_ = polar;
  const QList<QAbstractSeries *> all = {horizon_, skyHole_, rising_, falling_, noDoppler_, sbas_};
  for (QAbstractSeries *series : all)
    chart_->addSeries(series);
  // On two lines: on one, the chart cuts the hint short at the window's width.
  chart_->setTitle(QStringLiteral("Use arrow keys to scroll, +/- to zoom,<br>and space to switch chart type."));
  chart_->legend()->hide();

  auto *angular = new QValueAxis;
  angular->setTickCount(13);
  angular->setLabelFormat(QStringLiteral("%d"));
  angular->setShadesVisible(true);
  angular->setShadesBrush(QBrush(QColor(249, 249, 255)));
  polar->addAxis(angular, QPolarChart::PolarOrientationAngular);
  angular->setRange(0, 360);

  auto *radial = new QValueAxis;
  radial->setTickCount(4);
  radial->setMinorTickCount(7);
  radial->setLabelFormat(QStringLiteral("%d"));
  radial->setReverse(true);
  radial->setLabelsVisible(false);
  polar->addAxis(radial, QPolarChart::PolarOrientationRadial);
  radial->setRange(0, 90);

  for (QAbstractSeries *series : all) {
    series->attachAxis(angular);
    series->attachAxis(radial);
  }

  view_ = new SatAzElChart;
  // The view comes with a chart of its own, which setChart does not delete.
  QChart *viewDefault = view_->chart();
  view_->setChart(chart_);
  delete viewDefault;
  view_->setRenderHint(QPainter::Antialiasing);
  view_->setMouseTracking(true);
  auto *holder = new QGridLayout(ui->graphicsView);
  holder->setContentsMargins(0, 0, 0, 0);
  holder->addWidget(view_, 0, 0);

  auto *legend = new QLabel(QString::fromLatin1(kLegendText));
  legend->setTextFormat(Qt::RichText);
  legend->setWordWrap(true);
  legend->setAlignment(Qt::AlignHCenter);
  ui->verticalLayout->insertWidget(0, legend);

  for (QScatterSeries *series : {rising_, falling_, noDoppler_, sbas_}) {
    connect(series, &QScatterSeries::clicked, this, &SatAzElChartDialog::toggleCallout);
    connect(series, &QScatterSeries::hovered, this, &SatAzElChartDialog::tooltip);
  }
  connect(view_, &SatAzElChart::sendAzElMessage, this, &SatAzElChartDialog::printAzElMessage);
  connect(view_, &SatAzElChart::chartAboutToBeReplaced, this, &SatAzElChartDialog::OnChartAboutToBeReplaced);
  connect(view_, &SatAzElChart::chartReplaced, this, &SatAzElChartDialog::OnChartReplaced);

  if (!hover_)
    hover_ = new Callout(chart_);
  satellites_.fill(SatelliteRecord());
}

void SatAzElChartDialog::PrepareToShow()
{
  pins_.fill(0);
  QSettings settings;
  if (settings.contains(kGeometryKey))
    restoreGeometry(settings.value(kGeometryKey).toByteArray());
  if (lines_.Changed())
    DrawLines();
}

void SatAzElChartDialog::ShowChart()
{
  PrepareToShow();
  show();
}

int SatAzElChartDialog::exec()
{
  PrepareToShow();
  return QDialog::exec();
}

void SatAzElChartDialog::UpdateSatellites(const SatelliteRecord *records)
{
  if (!records)
    return;
  const bool visible = isVisible();
  if (visible) {
    for (QScatterSeries *series : {rising_, falling_, noDoppler_, sbas_})
      series->clear();
    DropPinnedCallouts();
  }
  // The whole copy first, so a pinned balloon finds its satellite among
  // this update's records, not the last one's.
  std::copy(records, records + SatelliteArraySize, satellites_.begin());
  for (const SatelliteRecord &record : satellites_)
    if (IsPlottedOnSky(record))
      PlotSatellite(record);
  if (visible && lines_.Changed())
    DrawLines();
}

void SatAzElChartDialog::PlotSatellite(const SatelliteRecord &record)
{
  lines_.Bin(record, CurrentGpsMode);
  if (!isVisible())
    return;
  const QPointF point(record.azimuth, 90 - record.elevation);
  SeriesFor(SkyMarkerFor(record))->append(point);
  if (IsPinned(record.identifier)) {
    tooltip(point, true);
    KeepCallout();
  }
}

QScatterSeries *SatAzElChartDialog::SeriesFor(SkyMarker marker) const
{
  switch (marker) {
  case SkyMarker::Rising:
    return rising_;
  case SkyMarker::Falling:
    return falling_;
  case SkyMarker::Sbas:
    return sbas_;
  case SkyMarker::NoDoppler:
    break;
  }
  return noDoppler_;
}

void SatAzElChartDialog::DrawLines()
{
  horizon_->replace(lines_.HorizonPoints());
  skyHole_->replace(lines_.SkyHolePoints());
  lines_.SetChanged(false);
}

void SatAzElChartDialog::SaveLines() const
{
  QSettings settings;
  lines_.Save(settings);
}

void SatAzElChartDialog::SaveGeometry()
{
  QSettings settings;
  settings.setValue(kGeometryKey, saveGeometry());
}

int SatAzElChartDialog::SatelliteAt(QPointF point) const
{
  for (const SatelliteRecord &record : satellites_) {
    if (std::fabs(record.azimuth - point.x()) < 0.009 && std::fabs(90.0 - record.elevation - point.y()) < 0.009)
      return record.identifier;
  }
  return 0;
}

void SatAzElChartDialog::tooltip(QPointF point, bool entered)
{
  if (!hover_)
    hover_ = new Callout(chart_);
  if (!entered) {
    hover_->hide();
    return;
  }
  const QString text = QStringLiteral("Prn: %1, Az: %2, El: %3 ")
                           .arg(SatelliteAt(point))
                           .arg(QString::number(point.x(), 'g', QLocale::FloatingPointShortest),
                                QString::number(90.0 - point.y(), 'g', QLocale::FloatingPointShortest));
  hover_->setText(text);
  hover_->setAnchor(point);
  hover_->setZValue(11);
  hover_->updateGeometry();
  hover_->show();
}

void SatAzElChartDialog::KeepCallout()
{
  if (!hover_)
    hover_ = new Callout(chart_);
  const int prn = SatelliteAt(hover_->anchor());
  if (prn > 0 && prn < SatelliteArraySize)
    pins_[prn] = 1;
  pinned_.append(hover_);
  hover_ = new Callout(chart_);
}

void SatAzElChartDialog::toggleCallout(QPointF anchor)
{
  for (int i = 0; i < pinned_.size(); ++i) {
    const QPointF other = pinned_[i]->anchor();
    if (FuzzyEqual(other.x(), anchor.x()) && FuzzyEqual(other.y(), anchor.y())) {
      const int prn = SatelliteAt(anchor);
      if (prn > 0 && prn < SatelliteArraySize)
        pins_[prn] = 0;
      delete pinned_.takeAt(i);
      return;
    }
  }
  // The balloon of the point clicked, whatever the hover last showed.
  tooltip(anchor, true);
  KeepCallout();
}

void SatAzElChartDialog::printAzElMessage(QString text) { ui->AzElLabel->setText(text); }

void SatAzElChartDialog::IDC_HORIZON_RESET_BUTTON_clicked()
{
  lines_.Reset();
  DrawLines();
  SaveLines();
}

void SatAzElChartDialog::DropPinnedCallouts()
{
  qDeleteAll(pinned_);
  pinned_.clear();
}

void SatAzElChartDialog::OnChartAboutToBeReplaced()
{
  // Both balloons are items of the chart about to go. The pin flags stay:
  // the next update pins the balloons again on the new chart.
  DropPinnedCallouts();
  delete hover_;
  hover_ = nullptr;
}

void SatAzElChartDialog::OnChartReplaced(QChart *chart)
{
  chart_ = chart;
  hover_ = new Callout(chart_);
}

void SatAzElChartDialog::resizeEvent(QResizeEvent *event)
{
  if (chart_ && chart_->scene())
    for (Callout *callout : pinned_)
      callout->updateGeometry();
  QDialog::resizeEvent(event);
}

void SatAzElChartDialog::closeEvent(QCloseEvent *event)
{
  SaveGeometry();
  SaveLines();
  DropPinnedCallouts();
  QDialog::closeEvent(event);
}
