#pragma once

// The find dialog: the text to find (the last one entered is offered again while the
// program runs), search from the first page, and case sensitivity.

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace preview {

class TfrxSearchDialog : public QDialog {
    Q_OBJECT
public:
    explicit TfrxSearchDialog(QWidget* parent);

    QString text() const;
    bool fromTop() const;
    bool caseSensitive() const;

    // The text last confirmed with OK in any find dialog of this run.
    static QString& lastText();

private:
    QLineEdit* textE_;
    QCheckBox* topCB_;
    QCheckBox* caseCB_;
};

} // namespace preview
