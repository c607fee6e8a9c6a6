// The forms backend object: set-up, message boxes, metrics and the last
// line of defence for failures inside window procedures.

// os.h (through win32_platform.h) must be read before <windows.h> defines
// macros with the names of its constants.
#include "platform/win32/win32_platform.h"
#include "platform/win32/tk_internal.h"

#include <commctrl.h>

#include <cmath>
#include <functional>
#include <string>


namespace win32::tkw {

void registerFormClass(HINSTANCE instance);

// Where failures go instead of a message box while tests run.
std::function<void(const Str&)>& failureSink() {
    static std::function<void(const Str&)> sink;
    return sink;
}

void reportCurrentException(const char* where) {
    Str what;
    try {
        what = describeCurrentException();
    } catch (...) {
        what = u"(説明のない例外)";
    }
    Str text = u"内部エラー (";
    for (const char* p = where; *p; ++p) text += char16_t(*p);
    text += u"): " + what;
    OutputDebugStringW(wz(text));
    if (auto& sink = failureSink()) {
        sink(text);
        return;
    }
    // One box at a time: a failure repeating inside the box's own loop
    // goes to the debugger output only.
    static bool showing = false;
    if (showing) return;
    showing = true;
    MessageBoxW(nullptr, wz(text), L"TOVIRAK", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    showing = false;
}

Toolkit::Toolkit(HINSTANCE inst) : instance(inst) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    HDC screen = GetDC(nullptr);
    int d = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    if (d > 0) dpi = d;
    registerFormClass(instance);
    createPostWindow();
    watchFront();
}

Toolkit::~Toolkit() {
    unwatchFront();
    if (postWindow) DestroyWindow(postWindow);
}

int Toolkit::px(double twips) const { return int(std::lround(twips / tpp())); }

int Toolkit::messageBox(const Str& text, int style, const Str& title) {
    // Owned by the program's active form, else the main window.
    HWND owner = GetActiveWindow();
    if (!FormNative::from(owner)) {
        FormNative* fn = mainForm ? formNative(*mainForm) : nullptr;
        owner = fn && fn->hwnd && IsWindowVisible(fn->hwnd) ? fn->hwnd : nullptr;
    }
    ForeignLoopTimers keepTicking;
    return MessageBoxW(owner, wz(text), wz(title), UINT(style));
}

int Toolkit::comboItemHeight(tk::ComboBox& c) {
    if (int h = comboItemHeightOf(ctlNative(c)); h > 0) return h;
    // Not created yet: the height of a line of its font.
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, gdi.font(c.font(), dpi));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return tm.tmHeight > 0 ? int(tm.tmHeight) : 12;
}

}  // namespace win32::tkw

namespace win32 {

std::unique_ptr<tk::Backend> makeToolkit(void* instance) {
    HINSTANCE h = instance ? static_cast<HINSTANCE>(instance) : GetModuleHandleW(nullptr);
    return std::make_unique<tkw::Toolkit>(h);
}

}  // namespace win32
