// Arranging the views of a band or page by their Align property.

#include "report/model/frx_component.h"
#include "report/model/frx_views.h"

#include <algorithm>
#include <cmath>

namespace report {

namespace {

bool shareRows(const TfrxView& a, const TfrxView& b)
{
    const double top = std::max(a.AbsTop(), b.AbsTop());
    const double bottom = std::min(a.AbsTop() + a.Height(), b.AbsTop() + b.Height());
    return bottom - top > 0.0001;
}

// Views in the order of their Left at two decimals; of equal ones, the later child first.
QList<TfrxView*> sortedViews(const QList<TfrxComponent*>& children)
{
    struct Entry {
        long long key;
        qsizetype index;
        TfrxView* view;
    };
    std::vector<Entry> entries;
    for (qsizetype i = 0; i < children.size(); ++i)
        if (auto* view = dynamic_cast<TfrxView*>(children[i]))
            entries.push_back({std::llround(view->Left() * 100), i, view});
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.key != b.key ? a.key < b.key : a.index > b.index;
    });
    QList<TfrxView*> result;
    for (const Entry& e : entries)
        result.append(e.view);
    return result;
}

} // namespace

void TfrxComponent::AlignChildren()
{
    const QList<TfrxView*> views = sortedViews(Objects());
    const qsizetype n = views.size();

    for (qsizetype i = 0; i < n; ++i) {
        TfrxView* v = views[i];
        if (v->Align != TfrxAlign::baLeft && v->Align != TfrxAlign::baWidth)
            continue;
        double left = 0;
        for (qsizetype j = i - 1; j >= 0; --j) {
            const TfrxView* other = views[j];
            if (!shareRows(*v, *other))
                continue;
            if (v->Align == TfrxAlign::baWidth && other->Left() >= v->Left())
                continue;
            left = other->Left() + other->Width();
            break;
        }
        v->SetLeft(left);
    }

    for (qsizetype i = n - 1; i >= 0; --i) {
        TfrxView* v = views[i];
        if (v->Align != TfrxAlign::baRight && v->Align != TfrxAlign::baWidth)
            continue;
        double limit = Width();
        for (qsizetype j = i + 1; j < n; ++j) {
            const TfrxView* other = views[j];
            if (!shareRows(*v, *other))
                continue;
            if (v->Align == TfrxAlign::baWidth && other->Left() <= v->Left())
                continue;
            limit = other->Left();
            break;
        }
        if (v->Align == TfrxAlign::baRight)
            v->SetLeft(limit - v->Width());
        else
            v->SetWidth(limit - v->Left());
    }

    for (TfrxView* v : views) {
        switch (v->Align) {
        case TfrxAlign::baCenter: v->SetLeft((Width() - v->Width()) / 2); break;
        case TfrxAlign::baBottom: v->SetTop(Height() - v->Height()); break;
        case TfrxAlign::baClient: v->SetBounds(0, 0, Width(), Height()); break;
        default: break;
        }
    }
}

} // namespace report
