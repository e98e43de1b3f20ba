#include "report/storage/quotation_sheet_details.h"

#include "db/quotation_records.h"
#include "db/shop_details.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"

#include <QStringList>
#include <cmath>

namespace report {

namespace {

const QString kSong = QStringLiteral("宋体");
// Objects this file adds; removed again before every application.
const char* const kAdded[] = {"ShopLogo", "ShopName", "ShopContact", "ShopNote", "CustomerMemo"};

double mm(double value)
{
    return std::round(value * fr01cm * 1e5) / 1e5;
}

// A text printed as typed: brackets in a shop's or customer's text are no expression.
TfrxMemoView* addText(TfrxComponent* band, const char* name, double l, double t, double w, double h,
                      const QString& text, int pixels, bool bold, TfrxHAlign align)
{
    auto* m = new TfrxMemoView(band);
    m->SetName(QString::fromLatin1(name));
    m->SetBounds(mm(l), mm(t), mm(w), mm(h));
    m->SetText(text);
    m->AllowExpressions = false;
    m->WordWrap = true;
    m->HAlign = align;
    m->VAlign = TfrxVAlign::vaCenter;
    TfrxFont font;
    font.SetName(kSong);
    font.SetHeight(-pixels);
    font.SetCharset(134);
    font.SetStyle(bold ? setBit(TFontStyle::fsBold) : 0);
    m->SetFont(font);
    return m;
}

} // namespace

SheetDetails sheetDetailsOf(db::Connection& connection, const QString& number)
{
    const db::ShopDetails shop = db::loadShopDetails(connection);
    SheetDetails sheet;
    sheet.shopName = shop.name;
    QStringList contact;
    if (!shop.address.isEmpty())
        contact << shop.address;
    if (!shop.phone.isEmpty())
        contact << QStringLiteral("电话: ") + shop.phone;
    sheet.contact = contact.join(QStringLiteral("  "));
    sheet.note = shop.note;
    sheet.logo = shop.logo;
    if (const auto quotation = db::findQuotation(connection, number)) {
        QStringList customer;
        for (const QString& part : {quotation->customer, quotation->phone})
            if (!part.isEmpty())
                customer << part;
        if (!customer.isEmpty())
            sheet.customer = QStringLiteral("客户: ") + customer.join(u' ');
    }
    return sheet;
}

void applySheetDetails(TfrxReport& report, const SheetDetails& details)
{
    for (const char* name : kAdded)
        delete report.FindObject(QString::fromLatin1(name));
    auto* header = report.FindObject(QStringLiteral("PageHeader1"));
    auto* footer = report.FindObject(QStringLiteral("PageFooter1"));
    auto* number = report.FindObject(QStringLiteral("Memo3"));
    auto* credit = dynamic_cast<TfrxView*>(report.FindObject(QStringLiteral("Rich12")));
    if (!header || !footer || !number || !credit)
        return; // not the built-in template
    // The designed sheet first, then what the details change of it.
    number->SetWidth(mm(53));
    credit->SetVisible(true);
    credit->Printable = true;

    // Between the title (to 8 mm) and the black bar (from 16 mm).
    if (!details.shopName.isEmpty())
        addText(header, "ShopName", 0, 8, 170, 4, details.shopName, 15, true, TfrxHAlign::haCenter);
    if (!details.contact.isEmpty())
        addText(header, "ShopContact", 0, 12, 170, 3.5, details.contact, 11, false, TfrxHAlign::haCenter);
    if (!details.logo.isEmpty()) {
        auto* logo = new TfrxPictureView(header);
        logo->SetName(QStringLiteral("ShopLogo"));
        logo->SetBounds(mm(0), mm(0.5), mm(30), mm(15));
        logo->Picture = details.logo;
        logo->Stretched = true;
        logo->KeepAspectRatio = true;
        logo->Center = true;
    }
    // On the number's row, between the number and the print date.
    if (!details.customer.isEmpty()) {
        number->SetWidth(mm(35));
        // Top-aligned, as the number beside it.
        addText(header, "CustomerMemo", 50, 21, 65, 5, details.customer, 13, false, TfrxHAlign::haLeft)->VAlign =
            TfrxVAlign::vaTop;
    }
    // The note takes the credit line's place between the footer's two rules.
    if (!details.note.isEmpty()) {
        credit->SetVisible(false);
        credit->Printable = false;
        addText(footer, "ShopNote", 0, 6.3, 170, 9.5, details.note, 12, false, TfrxHAlign::haCenter);
    }
}

} // namespace report
