// Saving and loading a report template in the XML form, and the round trip around a run.

#include "report/frx_resources.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/model/extra_data.h"
#include "report/storage/detail/report_storage_hooks.h"
#include "report/storage/xml_serializer.h"
#include "platform/atomic_file.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

namespace report {

namespace {

TfrxReport::PasswordPrompt passwordPrompt;
TfrxReport::ErrorReporter errorReporter;

// Moves every character's code by delta. Codes are counted over the characters that
// exist (the surrogate range skipped, wrapping at the end), so that the shifted text is
// still valid text and shifting back restores it exactly.
QString shiftCodes(const QString& text, int delta)
{
    constexpr char32_t gapStart = 0xD800, gapSize = 0x800, count = 0x110000 - gapSize;
    QString out;
    out.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        const char32_t index = c < gapStart ? c : c - gapSize;
        const char32_t moved = char32_t((qint64(index) + delta + count) % count);
        const char32_t code = moved < gapStart ? moved : moved + gapSize;
        out += QString::fromUcs4(&code, 1);
    }
    return out;
}

const QString kDatasets = QStringLiteral("Datasets");
const QString kVariables = QStringLiteral("Variables");
const QString kStyle = QStringLiteral("Style");

template <class Collection>
void writeCollection(ExtraDataWriter& writer, const QString& name, const Collection& items)
{
    TfrxXMLSerializer serializer;
    writer.writeName(name);
    writer.writeCode(ValueCode::List);
    for (int i = 0; i < items.Count(); ++i) {
        writer.writeCode(ValueCode::List);
        writer.writeLString(serializer.ObjectToAttributes(items[i]));
        writer.writeCode(ValueCode::Null);
    }
    writer.writeCode(ValueCode::Null);
}

// Either a standard collection (items of name/value properties) or a list of nested lists
// each holding one string of attribute text.
template <class MakeItem>
void readCollection(ExtraDataReader& reader, MakeItem makeItem)
{
    TfrxXMLSerializer serializer;
    const ValueCode code = reader.readCode();
    if (code == ValueCode::Collection) {
        while (reader.peekCode() != ValueCode::Null) {
            if (reader.peekCode() != ValueCode::List)
                reader.readInteger();
            reader.readCode();
            auto& item = makeItem();
            while (reader.peekCode() != ValueCode::Null) {
                const QString name = reader.readName();
                QVariant value;
                switch (reader.peekCode()) {
                case ValueCode::Int8:
                case ValueCode::Int16:
                case ValueCode::Int32: value = reader.readInteger(); break;
                case ValueCode::False:
                case ValueCode::True: value = reader.readCode() == ValueCode::True; break;
                case ValueCode::String:
                case ValueCode::Ident:
                case ValueCode::LString:
                case ValueCode::Utf8String: value = decodeAttributeText(reader.readStringBytes()); break;
                default: reader.skipValue(); continue;
                }
                serializer.AttributesToObject(" " + name.toUtf8() + "=\"" + value.toString().toUtf8() + '"', item);
            }
            reader.readCode();
        }
        reader.readCode();
    } else if (code == ValueCode::List) {
        while (reader.peekCode() != ValueCode::Null) {
            if (reader.readCode() != ValueCode::List)
                throw ReportError(QStringLiteral("Invalid property value"));
            while (reader.peekCode() != ValueCode::Null)
                serializer.AttributesToObject(reader.readStringBytes(), makeItem());
            reader.readCode();
        }
        reader.readCode();
    } else {
        throw ReportError(QStringLiteral("Invalid property value"));
    }
    serializer.FixupReferences();
}

void writeReportExtraData(const TfrxReport& report, ExtraDataWriter& writer)
{
    writeCollection(writer, kDatasets, report.DataSets());
    writeCollection(writer, kVariables, report.Variables());
    writeCollection(writer, kStyle, report.Styles());
}

bool readReportExtraProperty(TfrxReport& report, const QString& name, ExtraDataReader& reader)
{
    if (name.compare(kDatasets, Qt::CaseInsensitive) == 0)
        readCollection(reader, [&report]() -> TfrxDataSetItem& { return report.DataSets().Add(&report); });
    else if (name.compare(kVariables, Qt::CaseInsensitive) == 0)
        readCollection(reader, [&report]() -> TfrxVariable& { return report.Variables().Add(); });
    else if (name.compare(kStyle, Qt::CaseInsensitive) == 0)
        readCollection(reader, [&report]() -> TfrxStyleItem& { return report.Styles().Add(); });
    else
        return false;
    return true;
}

void loadTemplateFile(TfrxReport& report, const QString& path) { report.LoadFromFile(path); }

} // namespace

namespace detail {

void installReportStorage()
{
    [[maybe_unused]] static const bool installed = [] {
        TfrxReport::SetStorageHooks({&loadTemplateFile, &writeReportExtraData, &readReportExtraProperty});
        return true;
    }();
}

} // namespace detail

void TfrxReport::setPasswordPrompt(PasswordPrompt prompt)
{
    passwordPrompt = std::move(prompt);
}

void TfrxReport::setErrorReporter(ErrorReporter reporter)
{
    errorReporter = std::move(reporter);
}

void TfrxReport::SaveToStream(QIODevice& stream, bool saveChildren, bool saveDefaultValues, bool indent)
{
    const QString password = reportOptions_.Password;
    void* preview = Preview;
    PreviousPassword = password;
    reportOptions_.Password = shiftCodes(password, -10);
    Preview = nullptr;
    try {
        TfrxXMLSerializer serializer(&stream);
        serializer.SerializeDefaultValues = saveDefaultValues;
        serializer.Indent = indent;
        serializer.WriteTree(*this, saveChildren);
    } catch (...) {
        reportOptions_.Password = password;
        Preview = preview;
        throw;
    }
    reportOptions_.Password = password;
    Preview = preview;
}

void TfrxReport::LoadFromStream(QIODevice& stream)
{
    errors_.clear();
    LoadFailure.clear();
    const TfrxEngineOptions engine = engineOptions_;
    const TfrxPreviewOptions preview = previewOptions_;
    const QString iniFile = IniFile;
    void* previewControl = Preview;
    const bool oldStyleProgress = OldStyleProgress;
    const bool showProgress = ShowProgress;
    const bool storeInDFM = StoreInDFM;

    Clear();
    TfrxXMLSerializer serializer(&stream);
    try {
        serializer.ReadTree(*this);
    } catch (const std::exception& e) {
        LoadFailure = platform::errorMessage(e);
    }
    for (const QString& line : serializer.Errors())
        AddError(line);

    // Entries whose source was read after them (from the data page) find it now.
    for (int i = 0; i < dataSets_.Count(); ++i)
        if (!dataSets_[i].DataSet())
            dataSets_[i].SetDataSetName(dataSets_[i].DataSetName());

    if (!DataPage()) {
        auto* data = new TfrxDataPage(this);
        if (FindObject(QStringLiteral("Data")))
            data->CreateUniqueName();
        else
            data->SetName(QStringLiteral("Data"));
        SetChildIndex(data, 0);
        int n = 0;
        for (TfrxComponent* c : AllObjects()) {
            auto* dialog = dynamic_cast<TfrxDialogComponent*>(c);
            if (!dialog || dialog->Parent() == data)
                continue;
            dialog->SetParent(data);
            dialog->SetLeft(60 + 64 * n++);
            dialog->SetTop(20);
        }
    }

    const bool convertNulls = engineOptions_.ConvertNulls;
    const bool doublePass = engineOptions_.DoublePass;
    engineOptions_ = engine;
    engineOptions_.ConvertNulls = convertNulls;
    engineOptions_.DoublePass = doublePass;
    const bool outlineVisible = previewOptions_.OutlineVisible;
    const int outlineWidth = previewOptions_.OutlineWidth;
    const bool outlineExpand = previewOptions_.OutlineExpand;
    previewOptions_ = preview;
    previewOptions_.OutlineVisible = outlineVisible;
    previewOptions_.OutlineWidth = outlineWidth;
    previewOptions_.OutlineExpand = outlineExpand;
    IniFile = iniFile;
    Preview = previewControl;
    OldStyleProgress = oldStyleProgress;
    ShowProgress = showProgress;
    StoreInDFM = storeInDFM;

    reportOptions_.Password = shiftCodes(reportOptions_.Password, 10);
    const QString password = reportOptions_.Password;
    bool passed = Reloading || password.isEmpty() || password == PreviousPassword;
    if (!passed) {
        QString typed;
        if (passwordPrompt && passwordPrompt(typed) && typed == password) {
            PreviousPassword = typed;
            passed = true;
        }
    }
    if (!passed) {
        Clear();
        return;
    }
    if (!errors_.isEmpty() && !Reloading) {
        const QString text = frxGet(QStringLiteral("clErrors")) + u'\n' + errors_.join(u'\n');
        switch (engineOptions_.NewSilentMode) {
        case TfrxSilentMode::simMessageBoxes:
            if (errorReporter)
                errorReporter(text);
            break;
        case TfrxSilentMode::simReThrow: throw ReportError(text);
        case TfrxSilentMode::simSilent: break;
        }
    }
}

void TfrxReport::SaveToFile(const QString& fileName)
{
    platform::streamFileAtomically(fileName, [this](QIODevice& out) { SaveToStream(out, true, false); });
}

bool TfrxReport::LoadFromFile(const QString& fileName, bool exceptionIfNotFound)
{
    Clear();
    FileName.clear();
    // Only regular files: a device or pipe named by a template would never end.
    const bool exists = QFileInfo(fileName).isFile();
    if (!exists && !exceptionIfNotFound)
        return false;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw ReportError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
    LoadFromStream(file);
    FileName = fileName;
    return exists;
}

QByteArray TfrxReport::SaveTemplateForRun()
{
    const QString password = reportOptions_.Password;
    reportOptions_.Password.clear();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    try {
        SaveToStream(buffer, true, false, false);
    } catch (...) {
        reportOptions_.Password = password;
        throw;
    }
    reportOptions_.Password = password;
    return buffer.data();
}

void TfrxReport::RestoreTemplate(const QByteArray& saved)
{
    const QString password = reportOptions_.Password;
    const QStringList runErrors = errors_;
    QBuffer buffer;
    buffer.setData(saved);
    buffer.open(QIODevice::ReadOnly);
    Reloading = true;
    try {
        LoadFromStream(buffer);
    } catch (...) {
        Reloading = false;
        throw;
    }
    Reloading = false;
    reportOptions_.Password = password;
    for (const QString& line : runErrors)
        AddError(line);
}

} // namespace report
