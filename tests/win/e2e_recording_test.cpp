// Recording through the built program, with input from the X server as a
// real mouse and keyboard give it: Ctrl+K in TOVIRAK.exe starts recording, a
// click into Notepad and typing with Shift, Enter, a brace and a percent
// sign are done with xdotool, Ctrl+K pressed in Notepad ends it. The steps
// are saved and read back; then a fresh Notepad at the same place and size
// gets the recorded macro played once, and ends up with the same text.
#include "harness.h"
#include "notepad.h"
#include "program.h"

#include <memory>
#include <vector>

#include "core/document_format.h"
#include "platform/win32/os_probe.h"
#include "platform/win32/win32_platform.h"

namespace {
namespace probe = win32::probe;

using probe::waitFor;

// xdotool runs as a Unix program whose handle does not tell when it ends:
// a shell runs the commands one after another and leaves a mark when done.
bool xdotool(const std::vector<std::string>& commands, os::Services& os, const Str& dir) {
    const Str done = dir + u"\\xdotool.done";
    os.removeFile(done);
    std::string script;
    for (auto& c : commands) script += "/usr/bin/xdotool " + c + "; ";
    script += "echo >xdotool.done";
    probe::Process p(u"Z:\\bin\\sh -c \"" + fromUtf8(script) + u"\"", dir);
    return waitFor([&] { return os.fileExists(done); }, 15000);
}

std::string focus(const std::string& titlePattern) {
    return "search --onlyvisible --name '" + titlePattern + "' windowfocus --sync";
}

// Keys from the X server reach Wine through the window with the X focus,
// which without a window manager only the user moves (here "windowfocus" on
// the visible window whose title matches); Wine gives them to its foreground
// window, which it leaves a window manager to change on a focus change, so
// the activation dance sets it too.
bool toFront(os::Services& os, os::WindowHandle h, const Str& dir, const std::string& titlePattern) {
    if (!xdotool({focus(titlePattern)}, os, dir)) return false;
    os::ThreadId self = os.getCurrentThreadId();
    os::ThreadId target = os.getWindowThreadProcessId(h);
    bool attached = os.attachThreadInput(self, target, true);
    os.setForegroundWindow(h);
    if (attached) os.attachThreadInput(self, target, false);
    return waitFor([&] { return os.getForegroundWindow() == h; }, 3000);
}

// The step lines of a saved document as "action|command".
std::vector<std::string> stepsOf(const std::string& bytes) {
    const Str text = docfmt::decode(bytes);
    std::vector<std::string> rows;
    size_t pos = 0;
    StrView line;
    while (docfmt::nextLine(text, pos, line)) {
        if (line.empty() || line[0] != u'"') continue;
        MacroStep s = docfmt::cutStepLine(line);
        rows.push_back(wt::utf8(s.Dousa) + "|" + wt::utf8(s.ZahyoCmd));
    }
    return rows;
}

}  // namespace

TEST(EndToEndRecording, CtrlKRecordsAClickAndTypingInNotepadThatPlayBackTheSameText) {
    auto os = win32::makeServices(1, 0);
    auto np = std::make_unique<wt::Notepad>(*os);
    ASSERT_TRUE(np->window != 0 && np->edit != 0);
    const Str title = os->getWindowText(np->window);
    const probe::Rect place = probe::windowRect(np->window);
    const probe::Rect edit = probe::windowRect(np->edit);
    const int x = edit.left + 30, y = edit.top + 20;
    // A click in the text goes to Notepad's window, the text's top-level window.
    EXPECT_EQ(os->topLevelWindow(np->edit), np->window);

    // One pass in count mode, a short interval, no steps yet; the window in
    // the lower right corner, clear of Notepad.
    wt::Program prog(*os, u"tvk_rec_");
    const Str left = toStr((long long)(os->screenWidth() - 300) * 15), top = toStr((long long)(os->screenHeight() - 320) * 15);
    prog.writeDocument(u"rec.TVK", u"Ver=1.0\r\nTop=" + top + u"\r\nHeight=4275\r\nLeft=" + left + u"\r\nWidth=3690\r\n"
                                   u"KankakuTime=0.1\r\nKankakuTimeTani=1\r\nWindowTitle=\r\n"
                                   u"StartHotKey=\r\nStopHotKey=\r\nTimerHH=-1\r\nTimerMM=1\r\n"
                                   u"TimerEnabled=True\r\nTimerPCOff=False\r\nTopMost=False\r\nNotActive=False\r\n");
    prog.start(u"/NOMSG rec.TVK");
    const os::WindowHandle main = prog.waitMainWindow();
    ASSERT_TRUE(main != 0);

    ASSERT_TRUE(toFront(*os, main, prog.dir, "^TOVIRAK"));
    ASSERT_TRUE(xdotool({"key ctrl+k"}, *os, prog.dir));
    const bool started = waitFor([&] { return prog.status() == u"記録中 (Ctrl+Kで終了)"; }, 5000);
    if (!started) wt::note("status: " + wt::utf8(prog.status()));
    ASSERT_TRUE(started);

    // By hand, in one go: a click into the text, then the typing, and the
    // Ctrl+K that ends it, pressed in Notepad.
    ASSERT_TRUE(xdotool({focus("(メモ帳|Notepad)$") + " mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1",
                         "sleep 0.3 type 'Hi {50%}'", "key Return", "type ok", "sleep 0.2 key ctrl+k"},
                        *os, prog.dir));
    const bool ended = waitFor([&] { return endsWith(prog.status(), u"ステップを記録しました"); }, 15000);
    const Str typed = np->text();
    wt::note("status: " + wt::utf8(prog.status()) + "; Notepad holds \"" + wt::utf8(typed) + "\"");
    ASSERT_TRUE(ended);
    EXPECT_TRUE(typed == Str(u"Hi {50%}\r\nok"));

    // Saved under its name (Ctrl+S, and Enter for "Yes" to the overwrite
    // question), then read back.
    ASSERT_TRUE(toFront(*os, main, prog.dir, "^TOVIRAK"));
    ASSERT_TRUE(xdotool({"key ctrl+s", "sleep 1 key Return"}, *os, prog.dir));
    std::vector<std::string> rows;
    waitFor([&] {
        try {
            rows = stepsOf(os->readFile(prog.dir + u"\\rec.TVK"));
        } catch (const RtError&) {
        }
        return !rows.empty();
    }, 5000);
    std::string all;
    for (auto& r : rows) all += "[" + r + "] ";
    wt::note("recorded: " + all);
    // A machine that stalls a second between two events adds a wait there
    // (and so cuts the typing in two); the rest is fixed.
    std::vector<std::string> merged;
    for (auto& r : rows) {
        if (r.rfind("待機|", 0) == 0) continue;
        if (!merged.empty() && r.rfind("ｷｰ入力|", 0) == 0 && merged.back().rfind("ｷｰ入力|", 0) == 0)
            merged.back() += r.substr(std::string("ｷｰ入力|").size());
        else
            merged.push_back(r);
    }
    EXPECT_EQ(merged, (std::vector<std::string>{"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ|" + wt::utf8(title),
                                                "左ｸﾘｯｸ|" + std::to_string(x) + "," + std::to_string(y),
                                                "ｷｰ入力|Hi {{}50{%}{}}{ENTER}ok"}));

    // A fresh Notepad where the first one was, and the macro played once.
    np.reset();
    np = std::make_unique<wt::Notepad>(*os);
    ASSERT_TRUE(np->window != 0 && np->edit != 0);
    os->setWindowPos(np->window, 0, place.left, place.top, place.right - place.left, place.bottom - place.top,
                     os::k::SWP_NOZORDER | os::k::SWP_NOACTIVATE);
    probe::pump(200);
    ASSERT_TRUE(toFront(*os, main, prog.dir, "^TOVIRAK"));
    ASSERT_TRUE(xdotool({"key F5"}, *os, prog.dir));
    // The run's own status goes by quickly; its end shows as the idle text.
    const bool stopped = waitFor([&] { return prog.status() == u"待機中"; }, 20000);
    const Str played = np->waitText(typed, 3000);
    wt::note("played: \"" + wt::utf8(played) + "\"; status " + wt::utf8(prog.status()));
    EXPECT_TRUE(stopped);
    EXPECT_TRUE(played == typed);
    EXPECT_EQ(prog.closeAndWait(prog.mainWindow()), 0L);
}
