// Wine's Notepad as a target for the Windows-side tests: started for one
// test, found among the top-level windows by its window class (its title
// follows the system's language: "(無題) - メモ帳", "Untitled - Notepad"),
// and killed at the end (nothing is saved).
#pragma once

#include <set>
#include <vector>

#include "platform/os.h"
#include "platform/win32/os_probe.h"

namespace wt {

inline std::vector<os::WindowHandle> topLevelWindows(os::Services& os) {
    std::vector<os::WindowHandle> all;
    for (os::WindowHandle h = os.getWindow(0, os::k::GW_HWNDFIRST); h && all.size() < 20000;
         h = os.getWindow(h, os::k::GW_HWNDNEXT))
        all.push_back(h);
    return all;
}

struct Notepad {
    static constexpr const char16_t* kClass = u"Notepad";
    os::Services& os;
    os::WindowHandle window = 0;
    os::WindowHandle edit = 0;

    explicit Notepad(os::Services& s) : os(s) {
        auto before = topLevelWindows(os);
        std::set<os::WindowHandle> old(before.begin(), before.end());
        os.startProgram(u"notepad.exe", os::k::SW_SHOWNORMAL);
        for (int i = 0; i < 100 && !window; ++i) {
            win32::probe::pump(100);
            for (auto h : topLevelWindows(os))
                if (!old.count(h) && win32::probe::isVisible(h) && os.getClassName(h) == kClass) {
                    window = h;
                    break;
                }
        }
        if (window) edit = win32::probe::findChild(window, u"Edit");
    }
    ~Notepad() {
        if (window) win32::probe::terminateProcess(win32::probe::processIdOf(window));
    }
    Notepad(const Notepad&) = delete;
    Notepad& operator=(const Notepad&) = delete;

    Str text() { return win32::probe::controlText(edit); }

    // Injected input arrives asynchronously.
    Str waitText(const Str& expected, uint32_t ms = 3000) {
        Str t;
        for (uint32_t waited = 0; waited <= ms; waited += 50) {
            t = text();
            if (t == expected) break;
            win32::probe::pump(50);
        }
        return t;
    }
    bool waitForeground(uint32_t ms = 3000) {
        for (uint32_t waited = 0; waited <= ms; waited += 20) {
            if (os.getForegroundWindow() == window) return true;
            win32::probe::pump(20);
        }
        return false;
    }
    // The activation dance: share our input state with Notepad's thread for
    // the moment of the call so the system lets us give it the foreground.
    bool bringToFront() {
        os::ThreadId self = os.getCurrentThreadId();
        os::ThreadId target = os.getWindowThreadProcessId(window);
        bool attached = os.attachThreadInput(self, target, true);
        os.setForegroundWindow(window);
        if (attached) os.attachThreadInput(self, target, false);
        return waitForeground(2000);
    }
};

}  // namespace wt
