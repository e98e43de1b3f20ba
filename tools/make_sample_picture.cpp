// qmxdiy-samplepicture OUT.jpg: draws the product picture the record panel shows before any
// item's picture is loaded, a 447 × 335 studio shot of a tower computer case with a glass
// side panel, and writes it as a quality-90 JPEG. The result is stored in resources/.
#include "platform/headless_gui.h"
#include "platform/jpeg_codec.h"
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>

namespace {

constexpr int kWidth = 447, kHeight = 335;

QPolygonF quad(QPointF a, QPointF b, QPointF c, QPointF d) { return QPolygonF({a, b, c, d}); }

// A point on the side panel: u runs from the front edge to the back, v from top to bottom.
struct Side {
    QPointF topFront, topBack, bottomFront, bottomBack;
    QPointF at(double u, double v) const
    {
        const QPointF top = topFront + (topBack - topFront) * u;
        const QPointF bottom = bottomFront + (bottomBack - bottomFront) * u;
        return top + (bottom - top) * v;
    }
    QPolygonF area(double u0, double v0, double u1, double v1) const
    {
        return quad(at(u0, v0), at(u1, v0), at(u1, v1), at(u0, v1));
    }
};

void backdrop(QPainter& p)
{
    QLinearGradient wall(0, 0, 0, kHeight);
    wall.setColorAt(0, QColor(236, 240, 246));
    wall.setColorAt(0.72, QColor(206, 213, 224));
    wall.setColorAt(1, QColor(188, 195, 207));
    p.fillRect(0, 0, kWidth, kHeight, wall);
    QRadialGradient shadow(QPointF(232, 300), 170);
    shadow.setColorAt(0, QColor(40, 44, 52, 150));
    shadow.setColorAt(1, QColor(40, 44, 52, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawEllipse(QPointF(232, 300), 175, 22);
}

void fan(QPainter& p, const QPointF& centre, double radius, const QColor& ring)
{
    p.setPen(QPen(ring, 3));
    p.setBrush(QColor(18, 20, 26));
    p.drawEllipse(centre, radius, radius);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 64, 74));
    for (int blade = 0; blade < 7; ++blade) {
        p.save();
        p.translate(centre);
        p.rotate(blade * 360.0 / 7);
        QPainterPath path;
        path.moveTo(0, 0);
        path.cubicTo(radius * 0.2, -radius * 0.5, radius * 0.75, -radius * 0.35, radius * 0.8, 0);
        path.cubicTo(radius * 0.5, radius * 0.05, radius * 0.2, radius * 0.05, 0, 0);
        p.drawPath(path);
        p.restore();
    }
    p.setBrush(QColor(90, 96, 108));
    p.drawEllipse(centre, radius * 0.22, radius * 0.22);
}

void tower(QPainter& p)
{
    // Front face on the left, the glass side panel receding to the right.
    const QPolygonF front = quad({118, 46}, {178, 34}, {178, 290}, {118, 284});
    const Side side{{178, 34}, {350, 58}, {178, 290}, {350, 272}};
    const QPolygonF top = quad({118, 46}, {178, 34}, {350, 58}, {292, 68});

    QLinearGradient metal(118, 0, 178, 0);
    metal.setColorAt(0, QColor(52, 56, 64));
    metal.setColorAt(1, QColor(30, 33, 39));
    p.setPen(QPen(QColor(16, 17, 20), 1.5));
    p.setBrush(metal);
    p.drawPolygon(front);
    p.setBrush(QColor(70, 75, 86));
    p.drawPolygon(top);

    // Side panel: dark interior seen through tinted glass.
    p.setBrush(QColor(22, 24, 30));
    p.drawPolygon(side.area(0, 0, 1, 1));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(34, 38, 46));
    p.drawPolygon(side.area(0.18, 0.08, 0.92, 0.62)); // motherboard
    p.setBrush(QColor(150, 155, 165));
    p.drawPolygon(side.area(0.55, 0.2, 0.75, 0.36)); // cooler block
    for (int k = 0; k < 4; ++k) {                    // memory sticks
        p.setBrush(k % 2 ? QColor(0, 200, 230) : QColor(230, 60, 200));
        p.drawPolygon(side.area(0.76 + k * 0.025, 0.22, 0.775 + k * 0.025, 0.44));
    }
    QLinearGradient card(side.at(0.2, 0.5), side.at(0.85, 0.5));
    card.setColorAt(0, QColor(70, 74, 84));
    card.setColorAt(1, QColor(40, 43, 50));
    p.setBrush(card);
    p.drawPolygon(side.area(0.2, 0.5, 0.86, 0.6)); // graphics card
    p.setBrush(QColor(0, 210, 120));
    p.drawPolygon(side.area(0.2, 0.585, 0.86, 0.6));
    p.setBrush(QColor(28, 30, 36));
    p.drawPolygon(side.area(0.05, 0.78, 0.95, 0.97)); // power supply shroud
    // Three front intake fans seen edge-on through the glass, with lit rings.
    const QColor rings[] = {QColor(0, 220, 255), QColor(255, 70, 210), QColor(120, 90, 255)};
    for (int k = 0; k < 3; ++k)
        fan(p, side.at(0.14, 0.17 + k * 0.22), 16, rings[k]);
    fan(p, side.at(0.86, 0.12), 13, QColor(0, 220, 255));

    // Glass reflection and the panel's frame.
    QLinearGradient glare(side.at(0, 0), side.at(1, 1));
    glare.setColorAt(0, QColor(255, 255, 255, 70));
    glare.setColorAt(0.35, QColor(255, 255, 255, 8));
    glare.setColorAt(0.36, QColor(255, 255, 255, 0));
    glare.setColorAt(1, QColor(255, 255, 255, 25));
    p.setBrush(glare);
    p.drawPolygon(side.area(0, 0, 1, 1));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(12, 13, 16), 3));
    p.drawPolygon(side.area(0, 0, 1, 1));

    // Front: mesh slots, power button, ports, feet.
    p.setPen(QPen(QColor(20, 22, 26), 1.2));
    for (int y = 80; y < 272; y += 6)
        p.drawLine(QPointF(126, y - 1), QPointF(170, y - 6));
    p.setPen(QPen(QColor(0, 170, 255), 2));
    p.setBrush(QColor(24, 26, 30));
    p.drawEllipse(QPointF(148, 58), 6, 6);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(10, 10, 12));
    p.drawRect(QRectF(132, 68, 9, 4));
    p.drawRect(QRectF(155, 65, 9, 4));
    p.setBrush(QColor(14, 15, 18));
    for (const QPointF& foot : {QPointF(128, 286), QPointF(168, 290), QPointF(330, 274)})
        p.drawRoundedRect(QRectF(foot.x() - 9, foot.y(), 18, 6), 2, 2);
}

void caption(QPainter& p)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(15);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(60, 68, 84));
    p.drawText(QRectF(0, 308, kWidth - 14, 22), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("QMX DIY"));
}

} // namespace

int main(int argc, char** argv)
{
    platform::prepareHeadlessGui();
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: qmxdiy-samplepicture OUT.jpg\n");
        return 2;
    }
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    backdrop(p);
    tower(p);
    caption(p);
    p.end();
    try {
        platform::writeJpegFile(QString::fromLocal8Bit(argv[1]), image);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qmxdiy-samplepicture: %s\n", e.what());
        return 1;
    }
    return 0;
}
