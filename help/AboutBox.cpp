#include "help/AboutBox.h"

#include "ui_AboutBox.h"

#include <QCloseEvent>
#include <QSettings>

namespace {

const char GeometryKey[] = "AboutBox/geometry";

void MakeLink(QLabel *label, const QString &target, const QString &text)
{
  label->setTextFormat(Qt::RichText);
  label->setText(QStringLiteral("<a href=\"%1\">%2</a>").arg(target, text));
  label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse |
                                 Qt::LinksAccessibleByKeyboard);
  label->setOpenExternalLinks(true);
}

}  // namespace

AboutBox::AboutBox(QWidget *parent) : QDialog(parent), ui(new Ui::AboutBox)
{
  ui->setupUi(this);
  MakeLink(ui->IDC_ZIV_WEB, QStringLiteral("https://www.zivsystems.example/"),
           QStringLiteral("www.zivsystems.example"));
  MakeLink(ui->IDC_ZIV_EMAIL, QStringLiteral("mailto:support@zivsystems.example"),
           QStringLiteral("support@zivsystems.example"));
  setFixedSize(size());
  QSettings settings;
  if (settings.contains(QLatin1String(GeometryKey)))
    restoreGeometry(settings.value(QLatin1String(GeometryKey)).toByteArray());
  connect(ui->OK, &QPushButton::clicked, this, &AboutBox::onOk);
}

AboutBox::~AboutBox() { delete ui; }

QLabel *AboutBox::versionLabel() const { return ui->IDC_ABOUTBOX_VERSION; }

void AboutBox::saveGeometrySetting()
{
  QSettings settings;
  settings.setValue(QLatin1String(GeometryKey), saveGeometry());
}

void AboutBox::onOk()
{
  saveGeometrySetting();
  done(QDialog::Accepted);
}

void AboutBox::closeEvent(QCloseEvent *event)
{
  saveGeometrySetting();
  QDialog::closeEvent(event);
}
