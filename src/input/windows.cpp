// Window search, activation, always-on-top and the screen measure.
#include "input/windows.h"

#include "input/window_cache.h"
#include "input/window_search.h"

namespace {
os::WindowHandle find(os::Services& os, os::WindowHandle own, const Str& search, Str* fullTitle) {
    Str titlePart, classPart;
    splitAtFirstComma(search, titlePart, classPart);
    Str title;
    const os::WindowHandle h = findWindow(os, os.getWindow(own, os::k::GW_HWNDFIRST), titlePart, classPart, &title);
    if (h != 0 && fullTitle) *fullTitle = title;
    return h;
}
}  // namespace

os::WindowHandle findTargetWindow(ErrorSink& sink, os::Services& os, os::WindowHandle own, StrView search,
                                  Str* fullTitle) {
    os::WindowHandle h = 0;
    const bool ok = guarded(sink, u"MF_WindowActive", [&] { h = find(os, own, trim(withoutNuls(search)), fullTitle); });
    return ok ? h : 0;
}

std::optional<os::WindowHandle> activateTargetWindow(ErrorSink& sink, os::Services& os, os::WindowHandle own,
                                                     StrView search, Str* fullTitle) {
    os::WindowHandle h = 0;
    const bool ok = guarded(sink, u"MF_WindowActive", [&] {
        const Str text = trim(withoutNuls(search));
        h = find(os, own, text, fullTitle);
        if (!text.empty() && h != 0)
            bringToFront(sink, os, own, h);
        else
            h = 0;
    });
    if (!ok) return std::nullopt;
    return h;
}

void bringToFront(ErrorSink& sink, os::Services& os, os::WindowHandle own, os::WindowHandle h) {
    guarded(sink, u"MF_ActiveForm", [&] {
        os::WindowHandle fg = os.getForegroundWindow();
        if (fg == h) return;
        const os::ThreadId thread = os.getCurrentThreadId();
        // A background program may not take the foreground; attached to the
        // input of the foreground window's thread it may.
        if (fg != own) {
            const os::ThreadId owner = os.getWindowThreadProcessId(fg);
            os.attachThreadInput(owner, thread, true);
            os.setForegroundWindow(own);
            os.attachThreadInput(owner, thread, false);
        }
        const os::ThreadId owner = os.getWindowThreadProcessId(os.getForegroundWindow());
        os.attachThreadInput(owner, thread, true);
        os.setForegroundWindow(h);
        os.attachThreadInput(owner, thread, false);
    });
}

void setTopMost(ErrorSink& sink, os::Services& os, os::WindowHandle own, bool topMost) {
    guarded(sink, u"MS_TopMost", [&] {
        const int64_t after = topMost ? os::k::HWND_TOPMOST : os::k::HWND_NOTOPMOST;
        os.setWindowPos(own, after, 0, 0, 0, 0, os::k::SWP_NOSIZE | os::k::SWP_NOMOVE);
    });
}

void measureScreen(ErrorSink& sink, os::Services& os, ScreenMeasure& screen) {
    // Measured, not probed with the cursor: a step at "-1,-1" must click
    // where the user left the cursor.
    guarded(sink, u"MS_GetDispWidth", [&] {
        screen.maxX = os.screenWidth() - 1;
        screen.maxY = os.screenHeight() - 1;
    });
}
