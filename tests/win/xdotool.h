// Input from the X server as a real mouse and keyboard give it, made with
// xdotool, and the X focus that decides which window gets the keys.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/os.h"
#include "platform/win32/os_probe.h"

namespace wt {

// Runs the xdotool commands one after another and returns when they are
// done (false when that took more than 15 s). xdotool runs as a Unix
// program whose handle does not tell when it ends: a shell runs the
// commands and leaves a mark in dir at the end.
inline bool xdotool(const std::vector<std::string>& commands, os::Services& os, const Str& dir) {
    const Str done = dir + u"\\xdotool.done";
    os.removeFile(done);
    std::string script;
    for (auto& c : commands) script += "/usr/bin/xdotool " + c + "; ";
    script += "echo >xdotool.done";
    win32::probe::Process p(u"Z:\\bin\\sh -c \"" + fromUtf8(script) + u"\"", dir);
    return win32::probe::waitFor([&] { return os.fileExists(done); }, 15000);
}

// xdotool commands run by a shell in the background: the test goes on (into
// a modal loop of the program, which the input then reaches) while they
// play. The destructor waits up to 5 s for the shell to end.
struct XdotoolInBackground {
    std::unique_ptr<win32::probe::Process> shell;
    XdotoolInBackground(const std::string& commands, const Str& dir) {
        shell = std::make_unique<win32::probe::Process>(u"Z:\\bin\\sh -c \"" + fromUtf8(commands) + u"\"", dir);
    }
    ~XdotoolInBackground() { shell->wait(5000); }
};

// The xdotool command that gives the X focus to the visible window whose
// title matches the pattern (a regular expression).
inline std::string focus(const std::string& titlePattern) {
    return "search --onlyvisible --name '" + titlePattern + "' windowfocus --sync";
}

// Keys from the X server reach Wine through the window with the X focus,
// which without a window manager only the user moves; Wine gives them to its
// foreground window, which it leaves a window manager to change on a focus
// change, so the activation dance sets it too.
inline bool toFront(os::Services& os, os::WindowHandle h, const Str& dir, const std::string& titlePattern) {
    if (!xdotool({focus(titlePattern)}, os, dir)) return false;
    os::ThreadId self = os.getCurrentThreadId();
    os::ThreadId target = os.getWindowThreadProcessId(h);
    bool attached = os.attachThreadInput(self, target, true);
    os.setForegroundWindow(h);
    if (attached) os.attachThreadInput(self, target, false);
    return win32::probe::waitFor([&] { return os.getForegroundWindow() == h; }, 3000);
}

}  // namespace wt
