// Recording through the built program, with input from the X server as a
// real mouse and keyboard give it: Ctrl+K in TOVIRAK.exe starts recording,
// clicks into Notepad and typing are done with xdotool, Ctrl+K pressed in
// Notepad ends it. The steps are saved and read back; then a fresh Notepad at
// the same place and size gets the recorded macro played once, and must end
// up with the text the hand-made session left.
#include "harness.h"
#include "notepad.h"
#include "program.h"
#include "xdotool.h"

#include <memory>
#include <vector>

#include "core/document_format.h"
#include "input/anchor.h"
#include "platform/win32/os_probe.h"
#include "platform/win32/win32_platform.h"

namespace {
namespace probe = win32::probe;

using probe::waitFor;

// The step lines of a saved document as "action|command".
std::vector<std::string> stepsOf(const std::string& bytes) {
    const Str text = docfmt::decode(bytes);
    std::vector<std::string> rows;
    size_t pos = 0;
    StrView line;
    while (docfmt::nextLine(text, pos, line)) {
        if (line.empty() || line[0] != u'"') continue;
        MacroStep s = docfmt::cutStepLine(line);
        rows.push_back(wt::utf8(s.action) + "|" + wt::utf8(s.command));
    }
    return rows;
}

// A machine that stalls a second between two events adds a wait of whole
// seconds there (and so cuts the typing in two): such waits out, and key
// texts joined again.
std::vector<std::string> withoutStalls(const std::vector<std::string>& rows) {
    std::vector<std::string> merged;
    for (auto& r : rows) {
        if (r.rfind("待機|", 0) == 0 && r.find('.') == std::string::npos) continue;
        if (!merged.empty() && r.rfind("ｷｰ入力|", 0) == 0 && merged.back().rfind("ｷｰ入力|", 0) == 0)
            merged.back() += r.substr(std::string("ｷｰ入力|").size());
        else
            merged.push_back(r);
    }
    return merged;
}

// Notepad, and TOVIRAK.exe with a document that plays one pass at 0.1 s,
// its window in the lower right corner, clear of Notepad.
struct Session {
    std::unique_ptr<os::Services> os = win32::makeServices(1, 0);
    std::unique_ptr<wt::Notepad> np = std::make_unique<wt::Notepad>(*os);
    wt::Program prog{*os, u"tvk_rec_"};
    os::WindowHandle main = 0;
    probe::Rect place;
    int x = 0, y = 0;  // a point in Notepad's text
    int textLeft = 0, textTop = 0;  // the text's top left corner on the screen
    Str handMade;      // what Notepad held after the recording
    Str ended;         // the status the recording ended with
    Str before;        // what each Notepad holds before the input

    bool open() {
        if (np->window == 0 || np->edit == 0) return false;
        if (!before.empty()) win32::probe::setControlText(np->edit, before);
        place = probe::windowRect(np->window);
        const probe::Rect edit = probe::windowRect(np->edit);
        textLeft = edit.left;
        textTop = edit.top;
        x = edit.left + 30;
        y = edit.top + 20;
        const Str left = toStr((long long)(os->screenWidth() - 300) * 15);
        const Str top = toStr((long long)(os->screenHeight() - 320) * 15);
        prog.writeDocument(u"rec.TVK", u"Ver=1.0\r\nTop=" + top + u"\r\nHeight=4275\r\nLeft=" + left +
                                           u"\r\nWidth=3690\r\nKankakuTime=0.1\r\nKankakuTimeTani=1\r\nWindowTitle=\r\n"
                                           u"StartHotKey=\r\nStopHotKey=\r\nTimerHH=-1\r\nTimerMM=1\r\n"
                                           u"TimerEnabled=True\r\nTimerPCOff=False\r\nTopMost=False\r\nNotActive=False\r\n");
        prog.start(u"/NOMSG rec.TVK");
        main = prog.waitMainWindow();
        return main != 0;
    }
    bool toProgram() { return wt::toFront(*os, main, prog.dir, "^TOVIRAK"); }
    std::string inNotepad() const { return wt::focus("(メモ帳|Notepad)$"); }
    // The click at (x, y) as a recorded step writes it: in Notepad's client
    // area, with Notepad's title.
    std::string clickSpot() {
        anchor::Frame f;
        os->clientOrigin(np->window, f.clientOrigin);
        f.dpi = os->windowDpi(np->window);
        return wt::utf8(anchor::storedCommand({x, y}, f, os->getWindowText(np->window)));
    }
    std::string clickCommand() const { return "mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1"; }

    // Ctrl+K in TOVIRAK, the commands (the first of them in Notepad), and
    // Ctrl+K to end. False when the recording did not start or end.
    bool record(std::vector<std::string> commands) {
        if (!toProgram() || !wt::xdotool({"key ctrl+k"}, *os, prog.dir)) return false;
        if (!waitFor([&] { return prog.status() == u"記録中 (Ctrl+Kで終了)"; }, 5000)) {
            wt::note("status: " + wt::utf8(prog.status()));
            return false;
        }
        commands.front() = inNotepad() + " " + commands.front();
        commands.push_back("sleep 0.2 key ctrl+k");
        if (!wt::xdotool(commands, *os, prog.dir)) return false;
        const bool done = waitFor([&] { return prog.status().find(u"ステップを記録しました") != Str::npos; }, 15000);
        handMade = np->text();
        ended = prog.status();
        wt::note("status: " + wt::utf8(ended) + "; Notepad holds \"" + wt::utf8(handMade) + "\"");
        return done;
    }

    // Saved under its name (Ctrl+S, and Enter for "Yes" to the overwrite
    // question), then read back.
    std::vector<std::string> saved() {
        std::vector<std::string> rows;
        if (!toProgram() || !wt::xdotool({"key ctrl+s"}, *os, prog.dir)) return rows;
        // Enter answers the overwrite question once it is in front (a fixed
        // pause can end before a busy machine shows it).
        waitFor([&] { return os->getForegroundWindow() != main; }, 5000);
        if (!wt::xdotool({"key Return"}, *os, prog.dir)) return rows;
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
        return rows;
    }

    // A fresh Notepad where the first one was, or moved by (dx, dy), and
    // the macro played once (F5); what that Notepad then holds.
    Str replayed(int dx = 0, int dy = 0) {
        np.reset();
        np = std::make_unique<wt::Notepad>(*os);
        if (np->window == 0 || np->edit == 0) return u"(no Notepad)";
        if (!before.empty()) win32::probe::setControlText(np->edit, before);
        os->setWindowPos(np->window, 0, place.left + dx, place.top + dy, place.right - place.left,
                         place.bottom - place.top, os::k::SWP_NOZORDER | os::k::SWP_NOACTIVATE);
        probe::pump(200);
        if (!toProgram() || !wt::xdotool({"key F5"}, *os, prog.dir)) return u"(not started)";
        // The run's own status goes by quickly; its end shows as the idle text.
        const bool stopped = waitFor([&] { return prog.status() == u"待機中"; }, 20000);
        const Str played = np->waitText(handMade, 3000);
        wt::note("played: \"" + wt::utf8(played) + "\"; status " + wt::utf8(prog.status()));
        return stopped ? played : u"(still running)";
    }
};

}  // namespace

TEST(EndToEndRecording, CtrlKRecordsAClickAndTypingInNotepadThatPlayBackTheSameText) {
    Session s;
    ASSERT_TRUE(s.open());
    // A click in the text goes to Notepad's window, the text's top-level window.
    EXPECT_EQ(s.os->topLevelWindow(s.np->edit), s.np->window);
    const Str title = s.os->getWindowText(s.np->window);

    // By hand, in one go: a click into the text, then the typing, and the
    // Ctrl+K that ends it, pressed in Notepad.
    ASSERT_TRUE(s.record({s.clickCommand(), "sleep 0.3 type 'Hi {50%}'", "key Return", "type ok"}));
    EXPECT_TRUE(s.handMade == Str(u"Hi {50%}\r\nok"));
    EXPECT_EQ(withoutStalls(s.saved()),
              (std::vector<std::string>{"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ|" + wt::utf8(title),
                                        "左ｸﾘｯｸ|" + s.clickSpot(),
                                        "ｷｰ入力|Hi {{}50{%}{}}{ENTER}ok"}));
    EXPECT_TRUE(s.replayed() == s.handMade);
    EXPECT_EQ(s.prog.closeAndWait(s.prog.mainWindow()), 0L);
}

// Played at the document's 0.1 s, two clicks 0.7 s apart would come inside
// the double-click time: Notepad would select the word and the typing after
// the second click replace it.
TEST(EndToEndRecording, TwoSeparateClicksOnOneSpotPlayBackAsTwoClicks) {
    Session s;
    ASSERT_TRUE(s.open());
    ASSERT_TRUE(s.record({s.clickCommand(), "sleep 0.2 type hello", "sleep 0.7 click 1", "type XY"}));
    EXPECT_TRUE(s.handMade.size() == 7 && s.handMade.find(u"XY") != Str::npos);
    const auto rows = withoutStalls(s.saved());
    const std::string click = "左ｸﾘｯｸ|" + s.clickSpot();
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[1], click);
    EXPECT_EQ(rows[2], std::string("ｷｰ入力|hello"));
    EXPECT_EQ(rows[3], std::string("待機|0.6"));  // the double-click time (500 ms) and 100 ms
    EXPECT_EQ(rows[4], click);
    EXPECT_EQ(rows[5], std::string("ｷｰ入力|XY"));
    EXPECT_TRUE(s.replayed() == s.handMade);
}

// Characters are recorded as typed, whatever keys the JP layout types them
// with (Shift+8 types "(", Shift+9 ")"), and so are those of no key, which
// xdotool types through a spare key (slowly, see OsHooks).
TEST(EndToEndRecording, CharactersAreRecordedAsTheyWereTyped) {
    Session s;
    ASSERT_TRUE(s.open());
    ASSERT_TRUE(s.record({s.clickCommand(), "sleep 0.2 type '(x) <y>'", "type --delay 150 ' café あい'"}));
    EXPECT_TRUE(s.handMade == Str(u"(x) <y> café あい"));
    EXPECT_EQ(s.ended, Str(u"3ステップを記録しました"));
    const auto rows = withoutStalls(s.saved());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2], std::string("ｷｰ入力|{(}x{)} <y> café あい"));
    EXPECT_TRUE(s.replayed() == s.handMade);
}

// Alt alone opens the menu bar; "e" then opens 編集 and "a" picks すべて選択,
// so the "z" typed after it replaces all the text.
TEST(EndToEndRecording, ALoneAltTapFollowedByMenuKeysOpensTheMenuWhenPlayed) {
    Session s;
    ASSERT_TRUE(s.open());
    ASSERT_TRUE(s.record({s.clickCommand(), "sleep 0.2 type abc", "sleep 0.2 key alt", "sleep 0.3 type e",
                          "sleep 0.3 type a", "sleep 0.3 type z"}));
    EXPECT_TRUE(s.handMade == Str(u"z"));
    const auto rows = withoutStalls(s.saved());
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[2], std::string("ｷｰ入力|abc"));
    EXPECT_EQ(rows[3], std::string("ｷｰ入力_改|VK_MENU"));
    EXPECT_EQ(rows[4], std::string("ｷｰ入力|eaz"));
    EXPECT_TRUE(s.replayed() == s.handMade);
}

// The Ctrl+K that ends a recording reaches no program, its K held past the
// end included; the Ctrl goes through whole.
TEST(EndToEndRecording, TheEndingCtrlKLeavesNoKInTheWindowThatHadTheKeys) {
    Session s;
    ASSERT_TRUE(s.open());
    probe::KeyLogWindow log(u"Key log of the test");
    ASSERT_TRUE(log.handle() != 0);
    ASSERT_TRUE(s.toProgram() && wt::xdotool({"key ctrl+k"}, *s.os, s.prog.dir));
    ASSERT_TRUE(waitFor([&] { return s.prog.status() == u"記録中 (Ctrl+Kで終了)"; }, 5000));
    ASSERT_TRUE(wt::toFront(*s.os, log.handle(), s.prog.dir, "^Key log of the test$"));
    log.take();
    ASSERT_TRUE(wt::xdotool({"keydown ctrl keydown k sleep 0.4 keyup k keyup ctrl"}, *s.os, s.prog.dir));
    EXPECT_TRUE(waitFor([&] { return s.prog.status() == u"記録されたステップはありません"; }, 5000));
    probe::pump(200);
    std::string keys;
    for (const auto& m : log.take()) keys += (m.message & 1 ? "u" : "d") + std::to_string(m.wParam) + " ";
    wt::note("the log window got: " + keys);
    EXPECT_EQ(keys, std::string("d17 u17 "));
}

// The click is recorded in Notepad's client area, so that it lands on the
// same character when Notepad has moved since.
TEST(EndToEndRecording, AClickRecordedInItsWindowHitsTheSameTextAfterTheWindowMoved) {
    Session s;
    s.before = u"one two three four\r\nfive six seven eight\r\nnine ten";
    ASSERT_TRUE(s.open());
    ASSERT_TRUE(s.record({s.clickCommand(), "sleep 0.3 type XY"}));
    // The caret went into the text, neither to its start nor to its end.
    EXPECT_TRUE(s.handMade.size() == s.before.size() + 2 && s.handMade.substr(0, 2) != u"XY" &&
                s.handMade.substr(s.before.size()) != u"XY");
    const auto rows = withoutStalls(s.saved());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1], "左ｸﾘｯｸ|" + s.clickSpot());
    EXPECT_TRUE(s.replayed(170, 110) == s.handMade);
}

// A drag selects a part of the text, and the typing replaces it: played,
// the drag's end lets the button go without pressing it again, which would
// undo the selection.
TEST(EndToEndRecording, ADragSelectFollowedByTypingReplacesTheSameText) {
    Session s;
    s.before = u"hello brave new world";
    ASSERT_TRUE(s.open());
    const std::string y = std::to_string(s.textTop + 8);
    const std::string from = std::to_string(s.textLeft + 12), to = std::to_string(s.textLeft + 90);
    ASSERT_TRUE(s.record({"mousemove " + from + " " + y + " mousedown 1", "sleep 0.2 mousemove_relative 40 0",
                          "sleep 0.2 mousemove " + to + " " + y, "sleep 0.2 mouseup 1", "sleep 0.3 type Z"}));
    EXPECT_TRUE(s.handMade.size() < s.before.size() && s.handMade.find(u'Z') != Str::npos);
    const auto rows = withoutStalls(s.saved());
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[1].rfind("左ﾄﾞﾗｯｸﾞ|", 0), 0u);
    EXPECT_EQ(rows[2].rfind("ﾏｳｽｶｰｿﾙ移動|", 0), 0u);
    EXPECT_EQ(rows[3].rfind("左ｸﾘｯｸ|", 0), 0u);
    EXPECT_EQ(rows[4], std::string("ｷｰ入力|Z"));
    EXPECT_TRUE(s.replayed() == s.handMade);
}

// BackSpace held for a second deletes by its repeats; played, the held key
// repeats as the keyboard did. The desk's X server repeats a held key as
// the Windows keyboard settings say (see wine-env.sh); the two clocks may
// part by one repeat.
TEST(EndToEndRecording, BackSpaceHeldForASecondDeletesAsManyWhenPlayed) {
    Session s;
    s.before = Str(80, u'a');
    ASSERT_TRUE(s.open());
    ASSERT_TRUE(s.record({s.clickCommand(), "sleep 0.3 key ctrl+End", "sleep 0.3 keydown BackSpace",
                          "sleep 1 keyup BackSpace"}));
    const size_t byHand = s.before.size() - s.handMade.size();
    wt::note("held by hand, BackSpace deleted " + std::to_string(byHand));
    EXPECT_TRUE(byHand > 5);
    const auto rows = withoutStalls(s.saved());
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[2], std::string("ｷｰ入力|^{END}"));
    EXPECT_EQ(rows[3].rfind("ｷｰ入力_改|VK_BACK(", 0), 0u);
    const Str played = s.replayed();
    const size_t replayed = s.before.size() - played.size();
    wt::note("played, it deleted " + std::to_string(replayed));
    EXPECT_TRUE(replayed + 1 >= byHand && replayed <= byHand + 1);
    EXPECT_TRUE(played == Str(s.before.size() - replayed, u'a'));
}
