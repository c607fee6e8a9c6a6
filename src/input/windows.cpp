// Window search, activation, always-on-top and the screen measure.
#include "core/frm_TOVIRAK.h"
#include "input/window_cache.h"
#include "input/window_search.h"

uint64_t frm_TOVIRAK::MF_WindowActive(const Str& str_SearchTitle, bool bln_ActFlg, Str& str_SearchTitleFull) {
    uint64_t h = 0;
    bool ok = guarded(u"MF_WindowActive", [&] {
        Str search = trim(MF_NullDel(str_SearchTitle));
        Str titlePart, classPart;
        MS_Kanma_Bunkatu(search, titlePart, classPart);
        Str title;
        h = findWindow(os, os.getWindow(form->nativeHandle(), os::k::GW_HWNDFIRST), titlePart, classPart, &title);
        if (h != 0) str_SearchTitleFull = title;
        if (bln_ActFlg) {
            if (!search.empty() && h != 0) {
                MF_ActiveForm(h);
            } else {
                // The warning mode sounds the beep itself.
                MS_DispStatus(8, u"対象ウィンドウが見つかりません。");
                h = 0;
            }
        }
    });
    return ok ? h : 0;
}

bool frm_TOVIRAK::MF_ActiveForm(uint64_t hWnd) {
    guarded(u"MF_ActiveForm", [&] {
        os::WindowHandle fg = os.getForegroundWindow();
        if (fg == hWnd) return;
        os::WindowHandle self = form->nativeHandle();
        os::ThreadId own = os.getCurrentThreadId();
        // A background program may not take the foreground; attached to the
        // input of the foreground window's thread it may.
        if (fg != self) {
            os::ThreadId owner = os.getWindowThreadProcessId(fg);
            os.attachThreadInput(owner, own, true);
            os.setForegroundWindow(self);
            os.attachThreadInput(owner, own, false);
        }
        os::ThreadId owner = os.getWindowThreadProcessId(os.getForegroundWindow());
        os.attachThreadInput(owner, own, true);
        os.setForegroundWindow(hWnd);
        os.attachThreadInput(owner, own, false);
    });
    return true;
}

void frm_TOVIRAK::MS_TopMost(bool bln_Kbn) {
    guarded(u"MS_TopMost", [&] {
        int64_t after = (bln_Kbn && Mbln_TopMost) ? os::k::HWND_TOPMOST : os::k::HWND_NOTOPMOST;
        os.setWindowPos(form->nativeHandle(), after, 0, 0, 0, 0, os::k::SWP_NOSIZE | os::k::SWP_NOMOVE);
    });
}

void frm_TOVIRAK::MS_GetDispWidth() {
    // Measured, not probed with the cursor: a step at "-1,-1" must click
    // where the user left the cursor.
    guarded(u"MS_GetDispWidth", [&] {
        Mlng_DispMaxX = os.screenWidth() - 1;
        Mlng_DispMaxY = os.screenHeight() - 1;
    });
}
