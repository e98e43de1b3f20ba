#pragma once
#include "db/dataset.h"
#include <QList>
#include <QWidget>
#include <array>

class QAbstractButton;

namespace dbaware {

namespace detail {
class DatasetObserver;
class NavigatorButton;
} // namespace detail

// A row of record buttons driving a dataset: first, prior, next, last, insert, delete,
// edit, post, cancel, refresh. Buttons are enabled as the dataset's position and state
// allow; failures of a pressed button are shown with the standard error report. Clicking a
// button takes the focus, so bound edits hand over their text first.
class DBNavigator : public QWidget {
    Q_OBJECT
public:
    enum class Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh };
    Q_ENUM(Button)
    static constexpr int kButtonCount = 10;

    explicit DBNavigator(QWidget* parent = nullptr);
    ~DBNavigator() override;

    void setDataset(db::Dataset* dataset);
    db::Dataset* dataset() const;

    // The buttons shown, always in the fixed order, sharing the navigator's width.
    void setVisibleButtons(const QList<Button>& buttons);
    bool isButtonVisible(Button button) const;
    bool isButtonEnabled(Button button) const;
    QAbstractButton* button(Button button) const;
    // "First record", "Prior record", ..., "Refresh data": each button's tooltip.
    static QString standardHint(Button button);

    // A button's action, hidden or not. Does nothing at all while the dataset is closed;
    // Delete asks "Delete record?" (OK/Cancel) first; Post and Cancel do nothing outside
    // edit or insert state. Failures are thrown (db::DbError), for the caller's guard.
    void btnClick(Button button);

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void pressed(Button button);
    void updateButtons();
    void layoutButtons();

    std::array<detail::NavigatorButton*, kButtonCount> buttons_{};
    std::array<bool, kButtonCount> visible_{};
    detail::DatasetObserver* observer_;
};

} // namespace dbaware
