// qmxdiy-helppicture OUT.jpg: draws the help overlay's picture, an annotated screenshot of the
// main window on the sample catalogue that numbers the five quotation steps on their buttons
// and names the ten record-navigator buttons. Run offscreen; the result is stored in resources/.
#include "app/app_identity.h"
#include "app/main_window.h"
#include "db/dataset.h"
#include "db/statements.h"
#include "dbaware/db_navigator.h"
#include "platform/font_table.h"
#include "sample_window.h"
#include "platform/headless_gui.h"
#include "platform/jpeg_codec.h"
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>

namespace {

QFont song(int pixels, bool bold = true)
{
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

// A few branches of the sample tree and one category's items, so the picture shows a window
// in use rather than an empty one.
void fillForThePicture(app::TFrm_main& w)
{
    db::Dataset l1(QStringLiteral("l1"), w.ADOConnection1.get());
    db::openStatement(l1, db::statements::allL1());
    for (l1.first(); !l1.eof(); l1.next()) {
        auto* n1 = new QTreeWidgetItem(w.tree.tv1, {l1.asString(QStringLiteral("L1_NM"))});
        db::Dataset l2(QStringLiteral("l2"), w.ADOConnection1.get());
        db::openStatement(l2, db::statements::l2Of(l1.asInteger(QStringLiteral("L1_ID"))));
        for (l2.first(); !l2.eof(); l2.next())
            new QTreeWidgetItem(n1, {l2.asString(QStringLiteral("L2_NM"))});
    }
    w.tree.tv1->expandItem(w.tree.tv1->topLevelItem(0));
    db::openStatement(*w.ADOQueryL1_L4, db::statements::allL1());
    db::openStatement(*w.ADOQueryHW, db::statements::itemsUnderL4Named(QStringLiteral("RTX 50系列主流")));
    w.catalogue.Lbl_L1->setText(QStringLiteral("电脑配件"));
    w.catalogue.Lbl_L2->setText(QStringLiteral("显卡"));
    w.catalogue.Lbl_L3->setText(QStringLiteral("NVIDIA显卡"));
    w.catalogue.Lbl_L4->setText(QStringLiteral("RTX 50系列主流"));
}

void badge(QPainter& p, const QPointF& centre, const QString& number)
{
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(QColor(220, 0, 0));
    p.drawEllipse(centre, 11, 11);
    p.setFont(song(15));
    p.drawText(QRectF(centre.x() - 11, centre.y() - 11, 22, 22), Qt::AlignCenter, number);
}

void callout(QPainter& p, const QPointF& from, const QPointF& to, const QString& text, const QColor& colour)
{
    p.setPen(QPen(colour, 1.5));
    p.drawLine(from, to);
    p.setFont(song(12));
    const QRectF box = p.boundingRect(QRectF(to.x() - 60, to.y() - 9, 120, 18), Qt::AlignCenter, text).adjusted(-4, -2, 4, 2);
    p.setBrush(QColor(255, 255, 210));
    p.drawRoundedRect(box, 3, 3);
    p.drawText(box, Qt::AlignCenter, text);
}

} // namespace

int main(int argc, char** argv)
{
    platform::prepareHeadlessGui();
    QApplication application(argc, argv);
    platform::installFontTable();
    if (argc != 2) {
        std::fprintf(stderr, "usage: qmxdiy-helppicture OUT.jpg\n");
        return 2;
    }
    SampleWindow sample;
    app::TFrm_main& w = *sample;
    fillForThePicture(w);
    w.show();
    QApplication::processEvents();

    QImage shot = w.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImage picture(786, 543, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawImage(QRect(0, 0, 786, 543), shot);
    const double sx = 786.0 / w.width(), sy = 543.0 / w.height();
    auto at = [&](QWidget* widget, double fx, double fy) {
        const QPoint tl = widget->mapTo(&w, QPoint(0, 0));
        return QPointF((tl.x() + widget->width() * fx) * sx, (tl.y() + widget->height() * fy) * sy);
    };

    // The five steps of a quotation, on their buttons.
    const std::pair<QWidget*, const char*> steps[] = {
        {w.catalogue.btn_create0, "1"}, {w.catalogue.btn_add0, "2"},   {w.quotation.btn_del1, "3"},
        {w.quotation.btn_cash1, "4"},   {w.quotation.btn_print1, "5"}};
    for (const auto& [button, number] : steps)
        badge(p, at(button, 0.0, 0.0) + QPointF(2, 0), QString::fromLatin1(number));

    // The record navigator's ten buttons, alternately labelled above and below.
    const char* names[] = {"第一条", "上一条", "下一条", "最后一条", "添加", "删除", "修改", "保存", "取消", "刷新"};
    for (int k = 0; k < 10; ++k) {
        QAbstractButton* b = w.tree.DBNavigator2->button(static_cast<dbaware::DBNavigator::Button>(k));
        const QPointF centre = at(b, 0.5, 0.5);
        const bool above = k % 2 == 0;
        callout(p, centre, centre + QPointF(k * 6 - 27, above ? -42 : 38), QString::fromUtf8(names[k]), QColor(0, 90, 200));
    }

    // A banner that says how to use the window and how to leave the help.
    const QRectF banner(300, 418 * sy, 470, 40);
    p.setPen(QPen(QColor(200, 0, 0), 2));
    p.setBrush(QColor(255, 255, 200, 235));
    p.drawRoundedRect(banner, 6, 6);
    p.setFont(song(14));
    p.drawText(banner, Qt::AlignCenter,
               QStringLiteral("左侧选分类 → 上方选货物 → 按 1~5 的顺序写单\n点右键有更多功能；点击本图返回"));
    p.end();

    try {
        platform::writeJpegFile(QString::fromLocal8Bit(argv[1]), picture);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qmxdiy-helppicture: %s\n", e.what());
        return 1;
    }
    return 0;
}
