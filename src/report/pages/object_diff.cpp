// Difference texts: what a prepared object changes against its source object, as the
// attribute text of its element. The order of the attributes is part of the file form.

#include "report/pages/detail/pages_state.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_datasets.h"
#include "report/model/frx_views.h"
#include "report/model/item_kind.h"
#include "report/xml/xml_number.h"

#include <cmath>
#include <string_view>

namespace report::detail {

namespace {

// Smaller changes are noise of the layout arithmetic, not worth an attribute.
constexpr double kFloatThreshold = 0.0001;

// Appends to the element text being built: numbers and escaped texts go straight into it,
// with no text object made per attribute.
class DiffWriter {
public:
    explicit DiffWriter(std::string& out) : out_(out) {}

    void name(const char* name)
    {
        out_ += ' ';
        out_ += name;
        out_ += "=\"";
    }
    void raw(const char* name, std::string_view value)
    {
        this->name(name);
        out_ += value;
        out_ += '"';
    }
    void number(const char* name, double value)
    {
        this->name(name);
        appendFloatText(out_, value);
        out_ += '"';
    }
    void integer(const char* name, int value)
    {
        this->name(name);
        appendIntText(out_, value);
        out_ += '"';
    }
    void text(const char* name, QStringView value)
    {
        this->name(name);
        appendEscapedXML(out_, value);
        out_ += '"';
    }
    // Lines joined by CR LF, escaped line by line: the joined text is never made.
    void lines(const char* name, const QStringList& lines)
    {
        this->name(name);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                out_ += "&#13;&#10;";
            appendEscapedXML(out_, lines[i]);
        }
        out_ += '"';
    }
    void floatIf(const char* name, double value, double source)
    {
        if (std::abs(value - source) > kFloatThreshold)
            number(name, value);
    }
    void intIf(const char* name, int value, int source)
    {
        if (value != source)
            integer(name, value);
    }
    void boolIf(const char* name, bool value, bool source)
    {
        if (value != source)
            raw(name, value ? "1" : "0");
    }
    template <class E>
    void enumIf(const char* name, E value, E source)
    {
        intIf(name, static_cast<int>(value), static_cast<int>(source));
    }
    void stringIf(const char* name, const QString& value, const QString& source)
    {
        if (value != source)
            text(name, value);
    }

private:
    std::string& out_;
};

void compactDifference(DiffWriter& w, const TfrxComponent& o, const TfrxComponent& s, PreparedKind kind)
{
    const bool isBand = kind == PreparedKind::Band || kind == PreparedKind::GroupHeader;
    const auto* view = isViewKind(kind) ? static_cast<const TfrxView*>(&o) : nullptr;
    if (!view || view->Align == TfrxAlign::baNone)
        w.floatIf("l", o.Left(), s.Left());
    // The engine places bands anew on every page; their top is always written.
    if (isBand)
        w.number("t", o.Top());
    else
        w.floatIf("t", o.Top(), s.Top());
    if (kind != PreparedKind::Memo || !static_cast<const TfrxCustomMemoView&>(o).AutoWidth)
        w.floatIf("w", o.Width(), s.Width());
    w.floatIf("h", o.Height(), s.Height());
    w.boolIf("Visible", o.Visible(), s.Visible());
    if (!o.ParentFont()) {
        const TfrxFont& f = o.Font();
        const TfrxFont& sf = s.Font();
        w.stringIf("Font.Name", f.Name(), sf.Name());
        w.intIf("Font.Size", f.Size(), sf.Size());
        w.intIf("Font.Color", f.Color(), sf.Color());
        w.intIf("Font.Style", f.Style(), sf.Style());
        w.intIf("Font.Charset", f.Charset(), sf.Charset());
    }
    w.boolIf("ParentFont", o.ParentFont(), s.ParentFont());
    w.intIf("Tag", o.Tag, s.Tag);
}

void lineDifference(DiffWriter& w, const char* color, const char* style, const char* width, const TfrxFrameLine& l,
                    const TfrxFrameLine& s)
{
    w.intIf(color, l.Color, s.Color);
    w.enumIf(style, l.Style, s.Style);
    w.floatIf(width, l.Width, s.Width);
}

void frameDifference(DiffWriter& w, const TfrxFrame& f, const TfrxFrame& s)
{
    w.intIf("Frame.Color", f.Color(), s.Color());
    w.boolIf("Frame.DropShadow", f.DropShadow, s.DropShadow);
    w.intIf("Frame.ShadowColor", f.ShadowColor, s.ShadowColor);
    w.floatIf("Frame.ShadowWidth", f.ShadowWidth, s.ShadowWidth);
    w.enumIf("Frame.Style", f.Style(), s.Style());
    w.intIf("Frame.Typ", f.Typ, s.Typ);
    w.floatIf("Frame.Width", f.Width(), s.Width());
    lineDifference(w, "Frame.LeftLine.Color", "Frame.LeftLine.Style", "Frame.LeftLine.Width", f.LeftLine(),
                   s.LeftLine());
    lineDifference(w, "Frame.TopLine.Color", "Frame.TopLine.Style", "Frame.TopLine.Width", f.TopLine(), s.TopLine());
    lineDifference(w, "Frame.RightLine.Color", "Frame.RightLine.Style", "Frame.RightLine.Width", f.RightLine(),
                   s.RightLine());
    lineDifference(w, "Frame.BottomLine.Color", "Frame.BottomLine.Style", "Frame.BottomLine.Width",
                   f.BottomLine(), s.BottomLine());
}

void viewDifference(DiffWriter& w, const TfrxView& v, const TfrxView& s)
{
    w.enumIf("BrushStyle", v.BrushStyle, s.BrushStyle);
    w.enumIf("Align", v.Align, s.Align);
    w.intIf("Color", v.Color, s.Color);
    frameDifference(w, v.Frame(), s.Frame());
    w.intIf("Cursor", v.Cursor, s.Cursor);
    w.boolIf("Printable", v.Printable, s.Printable);
    w.stringIf("TagStr", v.TagStr, s.TagStr);
    w.stringIf("URL", v.URL, s.URL);
}

void memoDifference(DiffWriter& w, const TfrxCustomMemoView& m, const TfrxCustomMemoView& s)
{
    w.boolIf("AutoWidth", m.AutoWidth, s.AutoWidth);
    w.floatIf("CharSpacing", m.CharSpacing, s.CharSpacing);
    w.floatIf("GapX", m.GapX, s.GapX);
    w.floatIf("GapY", m.GapY, s.GapY);
    w.enumIf("HAlign", m.HAlign, s.HAlign);
    w.boolIf("Highlight.Active", m.Highlight().Active, s.Highlight().Active);
    w.floatIf("LineSpacing", m.LineSpacing, s.LineSpacing);
    // The source string carries no text, so the text is always written.
    w.lines("u", m.Memo);
    w.floatIf("ParagraphGap", m.ParagraphGap, s.ParagraphGap);
    w.intIf("Rotation", m.Rotation, s.Rotation);
    w.boolIf("RTLReading", m.RTLReading, s.RTLReading);
    w.boolIf("Underlines", m.Underlines, s.Underlines);
    w.enumIf("VAlign", m.VAlign, s.VAlign);
    w.boolIf("WordWrap", m.WordWrap, s.WordWrap);
}

} // namespace

PreparedKind preparedKind(const TfrxComponent& object) { return *itemKindOf(object.classInfo()).prepared; }

void appendDifference(std::string& out, const TfrxComponent& object, const TfrxComponent& source, PreparedKind kind,
                      bool compactOnly)
{
    DiffWriter w(out);
    // A source object of another class (a damaged file) gets the compact part only.
    if (&source.classInfo() != &object.classInfo())
        compactOnly = true;
    compactDifference(w, object, source, kind);
    if (compactOnly)
        return;
    if (kind == PreparedKind::GroupHeader) {
        // After any Tag above, so that this one wins on reading: the preview toggles
        // drill-down groups by their running line number.
        const auto& group = static_cast<const TfrxGroupHeader&>(object);
        if (group.DrillDown)
            w.integer("Tag", group.LineThrough);
        return;
    }
    if (!isViewKind(kind))
        return;
    viewDifference(w, static_cast<const TfrxView&>(object), static_cast<const TfrxView&>(source));
    switch (kind) {
    case PreparedKind::Shape:
        w.enumIf("Shape", static_cast<const TfrxShapeView&>(object).Shape, static_cast<const TfrxShapeView&>(source).Shape);
        break;
    case PreparedKind::Picture:
        w.integer("ImageIndex", static_cast<const TfrxPictureView&>(object).ImageIndex);
        break;
    case PreparedKind::Memo:
        memoDifference(w, static_cast<const TfrxCustomMemoView&>(object), static_cast<const TfrxCustomMemoView&>(source));
        break;
    default: break;
    }
}

QByteArray differenceText(const TfrxComponent& object, const TfrxComponent& source, PreparedKind kind,
                          bool compactOnly)
{
    std::string out;
    appendDifference(out, object, source, kind, compactOnly);
    return QByteArray(out.data(), qsizetype(out.size()));
}

double numberAttr(const TfrxXMLItem& item, const char* name, double fallback)
{
    const QByteArray value = item.getAttr(name);
    if (value.isEmpty())
        return fallback;
    try {
        return textToFloat(QString::fromLatin1(value));
    } catch (const std::exception&) {
        return fallback;
    }
}

} // namespace report::detail
