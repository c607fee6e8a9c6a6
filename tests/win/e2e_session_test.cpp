// Log-off and shutdown through the built program: the session-end messages
// sent to the real TOVIRAK window, as Windows sends them.
#include "harness.h"
#include "program.h"

#include "platform/win32/os_probe.h"
#include "platform/win32/win32_platform.h"

namespace {
namespace probe = win32::probe;

constexpr uint32_t kCloseApp = 0x00000001, kCritical = 0x40000000, kLogoff = 0x80000000;

// A message box of the program (class "#32770") with that title, 0 if none
// shows within about five seconds.
os::WindowHandle waitMessageBox(os::Services& os, wt::Program& prog, const Str& title) {
    for (int i = 0; i < 50; ++i) {
        for (auto h : wt::topLevelWindows(os))
            if (probe::processIdOf(h) == prog.process->id() && probe::isVisible(h) &&
                os.getClassName(h) == u"#32770" && os.getWindowText(h) == title)
                return h;
        probe::pump(100);
    }
    return 0;
}
}  // namespace

TEST(EndToEnd, SessionEndIsAnsweredAtOnceAndWritesTheWorkingState) {
    auto os = win32::makeServices(1, 0);
    wt::Program prog(*os, u"tvk_session_");
    const Str tvk = prog.dir + u"\\TOVIRAK.TVK";
    prog.start(u"/NOMSG");
    os::WindowHandle main = prog.waitMainWindow();
    ASSERT_TRUE(main != 0);

    // Nothing to save: yes at once, with the working state written.
    for (uint32_t reasons : {0u, kLogoff, kCloseApp, kCritical}) {
        os->removeFile(tvk);
        EXPECT_EQ(probe::querySessionEnd(main, reasons, 5000), 1L);
        EXPECT_TRUE(os->fileExists(tvk));
    }

    // An unsaved change (a new interval): no, with the change already in
    // "TOVIRAK.TVK", and the save question once the answer is given.
    const os::WindowHandle interval = probe::findChild(main, u"Edit");
    ASSERT_TRUE(probe::setControlText(interval, u"7"));
    os->removeFile(tvk);
    EXPECT_EQ(probe::querySessionEnd(main, 0, 5000), 0L);
    ASSERT_TRUE(os->fileExists(tvk));
    EXPECT_TRUE(os->readFile(tvk).find("\r\nKankakuTime=7\r\n") != std::string::npos);
    const os::WindowHandle question = waitMessageBox(*os, prog, u"確認");
    if (!EXPECT_TRUE(question != 0)) wt::note("windows: " + prog.windows());
    if (question) probe::postClose(question);  // Cancel: the program stays
    probe::endSession(main, false, 0, 5000);
    probe::pump(300);
    EXPECT_EQ(prog.process->wait(0), -1L);
    EXPECT_TRUE(probe::isWindow(main));

    // The session ends after all: written again, then the program ends
    // without asking anything.
    os->removeFile(tvk);
    probe::endSession(main, true, kLogoff, 5000);
    EXPECT_EQ(prog.process->wait(10000), 0L);
    EXPECT_TRUE(os->fileExists(tvk));
}

TEST(EndToEnd, ForcedSessionEndWithoutAQueryStillWritesTheWorkingState) {
    auto os = win32::makeServices(1, 0);
    wt::Program prog(*os, u"tvk_forced_");
    const Str tvk = prog.dir + u"\\TOVIRAK.TVK";
    prog.start(u"/NOMSG");
    os::WindowHandle main = prog.waitMainWindow();
    ASSERT_TRUE(main != 0);
    EXPECT_FALSE(os->fileExists(tvk));
    probe::endSession(main, true, kCritical | kLogoff, 5000);
    EXPECT_EQ(prog.process->wait(10000), 0L);
    EXPECT_TRUE(os->fileExists(tvk));
}
