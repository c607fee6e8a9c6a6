// The main window on the real toolkit, shown without its start-up (no
// default document, no first-run notice, no hot keys), and a one-row macro
// played by one tick of the real executor.
#pragma once

#include <memory>
#include <string>

#include "app/main_window.h"
#include "harness.h"
#include "platform/win32/os_probe.h"
#include "platform/win32/win32_platform.h"

namespace wt {

struct MainWindow {
    std::unique_ptr<tk::Backend> toolkit = win32::makeToolkit(nullptr);
    std::unique_ptr<os::Services> os = win32::makeServices(1, 0);
    std::unique_ptr<::MainWindow> app;

    // keepFront false: the window never takes the front back after a run,
    // so a test can leave another window in front between rows.
    explicit MainWindow(bool keepFront = true) {
        app = std::make_unique<::MainWindow>(*toolkit, *os);
        app->form->onLoad = nullptr;
        app->form->onActivate = nullptr;
        app->form->show();
        app->document.settings.stayBehind = !keepFront;
        win32::probe::pump(200);
    }
    ~MainWindow() { app->form->onQueryUnload = nullptr; }
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Starts a run of the one row (action, text) and lets the step timer's
    // handler execute it once, then stops. Empty when the step ran; else
    // why not (the run did not start, or the step failed: the status line).
    std::string playRow(const Str& action, const Str& text) {
        app->document.steps.resize(2);
        app->document.steps.at(1) = MacroStep{action, text, Str()};
        app->controls.intervalBox->setText(u"1");
        app->startOrStop();
        if (app->player.state().row != 1) return "not started: " + utf8(app->statusLine.text());
        app->player.tick();
        const Str status = app->statusLine.text();
        if (app->player.state().row != 0) app->player.stop(false);
        if (startsWith(status, u"[")) return "failed: " + utf8(status);
        return std::string();
    }
};

}  // namespace wt
