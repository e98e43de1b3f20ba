#pragma once
// The main window on a fresh copy of the sample catalogue, as the picture tools photograph
// it: opened, its timers stopped and the start-up tip hidden, not yet shown.
#include "app/data_folder.h"
#include "app/main_window.h"
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

class SampleWindow {
public:
    // The catalogue is made in the folder before the window is made on it.
    SampleWindow() : window_((app::ensureCatalogue(data_.path()), data_.path()))
    {
        window_.FormCreate();
        window_.shell.Timer1->stop();
        window_.shell.Timer2->stop();
        window_.shell.Panel_TIPS->hide();
    }
    app::TFrm_main& operator*() { return window_; }

private:
    QTemporaryDir data_;
    app::TFrm_main window_;
};
