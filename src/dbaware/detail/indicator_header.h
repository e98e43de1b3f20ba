#pragma once
#include <QHeaderView>

namespace dbaware::detail {

// The indicator column at the grid's left: one narrow section per row, marking the current
// row with its state (browse, edit, insert). A press reports the row instead of selecting.
class IndicatorHeader : public QHeaderView {
    Q_OBJECT
public:
    enum class Marker { Current, Editing, Inserting };

    explicit IndicatorHeader(QWidget* parent = nullptr);

    void setMark(int row, Marker marker);
    int markedRow() const { return row_; }
    Marker marker() const { return marker_; }

    QSize sizeHint() const override;

signals:
    void rowPressed(int row);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    int row_ = -1;
    Marker marker_ = Marker::Current;
};

} // namespace dbaware::detail
