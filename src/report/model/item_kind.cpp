#include "report/model/item_kind.h"

#include "report/model/frx_views.h"
#include "report/model/property_table.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <unordered_map>

namespace report {

namespace {

std::unordered_map<const ClassInfo*, ItemKind>& ownEntries()
{
    static std::unordered_map<const ClassInfo*, ItemKind> entries;
    return entries;
}

// Bumped by every registration, so each thread's resolved entries are made again.
std::atomic<unsigned> generation{0};

ItemKind resolve(const ClassInfo& cls)
{
    ItemKind resolved;
    const auto& entries = ownEntries();
    for (const ClassInfo* c = &cls; c; c = c->parent()) {
        const auto it = entries.find(c);
        if (it == entries.end())
            continue;
        const ItemKind& own = it->second;
        if (!resolved.painter)
            resolved.painter = own.painter;
        if (!resolved.measurer)
            resolved.measurer = own.measurer;
        if (!resolved.getData)
            resolved.getData = own.getData;
        if (!resolved.prepared)
            resolved.prepared = own.prepared;
    }
    if (!resolved.prepared)
        resolved.prepared = PreparedKind::Hidden;
    return resolved;
}

} // namespace

double ItemMeasurer::calcHeight(TfrxView& view, TfrxTextContext&) const { return view.Height(); }

double ItemMeasurer::calcWidth(TfrxView& view, TfrxTextContext&) const { return view.Width(); }

void ItemMeasurer::initPart(TfrxView&) const {}

double ItemMeasurer::drawPart(TfrxView&, TfrxTextContext&) const { return 0; }

void registerItemKind(const ClassInfo& cls, const ItemKind& kind)
{
    ownEntries().insert_or_assign(&cls, kind);
    generation.fetch_add(1, std::memory_order_release);
}

const ItemKind& itemKindOf(const ClassInfo& cls)
{
    // Resolved once per class and registration, then kept beside the class: every later call
    // is two loads and a compare. Resolved entries are never freed (registrations are few),
    // so a returned entry stays valid.
    struct Resolved {
        ItemKind kind;
        unsigned generation;
    };
    static std::mutex resolving;
    static std::deque<Resolved> kept;
    const unsigned now = generation.load(std::memory_order_acquire);
    const auto* known = static_cast<const Resolved*>(cls.kindCache().load(std::memory_order_acquire));
    if (known && known->generation == now)
        return known->kind;
    const std::lock_guard lock(resolving);
    const Resolved& made = kept.emplace_back(Resolved{resolve(cls), now});
    cls.kindCache().store(&made, std::memory_order_release);
    return made.kind;
}

} // namespace report
