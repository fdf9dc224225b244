// Draws the program's icons into icons/res/ (run once by hand; the output is
// committed). Usage: riduder-make-icons <icons/res folder>
//
// Every icon is a simple drawing of our own: coloured shapes and a letter
// or two, 24 x 24 for the toolbar, 16 x 16 for the status-bar pictures and
// a 32 x 32 program icon stored as a PNG-in-ICO file.

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <functional>

namespace {

QImage Draw(int size, const std::function<void(QPainter &, int)> &paint)
{
  QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  paint(p, size);
  return img;
}

void Badge(QPainter &p, int s, const QColor &fill, const QString &text)
{
  p.setPen(QPen(fill.darker(160), 1));
  p.setBrush(fill);
  p.drawRoundedRect(QRectF(1.5, 1.5, s - 3, s - 3), 4, 4);
  QFont f("DejaVu Sans");
  f.setBold(true);
  f.setPixelSize(text.size() > 2 ? s / 3 : s / 2);
  p.setFont(f);
  p.setPen(Qt::white);
  p.drawText(QRect(0, 0, s, s), Qt::AlignCenter, text);
}

void Dot(QPainter &p, int s, const QColor &c)
{
  p.setPen(QPen(c.darker(180), 1));
  p.setBrush(c);
  p.drawEllipse(QRectF(2.5, 2.5, s - 5, s - 5));
}

bool WriteIco(const QImage &img, const QString &path)
{
  QByteArray png;
  QBuffer buf(&png);
  buf.open(QIODevice::WriteOnly);
  img.save(&buf, "PNG");
  QByteArray ico;
  auto le16 = [&](int v) { ico.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
  auto le32 = [&](quint32 v) { le16(v & 0xFFFF); le16(v >> 16); };
  le16(0); le16(1); le16(1);                     // reserved, type icon, one image
  ico.append(char(img.width())).append(char(img.height()));
  ico.append(char(0)).append(char(0));           // no palette, reserved
  le16(1); le16(32);                             // planes, bits per pixel
  le32(png.size()); le32(6 + 16);                // size and offset of the PNG
  ico.append(png);
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(ico) == ico.size();
}

}  // namespace

int main(int argc, char **argv)
{
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("icons/res");
  QDir().mkpath(out);
  auto save = [&](const QString &name, const QImage &img) { img.save(out + "/" + name, "PNG"); };

  save("Help_24.png", Draw(24, [](QPainter &p, int s) { Badge(p, s, QColor(40, 110, 200), "?"); }));
  save("GPS Rx 24.png", Draw(24, [](QPainter &p, int s) {
         Badge(p, s, QColor(30, 130, 80), "");
         p.setPen(QPen(Qt::white, 2));
         p.drawLine(QPointF(s / 2.0, s * 0.75), QPointF(s / 2.0, s * 0.35));
         p.drawArc(QRectF(s * 0.2, s * 0.15, s * 0.6, s * 0.5), 30 * 16, 120 * 16);
       }));
  save("Timing 24.png", Draw(24, [](QPainter &p, int s) {
         p.setPen(QPen(QColor(60, 60, 60), 1.5));
         p.setBrush(QColor(250, 250, 240));
         p.drawEllipse(QRectF(2, 2, s - 4, s - 4));
         p.setPen(QPen(QColor(200, 40, 40), 2));
         p.drawLine(QPointF(s / 2.0, s / 2.0), QPointF(s / 2.0, 5));
         p.drawLine(QPointF(s / 2.0, s / 2.0), QPointF(s - 7, s / 2.0));
       }));
  save("Set Clock 24.png", Draw(24, [](QPainter &p, int s) { Badge(p, s, QColor(200, 120, 20), "PC"); }));
  save("Averaging 24.png", Draw(24, [](QPainter &p, int s) { Badge(p, s, QColor(110, 70, 170), "x\u0304"); }));
  save("Az-El Chart 24.png", Draw(24, [](QPainter &p, int s) {
         p.setPen(QPen(QColor(20, 90, 160), 1.5));
         p.setBrush(QColor(225, 238, 250));
         p.drawEllipse(QRectF(1.5, 1.5, s - 3, s - 3));
         p.drawEllipse(QRectF(s * 0.25, s * 0.25, s * 0.5, s * 0.5));
         p.setBrush(QColor(220, 60, 60));
         p.setPen(Qt::NoPen);
         p.drawEllipse(QRectF(s * 0.6, s * 0.2, 4, 4));
       }));
  auto page = [](QPainter &p, int s, const QColor &mark, const QString &sign) {
    p.setPen(QPen(QColor(80, 80, 80), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 2.5, s - 9, s - 5));
    p.setPen(QPen(QColor(160, 160, 160), 1));
    for (int y = 7; y < s - 6; y += 3)
      p.drawLine(7, y, s - 8, y);
    QFont f("DejaVu Sans");
    f.setBold(true);
    f.setPixelSize(s / 2);
    p.setFont(f);
    p.setPen(mark);
    p.drawText(QRect(s / 3, s / 3, s * 2 / 3, s * 2 / 3), Qt::AlignCenter, sign);
  };
  save("New Log 24.png", Draw(24, [&](QPainter &p, int s) { page(p, s, QColor(30, 140, 30), "+"); }));
  save("Open Log 24.png", Draw(24, [&](QPainter &p, int s) { page(p, s, QColor(30, 90, 190), ">"); }));
  save("Close Log 24.png", Draw(24, [&](QPainter &p, int s) { page(p, s, QColor(200, 40, 40), "x"); }));
  save("icon_on.png", Draw(16, [](QPainter &p, int s) { Dot(p, s, QColor(40, 220, 60)); }));
  save("icon_off.png", Draw(16, [](QPainter &p, int s) { Dot(p, s, QColor(150, 150, 150)); }));
  save("IconNtpOn.png", Draw(16, [](QPainter &p, int s) { Badge(p, s, QColor(30, 150, 220), "N"); }));
  save("IconNtpOff.png", Draw(16, [](QPainter &p, int s) { Badge(p, s, QColor(150, 150, 150), "N"); }));
  save("built-with-Qt_Icon.png", Draw(48, [](QPainter &p, int s) { Badge(p, s, QColor(60, 160, 70), "Qt"); }));
  const QImage appIcon = Draw(32, [](QPainter &p, int s) {
    p.setPen(QPen(QColor(10, 60, 110), 1.5));
    p.setBrush(QColor(20, 100, 170));
    p.drawEllipse(QRectF(1.5, 1.5, s - 3, s - 3));
    QFont f("DejaVu Sans");
    f.setBold(true);
    f.setPixelSize(s / 2);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, s, s), Qt::AlignCenter, "R");
  });
  return WriteIco(appIcon, out + "/Riduder.ico") ? 0 : 1;
}
