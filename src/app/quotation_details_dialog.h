#pragma once
#include "db/quotation_records.h"
#include <QDialog>

class QLineEdit;
class QPlainTextEdit;

namespace app {

// "单据详情": a quotation's number, name, date, lines and total, with its customer's name,
// phone and note to edit. OK answers Accepted; the caller saves.
class QuotationDetailsDialog : public QDialog {
    Q_OBJECT
public:
    QuotationDetailsDialog(QWidget* parent, const db::QuotationRecord& quotation);

    QString customer() const;
    QString phone() const;
    QString note() const;

private:
    QLineEdit* customer_;
    QLineEdit* phone_;
    QPlainTextEdit* note_;
};

} // namespace app
