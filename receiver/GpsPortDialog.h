#pragma once
// "GPS Receiver Serial Port Settings": the port, protocol mode, data rate,
// serial framing, 1PPS line and options of the receiver link. Its keys are
// also what the receiver port reads when it (re)opens.

#include "receiver/GpsPortSettings.h"

#include <QDialog>
#include <QString>

struct ReceiverIdentity;
class QCloseEvent;

namespace Ui {
class GpsPortDialog;
}

class GpsPortDialog : public QDialog
{
  Q_OBJECT
public:
  explicit GpsPortDialog(QWidget *parent = nullptr);
  ~GpsPortDialog() override;

  int GetMode() const;
  void SetMode(int mode);
  int GetBaud() const;
  void SetBaud(int rate);
  QString GetPortName() const;
  int GetPpsInterface() const;
  bool IsDoNotInitialize() const;
  void SetNmeaModeAvailable(bool available);

  // Copies the identity the dialog keeps into `out` (model, firmware version
  // and text, channel counts, DGPS, T-RAIM); true when its firmware version
  // is above 0.
  bool GetReceiverIdentity(ReceiverIdentity &out) const;

  const GpsPortSettings &Settings() const { return m_settings; }

  int exec() override;

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  void FillModeList();
  void FillLists();
  void LoadSettings();
  void SaveSettings();
  void SaveGeometry();
  void ShowSettings();
  void OnOkClicked();
  void OnCancelClicked();

  struct Identity {
    quint32 model = 0;
    double firmwareVersion = 0.0;
    QString firmwareVersionText;
    qint32 channels = 0;
    qint32 nativeChannels = 0;
    bool hasDgps = false;
    bool hasTraim = false;
  };

  Ui::GpsPortDialog *ui;
  GpsPortSettings m_settings;
  bool m_nmeaModeAvailable = true;
  Identity m_identity;
};
