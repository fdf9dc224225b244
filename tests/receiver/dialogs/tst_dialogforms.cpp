#include "TestMain.h"

#include "receiver/dialogs/CoaxDialog.h"
#include "receiver/dialogs/GpsRxDialog.h"
#include "receiver/dialogs/SatelliteSelect.h"
#include "receiver/dialogs/TimingDialog.h"

#include <QAbstractButton>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionGroupBox>

// The four forms are laid out by hand at fixed sizes: every control must lie
// inside its parent, overlap no sibling and show its whole text. With
// RIDUDER_SCREENSHOT_DIR set, each form is also saved as a PNG.
class DialogFormsTest : public QObject {
  Q_OBJECT

  static QList<QWidget *> Kids(QWidget *parent)
  {
    QList<QWidget *> kids;
    for (QObject *child : parent->children())
      if (auto *widget = qobject_cast<QWidget *>(child);
          widget && !widget->objectName().startsWith(QLatin1String("qt_")) && !widget->isWindow())
        kids << widget;
    return kids;
  }

  // A control placed over a group box (the constellation boxes) is not an
  // overlap; two controls side by side are.
  static bool Overlaps(QWidget *a, QWidget *b)
  {
    if (!a->geometry().intersects(b->geometry()))
      return false;
    if (qobject_cast<QGroupBox *>(b) && b->geometry().contains(a->geometry()))
      return false;
    if (qobject_cast<QGroupBox *>(a) && a->geometry().contains(b->geometry()))
      return false;
    return true;
  }

  static void CheckTree(QWidget *parent)
  {
    const QList<QWidget *> kids = Kids(parent);
    for (QWidget *kid : kids) {
      const QString name = kid->objectName();
      QVERIFY2(parent->rect().contains(kid->geometry()), qPrintable(name + " leaves " + parent->objectName()));
      for (QWidget *other : kids)
        if (other != kid && !parent->layout())
          QVERIFY2(!Overlaps(kid, other), qPrintable(name + " overlaps " + other->objectName()));
      // Push buttons have a minimum hint wider than their text needs.
      int needed = -1;
      if (auto *push = qobject_cast<QPushButton *>(kid))
        needed = push->fontMetrics().horizontalAdvance(push->text()) + 8;
      else if (auto *button = qobject_cast<QAbstractButton *>(kid))
        needed = button->sizeHint().width();
      if (needed >= 0)
        QVERIFY2(needed <= kid->width() + 1, qPrintable(name + QString(" needs %1 px, has %2").arg(needed).arg(kid->width())));
      if (auto *label = qobject_cast<QLabel *>(kid); label && !label->wordWrap())
        QVERIFY2(label->sizeHint().width() <= label->width(),
                 qPrintable(name + QString(" needs %1 px, has %2").arg(label->sizeHint().width()).arg(label->width())));
      if (auto *label = qobject_cast<QLabel *>(kid); label && label->wordWrap() && !label->text().isEmpty())
        QVERIFY2(label->heightForWidth(label->width()) <= label->height() + 2,
                 qPrintable(name + " wraps beyond its height"));
      if (auto *box = qobject_cast<QGroupBox *>(kid)) {
        const int titleWidth = box->fontMetrics().horizontalAdvance(box->title()) + 8;
        QVERIFY2(titleWidth <= box->width(), qPrintable(name + " title is cut"));
      }
      CheckTree(kid);
    }
  }

  static void Check(QDialog &dialog, const QString &name, QSize size)
  {
    dialog.show();
    QCoreApplication::processEvents();
    QCOMPARE(dialog.size(), size);
    QCOMPARE(dialog.minimumSize(), size);
    QCOMPARE(dialog.maximumSize(), size);
    CheckTree(&dialog);
    const QString folder = qEnvironmentVariable("RIDUDER_SCREENSHOT_DIR");
    if (!folder.isEmpty())
      QVERIFY(dialog.grab().save(QDir(folder).filePath(name + ".png")));
    dialog.hide();
  }

private slots:
  void gpsRxDialog()
  {
    GpsRxDialog d;
    Check(d, "GpsRxDialog", QSize(658, 325));
    QCOMPARE(d.windowTitle(), QString("GPS Receiver Mode Selections"));
  }

  void timingDialog()
  {
    TimingDialog d;
    Check(d, "TimingDialog", QSize(431, 339));
    QCOMPARE(d.windowTitle(), QString("Timing Setup"));
  }

  void coaxDialog()
  {
    CoaxDialog d;
    Check(d, "CoaxDialog", QSize(460, 170));
    QCOMPARE(d.windowTitle(), QString("Coax Delay Calculator"));
  }

  void satelliteSelect()
  {
    SatelliteSelect d;
    Check(d, "SatelliteSelect", QSize(190, 350));
    QCOMPARE(d.windowTitle(), QString("Satellite Select"));
  }
};

RIDUDER_TEST_MAIN(DialogFormsTest)
#include "tst_dialogforms.moc"
