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
    const QByteArray text = quotationTemplateText();
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    report.LoadFromStream(buffer);

    // The template belongs to the program like a window's stored components: its own
    // settings (preview and engine options, settings key, progress) count too, where a
    // template loaded from a file leaves the caller's in place.
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
