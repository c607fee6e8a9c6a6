// One main window on the in-memory platform, shared by every input of a
// fuzz target (creating a window per input would cost more than the parse).
#pragma once

#include <memory>

#include "app/main_window.h"
#include "platform/headless/headless.h"

namespace fuzz {

struct App {
    headless::Platform p;
    std::unique_ptr<MainWindow> app;

    App() {
        p.cmdLine = u"/NOMSG";
        app = std::make_unique<MainWindow>(p.toolkit, p.os);
        app->form->show();
        forget();
    }
    // Drops what earlier inputs left in the records, so memory stays flat.
    void forget() {
        p.trace.clear();
        p.shown.clear();
        p.answers.clear();
        p.modalsShown.clear();
        p.started.clear();
    }
    Str status() const { return app->statusLine.text(); }
};

inline App& app() {
    static App* a = new App();  // never destroyed: the process just ends
    return *a;
}

}  // namespace fuzz
