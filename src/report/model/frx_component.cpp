#include "report/model/frx_component.h"

#include "report/frx_resources.h"
#include "report/model/detail/component_props.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/model/extra_data.h"

#include <QSet>

namespace report {

using namespace detail;

const ClassInfo& TfrxComponent::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        static const ClassInfo built("TfrxComponent", nullptr, {
            nameProp(),
            tagProp(),
            leftProp().initial(0.0).unpublished(),
            topProp().initial(0.0).unpublished(),
            widthProp().initial(0.0).unpublished(),
            heightProp().initial(0.0).unpublished(),
            fontProp().unpublished(),
            parentFontProp().unpublished(),
            visibleProp().unpublished(),
            restrictionsProp().unpublished(),
        });
        return built;
    }();
    return info;
}

TfrxComponent::TfrxComponent(TfrxComponent* parent)
{
    font_.setOwner(this);
    initProperties(*this, staticClassInfo());
    if (parent)
        SetParent(parent);
}

TfrxComponent::~TfrxComponent()
{
    if (parent_)
        parent_->objects_.removeOne(this);
    if (objects_.isEmpty())
        return;
    // Descendants are destroyed one by one, each detached just before: no recursion however
    // deep the tree, and no search of a parent's list for each child. Each comes before its
    // own descendants, which are no longer reached through it.
    const QList<TfrxComponent*> all = AllObjects();
    for (TfrxComponent* c : all) {
        c->parent_ = nullptr;
        c->objects_.clear();
        delete c;
    }
}

QString TfrxComponent::ClassName() const
{
    return classInfo().name();
}

QString TfrxComponent::BaseName() const
{
    QString base = ClassName();
    if (base.startsWith(QLatin1StringView("Tfrx")))
        base.remove(0, 4);
    const qsizetype view = base.indexOf(QLatin1StringView("View"));
    if (view >= 0)
        base.remove(view, 4);
    return base;
}

void TfrxComponent::SetName(const QString& name)
{
    if (name.compare(name_, Qt::CaseInsensitive) == 0)
        return;
    if (IsAncestor)
        throw ReportError(QStringLiteral("Could not rename %1, it was introduced in the ancestor report").arg(name_));
    // While a template is read, the reader itself maps every name to one object.
    if (!name.isEmpty() && !IsLoading) {
        const TfrxReport* report = Report();
        const TfrxComponent* other = report ? report->FindObject(name) : nullptr;
        if (other && other != this)
            throw ReportError(frxGet(QStringLiteral("prDupl")));
    }
    name_ = name;
}

void TfrxComponent::CreateUniqueName()
{
    QSet<QString> taken;
    const TfrxComponent* scope = Report();
    if (!scope)
        scope = parent_;
    if (scope)
        for (const TfrxComponent* c : scope->AllObjects())
            taken.insert(c->name_.toLower());
    const QString base = BaseName();
    for (int n = 1;; ++n) {
        const QString candidate = base + QString::number(n);
        if (!taken.contains(candidate.toLower())) {
            name_ = candidate;
            return;
        }
    }
}

bool TfrxComponent::restricted(int element) const
{
    return IsDesigning && (restrictions_ & (1 << element)) != 0;
}

void TfrxComponent::SetLeft(double value)
{
    if (!restricted(int(TfrxRestriction::rfDontMove)))
        left_ = value;
}

void TfrxComponent::SetTop(double value)
{
    if (!restricted(int(TfrxRestriction::rfDontMove)))
        top_ = value;
}

void TfrxComponent::SetWidth(double value)
{
    if (!restricted(int(TfrxRestriction::rfDontSize)))
        width_ = value;
}

void TfrxComponent::SetHeight(double value)
{
    if (!restricted(int(TfrxRestriction::rfDontSize)))
        height_ = value;
}

void TfrxComponent::SetBounds(double left, double top, double width, double height)
{
    SetLeft(left);
    SetTop(top);
    SetWidth(width);
    SetHeight(height);
}

void TfrxComponent::SetFont(const TfrxFont& font)
{
    font_ = font; // tells subObjectChanged
}

void TfrxComponent::SetParentFont(bool value)
{
    parentFont_ = value;
    if (value && parent_)
        takeParentFont(parent_->font_);
}

void TfrxComponent::takeParentFont(const TfrxFont& font)
{
    inheritingFont_ = true;
    font_ = font; // tells subObjectChanged, which passes it on
    inheritingFont_ = false;
}

void TfrxComponent::subObjectChanged(TfrxPersistent* sub)
{
    if (sub == &font_ && !passingFontOn_)
        FontChanged();
}

void TfrxComponent::FontChanged()
{
    // While a template is read the stored ParentFont decides, not the order of attributes.
    if (!inheritingFont_ && !IsLoading)
        parentFont_ = false;
    if (objects_.isEmpty())
        return;
    // Down through every descendant that follows its parent, without recursion.
    QList<TfrxComponent*> pending{this};
    while (!pending.isEmpty()) {
        TfrxComponent* node = pending.takeLast();
        for (TfrxComponent* child : node->objects_) {
            if (!child->parentFont_)
                continue;
            child->passingFontOn_ = true;
            child->font_ = node->font_;
            child->passingFontOn_ = false;
            pending.append(child);
        }
    }
}

void TfrxComponent::SetParent(TfrxComponent* parent)
{
    if (parent_ == parent)
        return;
    if (parent_)
        parent_->objects_.removeOne(this);
    parent_ = parent;
    if (parent_) {
        parent_->objects_.append(this);
        if (parentFont_)
            takeParentFont(parent_->font_);
    }
}

void TfrxComponent::SetChildIndex(TfrxComponent* child, int index)
{
    const qsizetype from = objects_.indexOf(child);
    if (from < 0)
        return;
    objects_.move(from, std::clamp<qsizetype>(index, 0, objects_.size() - 1));
}

QList<TfrxComponent*> TfrxComponent::AllObjects() const
{
    QList<TfrxComponent*> result;
    // Depth first without recursion, so deep trees from damaged files cannot exhaust the stack.
    QList<std::pair<const TfrxComponent*, qsizetype>> stack{{this, 0}};
    while (!stack.isEmpty()) {
        auto& [node, index] = stack.last();
        if (index >= node->objects_.size()) {
            stack.removeLast();
            continue;
        }
        TfrxComponent* child = node->objects_[index++];
        result.append(child);
        stack.append({child, 0});
    }
    return result;
}

TfrxComponent* TfrxComponent::FindObject(const QString& name) const
{
    for (TfrxComponent* c : AllObjects())
        if (c->name_.compare(name, Qt::CaseInsensitive) == 0)
            return c;
    return nullptr;
}

// These walk up the class table rather than dynamic_cast, which compares type names on
// this platform: bands ask for their page whenever they are placed, painters for the
// absolute position of every object.
double TfrxComponent::AbsLeft() const
{
    double sum = 0;
    for (const TfrxComponent* c = this; c && !c->classInfo().inheritsFrom(TfrxDialogPage::staticClassInfo());
         c = c->parent_)
        sum += c->left_;
    return sum;
}

double TfrxComponent::AbsTop() const
{
    double sum = 0;
    for (const TfrxComponent* c = this; c && !c->classInfo().inheritsFrom(TfrxDialogPage::staticClassInfo());
         c = c->parent_)
        sum += c->top_;
    return sum;
}

TfrxPage* TfrxComponent::Page() const
{
    for (const TfrxComponent* c = this; c; c = c->parent_)
        if (c->classInfo().inheritsFrom(TfrxPage::staticClassInfo()))
            return static_cast<TfrxPage*>(const_cast<TfrxComponent*>(c));
    return nullptr;
}

TfrxReport* TfrxComponent::Report() const
{
    for (const TfrxComponent* c = this; c; c = c->parent_)
        if (c->classInfo().inheritsFrom(TfrxReport::staticClassInfo()))
            return static_cast<TfrxReport*>(const_cast<TfrxComponent*>(c));
    return nullptr;
}

void TfrxComponent::Clear()
{
    const QList<TfrxComponent*> children = objects_;
    objects_.clear();
    for (TfrxComponent* child : children) {
        if (child->IsAncestor) {
            objects_.append(child);
            child->Clear();
        } else {
            child->parent_ = nullptr;
            delete child;
        }
    }
}

void TfrxComponent::Assign(const TfrxComponent& source)
{
    auto& src = const_cast<TfrxComponent&>(source);
    // Between objects of one class every property is shared; only other classes need the
    // look-up by name (a copy of each template object is made for every preparation).
    const bool sameClass = &source.classInfo() == &classInfo();
    for (const PropInfo* p : classInfo().properties()) {
        if (!p->published || p->name.compare(QLatin1StringView("Name"), Qt::CaseInsensitive) == 0)
            continue;
        if (!sameClass && source.classInfo().find(QByteArrayView(p->latin1Name)) != p)
            continue;
        if (p->kind == PropKind::Object)
            copyProperties(*p->sub(src), *p->sub(*this));
        else if (p->set)
            p->set(*this, p->get(source));
    }
    ExtraDataWriter writer;
    source.WriteExtraData(writer);
    ExtraDataReader reader(writer.data());
    reader.readProperties(*this);
}

void TfrxComponent::AssignAll(const TfrxComponent& source)
{
    Assign(source);
    Clear();
    for (const TfrxComponent* child : source.objects_) {
        const ClassInfo::Factory make = child->classInfo().factory();
        if (!make)
            continue;
        TfrxComponent* copy = make(this);
        copy->name_ = child->name_;
        copy->AssignAll(*child);
    }
}

bool TfrxComponent::SameExtraData(const TfrxComponent& other) const
{
    ExtraDataWriter mine, others;
    WriteExtraData(mine);
    other.WriteExtraData(others);
    return mine.data() == others.data();
}

bool TfrxComponent::ReadExtraProperty(const QString& name, ExtraDataReader& reader)
{
    (void)name;
    (void)reader;
    return false;
}

// ---- TfrxReportComponent ----

const ClassInfo& TfrxReportComponent::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        static const ClassInfo built("TfrxReportComponent", &TfrxComponent::staticClassInfo(), {
            onBeforePrintProp().unpublished(),
            onAfterPrintProp().unpublished(),
        });
        return built;
    }();
    return info;
}

TfrxReportComponent::TfrxReportComponent(TfrxComponent* parent) : TfrxComponent(parent)
{
    initProperties(*this, staticClassInfo());
}

void TfrxReportComponent::BeforePrint()
{
    savedLeft_ = Left();
    savedTop_ = Top();
    savedWidth_ = Width();
    savedHeight_ = Height();
}

void TfrxReportComponent::AfterPrint()
{
    SetBounds(savedLeft_, savedTop_, savedWidth_, savedHeight_);
}

TfrxReportComponent::Rect TfrxReportComponent::GetRealBounds() const
{
    const double left = AbsLeft();
    const double top = AbsTop();
    return {left, top, left + Width(), top + Height()};
}

} // namespace report
