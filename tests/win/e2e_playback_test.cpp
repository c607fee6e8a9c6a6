// Playback through the built program: TOVIRAK.exe started with "/RUN" plays
// a document against Wine's Notepad (every key route, a wait, a click), is
// brought to the front by a step of its own (the window comes up after the
// start of the run, so it is the program that has the front at first), is
// stopped by a stop hot key pressed on the X server, and ends a counted run
// by itself.
#include "harness.h"
#include "notepad.h"
#include "program.h"

#include <algorithm>
#include <set>
#include <vector>

#include "platform/win32/os_probe.h"
#include "platform/win32/typing_probe.h"
#include "platform/win32/win32_platform.h"

namespace {
namespace probe = win32::probe;

using wt::topLevelWindows;

using wt::Notepad;

struct Program : wt::Program {
    explicit Program(os::Services& s) : wt::Program(s, u"tvk_play_") {}
};

struct Settings {
    Str interval = u"0.1";
    Str windowTitle;
    Str stopKey;
    int timerHH = 0, timerMM = 0;
    bool timerEnabled = false;
};

Str document(const Settings& s, const std::vector<std::pair<Str, Str>>& rows) {
    Str t = u"Ver=1.0\r\nTop=0\r\nHeight=4275\r\nLeft=0\r\nWidth=3690\r\n";
    t += u"KankakuTime=" + s.interval + u"\r\nKankakuTimeTani=1\r\n";
    t += u"WindowTitle=" + s.windowTitle + u"\r\nStartHotKey=\r\nStopHotKey=" + s.stopKey + u"\r\n";
    t += u"TimerHH=" + toStr((long long)s.timerHH) + u"\r\nTimerMM=" + toStr((long long)s.timerMM) + u"\r\n";
    t += Str(u"TimerEnabled=") + (s.timerEnabled ? u"True" : u"False") + u"\r\n";
    // All sixteen key lines, as the program writes them: a "TopMost" line
    // applied while the document is read must not start "/RUN" early.
    t += u"TimerPCOff=False\r\nTopMost=False\r\nNotActive=False\r\n";
    for (auto& [action, command] : rows) t += u"\"" + action + u"\",\"" + command + u"\",\"\"\r\n";
    return t;
}

using probe::waitFor;

long countOf(const Str& s, char16_t c) {
    long n = 0;
    for (char16_t x : s) n += x == c;
    return n;
}

}  // namespace

TEST(EndToEndPlayback, RunSwitchPlaysKeysByEveryRouteWaitsAndClicksIntoNotepad) {
    auto os = win32::makeServices(1, 0);
    ASSERT_TRUE(os->fileExists(os->programFolder() + u"\\TOVIRAK.exe"));
    Notepad np(*os);
    ASSERT_TRUE(np.window != 0 && np.edit != 0);
    // A click at the top left of the text puts the caret before everything.
    probe::Rect r = probe::windowRect(np.edit);
    Str point = toStr((long long)r.left + 6) + u"," + toStr((long long)r.top + 6);

    Settings s;
    s.windowTitle = os->getWindowText(np.window);
    Program prog(*os);
    prog.writeDocument(u"play.TVK", document(s, {
                                                    {u"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ", s.windowTitle},
                                                    {u"待機", u"1"},  // the activation settles
                                                    {u"ｷｰ入力", u"VK_A,VK_B+"},
                                                    {u"ｷｰ入力_改", u"VK_C,VK_D"},
                                                    {u"ﾊﾟｽﾜｰﾄﾞ入力", u"VK_E(100)"},
                                                    {u"ｷｰ入力", u"xy"},
                                                    {u"待機", u"1"},
                                                    {u"ｷｰ入力_真", u"VK_F"},
                                                    {u"左ｸﾘｯｸ", point},
                                                    {u"ｷｰ入力", u"VK_Z"},
                                                    {u"終了", u""},
                                                }));
    prog.start(u"/RUN /NOMSG play.TVK");
    long code = prog.process->wait(40000);
    if (code == -1) {
        wt::note("status: " + wt::utf8(prog.status()) + ", Notepad: " + wt::utf8(np.text()) + ", windows: " +
                 prog.windows());
        prog.process->kill();
    }
    EXPECT_EQ(code, 0L);
    probe::pump(300);
    Str text = np.text();
    wt::note("Notepad holds \"" + wt::utf8(text) + "\"");
    // The message route goes to Notepad's frame window; what its frame makes
    // of a character message is Notepad's business, so it is left out.
    Str typed;
    for (char16_t c : text)
        if (c != u'F' && c != u'f') typed += c;
    EXPECT_EQ(typed, Str(u"zaBcdexy"));
    // The end step saved the working state.
    EXPECT_TRUE(os->fileExists(prog.dir + u"\\TOVIRAK.TVK"));
}

TEST(EndToEndPlayback, StopHotKeyPressedOnTheXServerStopsTheRun) {
    auto os = win32::makeServices(1, 0);
    Notepad np(*os);
    ASSERT_TRUE(np.window != 0 && np.edit != 0);
    Settings s;
    s.windowTitle = os->getWindowText(np.window);
    s.stopKey = u"VK_F12";
    s.interval = u"0.2";
    Program prog(*os);
    prog.writeDocument(u"stop.TVK", document(s, {{u"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ", s.windowTitle}, {u"ｷｰ入力", u"VK_A"}}));
    prog.start(u"/RUN /NOMSG stop.TVK");
    bool typing = waitFor([&] { return countOf(np.text(), u'a') >= 3; }, 20000);
    ASSERT_TRUE(typing);
    EXPECT_TRUE(startsWith(prog.status(), u"実行中"));

    // The key comes from the X server, as a real keyboard's would.
    // Wine runs the Unix program; its handle does not tell when it ends, so
    // the test waits for the effect instead.
    probe::Process xdotool(u"Z:\\usr\\bin\\xdotool key F12", prog.dir);
    bool stopped = waitFor([&] { return prog.status() == u"待機中"; }, 5000);
    EXPECT_TRUE(stopped);
    if (!stopped) wt::note("status: " + wt::utf8(prog.status()));
    const long typed = countOf(np.text(), u'a');
    probe::pump(1000);
    EXPECT_EQ(countOf(np.text(), u'a'), typed);

    // Closed as usual afterwards.
    probe::postClose(prog.mainWindow());
    EXPECT_EQ(prog.process->wait(15000), 0L);
}

TEST(EndToEndPlayback, CountLimitedRunStopsByItselfAfterItsPasses) {
    auto os = win32::makeServices(1, 0);
    Notepad np(*os);
    ASSERT_TRUE(np.window != 0 && np.edit != 0);
    Settings s;
    s.windowTitle = os->getWindowText(np.window);
    s.interval = u"0.05";
    s.timerEnabled = true;
    s.timerHH = -1;
    s.timerMM = 3;
    Program prog(*os);
    prog.writeDocument(u"count.TVK", document(s, {{u"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ", s.windowTitle},
                                                  {u"待機", u"1"},
                                                  {u"ｷｰ入力", u"VK_A"},
                                                  {u"ｷｰ入力", u"VK_B"}}));
    prog.start(u"/RUN /NOMSG count.TVK");
    ASSERT_TRUE(waitFor([&] { return prog.mainWindow() != 0 && startsWith(prog.status(), u"実行中"); }, 20000));
    bool stopped = waitFor([&] { return prog.status() == u"待機中"; }, 20000);
    EXPECT_TRUE(stopped);
    probe::pump(500);
    EXPECT_EQ(np.text(), Str(u"ababab"));
    probe::postClose(prog.mainWindow());
    EXPECT_EQ(prog.process->wait(15000), 0L);
}

// A fast counted run: ten rows typing the digits at 0.002 s, 50 passes,
// into a typing target of the test's own that the document names as its
// target window, so the run begins with it in front. Every character
// arrives, in order, and none after the run has stopped. How fast they came
// is a benchmark figure, printed, not a condition: on a loaded machine the
// program gets the processor less often.
TEST(EndToEndPlayback, FastCountedRunTypesEveryCharacterInOrderAndNoneAfterItsStop) {
    auto os = win32::makeServices(1, 0);
    probe::TypingTarget target(u"TOVIRAK typing target");
    ASSERT_TRUE(target.handle() != 0);
    const int passes = 50;
    Settings s;
    s.interval = u"0.002";
    s.windowTitle = u"TOVIRAK typing target";
    s.timerEnabled = true;
    s.timerHH = -1;
    s.timerMM = passes;
    std::vector<std::pair<Str, Str>> rows;
    Str expected;
    for (char16_t d = u'0'; d <= u'9'; ++d) {
        rows.push_back({u"ｷｰ入力", u"VK_" + Str(1, d)});
        expected += d;
    }
    Str all;
    for (int i = 0; i < passes; ++i) all += expected;
    Program prog(*os);
    prog.writeDocument(u"fast.TVK", document(s, rows));
    prog.start(u"/RUN /NOMSG fast.TVK");
    ASSERT_TRUE(waitFor([&] { return prog.mainWindow() != 0 && startsWith(prog.status(), u"実行中"); }, 20000));
    const int64_t t0 = os->monotonicMs();
    const bool stopped = waitFor([&] { return prog.status() == u"待機中"; }, 60000);
    const int64_t t1 = os->monotonicMs();
    EXPECT_TRUE(stopped);
    // What is still on its way arrives; then nothing more comes.
    waitFor([&] { return target.typed().size() >= all.size(); }, 5000);
    probe::pump(1000);
    const Str typed = target.typed();
    EXPECT_EQ(typed.size(), all.size());
    EXPECT_TRUE(typed == all);
    if (typed != all) {
        size_t at = 0;
        while (at < typed.size() && at < all.size() && typed[at] == all[at]) ++at;
        wt::note("first difference at character " + std::to_string(at) + " of " + std::to_string(typed.size()));
    }
    const double span = double(std::max<int64_t>(1, target.lastMs() - target.firstMs()));
    wt::note("benchmark: " + std::to_string(typed.size()) + " steps typed at 0.002 s: " +
             std::to_string(int((typed.size() > 1 ? typed.size() - 1 : 0) * 1000.0 / span)) +
             " characters a second at the target (first to last), the run took about " +
             std::to_string(t1 - t0) + " ms from the status \"実行中\" to \"待機中\"");
    probe::postClose(prog.mainWindow());
    EXPECT_EQ(prog.process->wait(15000), 0L);
}
