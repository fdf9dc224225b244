#include "receiver/dialogs/ManualCommandDialog.h"

#include "core/GpsMode.h"
#include "core/ReceiverIdentity.h"
#include "receiver/dialogs/ManualCommandMessage.h"
#include "fields/NumericFieldCheck.h"
#include "ui_ManualCommandDialog.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QSettings>

namespace {
const char kGeometryKey[] = "ManualCommandDialog/geometry";
}

ManualCommandDialog::ManualCommandDialog(QWidget *parent)
    : QDialog(parent), ui(new Ui::ManualCommandDialog)
{
  // The dialogs' shared warning box, which SetWarningHandler can replace.
  warningHandler = [this](const QString &title, const QString &text) { ShowFieldWarning(this, title, text); };
  ui->setupUi(this);
  setFixedSize(size());
  ui->IDC_MANCMD_CS->setStyleSheet(QStringLiteral("background-color: transparent;"));

  connect(ui->OK, &QPushButton::clicked, this, &ManualCommandDialog::OnCloseClicked);
  connect(ui->SEND, &QPushButton::clicked, this, &ManualCommandDialog::OnSendClicked);
  connect(ui->IDC_MANCMD_PREFIX, &QLineEdit::textEdited, this, &ManualCommandDialog::IDC_MANCMD_PREFIX_textEdited);
  connect(ui->IDC_MANCMD_PARAM, &QLineEdit::textEdited, this, &ManualCommandDialog::IDC_MANCMD_PARAM_textEdited);
  connect(ui->IDC_MANCMD_ASCII, &QLineEdit::textEdited, this, &ManualCommandDialog::IDC_MANCMD_ASCII_textEdited);
  ui->IDC_MANCMD_ASCII->installEventFilter(this);
  connect(ui->IDC_MANCMD_CMD, &QComboBox::currentIndexChanged, this,
          &ManualCommandDialog::IDC_MANCMD_CMD_currentIndexChanged);
  connect(ui->IDC_MANCMD_CMD, &QComboBox::editTextChanged, this,
          &ManualCommandDialog::IDC_MANCMD_CMD_editTextChanged);
}

ManualCommandDialog::~ManualCommandDialog()
{
  delete ui;
}

void ManualCommandDialog::SetWarningHandler(WarningHandler handler)
{
  warningHandler = std::move(handler);
}

void ManualCommandDialog::Warn(const QString &title, const QString &text)
{
  if (warningHandler)
    warningHandler(title, text);
}

void ManualCommandDialog::RestoreGeometry()
{
  QSettings settings;
  restoreGeometry(settings.value(QLatin1String(kGeometryKey)).toByteArray());
}

void ManualCommandDialog::SaveGeometry()
{
  QSettings settings;
  settings.setValue(QLatin1String(kGeometryKey), saveGeometry());
}

void ManualCommandDialog::ShowDialog()
{
  RestoreGeometry();
  FillCommandList();
  show();
}

int ManualCommandDialog::exec()
{
  RestoreGeometry();
  FillCommandList();
  return QDialog::exec();
}

void ManualCommandDialog::OnCloseClicked()
{
  SaveGeometry();
  done(1);
}

void ManualCommandDialog::closeEvent(QCloseEvent *event)
{
  SaveGeometry();
  QDialog::closeEvent(event);
}

void ManualCommandDialog::FillCommandList()
{
  ui->IDC_MANCMD_CMD->clear();
  const ManualCommandListChoice choice =
      ChooseManualCommandGroup(static_cast<quint32>(receiverIdentity.model), CurrentGpsMode);
  if (!choice.chosen)
    return;
  // Set before the first name goes in: adding it selects that row.
  activeGroup = choice.group.first;
  activeGroupCount = choice.group.count;
  for (const QString &name : ManualCommandNames(commandTable, choice))
    ui->IDC_MANCMD_CMD->addItem(name);
}

void ManualCommandDialog::SelectCommand(const QString &name)
{
  const ManualCommandRecord *record = commandTable.Find({activeGroup, activeGroupCount}, name);
  if (record) {
    SetParameterLimits(record->defaults);
    ui->IDC_MANCMD_INFO->setText(record->description);
    ui->IDC_MANCMD_PREFIX->setText(record->prefix);
    ui->IDC_MANCMD_PARAM->setText(record->defaults.left(ui->IDC_MANCMD_PARAM->maxLength()));
    HexToAscii();
    UpdateChecksum();
  } else {
    ui->IDC_MANCMD_INFO->setText(QString());
    ui->IDC_MANCMD_PREFIX->setText(name);
    ui->IDC_MANCMD_PARAM->setText(QString());
    SetParameterLimits(QString());
    UpdateChecksum();
  }
}

void ManualCommandDialog::SetParameterLimits(const QString &defaults)
{
  paramLength = static_cast<int>(defaults.size() / 2);
  if (paramLength < 1) {
    ui->IDC_MANCMD_PARAM->setMaxLength(32767);
    ui->IDC_MANCMD_ASCII->setMaxLength(32767);
  } else {
    ui->IDC_MANCMD_PARAM->setMaxLength(2 * paramLength);
    ui->IDC_MANCMD_ASCII->setMaxLength(paramLength);
  }
  if (IsOncoreBinaryCommand(CurrentGpsMode, ui->IDC_MANCMD_PREFIX->text()) && DefaultsAreText(defaults)) {
    ui->IDC_MANCMD_STATIC51->setText(QStringLiteral("Parameters (ASCII text, %1 characters)").arg(paramLength));
    ui->IDC_MANCMD_ASCII->setEnabled(true);
    HexToAscii();
  } else {
    ui->IDC_MANCMD_STATIC51->setText(QStringLiteral("Parameters (ASCII text)"));
    ui->IDC_MANCMD_ASCII->setEnabled(false);
    ui->IDC_MANCMD_ASCII->clear();
  }
}

bool ManualCommandDialog::UpdateChecksum()
{
  const ManualChecksum checksum =
      ComputeManualChecksum(CurrentGpsMode, ui->IDC_MANCMD_PREFIX->text(), ui->IDC_MANCMD_PARAM->text());
  ui->IDC_MANCMD_CS->setText(checksum.text);
  if (checksum.hexError) {
    const ManualWarning warning = HexNumberWarning();
    Warn(warning.title, warning.text);
  }
  return checksum.ok;
}

void ManualCommandDialog::HexToAscii()
{
  bool ok = false;
  const QString text = HexToAsciiText(ui->IDC_MANCMD_PARAM->text(), &ok);
  ui->IDC_MANCMD_ASCII->setText(ok ? text : QString());
}

void ManualCommandDialog::AsciiToHex()
{
  ui->IDC_MANCMD_PARAM->setText(AsciiToHexText(ui->IDC_MANCMD_ASCII->text()));
}

void ManualCommandDialog::PadAscii()
{
  QLineEdit *ascii = ui->IDC_MANCMD_ASCII;
  if (paramLength > 0 && ascii->text().size() < paramLength) {
    const int cursor = ascii->cursorPosition();
    ascii->setText(ascii->text().leftJustified(paramLength, QLatin1Char(' ')));
    ascii->setCursorPosition(cursor);
  }
}

bool ManualCommandDialog::eventFilter(QObject *watched, QEvent *event)
{
  // The ASCII entry is a fixed-length field typed over in place.
  if (watched == ui->IDC_MANCMD_ASCII && event->type() == QEvent::KeyPress) {
    const auto *key = static_cast<QKeyEvent *>(event);
    const QString text = key->text();
    QLineEdit *ascii = ui->IDC_MANCMD_ASCII;
    if (text.size() == 1 && text.at(0).unicode() >= 32 && text.at(0).unicode() <= 126 && !ascii->hasSelectedText() &&
        ascii->cursorPosition() < ascii->text().size()) {
      ascii->setSelection(ascii->cursorPosition(), 1);
    }
  }
  return QDialog::eventFilter(watched, event);
}

void ManualCommandDialog::IDC_MANCMD_PREFIX_textEdited(const QString &)
{
  UpdateChecksum();
}

void ManualCommandDialog::IDC_MANCMD_PARAM_textEdited(const QString &)
{
  HexToAscii();
  UpdateChecksum();
}

void ManualCommandDialog::IDC_MANCMD_ASCII_textEdited(const QString &)
{
  PadAscii();
  AsciiToHex();
  UpdateChecksum();
}

void ManualCommandDialog::IDC_MANCMD_CMD_currentIndexChanged(int index)
{
  if (index >= 0)
    SelectCommand(ui->IDC_MANCMD_CMD->itemText(index));
}

void ManualCommandDialog::IDC_MANCMD_CMD_editTextChanged(const QString &text)
{
  SelectCommand(text);
}

void ManualCommandDialog::OnSendClicked()
{
  const ManualCommandBuild build = BuildManualCommand(CurrentGpsMode, ui->IDC_MANCMD_PREFIX->text(),
                                                      ui->IDC_MANCMD_PARAM->text(), ui->IDC_MANCMD_CS->text());
  if (build.clearChecksum)
    ui->IDC_MANCMD_CS->clear();
  for (const ManualWarning &warning : build.warnings)
    Warn(warning.title, warning.text);
  if (build.ok)
    emit sendGpsMessage(build.message);
}
