#pragma once
// "GPS Receiver Serial Port Settings": the port, protocol mode, data rate,
// serial framing, 1PPS line and options of the receiver link. Its keys are
// also what the receiver port reads when it (re)opens.

#include "receiver/link/GpsPortSettings.h"

#include <QDialog>
#include <QString>

#include <functional>

struct ReceiverIdentity;
class GpsRxType;
class QAbstractButton;
class QButtonGroup;
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

  // The receiver type dialog that OK runs in the receive-only mode.
  GpsRxType *RxTypeDialog() const { return m_rxType; }

  // The address box goes through this seam so it can be recorded instead of
  // blocking on a modal box. Empty: a modal warning box.
  using WarningHandler = PortWarningHandler;
  void SetWarningHandler(WarningHandler handler) { m_warn = std::move(handler); }

  // The data rate a protocol mode starts with when the user picks it.
  static int DefaultDataRate(int mode);
  // Whether the user may pick `rate` in `mode` ("115k bps" never).
  static bool IsDataRateOffered(int mode, int rate);
  // "a.b.c.d" or "a.b.c.d:port" with decimal numbers (ranges unchecked), or
  // empty.
  static bool IsValidAddressText(const QString &text);

  int exec() override;

public slots:
  // Cancel, Escape and the close button: the stored settings come back.
  void reject() override;

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  void FillModeList();
  void FillLists();
  void LoadSettings();
  void SaveSettings();
  void SaveGeometry();
  void ShowSettings();
  void ApplyPortRule();
  void EnableDataRates();
  void OnPortChanged();
  void OnModeChanged();
  void OnOkClicked();
  void OnCancelClicked();
  bool CheckIpAddress();
  void MarkStoredDataRate(int storedRate);
  void MarkCheckedButton(QButtonGroup *group);
  void Warn(const QString &title, const QString &text);

  Ui::GpsPortDialog *ui;
  GpsPortSettings m_settings;
  bool m_nmeaModeAvailable = true;
  GpsRxType *m_rxType = nullptr;
  WarningHandler m_warn;

  struct Identity {
    quint32 model = 0;
    double firmwareVersion = 0.0;
    QString firmwareVersionText;
    qint32 channels = 0;
    qint32 nativeChannels = 0;
    bool hasDgps = false;
    bool hasTraim = false;
  };
  Identity m_identity;
};
