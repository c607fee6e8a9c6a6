// TOVIRAK.exe (from the test program's own folder) started in a fresh
// working folder for one test, and killed if the test leaves it running.
#pragma once

#include <memory>
#include <string>

#include "harness.h"
#include "notepad.h"
#include "platform/os.h"
#include "platform/win32/os_probe.h"

namespace wt {

struct Program {
    os::Services& os;
    Str dir;
    std::unique_ptr<win32::probe::Process> process;

    explicit Program(os::Services& s, const Str& folderPrefix = u"tvk_prog_")
        : os(s), dir(win32::probe::makeTempFolder(folderPrefix)) {}
    ~Program() {
        if (process && process->wait(0) == -1) process->kill();
        win32::probe::removeTree(dir);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    Str exe() const { return os.programFolder() + u"\\TOVIRAK.exe"; }
    void writeDocument(const Str& name, const Str& text) {
        auto f = os.createFile(dir + u"\\" + name);
        f->write(toCp932(text));
        f->close();
    }
    void start(const Str& args) {
        process = std::make_unique<win32::probe::Process>(u"\"" + exe() + u"\" " + args, dir);
    }
    os::WindowHandle mainWindow() {
        for (auto h : topLevelWindows(os))
            if (win32::probe::processIdOf(h) == process->id() && win32::probe::isVisible(h) &&
                instr(os.getWindowText(h), u"TOVIRAK") > 0)
                return h;
        return 0;
    }
    // The main window once it shows (0 when the program ended first or
    // nothing showed in time).
    os::WindowHandle waitMainWindow(int tenthsOfSeconds = 200) {
        for (int i = 0; i < tenthsOfSeconds; ++i) {
            win32::probe::pump(100);
            if (os::WindowHandle h = mainWindow()) return h;
            if (process->wait(0) != -1) break;  // ended during start-up
        }
        return 0;
    }
    // Closes the main window as the user would and returns the exit code
    // (-1 when it was still running after 15 s and had to be killed).
    long closeAndWait(os::WindowHandle main) {
        win32::probe::postClose(main);
        long code = process->wait(15000);
        if (code == -1) {
            note("still running 15 s after WM_CLOSE; killed");
            process->kill();
        }
        return code;
    }
    // Every visible window of the program, for a failure's notes.
    std::string windows() {
        std::string out;
        for (auto h : topLevelWindows(os))
            if (process && win32::probe::processIdOf(h) == process->id() && win32::probe::isVisible(h))
                out += "[" + utf8(os.getWindowText(h)) + " / " + utf8(os.getClassName(h)) + " / " +
                       utf8(win32::probe::controlText(win32::probe::findChild(h, u"Static"))) + "] ";
        return out;
    }
    // The status line is the window's first label.
    Str status() {
        os::WindowHandle main = mainWindow();
        return main ? win32::probe::controlText(win32::probe::findChild(main, u"Static")) : Str();
    }
};

}  // namespace wt
