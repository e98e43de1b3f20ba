#pragma once

#include "platform/error.h"

namespace report {

class ClassInfo;

// A failure of the report engine; the message is the text shown to the operator.
class ReportError : public platform::Error {
public:
    using platform::Error::Error;
};

// Anything with published properties: components, and the records they own (font, frame,
// display format, option records, collection items).
class TfrxPersistent {
public:
    virtual ~TfrxPersistent() = default;
    virtual const ClassInfo& classInfo() const = 0;

    // The object that owns this one as a sub-object, told about changes; null for none.
    TfrxPersistent* owner() const { return owner_; }
    void setOwner(TfrxPersistent* owner) { owner_ = owner; }

protected:
    TfrxPersistent() = default;
    // Copies are values: a copy belongs to no owner, and assigning keeps the owner.
    TfrxPersistent(const TfrxPersistent&) {}
    TfrxPersistent& operator=(const TfrxPersistent&) { return *this; }

    // Called on the owner after a property of an owned sub-object changed.
    virtual void subObjectChanged(TfrxPersistent* sub) { (void)sub; }
    void changed()
    {
        if (owner_)
            owner_->subObjectChanged(this);
    }

private:
    TfrxPersistent* owner_ = nullptr;
};

} // namespace report

#include <QMetaType>
Q_DECLARE_METATYPE(report::TfrxPersistent*)
