#include "dbaware/detail/navigator_button.h"
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>
#include <cmath>

namespace dbaware::detail {

namespace {

// Glyphs are drawn in a 16 x 16 design box scaled to the button.
constexpr double kDesign = 16.0;

QPainterPath triangle(QPointF a, QPointF b, QPointF c)
{
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    return path;
}

QPainterPath leftTriangle(double tipX)
{
    return triangle({tipX, 8}, {tipX + 5, 3}, {tipX + 5, 13});
}

QPainterPath rightTriangle(double tipX)
{
    return triangle({tipX, 8}, {tipX - 5, 3}, {tipX - 5, 13});
}

void refreshArrow(QPainter& p, const QColor& color)
{
    QPen pen(color, 1.8);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const QRectF circle(3.5, 3.5, 9, 9);
    // Open at the top right, where the arrowhead sits.
    p.drawArc(circle, 60 * 16, 290 * 16);
    const double angle = 60.0 * M_PI / 180.0;
    const QPointF end(8 + 4.5 * std::cos(angle), 8 - 4.5 * std::sin(angle));
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(triangle(end + QPointF(-3.2, -1.6), end + QPointF(1.8, -2.6), end + QPointF(0.6, 2.4)));
}

} // namespace

void paintGlyph(QPainter& p, const QRectF& box, Glyph glyph, const QColor& color)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const double side = std::min(box.width(), box.height());
    p.translate(box.center().x() - side / 2, box.center().y() - side / 2);
    p.scale(side / kDesign, side / kDesign);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    QPen stroke(color, 2.0);
    stroke.setCapStyle(Qt::SquareCap);
    switch (glyph) {
    case Glyph::First:
        p.drawRect(QRectF(3, 3, 2, 10));
        p.drawPath(leftTriangle(6));
        break;
    case Glyph::Prior:
        p.drawPath(leftTriangle(5.5));
        break;
    case Glyph::Next:
        p.drawPath(rightTriangle(10.5));
        break;
    case Glyph::Last:
        p.drawPath(rightTriangle(10));
        p.drawRect(QRectF(11, 3, 2, 10));
        break;
    case Glyph::Insert:
        p.drawRect(QRectF(3, 7, 10, 2));
        p.drawRect(QRectF(7, 3, 2, 10));
        break;
    case Glyph::Delete:
        p.drawRect(QRectF(3, 7, 10, 2));
        break;
    case Glyph::Edit:
        p.drawPath(triangle({8, 4}, {13, 11}, {3, 11}));
        break;
    case Glyph::Post: {
        p.setPen(stroke);
        p.setBrush(Qt::NoBrush);
        const QPointF tick[] = {{3, 8.5}, {6.5, 12}, {13, 4.5}};
        p.drawPolyline(tick, 3);
        break;
    }
    case Glyph::Cancel:
        p.setPen(stroke);
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    case Glyph::Refresh:
        refreshArrow(p, color);
        break;
    }
    p.restore();
}

NavigatorButton::NavigatorButton(Glyph glyph, QWidget* parent) : QAbstractButton(parent), glyph_(glyph)
{
    setFocusPolicy(Qt::NoFocus);
}

QSize NavigatorButton::sizeHint() const
{
    return {25, 25};
}

void NavigatorButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    option.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
    painter.drawPrimitive(QStyle::PE_PanelButtonCommand, option);
    const QColor ink = palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText);
    const double side = std::clamp(std::min(width(), height()) - 8.0, 6.0, 16.0);
    QRectF box(0, 0, side, side);
    box.moveCenter(QRectF(rect()).center());
    if (isDown())
        box.translate(1, 1);
    paintGlyph(painter, box, glyph_, ink);
}

} // namespace dbaware::detail
