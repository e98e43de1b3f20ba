#include "report/text/text_context.h"

#include "report/layout/draw_text.h"
#include "report/model/frx_report.h"

namespace report {

TfrxTextContext::TfrxTextContext() : owned_(std::make_unique<TfrxDrawText>()), drawText_(owned_.get()) {}

TfrxTextContext::TfrxTextContext(TfrxDrawText& shared) : drawText_(&shared) {}

TfrxTextContext::~TfrxTextContext() = default;

TfrxTextContext& TfrxTextContext::global()
{
    // Never destroyed, like the layout object it uses.
    static TfrxTextContext* instance = new TfrxTextContext(TfrxDrawText::global());
    return *instance;
}

TfrxTextContext& TfrxTextContext::of(const TfrxComponent& object)
{
    TfrxReport* report = object.Report();
    return report ? report->TextContext() : global();
}

namespace {

void replaceFirst(QString& text, QLatin1StringView placeholder, const QString& value)
{
    const qsizetype at = text.indexOf(placeholder, 0, Qt::CaseInsensitive);
    if (at >= 0)
        text.replace(at, placeholder.size(), value);
}

} // namespace

QString TfrxTextContext::fillPlaceholders(const QString& text) const
{
    QString result = text;
    if (TotalPages)
        replaceFirst(result, QLatin1StringView("[TotalPages#]"), QString::number(*TotalPages));
    if (CopyName)
        replaceFirst(result, QLatin1StringView("[CopyName#]"), *CopyName);
    return result;
}

TfrxTextContext& TfrxReport::TextContext()
{
    if (!textContext_)
        textContext_ = std::make_shared<TfrxTextContext>();
    return *textContext_;
}

} // namespace report
