#pragma once
#include "db/price_list.h"
#include <QString>
#include <memory>

class QProgressDialog;
class QWidget;

namespace app {

// A progress window for the long steps of a command (reading, checking and importing a price
// list of many rows): it appears only when a step takes longer than half a second, lets the
// window's messages run, and its Cancel button stops the step (the callback answers false).
class ProgressWindow {
public:
    ProgressWindow(QWidget* parent, const QString& caption);
    ~ProgressWindow();

    // The callback of one step, labelled with its text.
    db::Progress step(const QString& label);
    // Takes the window away between steps (before a question or message is shown).
    void finish();

private:
    std::unique_ptr<QProgressDialog> dialog_;
};

} // namespace app
