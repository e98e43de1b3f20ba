#include "report/storage/quotation_template.h"

#include "report/model/frx_report.h"
#include "report/storage/xml_serializer.h"
#include "report/xml/xml_form.h"

#include <QBuffer>
#include <QFile>

namespace report {

QByteArray quotationTemplateText()
{
    QFile file(QStringLiteral(":/report/quotation_template.xml"));
    if (!file.open(QIODevice::ReadOnly))
        throw ReportError(QStringLiteral("The built-in quotation template is missing"));
    return file.readAll();
}

void loadQuotationTemplate(TfrxReport& report)
{
    loadOwnTemplate(report, quotationTemplateText());
}

void loadOwnTemplate(TfrxReport& report, const QByteArray& text)
{
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    report.LoadFromStream(buffer);
    if (!report.LoadFailure.isEmpty())
        return;
    buffer.seek(0);
    TfrxXMLDocument doc;
    doc.loadFromStream(buffer);
    TfrxReport stored;
    TfrxXMLSerializer serializer;
    serializer.AttributesToObject(doc.root()->text(), stored);
    report.EngineOptions() = stored.EngineOptions();
    report.PreviewOptions() = stored.PreviewOptions();
    report.IniFile = stored.IniFile;
    report.OldStyleProgress = stored.OldStyleProgress;
    report.ShowProgress = stored.ShowProgress;
    report.StoreInDFM = stored.StoreInDFM;
}

} // namespace report
