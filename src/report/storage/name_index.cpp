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
    std::vector<TfrxComponent*> old(size, nullptr);
    old.swap(slots_);
    count_ = 0;
    for (TfrxComponent* c : old)
        if (c)
            insert(c);
}

void NameIndex::grow()
{
    reserve(slots_.empty() ? 8 : qsizetype(slots_.size()));
}

size_t NameIndex::slotOf(QStringView name) const
{
    return caseInsensitiveHash(name) & (slots_.size() - 1);
}

TfrxComponent* NameIndex::find(QStringView name) const
{
    if (slots_.empty() || name.isEmpty())
        return nullptr;
    const size_t mask = slots_.size() - 1;
    for (size_t i = slotOf(name);; i = (i + 1) & mask) {
        TfrxComponent* c = slots_[i];
        if (!c)
            return nullptr;
        if (sameName(c, name))
            return c;
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
    const size_t mask = slots_.size() - 1;
    for (size_t i = slotOf(name);; i = (i + 1) & mask) {
        TfrxComponent*& c = slots_[i];
        if (!c) {
            c = component;
            ++count_;
            return;
        }
        if (c == component || sameName(c, name)) {
            c = component;
            return;
        }
    }
}

void NameIndex::remove(TfrxComponent* component, QStringView oldName)
{
    if (slots_.empty() || oldName.isEmpty())
        return;
    const size_t mask = slots_.size() - 1;
    size_t i = slotOf(oldName);
    for (;; i = (i + 1) & mask) {
        if (!slots_[i])
            return;
        if (slots_[i] == component)
            break;
    }
    // Backward shift: later entries of the run move up into the hole when their home slot
    // allows it, so no probe stops early at it.
    slots_[i] = nullptr;
    --count_;
    for (size_t j = (i + 1) & mask; slots_[j]; j = (j + 1) & mask) {
        const size_t home = slotOf(slots_[j]->Name());
        // Whether home lies cyclically outside (i, j]: then the entry may move to i.
        const bool movable = i <= j ? (home <= i || home > j) : (home <= i && home > j);
        if (movable) {
            slots_[i] = slots_[j];
            slots_[j] = nullptr;
            i = j;
        }
    }
}

} // namespace report
