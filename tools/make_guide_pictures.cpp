// qmxdiy-guidepictures OUTDIR: the user guide's screenshots, taken from the real main window
// and preview window on the sample catalogue while a quotation is being written. Run
// offscreen after the window changes; the pictures are stored in docs/guide/.
#include "app/catalogue_search_box.h"
#include "app/desktop_conventions.h"
#include "app/main_window.h"
#include "app/quotation_printout.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "platform/font_table.h"
#include "sample_window.h"
#include "platform/headless_gui.h"
#include "preview/window/preview_form.h"
#include "report/engine/report_shell.h"
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>

namespace {

// Clicks down the tree along the first branch whose names are given, as the operator does.
void clickPath(app::TFrm_main& w, const QStringList& names)
{
    QTreeWidgetItem* node = nullptr;
    for (const QString& name : names) {
        const int count = node ? node->childCount() : w.tree.tv1->topLevelItemCount();
        QTreeWidgetItem* next = nullptr;
        for (int k = 0; k < count && !next; ++k) {
            QTreeWidgetItem* child = node ? node->child(k) : w.tree.tv1->topLevelItem(k);
            if (child->text(0) == name)
                next = child;
        }
        if (!next)
            throw std::runtime_error("no tree node " + name.toStdString());
        w.tree.tv1->setCurrentItem(next);
        w.i();
        node = next;
    }
}

// A quotation of one item of each of several level-2 categories, opened through the
// management panel as the operator opens a saved one.
void writeQuotation(app::TFrm_main& w, const QString& number)
{
    w.ADOConnection1->execute(QStringLiteral(
        "INSERT INTO DIY (DIY_ID, DIY_NM, HW_ID, L2_ID, HW_MS, DIY_SL, DIY_JG, DIY_CASH, L2_NM) "
        "SELECT '%1', '张先生', HW.HW_ID, L2.L2_ID, HW.HW_MC, 1, HW.HW_JG, HW.HW_JG, L2.L2_NM "
        "FROM HW JOIN L4 ON HW.L4_ID = L4.L4_ID JOIN L3 ON L4.L3_ID = L3.L3_ID JOIN L2 ON L3.L2_ID = L2.L2_ID "
        "WHERE HW.HW_ID IN (SELECT min(HW.HW_ID) FROM HW JOIN L4 ON HW.L4_ID = L4.L4_ID "
        "JOIN L3 ON L4.L3_ID = L3.L3_ID GROUP BY L3.L2_ID LIMIT 7) ORDER BY HW.HW_ID").arg(number));
    w.N19Click();
    w.management.cmb_diy_id->setCurrentText(number);
    w.btn_diy_id_listClick();
}

void save(const QImage& picture, const QDir& out, const char* name)
{
    const QString path = out.filePath(QLatin1String(name));
    if (!picture.save(path))
        throw std::runtime_error("cannot write " + path.toStdString());
}

} // namespace

int main(int argc, char** argv)
{
    platform::prepareHeadlessGui();
    QApplication application(argc, argv);
    app::useChineseConventions(application);
    platform::installFontTable();
    if (argc != 2) {
        std::fprintf(stderr, "usage: qmxdiy-guidepictures OUTDIR\n");
        return 2;
    }
    try {
        const QDir out(QString::fromLocal8Bit(argv[1]));
        SampleWindow sample;
        app::TFrm_main& w = *sample;
        w.btn_refreshClick();
        writeQuotation(w, QStringLiteral("2026-12-09"));
        clickPath(w, {QStringLiteral("电脑配件"), QStringLiteral("显卡"), QStringLiteral("NVIDIA显卡"),
                      QStringLiteral("RTX 40系列")});
        w.show();
        QApplication::processEvents();
        save(w.grab().toImage(), out, "main_window.png");
        save(w.quotation.Panel1->grab(QRect(0, 0, w.quotation.Panel1->width(), 541 - w.quotation.Panel1->y())).toImage(),
             out, "quotation_lines.png");
        save(w.record.Panel_HW->grab().toImage(), out, "record_panel.png");

        // The hits show while the box has the keyboard.
        QApplication::setActiveWindow(&w);
        w.catalogue.searchBox->edit()->setFocus();
        w.catalogue.searchBox->edit()->setText(QStringLiteral("4060 8G"));
        w.catalogue.searchBox->searchNow();
        QApplication::processEvents();
        save(w.grab(QRect(w.catalogue.Panel2->x(), 0, w.catalogue.Panel2->width(), 330)).toImage(), out, "search.png");
        w.catalogue.searchBox->edit()->clear();

        // The quotation as the print command shows it.
        app::QuotationPrintout printout(*w.ADOQueryDIY);
        printout.shell().PrepareReport(true);
        preview::TfrxPreviewForm form(nullptr, printout.shell());
        form.resize(900, 640);
        form.Init();
        form.show();
        form.ApplyZoomText(QStringLiteral("页宽"));
        QApplication::processEvents();
        save(form.grab().toImage(), out, "preview.png");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qmxdiy-guidepictures: %s\n", e.what());
        return 1;
    }
    return 0;
}
