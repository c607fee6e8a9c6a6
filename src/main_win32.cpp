// The Windows entry point: wires the real backends to the application.
// Per-monitor DPI awareness and the Common Controls 6 styles come from the
// manifest in the resources, so they hold before any window exists.
#include "app/app.h"
#include "platform/win32/win32_platform.h"

#include <windows.h>
#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&icc);
    try {
        auto toolkit = win32::makeToolkit(instance);
        auto services = win32::makeServices(TOVIRAK_VERSION_MAJOR, TOVIRAK_VERSION_MINOR);
        if (!app::start(*toolkit, *services)) {
            app::finish();
            return 0;
        }
        int code = win32::runMessageLoop(*toolkit);
        app::finish();
        return code;
    } catch (...) {
        // Only a failure before the main window could report it lands here.
        Str text = describeCurrentException();
        MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(text.c_str()), L"TOVIRAK", MB_OK | MB_ICONERROR);
        return 1;
    }
}
