// The attributes a prepared object writes against its source object are written by hand, for
// speed, while reading goes through the property tables. These tests hold the two together:
// every attribute written is a published property that reads back into the value written,
// and every published property is either carried or named here as one a prepared page does
// not keep.
#include "report/model/frx_bands.h"
#include "report/model/frx_views.h"
#include "report/model/property_table.h"
#include "report/pages/detail/pages_state.h"
#include "report/storage/xml_serializer.h"

#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>
#include <memory>

using namespace report;

namespace {

// Every scalar property of the class, sub-objects' ones with their dotted names.
void collectScalarProperties(const ClassInfo& cls, const QString& prefix, QStringList& out, TfrxPersistent& object)
{
    for (const PropInfo* p : cls.properties()) {
        if (!p->published)
            continue;
        const QString name = prefix + p->name;
        switch (p->kind) {
        case PropKind::Object:
            if (TfrxPersistent* sub = p->sub(object))
                collectScalarProperties(sub->classInfo(), name + u'.', out, *sub);
            break;
        case PropKind::Integer:
        case PropKind::Boolean:
        case PropKind::Enum:
        case PropKind::Set:
        case PropKind::Float:
        case PropKind::String:
            if (p->set)
                out << name;
            break;
        default: break;
        }
    }
}

const PropInfo* propertyAt(const TfrxPersistent& object, const QString& dotted)
{
    const TfrxPersistent* target = &object;
    const QStringList steps = dotted.split(u'.');
    for (int i = 0; i + 1 < steps.size(); ++i)
        target = getProperty(*target, steps[i]).value<TfrxPersistent*>();
    return target->classInfo().find(QStringView(steps.last()));
}

QVariant changedValue(const PropInfo& p, const QVariant& v)
{
    switch (p.kind) {
    case PropKind::Boolean: return !v.toBool();
    case PropKind::Enum: return (v.toInt() + 1) % int(p.enumInfo->names.size());
    case PropKind::Float: return v.toDouble() + 7.5;
    case PropKind::String: return v.toString() + QStringLiteral("改");
    default: return v.toInt() + 1;
    }
}

QMap<QString, QString> attributes(const QByteArray& text)
{
    static const QRegularExpression attribute(QStringLiteral(R"re( ([^ =]+)="([^"]*)")re"));
    QMap<QString, QString> out;
    for (const auto& m : attribute.globalMatch(QString::fromUtf8(text)))
        out.insert(m.captured(1), m.captured(2));
    return out;
}

// The attribute a property is written as: the position and size have short names.
QString attributeName(const QString& property)
{
    static const QMap<QString, QString> shortNames{{QStringLiteral("Left"), QStringLiteral("l")},
                                                   {QStringLiteral("Top"), QStringLiteral("t")},
                                                   {QStringLiteral("Width"), QStringLiteral("w")},
                                                   {QStringLiteral("Height"), QStringLiteral("h")}};
    return shortNames.value(property, property);
}

std::unique_ptr<TfrxComponent> make(const ClassInfo& cls) { return std::unique_ptr<TfrxComponent>(cls.factory()(nullptr)); }

// The published properties whose change a prepared object of the class does not write as an
// attribute of their own; those it writes must read back.
QSet<QString> uncarriedProperties(const ClassInfo& cls)
{
    const auto source = make(cls);
    const PreparedKind kind = detail::preparedKind(*source);
    QStringList names;
    collectScalarProperties(cls, {}, names, *source);
    QSet<QString> uncarried;
    for (const QString& name : names) {
        SCOPED_TRACE(qPrintable(cls.name() + u'.' + name));
        const auto object = make(cls);
        copyProperties(*source, *object);
        const PropInfo& p = *propertyAt(*object, name);
        setProperty(*object, name, changedValue(p, getProperty(*object, name)));
        const QByteArray diff = detail::differenceText(*object, *source, kind, false);
        const QMap<QString, QString> written = attributes(diff);
        // Every attribute is one the reader knows: a short form or a published property.
        for (const QString& attribute : written.keys()) {
            if (attribute.size() > 1) {
                EXPECT_NO_THROW(getProperty(*object, attribute)) << qPrintable(attribute);
            }
        }
        if (!written.contains(attributeName(name))) {
            uncarried.insert(name);
            continue;
        }
        // The object read back from the attributes has the changed value.
        const auto readBack = make(cls);
        copyProperties(*source, *readBack);
        TfrxXMLSerializer reader;
        reader.AttributesToObject(diff, *readBack);
        EXPECT_TRUE(reader.Errors().isEmpty());
        EXPECT_EQ(getProperty(*readBack, name), getProperty(*object, name)) << qPrintable(QString::fromUtf8(diff));
    }
    return uncarried;
}

QSet<QString> setOf(std::initializer_list<const char*> names)
{
    QSet<QString> out;
    for (const char* n : names)
        out.insert(QString::fromLatin1(n));
    return out;
}

// What every prepared object takes from its template object rather than from its own
// attributes: names, bindings and events serve the preparation; the layout rules have done
// their work once the page is made. Of a font, Font.Height is another form of Font.Size and
// the pitch never changes during a run.
QSet<QString> takenFromTemplate(std::initializer_list<const char*> ofTheClass)
{
    QSet<QString> names = setOf({"Name", "Restrictions", "OnBeforePrint", "OnAfterPrint"});
    return names.unite(setOf(ofTheClass));
}

const auto kViewRules = {"OnAfterData", "OnPreviewClick", "ShiftMode", "GroupIndex"};

QSet<QString> viewTakenFromTemplate(std::initializer_list<const char*> ofTheClass)
{
    return takenFromTemplate(kViewRules).unite(setOf(ofTheClass));
}

} // namespace

TEST(PreparedAttributes, TextObjectsWriteOnlyPropertiesThatReadBackAndTakeTheRestFromTheTemplate)
{
    // What the text shows was worked out while preparing (formats, expressions, highlight
    // condition); how it is laid out comes from the template object.
    EXPECT_EQ(uncarriedProperties(TfrxMemoView::staticClassInfo()),
              viewTakenFromTemplate({"StretchMode", "Font.Pitch", "Font.Height", "DataField", "DataSetName", "Style", "HideZeros", "SuppressRepeated",
                                     "AllowExpressions", "ExpressionDelimiters", "DisplayFormat.DecimalSeparator",
                                     "DisplayFormat.Kind", "DisplayFormat.FormatStr", "Highlight.Condition",
                                     "Highlight.Color", "Highlight.Font.Charset", "Highlight.Font.Name",
                                     "Highlight.Font.Color", "Highlight.Font.Height", "Highlight.Font.Size",
                                     "Highlight.Font.Style", "Highlight.Font.Pitch", "WordBreak", "Wysiwyg",
                                     "AllowHTMLTags", "Clipped"}));
}

TEST(PreparedAttributes, LinesShapesAndPicturesWriteOnlyPropertiesThatReadBackAndTakeTheRestFromTheTemplate)
{
    EXPECT_EQ(uncarriedProperties(TfrxLineView::staticClassInfo()),
              viewTakenFromTemplate({"StretchMode", "ArrowStart", "ArrowEnd", "ArrowLength", "ArrowWidth", "Diagonal"}));
    EXPECT_EQ(uncarriedProperties(TfrxShapeView::staticClassInfo()), viewTakenFromTemplate({"Curve"}));
    EXPECT_EQ(uncarriedProperties(TfrxPictureView::staticClassInfo()),
              viewTakenFromTemplate({"DataField", "DataSetName", "KeepAspectRatio", "AutoSize", "FileLink",
                                     "Center", "Stretched"}));
}

TEST(PreparedAttributes, BandsWriteOnlyPropertiesThatReadBackAndTakeTheRestFromTheTemplate)
{
    const auto bandRules = {"Font.Pitch", "Font.Height", "AllowSplit", "KeepChild", "KeepTogether", "PrintChildIfInvisible", "StartNewPage",
                            "Stretched", "Vertical", "OutlineText", "OnAfterCalcHeight"};
    EXPECT_EQ(uncarriedProperties(TfrxMasterData::staticClassInfo()),
              takenFromTemplate(bandRules).unite(setOf({"DataSetName", "RowCount", "Columns", "ColumnGap",
                                                        "ColumnWidth", "KeepHeader", "KeepFooter",
                                                        "FooterAfterEach", "PrintIfDetailEmpty",
                                                        "OnMasterDetail"})));
    // A drill-down group writes its running line number as its Tag instead of DrillDown.
    EXPECT_EQ(uncarriedProperties(TfrxGroupHeader::staticClassInfo()),
              takenFromTemplate(bandRules).unite(setOf({"Condition", "DrillDown", "ExpandDrillDown",
                                                        "ShowFooterIfDrillDown", "ResetPageNumbers",
                                                        "ReprintOnNewPage"})));
}

namespace {

// The serialiser's quick answer never claims "nothing to write" when there is something: the
// prepared pages skip writing the attributes when it says so. (It may say "something" for a
// change that is not written, such as a property that is not stored.)
void expectQuickAnswerAgrees(const TfrxComponent& object, const TfrxComponent& source)
{
    const QByteArray written = TfrxXMLSerializer().ObjectToAttributes(object, {}, &source);
    if (TfrxXMLSerializer::SameAsAncestor(object, source))
        EXPECT_TRUE(written.isEmpty()) << written.constData();
}

} // namespace

TEST(PreparedAttributes, AnObjectStillAsItsSourceIsFoundWithoutWritingItsAttributes)
{
    for (const ClassInfo* cls : {&TfrxRichView::staticClassInfo(), &TfrxMemoView::staticClassInfo(),
                                 &TfrxPictureView::staticClassInfo(), &TfrxLineView::staticClassInfo()}) {
        SCOPED_TRACE(qPrintable(cls->name()));
        const auto source = make(*cls);
        const auto same = make(*cls);
        copyProperties(*source, *same);
        expectQuickAnswerAgrees(*same, *source);
        EXPECT_TRUE(TfrxXMLSerializer::SameAsAncestor(*same, *source));
        // Each published property changed alone, sub-objects' ones included.
        QStringList names;
        collectScalarProperties(*cls, {}, names, *source);
        int written = 0;
        for (const QString& name : names) {
            SCOPED_TRACE(qPrintable(name));
            const auto object = make(*cls);
            copyProperties(*source, *object);
            setProperty(*object, name, changedValue(*propertyAt(*object, name), getProperty(*object, name)));
            expectQuickAnswerAgrees(*object, *source);
            written += TfrxXMLSerializer().ObjectToAttributes(*object, {}, source.get()).isEmpty() ? 0 : 1;
        }
        // Most changes are written, so the agreement above was tested where it matters.
        EXPECT_GT(written, names.size() / 2);
    }
}

TEST(PreparedAttributes, ChangedStreamedDataAndTextAreNoLongerAsTheSource)
{
    TfrxRichView richSource, rich;
    richSource.RichText = QByteArrayLiteral("{\\rtf1 a}");
    copyProperties(richSource, rich);
    rich.RichText = richSource.RichText;
    expectQuickAnswerAgrees(rich, richSource);
    EXPECT_TRUE(TfrxXMLSerializer::SameAsAncestor(rich, richSource));
    rich.RichText = QByteArrayLiteral("{\\rtf1 b}");
    expectQuickAnswerAgrees(rich, richSource);
    EXPECT_FALSE(TfrxXMLSerializer::SameAsAncestor(rich, richSource));
    rich.RichText.clear(); // differs from the source, though no PropData is written for it
    expectQuickAnswerAgrees(rich, richSource);
    EXPECT_FALSE(TfrxXMLSerializer::SameAsAncestor(rich, richSource));

    TfrxPictureView pictureSource, picture;
    copyProperties(pictureSource, picture);
    expectQuickAnswerAgrees(picture, pictureSource);
    EXPECT_TRUE(TfrxXMLSerializer::SameAsAncestor(picture, pictureSource));
    picture.Picture = QByteArrayLiteral("\x89PNG");
    expectQuickAnswerAgrees(picture, pictureSource);
    EXPECT_FALSE(TfrxXMLSerializer::SameAsAncestor(picture, pictureSource));

    TfrxMemoView memoSource, memo;
    memoSource.SetText(QStringLiteral("总计"));
    copyProperties(memoSource, memo);
    memo.SetText(QStringLiteral("总计"));
    expectQuickAnswerAgrees(memo, memoSource);
    EXPECT_TRUE(TfrxXMLSerializer::SameAsAncestor(memo, memoSource));
    memo.SetText(QStringLiteral("总计\r\n第二行"));
    expectQuickAnswerAgrees(memo, memoSource);
    EXPECT_FALSE(TfrxXMLSerializer::SameAsAncestor(memo, memoSource));
}

TEST(PreparedAttributes, AMemosTextIsWrittenAsItsLinesJoinedAndEscaped)
{
    TfrxMemoView source, memo;
    for (const QString& text : {QStringLiteral(""), QStringLiteral("单行"), QStringLiteral("a\r\nb"),
                                QStringLiteral("first\r\n\r\nthird \"q\" <&>"), QStringLiteral("&quot; stays\r\n&quot;"),
                                QStringLiteral("ends in a break\r\n"), QStringLiteral("\U0001F600 \u00e9")}) {
        memo.SetText(text);
        const QByteArray expected = " u=\"" + EscapeXML(memo.Text().toUtf8()) + '"';
        EXPECT_TRUE(detail::differenceText(memo, source, PreparedKind::Memo, false).contains(expected))
            << qPrintable(text);
    }
}
