#include "report/calc/detail/calc_resolver.h"

#include "report/calc/frx_aggregates.h"
#include "report/value/frx_variant_conv.h"
#include "report/frx_resources.h"
#include "report/model/frx_collections.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"

#include <array>

namespace report {

namespace {

// Tags of the object references expressions hold; the object pointer's type follows them.
const char kPersistentTag = 'P'; // TfrxPersistent (a report object or one of its records)
const char kLinesTag = 'L';      // QStringList (a text object's lines)
const char kMembersTag = 'M';    // MemberTable ("Engine", "Outline")
const char kVariablesTag = 'V';  // TfrxVariables (Report.Variables)

Value objectValue(const void* object, const char& tag)
{
    return Value(ObjectRef{const_cast<void*>(object), &tag});
}

template <class T>
T* objectOf(const Value& v, const char& tag)
{
    if (v.type() != ValueType::Object || v.objectValue().type != &tag || !v.objectValue().object)
        return nullptr;
    return static_cast<T*>(v.objectValue().object);
}

[[noreturn]] void unknownMember(const QString& member)
{
    throw ScriptError(frxGet(QStringLiteral("SIdUndeclared")) + u'\'' + member + u'\'');
}

bool sameName(QStringView a, const char* b)
{
    return a.compare(QLatin1StringView(b), Qt::CaseInsensitive) == 0;
}

// A member of an object: a text object's Text, Lines and Value, the report's Variables,
// published properties through the property tables, the lines' Count and Text, and the
// values of "Engine" and "Outline". Unknown members fail.
Value memberValue(const Value& object, const QString& member)
{
    if (TfrxPersistent* p = objectOf<TfrxPersistent>(object, kPersistentTag)) {
        if (auto* memo = dynamic_cast<TfrxCustomMemoView*>(p)) {
            if (sameName(member, "Text"))
                return Value(memo->Text());
            if (sameName(member, "Lines"))
                return objectValue(&memo->Memo, kLinesTag);
            if (sameName(member, "Value"))
                return valueFromVariant(memo->Value);
        }
        if (auto* report = dynamic_cast<TfrxReport*>(p); report && sameName(member, "Variables"))
            return objectValue(&report->Variables(), kVariablesTag);
        const PropInfo* prop = p->classInfo().find(member);
        if (!prop)
            unknownMember(member);
        const QVariant v = getProperty(*p, prop->name);
        switch (prop->kind) {
        case PropKind::Object:
            return objectValue(v.value<TfrxPersistent*>(), kPersistentTag);
        case PropKind::Reference: {
            auto* c = v.value<TfrxComponent*>();
            return c ? objectValue(static_cast<TfrxPersistent*>(c), kPersistentTag) : Value::null();
        }
        default:
            return valueFromVariant(v);
        }
    }
    if (const QStringList* lines = objectOf<QStringList>(object, kLinesTag)) {
        if (sameName(member, "Count"))
            return Value(int(lines->size()));
        if (sameName(member, "Text"))
            return Value(lines->isEmpty() ? QString() : lines->join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
        unknownMember(member);
    }
    if (const MemberTable* table = objectOf<MemberTable>(object, kMembersTag)) {
        if (const Value* v = table->find(member))
            return *v;
        unknownMember(member);
    }
    if (object.isNullOrEmpty())
        throw ScriptError(QStringLiteral("Could not convert variant of type (%1) into type (Object)").arg(object.typeName()));
    unknownMember(member);
}

class LastValueOperand final : public Operand {
public:
    explicit LastValueOperand(ReportCalc& calc) : calc_(calc) {}
    Value evaluate() const override { return calc_.LastValue(); }

private:
    ReportCalc& calc_;
};

class MemberOperand final : public Operand {
public:
    MemberOperand(OperandPtr object, QString member) : object_(std::move(object)), member_(std::move(member)) {}
    Value evaluate() const override { return memberValue(object_->evaluate(), member_); }

private:
    OperandPtr object_;
    QString member_;
};

class IndexOperand final : public Operand {
public:
    IndexOperand(OperandPtr object, OperandPtr index) : object_(std::move(object)), index_(std::move(index)) {}
    Value evaluate() const override
    {
        const Value o = object_->evaluate();
        const Value i = index_->evaluate();
        if (const QStringList* lines = objectOf<QStringList>(o, kLinesTag)) {
            const int n = i.toInt32();
            if (n < 0 || n >= lines->size())
                throw ScriptError(QStringLiteral("List index out of bounds (%1)").arg(n));
            return Value(lines->at(n));
        }
        if (TfrxVariables* vars = objectOf<TfrxVariables>(o, kVariablesTag)) {
            const int at = vars->IndexOf(i.toString());
            return at < 0 ? Value::null() : valueFromVariant((*vars)[at].Value);
        }
        throw ScriptError(QStringLiteral("Array type required"));
    }

private:
    OperandPtr object_;
    OperandPtr index_;
};

class SystemVariableOperand final : public Operand {
public:
    SystemVariableOperand(ReportCalc& calc, int index) : calc_(calc), index_(index) {}
    Value evaluate() const override { return detail::systemVariableValue(calc_, index_); }

private:
    ReportCalc& calc_;
    int index_;
};

class FieldOperand final : public Operand {
public:
    FieldOperand(ReportCalc& calc, TfrxDataSet* source, QString field) : calc_(calc), field_(std::move(field))
    {
        source_.set(source);
    }
    Value evaluate() const override
    {
        TfrxDataSet* ds = source_.get();
        return ds ? detail::readField(calc_, *ds, field_) : Value::null();
    }

private:
    ReportCalc& calc_;
    ComponentRef<TfrxDataSet> source_;
    QString field_;
};

// Get(name) and references that are neither data fields nor system variables: resolved
// when they run, since host values and variables may change between evaluations.
class GetOperand final : public Operand {
public:
    GetOperand(ReportCalc& calc, OperandPtr name) : calc_(calc), name_(std::move(name)) {}
    Value evaluate() const override { return calc_.Get(name_->evaluate().toString()); }

private:
    ReportCalc& calc_;
    OperandPtr name_;
};

class SetOperand final : public Operand {
public:
    SetOperand(ReportCalc& calc, OperandPtr name, OperandPtr value)
        : calc_(calc), name_(std::move(name)), value_(std::move(value)) {}
    Value evaluate() const override
    {
        calc_.Set(name_->evaluate().toString(), value_->evaluate());
        return Value();
    }

private:
    ReportCalc& calc_;
    OperandPtr name_, value_;
};

// IIF evaluates the condition and only the chosen branch, each as an expression of its own.
class IifOperand final : public Operand {
public:
    IifOperand(ReportCalc& calc, std::vector<QString> texts) : calc_(calc), texts_(std::move(texts)) {}
    Value evaluate() const override
    {
        const Value c = calc_.Calc(texts_[0]);
        const bool yes = c.type() == ValueType::Bool ? c.boolValue() : (!c.isNullOrEmpty() && c.toBool());
        return calc_.Calc(texts_[yes ? 1 : 2]);
    }

private:
    ReportCalc& calc_;
    std::vector<QString> texts_;
};

class AggregateOperand final : public Operand {
public:
    AggregateOperand(ReportCalc& calc, AggregateKind kind, std::vector<QString> texts)
        : calc_(calc), kind_(kind), arguments_(texts.begin(), texts.end()) {}
    Value evaluate() const override
    {
        return calc_.Aggregates().GetValue(calc_.CurrentBand(), kind_, arguments_);
    }

private:
    ReportCalc& calc_;
    AggregateKind kind_;
    QStringList arguments_;
};

class ClassTest final : public TypeTest {
public:
    explicit ClassTest(const ClassInfo& info) : info_(info) {}
    bool test(const Value& v) const override
    {
        const TfrxPersistent* p = objectOf<TfrxPersistent>(v, kPersistentTag);
        return p && p->classInfo().inheritsFrom(info_);
    }

private:
    const ClassInfo& info_;
};

[[noreturn]] void wrongArguments(std::size_t given, std::size_t wanted)
{
    throw CompileError(given < wanted ? QStringLiteral("Not enough actual parameters")
                                      : QStringLiteral("Too many actual parameters"),
                       0);
}

constexpr std::array<const char*, 9> kSystemVariables = {
    "Date", "Time", "Page", "Page#", "TotalPages", "TotalPages#", "Line", "Line#", "CopyName#",
};

} // namespace

namespace detail {

int systemVariableIndex(QStringView name)
{
    for (std::size_t i = 0; i < kSystemVariables.size(); ++i)
        if (sameName(name, kSystemVariables[i]))
            return int(i);
    return -1;
}

Value systemVariableValue(ReportCalc& calc, int index)
{
    const SystemValues& s = calc.System();
    switch (index) {
    case 0:
        return Value::fromDateTime(s.date);
    case 1:
        return Value::fromDateTime(s.time);
    case 2:
        return Value(s.page);
    case 3:
        return Value(s.pageNo);
    case 4:
        return Value(s.totalPages);
    case 5:
        return Value(s.totalPagesAll);
    case 6:
        return Value(s.line);
    case 7:
        return Value(s.lineThrough);
    default: {
        const TfrxVariables& globals = frxGlobalVariables();
        const int at = globals.IndexOf(QStringLiteral("CopyName0"));
        return at < 0 ? Value::null() : valueFromVariant(globals[at].Value);
    }
    }
}

bool splitDataReference(const ReportCalc& calc, const QString& text, TfrxDataSet** source, QString* field)
{
    const qsizetype mark = text.indexOf(QLatin1StringView(".\""));
    if (mark <= 0)
        return false;
    TfrxDataSet* ds = calc.Report().GetDataset(text.left(mark));
    if (!ds)
        return false;
    *field = text.mid(mark + 2).chopped(1);
    if (field->isEmpty())
        return false;
    *source = ds;
    return true;
}

Value readField(ReportCalc& calc, TfrxDataSet& source, const QString& field)
{
    Value v = valueFromVariant(source.GetValue(field));
    if (!v.isNull())
        return v;
    if (!source.HasField(field)) {
        calc.AddError(frxGet(QStringLiteral("dbFldNotFound")) + u' ' + source.UserName() + QStringLiteral(".\"")
                      + field + u'"');
        return v;
    }
    if (calc.Report().EngineOptions().ConvertNulls) {
        switch (source.GetFieldType(field)) {
        case TfrxFieldType::fftNumeric:
            return Value(0);
        case TfrxFieldType::fftString:
            return Value(QString());
        case TfrxFieldType::fftBoolean:
            return Value(false);
        }
    }
    return v;
}

} // namespace detail

OperandPtr ReportCalc::Resolver::resolveName(const QString& name, CallArguments* call)
{
    if (!call) {
        if (sameName(name, "Report"))
            return makeConstant(objectValue(static_cast<TfrxPersistent*>(&calc_.Report()), kPersistentTag));
        if (sameName(name, "Engine"))
            return makeConstant(objectValue(&calc_.EngineMembers(), kMembersTag));
        if (sameName(name, "Outline"))
            return makeConstant(objectValue(&calc_.OutlineMembers(), kMembersTag));
        if (sameName(name, "Value"))
            return std::make_unique<LastValueOperand>(calc_);
        TfrxReport& report = calc_.Report();
        TfrxComponent* c = report.Name().compare(name, Qt::CaseInsensitive) == 0 ? &report : report.FindObject(name);
        if (c)
            return makeConstant(objectValue(static_cast<TfrxPersistent*>(c), kPersistentTag));
        return nullptr;
    }
    const std::size_t n = call->texts.size();
    if (sameName(name, "Get")) {
        if (n != 1)
            wrongArguments(n, 1);
        return std::make_unique<GetOperand>(calc_, std::move(call->operands[0]));
    }
    if (sameName(name, "Set")) {
        if (n != 2)
            wrongArguments(n, 2);
        return std::make_unique<SetOperand>(calc_, std::move(call->operands[0]), std::move(call->operands[1]));
    }
    if (sameName(name, "IIF")) {
        if (n != 3)
            wrongArguments(n, 3);
        return std::make_unique<IifOperand>(calc_, call->texts);
    }
    AggregateKind kind;
    if (aggregateKindOf(name, &kind)) {
        const std::size_t most = kind == AggregateKind::Count ? 2 : 3;
        if (n > most || (kind != AggregateKind::Count && n < 1))
            wrongArguments(n, n > most ? most : 1);
        return std::make_unique<AggregateOperand>(calc_, kind, call->texts);
    }
    return nullptr;
}

bool ReportCalc::Resolver::isMacroFunction(const QString& name)
{
    AggregateKind kind;
    return sameName(name, "IIF") || aggregateKindOf(name, &kind);
}

OperandPtr ReportCalc::Resolver::resolveReference(const QString& text)
{
    TfrxDataSet* source = nullptr;
    QString field;
    if (detail::splitDataReference(calc_, text, &source, &field))
        return std::make_unique<FieldOperand>(calc_, source, field);
    const int sys = detail::systemVariableIndex(text);
    if (sys >= 0)
        return std::make_unique<SystemVariableOperand>(calc_, sys);
    return std::make_unique<GetOperand>(calc_, makeConstant(Value(text)));
}

OperandPtr ReportCalc::Resolver::resolveMember(OperandPtr& object, const QString& member, CallArguments* call)
{
    if (call || !object)
        return nullptr; // no methods
    if (object->isConstant()) {
        // Members of a known object are checked now; a record of it (Font, Frame) is a
        // known object too.
        const Value o = object->evaluate();
        Value m;
        try {
            m = memberValue(o, member);
        } catch (const ScriptError&) {
            return nullptr;
        }
        if (objectOf<QStringList>(m, kLinesTag) || objectOf<TfrxVariables>(m, kVariablesTag))
            return makeConstant(m);
        if (TfrxPersistent* p = objectOf<TfrxPersistent>(o, kPersistentTag)) {
            const PropInfo* prop = p->classInfo().find(member);
            if (prop && prop->kind == PropKind::Object)
                return makeConstant(m);
        }
    }
    return std::make_unique<MemberOperand>(std::move(object), member);
}

OperandPtr ReportCalc::Resolver::resolveIndex(OperandPtr& object, CallArguments& indexes)
{
    if (!object || !object->isConstant() || indexes.operands.size() != 1)
        return nullptr;
    const Value o = object->evaluate();
    if (!objectOf<QStringList>(o, kLinesTag) && !objectOf<TfrxVariables>(o, kVariablesTag))
        return nullptr;
    return std::make_unique<IndexOperand>(std::move(object), std::move(indexes.operands[0]));
}

std::unique_ptr<TypeTest> ReportCalc::Resolver::resolveType(const QString& name)
{
    const ClassInfo* info = findClass(name);
    return info ? std::make_unique<ClassTest>(*info) : nullptr;
}

} // namespace report
