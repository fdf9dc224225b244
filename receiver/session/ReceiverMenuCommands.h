#pragma once
// What the main window's receiver menu actions send, and what they run after
// a settings dialog, by protocol mode: plain functions that run without a
// window.

#include <QByteArray>
#include <QList>
#include <QtGlobal>

// "@@Wb" with the two rate bytes that move the receiver to `rate` ahead of a
// port change to `mode`. Each mode family has its own table: u-blox modes (9,
// 10) code the rate for a Synergy receiver leaving Oncore binary (any rate
// without a code, 57600 included, gives 01 34); Motorola binary (2) codes
// it with its flag bits (any rate without a code, 9600 included, gives
// 00 00); Motorola NMEA (1) codes 4800 to 57600 only and gives an empty
// message for other rates. Other modes: empty.
QByteArray ReceiverRateCommand(int mode, int rate);

// The self test for a Motorola binary receiver: "@@Ia" on the models that
// take it (M12 family, SIGNAV, TX Oncore, the Synergy receivers), "@@Fa" on
// the others.
QByteArray OncoreSelfTestCommand(qint32 model);

// The Motorola binary self survey: "@@Gd" 03 on receivers of 12 or more
// channels, "@@At" 02 on the others.
QByteArray OncoreSelfSurveyCommand(qint32 channels);

// The u-blox self survey, without checksums: CFG-MSG turning TIM-SVIN on,
// then CFG-TMODE and CFG-TMODE2 in survey-in mode with a zero position,
// fixed-position accuracy 4000, minimum duration 5008 s and accuracy limit
// 2000.
QList<QByteArray> UbloxSelfSurveyFrames();

// What follows an accepted receiver or timing settings dialog.
enum class SettingsFollowUp {
  Apply,            // ApplyReceiverParameters / ApplyTimingParameters
  ApplyInNmeaMode,  // ApplyReceiverParametersInNmeaMode
  Initialize,       // InitializeGpsReceiver
  Nothing,
};
SettingsFollowUp ReceiverParametersFollowUp(quint32 mode);
SettingsFollowUp TimingParametersFollowUp(quint32 mode);
