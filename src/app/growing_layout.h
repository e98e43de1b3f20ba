#pragma once
#include <QList>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QHeaderView>
#include <QWidget>

namespace app {

// Places the main window's controls for a window larger than its original 791 × 541: each
// control keeps its original place and size plus a share of the extra room. The extra
// height is split between the upper half of the window (the item grid) and the lower half
// (the lines grid); the extra width goes to whatever is told to grow or move with it.
class GrowingLayout {
public:
    // Which part of the extra height a control moves down by or grows by.
    enum class Height { None, Upper, Lower, All };

    struct Rule {
        bool moveRight = false; // moves right by the extra width
        bool widen = false;     // grows by the extra width
        Height moveDown = Height::None;
        Height heighten = Height::None;
    };

    // The widget's present geometry is its original one.
    void add(QWidget* widget, Rule rule);
    // A grid column that takes the extra width; its present width is its original one.
    void addColumn(QHeaderView* header, int section);
    // Places every control for a window `extra` larger than the original (negative parts
    // count as none).
    void apply(QSize extra) const;

    // The part of the extra height `share` stands for.
    static int heightShare(Height share, int extraHeight);

private:
    struct Entry {
        QPointer<QWidget> widget;
        QRect original;
        Rule rule;
    };
    struct Column {
        QPointer<QHeaderView> header;
        int section;
        int original;
    };
    QList<Entry> entries_;
    QList<Column> columns_;
};

} // namespace app
