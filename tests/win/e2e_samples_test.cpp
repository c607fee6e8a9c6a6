// The sample macros of samples/, played once each by TOVIRAK.exe with
// "/RUN", as README.md shows, against Wine's Notepad: what each leaves in
// Notepad, and that each ends its run by itself. Every file of the folder
// has its test here. The samples look for Japanese Notepad ("メモ帳"); on
// another system the test makes the change each sample's first comment
// asks for and plays that copy.
#include "harness.h"
#include "notepad.h"
#include "program.h"

#include <algorithm>
#include <set>
#include <vector>

#include "core/document_format.h"
#include "platform/win32/desk_probe.h"
#include "platform/win32/os_probe.h"
#include "platform/win32/win32_platform.h"

namespace {
namespace probe = win32::probe;

using probe::waitFor;

// What the first comment of every sample tells a user of another system.
const Str kEnglishChange = u"「メモ帳」を「- Notepad」に変える";

Str samplePath(os::Services& os, const Str& name) { return os.programFolder() + u"\\samples\\" + name; }

// The comment of a document's first step.
Str firstComment(const Str& text) {
    size_t pos = 0;
    StrView line;
    while (docfmt::nextLine(text, pos, line))
        if (!line.empty() && line[0] == u'"') return docfmt::cutStepLine(line).comment;
    return Str();
}

// The sample to play on this system: the file itself on Japanese Windows;
// elsewhere a copy in the working folder with Notepad's title searched for
// as its first comment says (the target window and the window rows).
Str sampleForThisSystem(wt::Program& prog, const Str& name) {
    const Str text = fromCp932(prog.os.readFile(samplePath(prog.os, name)));
    EXPECT_TRUE(instr(firstComment(text), kEnglishChange) > 0);
    if (probe::desk().japanese()) return samplePath(prog.os, name);
    Str changed = replaceAll(text, u"WindowTitle=メモ帳\r\n", u"WindowTitle=- Notepad\r\n");
    changed = replaceAll(changed, u"\",\"メモ帳\",\"", u"\",\"- Notepad\",\"");  // window rows
    changed = replaceAll(changed, u",メモ帳\",\"", u",- Notepad\",\"");              // clicks in it
    wt::note("not a Japanese system: playing " + wt::utf8(name) + " looking for \"- Notepad\"");
    prog.writeDocument(name, changed);
    return prog.dir + u"\\" + name;
}

// Plays the sample and waits until its run has begun and ended again.
bool playOnce(wt::Program& prog, const Str& sample) {
    prog.start(u"/RUN /NOMSG " + sampleForThisSystem(prog, sample));
    if (!waitFor([&] { return startsWith(prog.status(), u"実行中"); }, 20000)) {
        wt::note("the run did not begin; status: " + wt::utf8(prog.status()) + ", windows: " + prog.windows());
        return false;
    }
    if (!waitFor([&] { return prog.status() == u"待機中"; }, 40000)) {
        wt::note("the run did not end; status: " + wt::utf8(prog.status()));
        return false;
    }
    return true;
}

}  // namespace

TEST(Samples, EverySampleIsPlayedByATestHere) {
    auto os = win32::makeServices(1, 0);
    std::set<Str> names;
    for (const os::DirEntry& e : os->listFolder(os->programFolder() + u"\\samples"))
        if (!e.isDir) names.insert(e.name);
    EXPECT_EQ(names.size(), size_t(3));
    EXPECT_TRUE(names.count(u"anchored.TVK") == 1);
    EXPECT_TRUE(names.count(u"hello.TVK") == 1);
    EXPECT_TRUE(names.count(u"repeat.TVK") == 1);
}

// Starts Notepad, waits for it, brings it to the front, types Japanese text
// and key lists, and stops after one pass.
TEST(Samples, HelloStartsNotepadAndTypesItsGreetingOnce) {
    auto os = win32::makeServices(1, 0);
    std::vector<os::WindowHandle> before = wt::topLevelWindows(*os);
    const std::set<os::WindowHandle> old(before.begin(), before.end());
    wt::Program prog(*os, u"tvk_sample_");
    const bool played = playOnce(prog, u"hello.TVK");
    EXPECT_TRUE(played);
    os::WindowHandle pad = 0;
    for (os::WindowHandle h : wt::topLevelWindows(*os))
        if (!old.count(h) && os->getClassName(h) == u"Notepad") pad = h;
    ASSERT_TRUE(pad != 0);
    wt::note("Notepad: " + wt::utf8(os->getWindowText(pad)));
    const os::WindowHandle edit = probe::findChild(pad, u"Edit");
    probe::pump(300);
    EXPECT_EQ(probe::controlText(edit), Str(u"【サンプル】こんにちは、TOVIRAKです。\r\n\r\n1回だけ再生して止まりました。"));
    probe::terminateProcess(probe::processIdOf(pad));
    EXPECT_EQ(prog.closeAndWait(prog.mainWindow()), 0L);
}

// Names Notepad as the document's target window (no run begins without it,
// and the run stops when it goes), brings it to the front in every pass and
// stops after two passes.
TEST(Samples, RepeatTypesItsLineTwiceIntoTheTargetWindow) {
    auto os = win32::makeServices(1, 0);
    wt::Notepad np(*os);
    ASSERT_TRUE(np.window != 0 && np.edit != 0);
    wt::Program prog(*os, u"tvk_sample_");
    EXPECT_TRUE(playOnce(prog, u"repeat.TVK"));
    probe::pump(300);
    EXPECT_EQ(np.text(), Str(u"2回くり返します。\r\n2回くり返します。\r\n"));
    EXPECT_EQ(prog.closeAndWait(prog.mainWindow()), 0L);
}

// Types three lines into a Notepad of its own, clicks at a point anchored
// to Notepad near the left edge of the first line, and types there: the
// text lands at the start of the first line, wherever Notepad stands.
TEST(Samples, AnchoredClicksIntoTheStartOfTheFirstLineOfItsNotepad) {
    auto os = win32::makeServices(1, 0);
    std::vector<os::WindowHandle> before = wt::topLevelWindows(*os);
    const std::set<os::WindowHandle> old(before.begin(), before.end());
    wt::Program prog(*os, u"tvk_sample_");
    EXPECT_TRUE(playOnce(prog, u"anchored.TVK"));
    os::WindowHandle pad = 0;
    for (os::WindowHandle h : wt::topLevelWindows(*os))
        if (!old.count(h) && os->getClassName(h) == u"Notepad") pad = h;
    ASSERT_TRUE(pad != 0);
    const os::WindowHandle edit = probe::findChild(pad, u"Edit");
    probe::pump(300);
    EXPECT_EQ(probe::controlText(edit), Str(u"【先頭】■ 1行目です。\r\n■ 2行目です。\r\n■ 3行目です。"));
    probe::terminateProcess(probe::processIdOf(pad));
    EXPECT_EQ(prog.closeAndWait(prog.mainWindow()), 0L);
}
