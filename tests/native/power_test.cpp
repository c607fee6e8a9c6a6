// The power-off wrapper: flags by platform, forcing, and the privilege.
#include "app_fixture.h"
#include "playback/exit_windows.h"

TEST(ExitWindows, FlagsCombineWithTheForceFlag) {
    headless::Platform p;
    ExitWindows w(p.os);
    EXPECT_FALSE(w.Force());
    w.Force(true);
    EXPECT_TRUE(w.Force());
    EXPECT_EQ(w.LogOff(), 0);
    EXPECT_EQ(w.ReBoot(), 0);
    w.Force(false);
    EXPECT_FALSE(w.Force());
    EXPECT_EQ(w.ShutDown(), 0);
    EXPECT_EQ(w.PowerOff(), 0);
    EXPECT_EQ(p.exitRequests, (std::vector<uint32_t>{4, 6, 1, 8}));
}

TEST(ExitWindows, PrivilegeIsTakenOnlyOnNt) {
    headless::Platform p;
    ExitWindows w(p.os);
    EXPECT_TRUE(w.IsWindowsNT());
    w.ShutDown();
    EXPECT_EQ(p.traceText(), "AdjustTokenPrivileges(SeShutdownPrivilege)\nExitWindowsEx(1)");
    p.clearTrace();
    p.nt = false;
    EXPECT_FALSE(w.IsWindowsNT());
    w.ShutDown();
    EXPECT_EQ(p.traceText(), "ExitWindowsEx(1)");
}

TEST_F(AppTest, PowerOffIsForcedAndPicksTheMethodByPlatform) {
    start();
    powerOffPC(p.os);
    p.nt = false;
    powerOffPC(p.os);
    // A fresh instance each time: forcing is set anew on every call.
    EXPECT_EQ(p.exitRequests, (std::vector<uint32_t>{12, 5}));
}
