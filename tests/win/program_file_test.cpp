// The program file as Windows sees it: the version resource and the icon
// Explorer shows, and the icon on the program's windows.
// scripts/package-test.sh runs the first test again in the folder unpacked
// from the download, so that it speaks for the zip too.
#include "harness.h"
#include "main_window.h"

#include <algorithm>
#include <vector>

#include "platform/win32/desk_probe.h"

namespace {
namespace probe = win32::probe;

Str programFile(os::Services& os) { return os.programFolder() + u"\\TOVIRAK.exe"; }

}  // namespace

TEST(ProgramFile, CarriesItsVersionAndItsIcon) {
    auto os = win32::makeServices(1, 0);
    const Str exe = programFile(*os);
    ASSERT_TRUE(os->fileExists(exe));
    const probe::VersionStrings v = probe::versionStrings(exe);
    EXPECT_EQ(v.productName, Str(u"TOVIRAK"));
    EXPECT_EQ(v.fileVersion, toStr((long long)TOVIRAK_VERSION_MAJOR) + u"." + toStr((long long)TOVIRAK_VERSION_MINOR) +
                                 u".0.0");
    // Title bar, taskbar, Explorer's lists and its large views.
    const std::vector<int> sizes = probe::iconSizes(exe, 1);
    for (int size : {16, 24, 32, 48, 256})
        EXPECT_TRUE(std::count(sizes.begin(), sizes.end(), size) == 1);
}

// The test program carries the program's icon as the program does: a form
// shows it, large and small.
TEST(ProgramFile, TheMainWindowShowsTheIcon) {
    wt::MainWindow w;
    EXPECT_TRUE(probe::showsIcon(w.app->form->nativeHandle(), programFile(*w.os), 1));
}
