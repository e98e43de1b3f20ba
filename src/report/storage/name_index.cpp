#include "report/storage/name_index.h"

#include "report/model/frx_component.h"

namespace report {

size_t caseInsensitiveHash(QStringView text)
{
    size_t hash = 14695981039346656037ull;
    const char16_t* p = text.utf16();
    const char16_t* const end = p + text.size();
    while (p < end) {
        char32_t c = *p++;
        if (c < 0x80) {
            if (c >= 'A' && c <= 'Z')
                c += 'a' - 'A';
        } else {
            if (QChar::isHighSurrogate(c) && p < end && QChar::isLowSurrogate(*p))
                c = QChar::surrogateToUcs4(char16_t(c), *p++);
            c = QChar::toCaseFolded(c);
        }
        hash = (hash ^ c) * 1099511628211ull;
    }
    return hash ^ (hash >> 29);
}

namespace {

bool sameName(const TfrxComponent* c, QStringView name)
{
    return QStringView(c->Name()).compare(name, Qt::CaseInsensitive) == 0;
}

} // namespace

void NameIndex::clear()
{
    slots_.clear();
    count_ = 0;
}

void NameIndex::reserve(qsizetype count)
{
    size_t size = 16;
    while (size < size_t(count) * 2)
        size *= 2;
    if (size <= slots_.size())
        return;
    std::vector<Slot> old(size);
    old.swap(slots_);
    const size_t mask = size - 1;
    for (const Slot& entry : old) {
        if (!entry.component)
            continue;
        size_t i = entry.hash & mask;
        while (slots_[i].component)
            i = (i + 1) & mask;
        slots_[i] = entry;
    }
}

void NameIndex::grow()
{
    reserve(slots_.empty() ? 8 : qsizetype(slots_.size()));
}

TfrxComponent* NameIndex::find(QStringView name) const
{
    if (slots_.empty() || name.isEmpty())
        return nullptr;
    const size_t hash = caseInsensitiveHash(name);
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& entry = slots_[i];
        if (!entry.component)
            return nullptr;
        if (entry.hash == hash && sameName(entry.component, name))
            return entry.component;
    }
}

void NameIndex::insert(TfrxComponent* component)
{
    const QString& name = component->Name();
    if (name.isEmpty())
        return;
    // At most half full, so every probe ends at a free slot.
    if (size_t(count_ + 1) * 2 > slots_.size())
        grow();
    const size_t hash = caseInsensitiveHash(name);
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        Slot& entry = slots_[i];
        if (!entry.component) {
            entry = {hash, component};
            ++count_;
            return;
        }
        if (entry.component == component || (entry.hash == hash && sameName(entry.component, name))) {
            entry = {hash, component};
            return;
        }
    }
}

void NameIndex::remove(TfrxComponent* component, QStringView oldName)
{
    if (slots_.empty() || oldName.isEmpty())
        return;
    const size_t mask = slots_.size() - 1;
    size_t i = caseInsensitiveHash(oldName) & mask;
    for (;; i = (i + 1) & mask) {
        if (!slots_[i].component)
            return;
        if (slots_[i].component == component)
            break;
    }
    // Backward shift: later entries of the run move up into the hole when their home slot
    // allows it, so no probe stops early at it.
    slots_[i] = {};
    --count_;
    for (size_t j = (i + 1) & mask; slots_[j].component; j = (j + 1) & mask) {
        const size_t home = slots_[j].hash & mask;
        // Whether home lies cyclically outside (i, j]: then the entry may move to i.
        const bool movable = i <= j ? (home <= i || home > j) : (home <= i && home > j);
        if (movable) {
            slots_[i] = slots_[j];
            slots_[j] = {};
            i = j;
        }
    }
}

} // namespace report
