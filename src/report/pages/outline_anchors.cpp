// The outline and the anchors of prepared pages: "item" elements with a text, a 0-based
// page index and a top in whole pixels.

#include "report/pages/detail/pages_state.h"

#include <cmath>
#include <vector>

namespace report {

namespace {

QByteArray utf8(const QString& text) { return text.toUtf8(); }

// The item and every item under it, without recursion: an outline read from a file may
// nest to any depth.
void shiftToNextPage(TfrxXMLItem* item, int delta)
{
    std::vector<TfrxXMLItem*> pending{item};
    while (!pending.empty()) {
        TfrxXMLItem* next = pending.back();
        pending.pop_back();
        next->setAttr("page", QByteArray::number(next->getAttr("page").toInt() + 1));
        next->setAttr("top", QByteArray::number(next->getAttr("top").toInt() + delta));
        for (int i = 0; i < next->count(); ++i)
            pending.push_back(next->item(i));
    }
}

} // namespace

// ---- anchors ----

void TfrxPreviewPages::AddAnchorRecord(const QString& text)
{
    TfrxXMLItem* item = d_->child("anchors")->addChild("item");
    item->setAttr("text", utf8(text));
    item->setAttr("page", QByteArray::number(d_->curPage));
    item->setAttr("top", QByteArray::number(qRound(d_->engine.CurY)));
}

int TfrxPreviewPages::FindAnchorPage(const QString& text) const
{
    const TfrxXMLItem* root = d_->doc.root();
    const int at = root->findChild("anchors");
    if (at < 0)
        return 1;
    const TfrxXMLItem* anchors = root->item(at);
    for (int i = anchors->count() - 1; i >= 0; --i) {
        const TfrxXMLItem* item = anchors->item(i);
        if (QString::fromUtf8(item->getAttr("text")).compare(text, Qt::CaseInsensitive) == 0)
            return item->getAttr("page").toInt() + 1;
    }
    return 1;
}

int TfrxPreviewPages::LastAnchorIndex() const
{
    const TfrxXMLItem* root = d_->doc.root();
    const int at = root->findChild("anchors");
    return (at < 0 ? 0 : root->item(at)->count()) - 1;
}

void TfrxPreviewPages::MoveAnchorsToNextPage(int index, int newTop)
{
    TfrxXMLItem* anchors = d_->child("anchors");
    if (index + 1 < 0 || index + 1 >= anchors->count())
        return;
    const int delta = newTop - anchors->item(index + 1)->getAttr("top").toInt();
    for (int i = index + 1; i < anchors->count(); ++i) {
        TfrxXMLItem* item = anchors->item(i);
        item->setAttr("page", QByteArray::number(item->getAttr("page").toInt() + 1));
        item->setAttr("top", QByteArray::number(item->getAttr("top").toInt() + delta));
    }
}

// ---- outline ----

void TfrxOutline::LevelRoot()
{
    current_ = pages_.Root()->childByName("outline");
}

void TfrxOutline::AddItem(const QString& text, int top)
{
    if (!current_)
        LevelRoot();
    TfrxXMLItem* item = current_->addChild("item");
    item->setAttr("text", utf8(text));
    item->setAttr("page", QByteArray::number(pages_.CurPage()));
    item->setAttr("top", QByteArray::number(top));
    current_ = item;
}

void TfrxOutline::OpenItem(int index)
{
    if (current_ && index >= 0 && index < current_->count())
        current_ = current_->item(index);
}

void TfrxOutline::LevelUp()
{
    if (current_ && current_->name() != "outline" && current_->parent())
        current_ = current_->parent();
}

int TfrxOutline::ItemCount() const
{
    return current_ ? current_->count() : 0;
}

void TfrxOutline::ReadItem(int index, QString& text, int& page, int& top) const
{
    if (!current_ || index < 0 || index >= current_->count())
        return;
    const TfrxXMLItem* item = current_->item(index);
    text = QString::fromUtf8(item->getAttr("text"));
    bool ok = false;
    const int p = item->getAttr("page").toInt(&ok);
    if (ok)
        page = p;
    const int t = item->getAttr("top").toInt(&ok);
    if (ok)
        top = t;
}

TfrxXMLItem* TfrxOutline::LastItem() const
{
    return current_ && current_->count() > 0 ? current_->item(current_->count() - 1) : nullptr;
}

void TfrxOutline::MoveItemsToNextPage(TfrxXMLItem* item, int newTop)
{
    if (!item || !item->parent())
        return;
    TfrxXMLItem* parent = item->parent();
    const int next = parent->indexOf(item) + 1;
    if (next <= 0 || next >= parent->count())
        return;
    TfrxXMLItem* sibling = parent->item(next);
    shiftToNextPage(sibling, newTop - sibling->getAttr("top").toInt());
}

} // namespace report
