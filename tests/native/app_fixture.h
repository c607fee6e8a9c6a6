// A main window on the headless platform, started the way the program
// starts: tests drive it through its event handlers and the platform's
// user entry points, and read the recorded trace.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "app/main_window.h"
#include "platform/headless/headless.h"

// Printing of the program's texts in failure messages.
inline void PrintTo(const Str& s, std::ostream* os) { *os << '"' << toUtf8(s) << '"'; }

class AppTest : public ::testing::Test {
protected:
    headless::Platform p;
    std::unique_ptr<MainWindow> app;

    // Creates the main window and shows it (Load, first Resize, Activate).
    // The default document is written first unless a test put one there.
    void start(const Str& commandLine = u"/NOMSG") {
        p.cmdLine = commandLine;
        app = std::make_unique<MainWindow>(p.toolkit, p.os);
        app->form->show();
    }
    // Bytes of a file of the in-memory file system ("" when missing).
    std::string fileBytes(const Str& path) {
        auto* f = p.file(path);
        return f ? *f : std::string();
    }
    Str status() const { return app->statusLine.text(); }
};
