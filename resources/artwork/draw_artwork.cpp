// Draws the program's pictures: the logo (a JPEG, decoded at run time with
// libjpeg), the valve picture under the parameter group and the About icon.
// Not part of the build; run it once after changing the artwork:
//   g++ -std=c++20 -fPIC draw_artwork.cpp $(pkg-config --cflags --libs Qt6Gui) -o draw_artwork
//   QT_QPA_PLATFORM=offscreen ./draw_artwork ..
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor Blue(0x64, 0x95, 0xED);
const QColor Navy(0x1B, 0x2A, 0x5C);

// The ISO symbol of a 4/3 proportional valve: three squares with the flow
// arrows, a solenoid box at each end, the proportional arrow across them.
void DrawValveSymbol(QPainter& p, QRectF area, const QColor& ink) {
  const qreal box = area.height();
  const qreal x0 = area.left() + box * 0.6;
  p.setPen(QPen(ink, qMax<qreal>(1.5, box / 30)));
  p.setBrush(Qt::NoBrush);
  for (int i = 0; i < 3; ++i) p.drawRect(QRectF(x0 + i * box, area.top(), box, box));
  // Solenoids.
  p.drawRect(QRectF(area.left(), area.top() + box * 0.25, box * 0.6, box * 0.5));
  p.drawRect(QRectF(x0 + 3 * box, area.top() + box * 0.25, box * 0.6, box * 0.5));
  auto arrow = [&](QPointF a, QPointF b) {
    p.drawLine(a, b);
    QLineF line(b, a);
    QLineF wing1 = line;
    wing1.setLength(box * 0.15);
    wing1.setAngle(line.angle() + 25);
    QLineF wing2 = line;
    wing2.setLength(box * 0.15);
    wing2.setAngle(line.angle() - 25);
    QPainterPath head;
    head.moveTo(b);
    head.lineTo(wing1.p2());
    head.lineTo(wing2.p2());
    head.closeSubpath();
    p.save();
    p.setBrush(ink);
    p.drawPath(head);
    p.restore();
  };
  const qreal t = area.top(), bt = area.top() + box;
  // Left square: P to A, B to T crossed.
  arrow(QPointF(x0 + box * 0.3, bt), QPointF(x0 + box * 0.7, t));
  arrow(QPointF(x0 + box * 0.7, bt), QPointF(x0 + box * 0.3, t));
  // Middle square: closed ports.
  const qreal m = x0 + box;
  for (qreal fx : {0.3, 0.7}) {
    p.drawLine(QPointF(m + box * fx, t), QPointF(m + box * fx, t + box * 0.25));
    p.drawLine(QPointF(m + box * (fx - 0.08), t + box * 0.25), QPointF(m + box * (fx + 0.08), t + box * 0.25));
    p.drawLine(QPointF(m + box * fx, bt), QPointF(m + box * fx, bt - box * 0.25));
    p.drawLine(QPointF(m + box * (fx - 0.08), bt - box * 0.25), QPointF(m + box * (fx + 0.08), bt - box * 0.25));
  }
  // Right square: straight through.
  const qreal r = x0 + 2 * box;
  arrow(QPointF(r + box * 0.3, bt), QPointF(r + box * 0.3, t));
  arrow(QPointF(r + box * 0.7, t), QPointF(r + box * 0.7, bt));
  // Proportional arrow across the solenoid.
  arrow(QPointF(area.left() - box * 0.1, area.top() + box * 0.95),
        QPointF(area.left() + box * 0.75, area.top() + box * 0.05));
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");

  // Logo: 350 x 107, across the top of the login dialog and the About box.
  QImage logo(350, 107, QImage::Format_RGB32);
  {
    QPainter p(&logo);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 107);
    g.setColorAt(0, QColor(0x2E, 0x4A, 0x9E));
    g.setColorAt(1, Blue);
    p.fillRect(logo.rect(), g);
    DrawValveSymbol(p, QRectF(16, 38, 100, 24), Qt::white);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(26);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(128, 16, 215, 44), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tarvelmundix"));
    f.setPixelSize(13);
    f.setBold(false);
    p.setFont(f);
    p.drawText(QRectF(129, 56, 215, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("hydraulika proporcjonalna"));
    p.setPen(QPen(QColor(255, 255, 255, 160), 2));
    p.drawLine(QPointF(20, 90), QPointF(330, 90));
  }
  logo.save(dir + QStringLiteral("/logo.jpg"), "JPG", 90);

  // Valve picture, 480 x 250, under the parameter group.
  QImage valve(480, 250, QImage::Format_ARGB32);
  valve.fill(QColor(0xF0, 0xF0, 0xF0));
  {
    QPainter p(&valve);
    p.setRenderHint(QPainter::Antialiasing);
    DrawValveSymbol(p, QRectF(64, 62, 84, 84), Navy);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(16);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Navy);
    p.drawText(QRectF(0, 180, 480, 24), Qt::AlignCenter, QStringLiteral("Rozdzielacz proporcjonalny"));
    f.setPixelSize(12);
    f.setBold(false);
    p.setFont(f);
    p.setPen(QColor(0x55, 0x5F, 0x7A));
    p.drawText(QRectF(0, 204, 480, 20), Qt::AlignCenter, QStringLiteral("elektronika sterująca z portem USB"));
  }
  valve.save(dir + QStringLiteral("/valve.png"), "PNG");

  // About icon, 32 x 32; also the window icon.
  QImage icon(32, 32, QImage::Format_ARGB32);
  icon.fill(Qt::transparent);
  {
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Navy, 1.5));
    p.setBrush(Blue);
    p.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 6, 6);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(20);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 32, 32), Qt::AlignCenter, QStringLiteral("T"));
  }
  icon.save(dir + QStringLiteral("/tarvelmundix.png"), "PNG");
  return 0;
}
