// The built program as a user starts it: TOVIRAK.exe from the build folder,
// in an empty working folder, with the first-run notice switched off.
#include "harness.h"

#include "platform/win32/os_probe.h"
#include "platform/win32/win32_platform.h"

namespace {
namespace probe = win32::probe;

// A visible top-level window of the process whose title holds "TOVIRAK".
os::WindowHandle mainWindowOf(os::Services& os, uint32_t pid) {
    for (os::WindowHandle h = os.getWindow(0, os::k::GW_HWNDFIRST); h; h = os.getWindow(h, os::k::GW_HWNDNEXT)) {
        if (probe::processIdOf(h) != pid || !probe::isVisible(h)) continue;
        if (instr(os.getWindowText(h), u"TOVIRAK") > 0) return h;
    }
    return 0;
}
}  // namespace

TEST(EndToEnd, ProgramShowsMainWindowAndEndsWhenClosed) {
    auto os = win32::makeServices(1, 0);
    Str exe = os->programFolder() + u"\\TOVIRAK.exe";
    ASSERT_TRUE(os->fileExists(exe));
    Str dir = probe::makeTempFolder(u"tvk_e2e_");
    struct Cleanup {
        Str dir;
        ~Cleanup() { probe::removeTree(dir); }
    } cleanup{dir};

    probe::Process app(u"\"" + exe + u"\" /NOMSG", dir);
    os::WindowHandle main = 0;
    for (int i = 0; i < 200 && !main; ++i) {
        probe::pump(100);
        main = mainWindowOf(*os, app.id());
        if (app.wait(0) != -1) break;  // ended during start-up
    }
    if (!main) {
        app.kill();
        ASSERT_TRUE(main != 0);
    }
    Str title = os->getWindowText(main);
    wt::note("main window: " + wt::utf8(title));
    EXPECT_TRUE(startsWith(title, u"TOVIRAK"));

    probe::postClose(main);
    long code = app.wait(15000);
    if (code == -1) {
        wt::note("still running 15 s after WM_CLOSE; killed");
        app.kill();
    }
    EXPECT_EQ(code, 0L);
    // The working state is written on the way out.
    EXPECT_TRUE(os->fileExists(dir + u"\\TOVIRAK.TVK"));
}

// The resources the program carries: the manifest that selects Common
// Controls 6 and per-monitor DPI awareness, and the version information with
// its Japanese strings stored as UTF-16 (the resource source is UTF-8).
TEST(EndToEnd, ProgramCarriesManifestAndVersionInformation) {
    auto os = win32::makeServices(1, 0);
    Str exe = os->programFolder() + u"\\TOVIRAK.exe";
    ASSERT_TRUE(os->fileExists(exe));
    constexpr int RT_VERSION = 16, RT_MANIFEST = 24;
    std::string manifest = probe::resourceBytes(exe, RT_MANIFEST, 1);
    EXPECT_TRUE(manifest.find("Microsoft.Windows.Common-Controls") != std::string::npos);
    EXPECT_TRUE(manifest.find("PerMonitorV2") != std::string::npos);
    EXPECT_TRUE(manifest.find("asInvoker") != std::string::npos);

    std::string version = probe::resourceBytes(exe, RT_VERSION, 1);
    auto has = [&](const Str& s) {
        return version.find(std::string(reinterpret_cast<const char*>(s.data()), s.size() * 2)) != std::string::npos;
    };
    EXPECT_TRUE(has(u"ProductName"));
    EXPECT_TRUE(has(u"1.0.0.0"));
    EXPECT_TRUE(has(u"マクロ実行ツール"));
}
