#pragma once

// The base of every object of a report: name, bounds, font with inheritance from the parent,
// the ordered list of children, and the lookups over the tree.

#include "report/model/frx_font.h"
#include "report/model/frx_persistent.h"
#include "report/model/property_table.h"

#include <QList>
#include <QString>
#include <memory>


namespace report {

class TfrxPage;
class TfrxReport;
class ExtraDataWriter;
class ExtraDataReader;

#define FRX_CLASS_INFO                                                                                   \
public:                                                                                                  \
    static const ClassInfo& staticClassInfo();                                                           \
    const ClassInfo& classInfo() const override { return staticClassInfo(); }

// A reference to a component that reads as null once the component is destroyed.
template <class T>
class ComponentRef {
public:
    T* get() const { return token_.expired() ? nullptr : ptr_; }
    void set(T* component)
    {
        ptr_ = component;
        token_ = component ? component->lifeToken() : std::weak_ptr<const void>();
    }

private:
    T* ptr_ = nullptr;
    std::weak_ptr<const void> token_;
};

class TfrxComponent : public TfrxPersistent {
    FRX_CLASS_INFO
public:
    // The new object is attached to the given parent, if any.
    explicit TfrxComponent(TfrxComponent* parent = nullptr);
    ~TfrxComponent() override;
    TfrxComponent(const TfrxComponent&) = delete;
    TfrxComponent& operator=(const TfrxComponent&) = delete;

    QString ClassName() const;
    // Stem of generated names: the class name less "Tfrx" and less "View".
    virtual QString BaseName() const;
    // The class name, for designers and messages.
    virtual QString GetDescription() const { return ClassName(); }

    const QString& Name() const { return name_; }
    // Unique within the report; see the failures of SetName in the .cpp.
    virtual void SetName(const QString& name);
    // The smallest unused BaseName + n, n >= 1.
    void CreateUniqueName();

    double Left() const { return left_; }
    double Top() const { return top_; }
    double Width() const { return width_; }
    double Height() const { return height_; }
    virtual void SetLeft(double value);
    virtual void SetTop(double value);
    virtual void SetWidth(double value);
    virtual void SetHeight(double value);
    void SetBounds(double left, double top, double width, double height);

    TfrxFont& Font() { return font_; }
    const TfrxFont& Font() const { return font_; }
    // A font of its own: clears ParentFont and passes the font on to children.
    void SetFont(const TfrxFont& font);
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool value);
    bool Visible() const { return visible_; }
    virtual void SetVisible(bool value) { visible_ = value; }
    int Restrictions() const { return restrictions_; }
    void SetRestrictions(int value) { restrictions_ = value; }
    int Tag{};

    TfrxComponent* Parent() const { return parent_; }
    // Moves the object to the end of the new parent's children (null: detached).
    virtual void SetParent(TfrxComponent* parent);
    const QList<TfrxComponent*>& Objects() const { return objects_; }
    // Moves a child to another place in the list (clamped to the list).
    void SetChildIndex(TfrxComponent* child, int index);
    // Every descendant, depth first, each before its children; not the object itself.
    QList<TfrxComponent*> AllObjects() const;
    // First descendant with that name, ignoring letter case.
    TfrxComponent* FindObject(const QString& name) const;
    // Whether this component may hold the other as a child (bands hold views, pages bands).
    virtual bool IsAcceptedChild(const TfrxComponent& child) const { (void)child; return true; }

    double AbsLeft() const;
    double AbsTop() const;
    TfrxPage* Page() const;     // nearest page, the object itself included
    TfrxReport* Report() const; // nearest report, the object itself included

    // Destroys the children except those inherited from an ancestor template, which are
    // cleared in turn.
    virtual void Clear();
    virtual void AlignChildren();

    // Copies every stored property (not the name, not the children).
    void Assign(const TfrxComponent& source);
    // Same, then replaces the children by copies of the source's.
    void AssignAll(const TfrxComponent& source);

    // Flags: created by a designer; read from a template right now; inherited from an
    // ancestor template; being written by the serialiser.
    bool IsDesigning = false;
    bool IsLoading = false;
    bool IsAncestor = false;
    bool IsWriting = false;
    // Called once the whole tree (or single object) it belongs to has been read.
    virtual void Loaded() {}

    // Data streamed beyond the published properties (pictures, rich text).
    virtual void WriteExtraData(ExtraDataWriter& writer) const { (void)writer; }
    // Whether WriteExtraData writes the same bytes for the other object, one of this class;
    // a class that writes its own data answers from its fields, without writing them.
    virtual bool SameExtraData(const TfrxComponent& other) const;
    // Reads one such property; false when the name is not one of this object's.
    virtual bool ReadExtraProperty(const QString& name, ExtraDataReader& reader);

    std::weak_ptr<const void> lifeToken() const { return life_; }

protected:
    void subObjectChanged(TfrxPersistent* sub) override;
    // The parent's font reaches the object (attach, ParentFont set, parent's font changed).
    void takeParentFont(const TfrxFont& font);
    virtual void FontChanged();
    bool restricted(int element) const;

private:
    // Values on creation come from the property table.
    QString name_;
    double left_{}, top_{}, width_{}, height_{};
    TfrxFont font_;
    bool parentFont_{};
    bool visible_{};
    int restrictions_{};
    bool inheritingFont_ = false;
    bool passingFontOn_ = false;
    TfrxComponent* parent_ = nullptr;
    QList<TfrxComponent*> objects_;
    std::shared_ptr<const char> life_ = std::make_shared<const char>(0);
};

// Anything that is printed or takes part in printing.
class TfrxReportComponent : public TfrxComponent {
    FRX_CLASS_INFO
public:
    explicit TfrxReportComponent(TfrxComponent* parent = nullptr);

    QString Description;
    QString OnBeforePrint; // script procedure names, empty for none
    QString OnAfterPrint;

    // Remembers the designed bounds; AfterPrint puts them back.
    virtual void BeforePrint();
    virtual void GetData() {}
    virtual void AfterPrint();
    virtual QString GetComponentText() const { return {}; }
    // Left, top, right, bottom in absolute units.
    struct Rect {
        double left, top, right, bottom;
    };
    virtual Rect GetRealBounds() const;

private:
    double savedLeft_ = 0, savedTop_ = 0, savedWidth_ = 0, savedHeight_ = 0;
};

template <class T>
TfrxComponent* makeComponent(TfrxComponent* parent)
{
    return new T(parent);
}

} // namespace report

Q_DECLARE_METATYPE(report::TfrxComponent*)
