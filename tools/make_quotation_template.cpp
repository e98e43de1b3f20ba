// Writes resources/quotation_template.xml, the built-in quotation template, from the
// layout below. Run by hand when the layout changes; the program loads the file.
//
//   qmxdiy-maketemplate <path of resources/quotation_template.xml>

#include "report/model/frx_bands.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"

#include <QCoreApplication>
#include <QStringEncoder>
#include <cstdio>

using namespace report;

namespace {

double mm(double value)
{
    // Positions are whole (or half) millimetres stored with the unit's five decimals.
    return std::round(value * fr01cm * 1e5) / 1e5;
}

const QString kSong = QStringLiteral("宋体");
const QString kArial = QStringLiteral("Arial");
const QString kDataSet = QStringLiteral("frxDBDataset1");

enum class Para { Left, Center, Right };

// RTF as the rich-text control streams it out: 宋体 (character set 134) for the text, the
// paragraph mark in MS Sans Serif 8 pt, CR LF and one zero byte at the end.
QByteArray rtf(const QString& text, int halfPoints, bool bold, Para para)
{
    QStringEncoder gbk("GBK");
    QByteArray body;
    for (const char c : QByteArray(gbk(text))) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80)
            body += "\\'" + QByteArray::number(byte, 16).rightJustified(2, '0');
        else if (c == '\\' || c == '{' || c == '}')
            body += QByteArray("\\") + c;
        else
            body += c;
    }
    QByteArray out = "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052{\\fonttbl{\\f0\\fnil\\fprq2"
                     "\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}{\\f1\\fnil\\fcharset0 MS Sans Serif;}}\r\n"
                     "\\viewkind4\\uc1\\pard";
    if (para == Para::Center)
        out += "\\qc";
    else if (para == Para::Right)
        out += "\\qr";
    out += "\\lang2052";
    if (bold)
        out += "\\b";
    out += "\\f0\\fs" + QByteArray::number(halfPoints);
    if (!body.isEmpty()) {
        out += body.startsWith('\\') ? body : ' ' + body;
        out += "\\lang1033";
        if (bold)
            out += "\\b0";
        out += "\\f1\\fs16";
    }
    out += "\\par\r\n}\r\n";
    out += '\0';
    return out;
}

struct Builder {
    TfrxReport& report;
    TfrxDBDataset& lines;

    template <class T>
    T* add(TfrxComponent* band, const char* name, double l, double t, double w, double h)
    {
        auto* view = new T(band);
        view->SetName(QString::fromLatin1(name));
        view->SetBounds(mm(l), mm(t), mm(w), mm(h));
        return view;
    }

    TfrxMemoView* memo(TfrxComponent* band, const char* name, double l, double t, double w, double h,
                       const QString& text, const QString& fontName, int pixels, bool bold, TfrxHAlign align)
    {
        auto* m = add<TfrxMemoView>(band, name, l, t, w, h);
        m->SetText(text);
        TfrxFont font;
        font.SetName(fontName);
        font.SetHeight(-pixels);
        font.SetCharset(fontName == kSong ? 134 : 1);
        font.SetStyle(bold ? setBit(TFontStyle::fsBold) : 0);
        m->SetFont(font);
        m->HAlign = align;
        return m;
    }

    TfrxMemoView* field(TfrxComponent* band, const char* name, double l, double t, double w, double h,
                        const char* fieldName, int pixels, TfrxHAlign align)
    {
        auto* m = memo(band, name, l, t, w, h,
                       QStringLiteral("[frxDBDataset1.\"%1\"]").arg(QLatin1StringView(fieldName)), kArial, pixels,
                       false, align);
        bind(m, fieldName);
        return m;
    }

    void bind(TfrxView* view, const char* fieldName)
    {
        view->SetDataSet(&lines);
        view->DataField = QString::fromLatin1(fieldName);
    }

    TfrxRichView* rich(TfrxComponent* band, const char* name, double l, double t, double w, double h,
                       const QString& text, int halfPoints, bool bold, Para para = Para::Left)
    {
        auto* r = add<TfrxRichView>(band, name, l, t, w, h);
        r->RichText = rtf(text, halfPoints, bold, para);
        return r;
    }

    TfrxLineView* line(TfrxComponent* band, const char* name, double l, double t, double w, double h, int group = 0)
    {
        auto* ln = add<TfrxLineView>(band, name, l, t, w, h);
        ln->Diagonal = true;
        ln->GroupIndex = group;
        return ln;
    }

    template <class Band>
    Band* band(TfrxReportPage* page, const char* name, double top, double height)
    {
        auto* b = new Band(page);
        b->SetName(QString::fromLatin1(name));
        b->SetBounds(0, mm(top), mm(170), mm(height));
        return b;
    }
};

void build(TfrxReport& report, TfrxDBDataset& lines)
{
    Builder b{report, lines};
    report.PreviewOptions().ShowCaptions = true;
    report.PreviewOptions().Zoom = 1.0;
    report.PrintOptions().PrintOnSheet = 0;
    report.ReportOptions().CreateDate = 39728.7130210069;
    report.ReportOptions().LastChange = 39728.970220081;
    report.DataSets().Add(&report).SetDataSet(&lines);

    auto* data = new TfrxDataPage(&report);
    data->SetName(QStringLiteral("Data"));
    auto* page = new TfrxReportPage(&report);
    page->SetName(QStringLiteral("Page1"));
    page->SetPaperSize(9);
    page->LeftMargin = page->RightMargin = page->TopMargin = page->BottomMargin = 20;

    const QString title = QStringLiteral("QMX电脑装机写单DIY  V1.0  —— 装机单开源小组 出品");

    auto* header = b.band<TfrxPageHeader>(page, "PageHeader1", 5, 45);
    auto* rich10 = b.rich(header, "Rich10", 0, 1, 170, 7, QString(), 40, true, Para::Center);
    b.bind(rich10, "DIY_NM");
    auto* memo2 = b.memo(header, "Memo2", 0, 9, 170, 9, QStringLiteral("[frxDBDataset1.\"DIY_NM\"]"), kSong, 24, true,
                         TfrxHAlign::haCenter);
    b.bind(memo2, "DIY_NM");
    memo2->SetVisible(false);
    memo2->Printable = false;
    memo2->AllowHTMLTags = true;
    memo2->Clipped = false;
    auto* shape = b.add<TfrxShapeView>(header, "Shape1", 1, 16, 171, 1);
    shape->Color = clBlack;
    b.rich(header, "Rich8", 1, 21, 25, 5, QStringLiteral("编号"), 24, true);
    b.field(header, "Memo3", 15, 21, 53, 5, "DIY_ID", 13, TfrxHAlign::haLeft);
    b.rich(header, "Rich9", 116, 21, 21, 5, QStringLiteral("打印日期"), 24, true);
    for (auto [name, left, text, format] : {std::tuple{"Memo4", 136.0, "[Date]", "yyyy.mm.dd"},
                                            std::tuple{"Memo5", 151.0, "[Time]", "hh:mm"}}) {
        auto* m = b.memo(header, name, left, 21, 21, 5, QString::fromLatin1(text), kArial, 13, false,
                         TfrxHAlign::haCenter);
        m->DisplayFormat().Kind = TfrxFormatKind::fkDateTime;
        m->DisplayFormat().FormatStr = QString::fromLatin1(format);
        m->DisplayFormat().DecimalSeparator = QStringLiteral(".");
    }
    b.line(header, "Line8", 0, 35, 170, 0);
    for (auto [name, left] : {std::pair{"Line7", 0}, {"Line2", 34}, {"Line3", 110}, {"Line4", 130}, {"Line5", 150},
                              {"Line12", 170}})
        b.line(header, name, left, 35, 0, 10);
    b.rich(header, "Rich3", 6, 38, 25, 5, QStringLiteral("类别项目"), 24, true);
    b.rich(header, "Rich4", 54, 38, 39, 5, QStringLiteral("具体型号参数"), 24, true, Para::Center);
    b.rich(header, "Rich5", 114, 38, 25, 5, QStringLiteral("数量"), 24, true);
    b.rich(header, "Rich6", 133, 38, 25, 5, QStringLiteral("单价"), 24, true);
    b.rich(header, "Rich7", 154, 38, 25, 5, QStringLiteral("金额"), 24, true);
    b.line(header, "Line19", 0, 45, 170, 0);

    auto* master = b.band<TfrxMasterData>(page, "MasterData1", 60, 10);
    master->SetDataSet(&lines);
    master->SetRowCount(0);
    auto* memo7 = b.field(master, "Memo7", 1, 3, 32, 6, "L2_NM", 13, TfrxHAlign::haCenter);
    memo7->AutoWidth = true;
    auto* memo8 = b.memo(master, "Memo8", 34, 0, 75, 10, QStringLiteral("[frxDBDataset1.\"HW_MS\"]"), kSong, 12, false,
                         TfrxHAlign::haLeft);
    b.bind(memo8, "HW_MS");
    memo8->WordBreak = true;
    memo8->VAlign = TfrxVAlign::vaCenter;
    memo8->Align = TfrxAlign::baLeft;
    b.rich(master, "Rich13", 98, 5, 12, 5, QStringLiteral("……"), 28, false, Para::Right);
    b.field(master, "Memo9", 115, 3, 21, 5, "DIY_SL", 13, TfrxHAlign::haLeft);
    b.field(master, "Memo10", 133.5, 3, 21, 5, "DIY_JG", 13, TfrxHAlign::haLeft);
    b.field(master, "Memo11", 153, 3, 21, 5, "DIY_CASH", 13, TfrxHAlign::haLeft);
    b.line(master, "Line20", 0, 0, 170, 0, 2);
    b.line(master, "Line22", 0, 10, 170, 0, 2);
    for (auto [name, left] : {std::pair{"Line18", 0}, {"Line14", 34}, {"Line15", 110}, {"Line16", 130},
                              {"Line17", 150}, {"Line21", 170}})
        b.line(master, name, left, 0, 0, 10, 2);

    auto* summary = b.band<TfrxReportSummary>(page, "ReportSummary1", 80, 15);
    b.rich(summary, "Rich1", 108, 4, 25, 5, QStringLiteral("合计金额"), 28, false);
    auto* memo19 = b.memo(summary, "Memo19", 128, 4, 29, 5,
                          QStringLiteral("[SUM(<frxDBDataset1.\"DIY_CASH\">)]"), kArial, 19, true, TfrxHAlign::haRight);
    memo19->DisplayFormat().Kind = TfrxFormatKind::fkText;
    memo19->DisplayFormat().DecimalSeparator = QStringLiteral(".");
    b.rich(summary, "Rich2", 160, 4, 25, 5, QStringLiteral("元"), 28, false);

    auto* footer = b.band<TfrxPageFooter>(page, "PageFooter1", 105, 25);
    auto* rich11 = b.rich(footer, "Rich11", 0, 2, 170, 6, title, 20, true, Para::Center);
    b.bind(rich11, "DIY_NM");
    rich11->SetVisible(false);
    rich11->Printable = false;
    b.line(footer, "Line11", 0, 6, 170, 0);
    b.rich(footer, "Rich12", 0, 11, 170, 5, title, 20, true, Para::Center);
    b.line(footer, "Line1", 0, 16, 170, 0);
    auto* memo6 = b.memo(footer, "Memo6", 121, 17, 48, 5, QStringLiteral("[Page#]   /   [TotalPages#]  "), kArial, 13,
                         false, TfrxHAlign::haRight);
    memo6->AutoWidth = true;
    memo6->DisplayFormat().DecimalSeparator = QStringLiteral(".");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: qmxdiy-maketemplate OUTPUT\n");
        return 2;
    }
    TfrxDBDataset lines;
    lines.SetName(kDataSet);
    lines.CloseDataSource = false;
    TfrxReport report;
    build(report, lines);
    report.SaveToFile(QString::fromLocal8Bit(argv[1]));
    return 0;
}
