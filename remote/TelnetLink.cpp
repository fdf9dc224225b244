#include "remote/TelnetLink.h"

#include "ui_TelnetLink.h"

#include <QCloseEvent>
#include <QSettings>

TelnetLinkSettings TelnetLinkSettings::Load()
{
  QSettings settings;
  TelnetLinkSettings stored;
  stored.activate = settings.value(TelnetLinkKeys::Activate, false).toBool();
  // A stored text that is no number reads as 0, which OK then refuses.
  stored.port = settings.value(TelnetLinkKeys::ServerPort, RemoteControlProtocol::DefaultPort).toInt();
  return stored;
}

void TelnetLinkSettings::Save() const
{
  QSettings settings;
  settings.setValue(TelnetLinkKeys::Activate, activate);
  settings.setValue(TelnetLinkKeys::ServerPort, port);
}

TelnetLink::TelnetLink(QWidget *parent) : QDialog(parent), ui(new Ui::TelnetLink)
{
  ui->setupUi(this);
  setFixedSize(size());
  connect(ui->OK, &QPushButton::clicked, this, &TelnetLink::OnOK);
  connect(ui->CANCEL, &QPushButton::clicked, this, &TelnetLink::OnCancel);
}

TelnetLink::~TelnetLink()
{
  delete ui;
}

int TelnetLink::exec()
{
  LoadSettings();
  return QDialog::exec();
}

void TelnetLink::LoadSettings()
{
  restoreGeometry(QSettings().value(TelnetLinkKeys::Geometry).toByteArray());
  settings_ = TelnetLinkSettings::Load();
  ShowSettings();
}

void TelnetLink::SetSettings(const TelnetLinkSettings &settings)
{
  settings_ = settings;
  ShowSettings();
}

void TelnetLink::ShowSettings()
{
  ui->IDC_TELNET_LINK_ACTIVATE->setChecked(settings_.activate);
  ui->IDC_TELNET_LINK_PORT->setStyleSheet(QString::fromLatin1(PortFieldStyle));
  ui->IDC_TELNET_LINK_PORT->setText(QString::number(settings_.port));
}

void TelnetLink::SaveGeometry()
{
  QSettings().setValue(TelnetLinkKeys::Geometry, saveGeometry());
}

void TelnetLink::SaveSettings()
{
  SaveGeometry();
  settings_.Save();
}

void TelnetLink::OnOK()
{
  bool ok = false;
  const int port = ui->IDC_TELNET_LINK_PORT->text().toInt(&ok, 10);
  if (ok && port >= MinPort && port <= MaxPort) {
    settings_.port = port;
    settings_.activate = ui->IDC_TELNET_LINK_ACTIVATE->isChecked();
    SaveSettings();
    done(QDialog::Accepted);
    return;
  }
  // The red border stays until the next opening.
  ui->IDC_TELNET_LINK_PORT->setStyleSheet(QString::fromLatin1(BadPortFieldStyle));
  ui->IDC_TELNET_LINK_PORT->setFocus();
  if (ui->IDC_TELNET_LINK_PORT->text().isEmpty())
    ui->IDC_TELNET_LINK_PORT->setText(QString::number(RemoteControlProtocol::DefaultPort));
}

void TelnetLink::OnCancel()
{
  SaveGeometry();
  done(QDialog::Rejected);
}

void TelnetLink::closeEvent(QCloseEvent *event)
{
  SaveGeometry();
  QDialog::closeEvent(event);
}
