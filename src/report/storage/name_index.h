#pragma once

// The components of a tree by name, ignoring letter case, as the reader of a template keeps
// them. It holds no copy of any name, only its hash: entries are compared by their
// components' own names, so a component is taken out under the name it had before it was
// renamed.

#include <QStringView>
#include <vector>

namespace report {

class TfrxComponent;

class NameIndex {
public:
    void clear();
    // Room for about that many names without growing.
    void reserve(qsizetype count);
    qsizetype size() const { return count_; }

    // The component of that name, or null.
    TfrxComponent* find(QStringView name) const;
    // Maps the component's current (non-empty) name to it, in place of any other with that
    // name.
    void insert(TfrxComponent* component);
    // Takes the component out if it is the one mapped under oldName, the name it had when
    // it was inserted.
    void remove(TfrxComponent* component, QStringView oldName);

private:
    void grow();

    // Open addressing with linear probing over a power-of-two table; a null component is a
    // free slot. The hash kept with each entry spares reading the names of the others.
    struct Slot {
        size_t hash = 0;
        TfrxComponent* component = nullptr;
    };
    std::vector<Slot> slots_;
    qsizetype count_ = 0;
};

// A hash of the text that is the same for texts equal ignoring letter case (case folding
// by code point, as QString's case-insensitive comparison folds).
size_t caseInsensitiveHash(QStringView text);

} // namespace report
