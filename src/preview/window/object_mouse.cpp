#include "preview/window/object_mouse.h"

#include "preview/window/preview_control.h"
#include "preview/window/preview_workspace.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/model/frx_types.h"
#include "report/model/frx_views.h"
#include "report/pages/preview_pages.h"
#include "report/xml/xml_form.h"
#include "platform/widgets/shell_open.h"

#include <QDir>
#include <QRectF>
#include <QScrollBar>

namespace preview {

using namespace report;

TfrxComponent* objectUnderMouse(TfrxReportPage& page, QPointF pagePos, bool mirrored)
{
    const double left = (mirrored ? page.RightMargin : page.LeftMargin) * fr01cm;
    const QPointF p = pagePos - QPointF(left, page.TopMargin * fr01cm);
    const QList<TfrxComponent*> objects = page.AllObjects();
    for (qsizetype i = objects.size() - 1; i >= 0; --i) {
        TfrxComponent* object = objects[i];
        if (!dynamic_cast<TfrxView*>(object) && !dynamic_cast<TfrxGroupHeader*>(object))
            continue;
        // Right and bottom edges excluded.
        const double l = object->AbsLeft(), t = object->AbsTop();
        if (p.x() >= l && p.x() < l + object->Width() && p.y() >= t && p.y() < t + object->Height())
            return object;
    }
    return nullptr;
}

TfrxGroupHeader* drillDownGroupOf(TfrxComponent* object)
{
    for (TfrxComponent* c : {object, object ? object->Parent() : nullptr}) {
        auto* group = dynamic_cast<TfrxGroupHeader*>(c);
        if (group && group->DrillDown)
            return group;
        if (!dynamic_cast<TfrxView*>(object))
            break;
    }
    return nullptr;
}

Qt::CursorShape cursorShapeOf(int cursor)
{
    // The platform's cursor numbers: crCross -3, crIBeam -4, crSizeAll -22, crSizeNESW -6,
    // crSizeNS -7, crSizeNWSE -8, crSizeWE -9, crUpArrow -10, crHourGlass -11, crNo -18,
    // crHandPoint -21, crHelp -20.
    switch (cursor) {
    case -3: return Qt::CrossCursor;
    case -4: return Qt::IBeamCursor;
    case -6: return Qt::SizeBDiagCursor;
    case -7: return Qt::SizeVerCursor;
    case -8: return Qt::SizeFDiagCursor;
    case -9: return Qt::SizeHorCursor;
    case -10: return Qt::UpArrowCursor;
    case -11: return Qt::WaitCursor;
    case -18: return Qt::ForbiddenCursor;
    case -20: return Qt::WhatsThisCursor;
    case -21: return Qt::PointingHandCursor;
    case -22: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
    }
}

namespace {

// Follows a view's URL: "@N" goes to page N, "#name" to the latest anchor of that name, any
// other address opens through the desktop when it is safe to open.
void followUrl(TfrxPreview& preview, const QString& url)
{
    if (url.startsWith(u'@')) {
        preview.setPageNo(url.mid(1).trimmed().toInt());
        return;
    }
    if (url.startsWith(u'#')) {
        TfrxXMLItem* root = preview.pages().Root();
        const int at = root ? root->findChild("anchors") : -1;
        if (at < 0)
            return;
        const TfrxXMLItem* anchors = root->item(at);
        const QString name = url.mid(1);
        for (int i = anchors->count() - 1; i >= 0; --i) {
            const TfrxXMLItem* item = anchors->item(i);
            if (QString::fromUtf8(item->getAttr("text")).compare(name, Qt::CaseInsensitive) == 0) {
                preview.goToPosition(item->getAttr("page").toInt() + 1, item->getAttr("top").toInt());
                return;
            }
        }
        return;
    }
    platform::openCheckedAddress(url, QDir::currentPath());
}

} // namespace

void TfrxPreview::mouseOverSurface(QPoint surfacePos, bool click, Qt::MouseButton button,
                                   Qt::KeyboardModifiers shift)
{
    if (OnStatusText)
        OnStatusText(QString());
    if (running_ || locked_)
        return;
    const int index = workspace_->pageList().pageAt(surfacePos);
    if (index < 0)
        return;
    Qt::CursorShape cursor = Qt::ArrowCursor;
    QString url;
    bool drillDown = false, changed = false;
    try {
        TfrxReportPage* page = pages().GetPreparedPage(index);
        if (!page)
            return;
        const QPointF onPage = QPointF(surfacePos - workspace_->pageList().item(index).rect().topLeft()) / zoom_;
        TfrxComponent* object = objectUnderMouse(*page, onPage, page->MirrorMargins && index % 2 == 1);
        if (TfrxGroupHeader* group = drillDownGroupOf(object)) {
            drillDown = true;
            cursor = Qt::PointingHandCursor;
            if (click && button == Qt::LeftButton) {
                const QString key = group->Name() + u'.' + QString::number(group->Tag);
                if (!report().ToggledGroups.removeOne(key))
                    report().ToggledGroups << key;
            }
        } else if (auto* view = dynamic_cast<TfrxView*>(object)) {
            cursor = cursorShapeOf(view->Cursor);
            url = view->URL;
            if (!url.isEmpty() && view->Cursor == 0)
                cursor = Qt::PointingHandCursor;
            if (!click && OnMouseOverObject)
                OnMouseOverObject(*view);
            if (click && OnClickObject && OnClickObject(*view, button, shift)) {
                pages().ReplacePage(index, *page);
                if (search_.runsPage == index)
                    search_.runsPage = -1; // its texts are drawn again for the next find
                changed = true;
            }
        }
    } catch (...) {
        // A page that cannot be rebuilt has no objects to offer.
    }
    workspace_->viewport()->setCursor(cursor);
    if (!url.isEmpty() && OnStatusText)
        OnStatusText(url);
    if (changed)
        workspace_->viewport()->update();
    if (click && drillDown && button == Qt::LeftButton && OnDrillDown)
        OnDrillDown();
    else if (click && !url.isEmpty())
        followUrl(*this, url);
}

} // namespace preview
