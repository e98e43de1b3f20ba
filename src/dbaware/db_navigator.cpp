#include "dbaware/db_navigator.h"
#include "dbaware/detail/dataset_observer.h"
#include "dbaware/detail/navigator_button.h"
#include "dbaware/detail/record_ops.h"
#include "platform/widgets/dialogs.h"

namespace dbaware {

using db::Dataset;
using Button = DBNavigator::Button;

namespace {

constexpr int index(Button b)
{
    return static_cast<int>(b);
}

constexpr Button kAllButtons[] = {Button::First, Button::Prior, Button::Next,  Button::Last,   Button::Insert,
                                  Button::Delete, Button::Edit, Button::Post, Button::Cancel, Button::Refresh};
static_assert(std::size(kAllButtons) == DBNavigator::kButtonCount);

} // namespace

DBNavigator::DBNavigator(QWidget* parent) : QWidget(parent)
{
    // Like any control in the tab order; a click on a button lands here too, so an edit
    // that held the focus hands its text over before the button acts.
    setFocusPolicy(Qt::StrongFocus);
    const auto changed = [this] { updateButtons(); };
    observer_ = new detail::DatasetObserver(this, {.reset = changed,
                                                   .rowsChanged = changed,
                                                   .currentChanged = [this](int) { updateButtons(); },
                                                   .stateChanged = [this](Dataset::State) { updateButtons(); }});
    for (Button b : kAllButtons) {
        auto* button = new detail::NavigatorButton(static_cast<detail::Glyph>(index(b)), this);
        button->setToolTip(standardHint(b));
        connect(button, &QAbstractButton::clicked, this, [this, b] { pressed(b); });
        buttons_[index(b)] = button;
        visible_[index(b)] = true;
    }
    updateButtons();
}

DBNavigator::~DBNavigator() = default;

QString DBNavigator::standardHint(Button button)
{
    switch (button) {
    case Button::First: return QStringLiteral("First record");
    case Button::Prior: return QStringLiteral("Prior record");
    case Button::Next: return QStringLiteral("Next record");
    case Button::Last: return QStringLiteral("Last record");
    case Button::Insert: return QStringLiteral("Insert record");
    case Button::Delete: return QStringLiteral("Delete record");
    case Button::Edit: return QStringLiteral("Edit record");
    case Button::Post: return QStringLiteral("Post edit");
    case Button::Cancel: return QStringLiteral("Cancel edit");
    case Button::Refresh: return QStringLiteral("Refresh data");
    }
    return {};
}

void DBNavigator::setDataset(Dataset* dataset)
{
    if (observer_->setDataset(dataset))
        updateButtons();
}

Dataset* DBNavigator::dataset() const
{
    return observer_->dataset();
}

void DBNavigator::setVisibleButtons(const QList<Button>& buttons)
{
    for (Button b : kAllButtons) {
        visible_[index(b)] = buttons.contains(b);
        buttons_[index(b)]->setVisible(visible_[index(b)]);
    }
    layoutButtons();
}

bool DBNavigator::isButtonVisible(Button button) const
{
    return visible_[index(button)];
}

bool DBNavigator::isButtonEnabled(Button button) const
{
    return buttons_[index(button)]->isEnabled();
}

QAbstractButton* DBNavigator::button(Button button) const
{
    return buttons_[index(button)];
}

void DBNavigator::btnClick(Button button)
{
    Dataset* ds = dataset();
    if (!ds || !ds->active())
        return;
    switch (button) {
    case Button::First:
        ds->first();
        break;
    case Button::Prior:
        ds->prior();
        break;
    case Button::Next:
        ds->next();
        break;
    case Button::Last:
        ds->last();
        break;
    case Button::Insert:
        ds->insert();
        break;
    case Button::Delete:
        if (platform::confirmOkCancel(this, QStringLiteral("删除这条记录?")))
            ds->remove();
        break;
    case Button::Edit:
        ds->edit();
        break;
    case Button::Post:
        if (detail::isEditing(*ds))
            ds->post();
        break;
    case Button::Cancel:
        if (detail::isEditing(*ds))
            ds->cancel();
        break;
    case Button::Refresh:
        ds->refresh();
        break;
    }
}

void DBNavigator::pressed(Button button)
{
    platform::reported(this, [&] { btnClick(button); });
}

void DBNavigator::updateButtons()
{
    Dataset* ds = dataset();
    const bool active = ds && ds->active();
    const bool editing = active && detail::isEditing(*ds);
    const bool writable = active && detail::canModify(*ds);
    const int count = active ? ds->recordCount() : 0;
    const int row = active ? ds->currentRow() : -1;
    // Position, not the bof/eof flags: at the first row "prior" has nowhere to go.
    const bool canGoBack = row > 0;
    const bool canGoOn = row >= 0 && row < count - 1;
    const bool enabled[kButtonCount] = {
        canGoBack,                              // First
        canGoBack,                              // Prior
        canGoOn,                                // Next
        canGoOn,                                // Last
        writable,                               // Insert
        writable && count > 0,                  // Delete
        writable && !editing,                   // Edit (on an empty result it starts a row)
        editing,                                // Post
        editing,                                // Cancel
        active && !editing,                     // Refresh
    };
    for (int i = 0; i < kButtonCount; ++i)
        buttons_[i]->setEnabled(enabled[i]);
}

QSize DBNavigator::sizeHint() const
{
    int shown = 0;
    for (bool v : visible_)
        shown += v ? 1 : 0;
    return {25 * std::max(shown, 1), 25};
}

void DBNavigator::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutButtons();
}

void DBNavigator::layoutButtons()
{
    QList<detail::NavigatorButton*> shown;
    for (int i = 0; i < kButtonCount; ++i)
        if (visible_[i])
            shown.append(buttons_[i]);
    const int n = static_cast<int>(shown.size());
    // Edges at i * width / n: the buttons differ by at most one pixel and fill the width.
    for (int i = 0; i < n; ++i) {
        const int left = i * width() / n;
        const int right = (i + 1) * width() / n;
        shown[i]->setGeometry(left, 0, right - left, height());
    }
}

} // namespace dbaware
