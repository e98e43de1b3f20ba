// Splitting a band that does not fit (AllowSplit): the band goes out in pieces, one per
// page or column. Objects that fit the free space go in the current piece; a stretchable
// object that starts above the free space's end puts out the part of its content that
// fits and keeps the rest for the next piece, and what lies below it moves along.

#include "report/engine/engine_extensions.h"

#include "report/engine/frx_engine.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_views.h"
#include "report/pages/preview_pages.h"
#include "report/render/item_render.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace report {

namespace {

constexpr double kEps = 0.0001;
// A bound on the pieces of one band, far above any real content.
constexpr int kMaxPieces = 100000;

struct Waiting {
    TfrxView* view;
    bool stretchable;
    double height; // what is left of a stretchable object's content
    bool moved = false;
};

bool overlapsHorizontally(const TfrxView& a, const TfrxView& b)
{
    return !(a.Left() >= b.Left() + b.Width() - kEps || b.Left() >= a.Left() + a.Width() - kEps);
}

// The waiting objects that start at or below `above`'s bottom and overlap it horizontally
// move down by `by`, each once per piece.
void moveBelow(std::vector<Waiting>& waiting, const TfrxView& above, double by)
{
    const double bottom = above.Top() + above.Height();
    for (Waiting& w : waiting) {
        if (w.view == &above || w.moved || w.view->Top() < bottom - kEps || !overlapsHorizontally(above, *w.view))
            continue;
        w.view->SetTop(w.view->Top() + by);
        w.moved = true;
    }
}

struct Piece {
    std::vector<Waiting> waiting;
    QList<TfrxView*> objects;
};

// Whether a stretchable object has put out all of its content: a text object knows what
// it has left; for other kinds the remembered height says it.
bool partDone(TfrxView& view, double remembered, double room, double d)
{
    if (const auto* memo = as<TfrxCustomMemoView>(&view))
        return memo->PartRemainder().isEmpty();
    return d <= 0 || remembered <= room + kEps;
}

// A stretchable object that starts above the end of the free space puts out what fits
// there. The remembered height of what it has left is only an estimate, so it is given
// all the room there is and asked what remains.
void drawStretchablePart(Piece& piece, Waiting& w, double free)
{
    TfrxView& v = *w.view;
    const double room = free - v.Top();
    v.SetHeight(room);
    const double d = drawItemPart(v);
    if (std::abs(d - room) < kEps) {
        // Nothing fitted: it waits for the next piece whole.
        moveBelow(piece.waiting, v, d);
        v.SetTop(free);
        v.SetHeight(w.height);
        return;
    }
    piece.objects.append(&v);
    if (partDone(v, w.height, room, d)) {
        // The last part: as high as it needs, or as its remembered height.
        v.SetHeight(std::max(std::min(w.height, room), room - d));
        w.height = -1;
        return;
    }
    moveBelow(piece.waiting, v, d);
    // Something is left, however short the estimate says it is.
    w.height = std::max(w.height - room + d, 1.0);
}

// Step 1 of a piece: which objects go into it, at the free space `free`. Objects aligned
// to the band's bottom wait for the last piece.
void fillPiece(Piece& piece, double free)
{
    for (Waiting& w : piece.waiting)
        w.moved = false;
    for (Waiting& w : piece.waiting) {
        TfrxView& v = *w.view;
        if (v.Align == TfrxAlign::baBottom || w.height < 0)
            continue;
        if (v.Top() < free && w.stretchable) {
            drawStretchablePart(piece, w, free);
        } else if (v.Top() + v.Height() <= free + kEps) {
            piece.objects.append(&v);
            w.height = -1;
        } else if (v.Top() < free) {
            moveBelow(piece.waiting, v, free - v.Top());
            v.SetTop(free);
        }
    }
    std::erase_if(piece.waiting, [](const Waiting& w) { return w.height < 0; });
    const bool onlyBottom = std::all_of(piece.waiting.begin(), piece.waiting.end(),
                                        [](const Waiting& w) { return w.view->Align == TfrxAlign::baBottom; });
    if (onlyBottom) {
        for (Waiting& w : piece.waiting)
            piece.objects.append(w.view);
        piece.waiting.clear();
    }
}

// Nothing fits an empty page: the first waiting object goes out whole (clipped by the
// page) so that the band always gets on.
void forceFirst(Piece& piece)
{
    auto first = std::min_element(piece.waiting.begin(), piece.waiting.end(),
                                  [](const Waiting& a, const Waiting& b) { return a.view->Top() < b.view->Top(); });
    TfrxView& v = *first->view;
    v.SetTop(std::max(0.0, v.Top()));
    if (first->stretchable) {
        // Content that does not fit even an empty page goes out whole (and is clipped
        // where the page ends) rather than being lost.
        constexpr double kAll = 1e7;
        v.SetHeight(kAll);
        v.SetHeight(kAll - drawItemPart(v));
    }
    piece.objects.append(&v);
    piece.waiting.erase(first);
}

// Step 2: the band's height for the piece, and on the last piece the objects that reach
// the band's bottom.
void sizePiece(TfrxBand& band, const Piece& piece)
{
    double bottom = 0;
    for (const TfrxView* v : piece.objects)
        bottom = std::max(bottom, v->Top() + v->Height());
    band.SetHeight(bottom);
    if (!piece.waiting.empty())
        return;
    for (TfrxView* v : piece.objects) {
        if (v->Align == TfrxAlign::baBottom)
            v->SetTop(bottom - v->Height());
        else if (auto* s = as<TfrxStretcheable>(v); s && s->StretchMode == TfrxStretchMode::smMaxHeight)
            s->SetHeight(bottom - s->Top());
    }
}

// The band goes to the page holding only the piece's objects; the designed list comes back
// in its order.
void appendPiece(TfrxEngine& engine, TfrxBand& band, const QList<TfrxComponent*>& designed,
                 const QList<TfrxView*>& objects)
{
    for (TfrxComponent* c : designed)
        c->SetParent(nullptr);
    for (TfrxView* v : objects)
        v->SetParent(&band);
    const auto restore = [&] {
        for (TfrxComponent* c : designed)
            c->SetParent(nullptr);
        for (TfrxComponent* c : designed)
            c->SetParent(&band);
    };
    try {
        engine.PreviewPages().AppendObject(band);
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

} // namespace

bool EngineExtensions::splitBand(TfrxEngine& engine, TfrxBand& band)
{
    if (collecting())
        return false;
    const QList<TfrxComponent*> designed = band.Objects();
    Piece piece;
    for (TfrxComponent* c : designed) {
        auto* view = as<TfrxView>(c);
        if (!view || as<TfrxSubreport>(view) || !view->Visible())
            continue;
        const bool stretchable = as<TfrxStretcheable>(view) != nullptr;
        if (stretchable)
            initItemPart(*view);
        piece.waiting.push_back({view, stretchable, view->Height()});
    }
    bool freshPage = false;
    for (int n = 0; !piece.waiting.empty() && n < kMaxPieces; ++n) {
        const double free = engine.FreeSpace();
        piece.objects.clear();
        fillPiece(piece, free);
        if (piece.objects.isEmpty() && freshPage)
            forceFirst(piece);
        sizePiece(band, piece);
        band.SetLeft(engine.CurX);
        band.SetTop(engine.CurY);
        if (!piece.objects.isEmpty())
            appendPiece(engine, band, designed, piece.objects);
        freshPage = !piece.waiting.empty();
        if (freshPage)
            engine.NewColumn();
        else
            engine.CurY += band.Height();
        for (Waiting& w : piece.waiting) {
            w.view->SetTop(w.view->Top() - free);
            if (w.stretchable) {
                w.view->SetTop(std::max(0.0, w.view->Top()));
                w.view->SetHeight(w.height);
            }
        }
    }
    return true;
}

} // namespace report
