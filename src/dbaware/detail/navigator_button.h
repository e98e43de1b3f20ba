#pragma once
#include <QAbstractButton>

namespace dbaware::detail {

enum class Glyph { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh };

// Draws a navigator glyph centred in `box` in the given colour.
void paintGlyph(QPainter& painter, const QRectF& box, Glyph glyph, const QColor& color);

// One navigator button: a raised panel with a painted glyph. It never takes the focus
// itself; a click focuses the navigator instead.
class NavigatorButton : public QAbstractButton {
    Q_OBJECT
public:
    NavigatorButton(Glyph glyph, QWidget* parent);
    Glyph glyph() const { return glyph_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Glyph glyph_;
};

} // namespace dbaware::detail
