// The built program as a user starts it: TOVIRAK.exe from the build folder,
// in an empty working folder, with the first-run notice switched off.
#include "harness.h"
#include "program.h"

#include "platform/win32/os_probe.h"
#include "platform/win32/win32_platform.h"

namespace {
namespace probe = win32::probe;

// A visible top-level window of the process whose title holds "TOVIRAK".
}  // namespace

TEST(EndToEnd, ProgramShowsMainWindowAndEndsWhenClosed) {
    auto os = win32::makeServices(1, 0);
    wt::Program prog(*os, u"tvk_e2e_");
    ASSERT_TRUE(os->fileExists(prog.exe()));
    prog.start(u"/NOMSG");
    os::WindowHandle main = prog.waitMainWindow();
    ASSERT_TRUE(main != 0);
    Str title = os->getWindowText(main);
    wt::note("main window: " + wt::utf8(title));
    EXPECT_TRUE(startsWith(title, u"TOVIRAK"));

    EXPECT_EQ(prog.closeAndWait(main), 0L);
    // The working state is written on the way out.
    EXPECT_TRUE(os->fileExists(prog.dir + u"\\TOVIRAK.TVK"));
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
