#include "report/model/property_table.h"

#include "report/model/frx_persistent.h"
#include "report/model/frx_types.h"

#include <QHash>
#include <QLocale>
#include <QMutex>
#include <charconv>
#include <cmath>

namespace report {

void registerBuiltInClasses(); // frx_class_registry.cpp

ClassInfo::ClassInfo(const char* name, const ClassInfo* parent, std::vector<PropInfo> own, Factory factory)
    : name_(QString::fromLatin1(name)), latin1Name_(name), parent_(parent), own_(std::move(own)), factory_(factory)
{
    for (PropInfo& p : own_) {
        p.latin1Name = p.name.toLatin1();
        p.hasInit = p.init.isValid();
        if (p.hasInit) {
            p.initInt = p.kind == PropKind::Boolean ? int(variantBool(p.init)) : variantInt(p.init);
            p.initFloat = variantDouble(p.init);
            if (p.kind == PropKind::String)
                p.initString = variantString(p.init);
        }
    }
    if (parent_)
        all_ = parent_->all_;
    for (const PropInfo& p : own_) {
        auto same = std::find_if(all_.begin(), all_.end(), [&](const PropInfo* q) {
            return q->name.compare(p.name, Qt::CaseInsensitive) == 0;
        });
        if (same != all_.end() && ((*same)->published || !p.published)) {
            *same = &p; // a redeclaration keeps the base's place
        } else {
            // Publishing a field that the base kept unpublished adds it at the end.
            if (same != all_.end())
                all_.erase(same);
            all_.push_back(&p);
        }
    }
}

const PropInfo* ClassInfo::find(QStringView name) const
{
    return find(QByteArrayView(name.toLatin1()));
}

const PropInfo* ClassInfo::find(QByteArrayView latin1Name) const
{
    // A scan by length and first letter: a few dozen names, most of another length.
    const qsizetype n = latin1Name.size();
    if (n == 0)
        return nullptr;
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c; };
    const char first = fold(latin1Name[0]);
    for (const PropInfo* p : all_)
        if (p->latin1Name.size() == n && fold(p->latin1Name[0]) == first
            && qstrnicmp(p->latin1Name.constData(), n, latin1Name.data(), n) == 0)
            return p;
    return nullptr;
}

bool ClassInfo::inheritsFrom(const ClassInfo& other) const
{
    for (const ClassInfo* c = this; c; c = c->parent_)
        if (c == &other)
            return true;
    return false;
}

namespace {

struct Registry {
    QMutex lock;
    QHash<QString, const ClassInfo*> classes;
};

Registry& registry()
{
    static Registry r;
    return r;
}

void ensureBuiltIns()
{
    static const bool done = [] {
        registerBuiltInClasses();
        return true;
    }();
    (void)done;
}

} // namespace

void registerClass(const ClassInfo& info)
{
    Registry& r = registry();
    QMutexLocker locker(&r.lock);
    r.classes.insert(info.name().toLower(), &info);
}

const ClassInfo* findClass(QStringView name)
{
    ensureBuiltIns();
    Registry& r = registry();
    QMutexLocker locker(&r.lock);
    return r.classes.value(name.toString().toLower(), nullptr);
}

void initProperties(TfrxPersistent& object, const ClassInfo& info)
{
    for (const PropInfo& p : info.own()) {
        if (!p.hasInit || !p.set)
            continue;
        if (p.setInt && p.intTyped())
            p.setInt(object, p.initInt);
        else if (p.setFloat && p.floatTyped())
            p.setFloat(object, p.initFloat);
        else if (p.setString && p.stringTyped())
            p.setString(object, p.initString);
        else
            p.set(object, p.init);
    }
}

namespace {

// The shortest fixed form that reads back the same, when it needs at most 15 significant
// digits; else the 15-digit general form.
template <class Out>
void appendFloatTo(Out& out, double value)
{
    if (value == 0) {
        out += '0';
        return;
    }
    const double magnitude = std::abs(value);
    if (magnitude >= 1e-4 && magnitude < 1e15) {
        char buffer[64];
        const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
        if (ec == std::errc()) {
            int digits = 0;
            bool leading = true;
            for (const char* c = buffer; c < end; ++c) {
                if (*c < '0' || *c > '9')
                    continue;
                if (*c != '0')
                    leading = false;
                if (!leading)
                    ++digits;
            }
            if (digits <= 15) {
                out.append(buffer, end - buffer);
                return;
            }
        }
    }
    QByteArray text = QString::number(value, 'g', 15).toLatin1();
    if (!text.contains('e') && !text.contains('E') && text.contains('.')) {
        while (text.endsWith('0'))
            text.chop(1);
        if (text.endsWith('.'))
            text.chop(1);
    }
    out.append(text.constData(), text.size());
}

} // namespace

void appendFloatText(QByteArray& out, double value)
{
    appendFloatTo(out, value);
}

void appendFloatText(std::string& out, double value)
{
    appendFloatTo(out, value);
}

QString floatToText(double value)
{
    QByteArray text;
    appendFloatText(text, value);
    return QString::fromLatin1(text);
}

namespace {

// Plain digits, sign, exponent, point or comma, blanks ignored; false for anything else.
template <class Char>
bool readPlainFloat(const Char* text, qsizetype size, double& value)
{
    char buffer[64];
    qsizetype n = 0;
    if (size >= qsizetype(sizeof buffer))
        return false;
    for (qsizetype i = 0; i < size; ++i) {
        const auto c = text[i];
        if (c == ' ')
            continue;
        if (c == ',' || c == '.')
            buffer[n++] = '.';
        else if ((c >= '0' && c <= '9') || c == '-' || c == 'e' || c == 'E' || c == '+')
            buffer[n++] = char(c);
        else
            return false;
    }
    if (n == 0)
        return false;
    const char* first = buffer[0] == '+' ? buffer + 1 : buffer;
    const auto [end, ec] = std::from_chars(first, buffer + n, value);
    return ec == std::errc() && end == buffer + n && std::isfinite(value);
}

} // namespace

double textToFloat(QStringView text)
{
    double value = 0;
    if (readPlainFloat(text.utf16(), text.size(), value))
        return value;
    QString clean;
    clean.reserve(text.size());
    for (QChar c : text) {
        if (c == u',')
            clean.append(u'.');
        else if (c != u' ')
            clean.append(c);
    }
    bool ok = false;
    value = QLocale::c().toDouble(clean, &ok);
    if (!ok || !std::isfinite(value))
        throw ReportError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return value;
}

double textToFloat(QByteArrayView latin1)
{
    double value = 0;
    if (readPlainFloat(latin1.data(), latin1.size(), value))
        return value;
    return textToFloat(QString::fromLatin1(latin1));
}

int textToInt(QByteArrayView latin1)
{
    // Most values are a few plain digits: no conversion to text for those.
    const qsizetype sign = !latin1.isEmpty() && latin1[0] == '-' ? 1 : 0;
    const qsizetype digits = latin1.size() - sign;
    if (digits > 0 && digits <= 9) {
        int value = 0;
        bool plain = true;
        for (qsizetype i = sign; plain && i < latin1.size(); ++i) {
            const char c = latin1[i];
            plain = c >= '0' && c <= '9';
            value = value * 10 + (c - '0');
        }
        if (plain)
            return sign ? -value : value;
    }
    return textToInt(QString::fromLatin1(latin1));
}

int textToInt(QStringView text)
{
    const QStringView t = text.trimmed();
    bool ok = false;
    int value = 0;
    if (t.startsWith(u'$'))
        value = int(t.mid(1).toUInt(&ok, 16));
    else
        value = t.toInt(&ok, 10);
    if (!ok)
        throw ReportError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

namespace {

// Walks a dotted name down through sub-objects to the owner of the last step.
std::pair<TfrxPersistent*, const PropInfo*> resolve(TfrxPersistent& object, QStringView name)
{
    TfrxPersistent* current = &object;
    for (;;) {
        const qsizetype dot = name.indexOf(u'.');
        const QStringView step = dot < 0 ? name : name.left(dot);
        const PropInfo* p = current->classInfo().find(step);
        if (!p)
            throw ReportError(QStringLiteral("Unknown property: \"%1\"").arg(step));
        if (dot < 0)
            return {current, p};
        if (p->kind != PropKind::Object)
            throw ReportError(QStringLiteral("Unknown property: \"%1\"").arg(name));
        current = p->sub(*current);
        name = name.mid(dot + 1);
    }
}

QVariant convertForSet(const PropInfo& p, const QVariant& value)
{
    const bool isText = value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray;
    switch (p.kind) {
    case PropKind::Integer:
    case PropKind::Set:
        return isText ? QVariant(textToInt(value.toString())) : QVariant(value.toInt());
    case PropKind::Boolean:
    case PropKind::Enum: {
        const EnumInfo* info = p.kind == PropKind::Boolean ? nullptr : p.enumInfo;
        if (!isText)
            return p.kind == PropKind::Boolean ? QVariant(value.toBool()) : QVariant(value.toInt());
        const QString text = value.toString().trimmed();
        bool isNumber = false;
        const int number = text.toInt(&isNumber);
        int ordinal = isNumber ? number : -1;
        if (!isNumber)
            ordinal = (info ? info : &BooleanInfo)->ordinalOf(text);
        if (ordinal < 0)
            throw ReportError(QStringLiteral("Invalid property element: %1").arg(text));
        return p.kind == PropKind::Boolean ? QVariant(ordinal != 0) : QVariant(ordinal);
    }
    case PropKind::Float:
        return isText ? QVariant(textToFloat(value.toString())) : QVariant(value.toDouble());
    case PropKind::String:
        return QVariant(value.toString());
    case PropKind::Strings:
    case PropKind::WideStrings:
        if (value.typeId() == QMetaType::QStringList)
            return value;
        return QVariant(value.toString().split(QStringLiteral("\r\n")));
    case PropKind::Reference:
    case PropKind::Variant:
    case PropKind::Object:
        return value;
    }
    return value;
}

} // namespace

QVariant getProperty(const TfrxPersistent& object, QStringView name)
{
    auto [owner, p] = resolve(const_cast<TfrxPersistent&>(object), name);
    return p->get(*owner);
}

void setProperty(TfrxPersistent& object, QStringView name, const QVariant& value)
{
    auto [owner, p] = resolve(object, name);
    if (!p->set)
        throw ReportError(QStringLiteral("Property %1 is read-only").arg(p->name));
    p->set(*owner, convertForSet(*p, value));
}

void copyProperties(const TfrxPersistent& source, TfrxPersistent& target)
{
    auto& src = const_cast<TfrxPersistent&>(source);
    for (const PropInfo* p : target.classInfo().properties()) {
        if (p->kind == PropKind::Object) {
            if (source.classInfo().find(p->name) == p)
                copyProperties(*p->sub(src), *p->sub(target));
        } else if (p->set && source.classInfo().find(p->name) == p) {
            p->set(target, p->get(source));
        }
    }
}

} // namespace report
