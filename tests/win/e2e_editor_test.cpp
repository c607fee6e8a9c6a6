// The editor window on real windows: a document of a few hundred steps,
// resizing, the drop-down lists, Enter and the shortcuts inside text boxes,
// point and window capture, and the help file opened in Notepad.
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "app/main_window.h"
#include "documents/file_select.h"
#include "harness.h"
#include "platform/win32/os_probe.h"
#include "platform/win32/tk_testing.h"
#include "platform/win32/win32_platform.h"
#include "test_services.h"

namespace {

namespace probe = win32::probe;
namespace tkt = win32::tktest;

tk::Backend& backend() {
    static std::unique_ptr<tk::Backend> b = win32::makeToolkit(nullptr);
    return *b;
}

// The real services, with "/NOMSG" as the program's command line, started
// programs recorded, no beeps, and files written into a temporary folder.
class Services final : public wt::TestServices {
public:
    using TestServices::TestServices;
    void startProgram(const Str& commandLine, int showStyle) override {
        started.push_back(commandLine);
        r.startProgram(commandLine, showStyle);
    }
    void beep() override {}
    // The working state is not written into the build folder by these tests.
    std::unique_ptr<os::OutFile> createFile(const Str& path) override { return r.createFile(sandbox(path)); }
    std::unique_ptr<os::OutFile> appendFile(const Str& path) override { return r.appendFile(sandbox(path)); }
    void replaceFile(const Str& source, const Str& target) override { r.replaceFile(sandbox(source), sandbox(target)); }
    void removeFile(const Str& path) override { r.removeFile(sandbox(path)); }

    std::vector<Str> started;
    Str tempFolder;

private:
    Str sandbox(const Str& path) {
        if (tempFolder.empty()) tempFolder = probe::makeTempFolder(u"tvk_editor_");
        auto pos = path.find_last_of(u"\\/:");
        return tempFolder + u"\\" + (pos == Str::npos ? path : path.substr(pos + 1));
    }
};

struct Sink {
    std::vector<Str> failures;
    Sink() {
        tkt::setFailureSink([this](const Str& s) { failures.push_back(s); });
    }
    ~Sink() { tkt::setFailureSink(nullptr); }
};

// A main window shown with a document of n steps of every kind.
struct Editor {
    std::unique_ptr<os::Services> real = win32::makeServices(1, 0);
    Services os{*real};
    Sink sink;
    std::unique_ptr<MainWindow> app;
    Str statusAfterShow;

    explicit Editor(int32_t n) {
        app = std::make_unique<MainWindow>(backend(), os);
        app->form->show();
        backend().doEvents();
        statusAfterShow = app->statusLine.text();
        app->document.steps.resize(n + 1);
        for (int32_t s = 1; s <= n; ++s) {
            const StrView a = actions::catalogue[size_t(1 + (s - 1) % 30)];
            Str cmd = toStr((long long)(s * 3 % 1280)) + u"," + toStr((long long)(s * 7 % 1024));
            if (a == actions::Wait) cmd = u"2";
            if (actions::isKeyInput(a)) cmd = u"VK_RETURN";
            if (actions::isWindowAction(a)) cmd = u"メモ帳,Notepad";
            app->document.steps.at(s) = MacroStep{Str(a), cmd, u"手順" + toStr((long long)s)};
        }
        app->grid.resizeSteps(0, false);
        app->grid.scrollBar()->setValue(1);
        app->grid.redraw();
        app->document.setChanged(false);
        backend().doEvents();
    }
    ~Editor() {
        app.reset();
        if (!os.tempFolder.empty()) probe::removeTree(os.tempFolder);
    }
    // Outer size in twips, as a document sets it.
    void size(double w, double h) {
        app->form->move(app->form->left(), app->form->top(), w, h);
        backend().doEvents();
    }
    int visibleRows() {
        int n = 0;
        for (size_t r = 1; r < app->grid.rowsMade() + 1; ++r) n += tkt::nativeVisible(*app->grid.actionList(r));
        return n;
    }
};

}  // namespace

TEST(EditorOnWindows, ResizingChangesTheVisibleRowCount) {
    Editor e(300);
    // The first layout comes with the first showing, after Load.
    EXPECT_EQ(e.statusAfterShow.find(u"["), Str::npos);
    wt::note("status after show: " + wt::utf8(e.statusAfterShow));
    e.size(9000, 1224 + 750 + 624 * 4 + 100);
    EXPECT_EQ(e.app->grid.rowsShown(), 4);
    EXPECT_EQ(e.visibleRows(), 4);
    e.size(9000, 1224 + 750 + 624 * 12 + 100);
    EXPECT_EQ(e.app->grid.rowsShown(), 12);
    EXPECT_EQ(e.visibleRows(), 12);
    EXPECT_EQ(e.app->grid.scrollBar()->max(), 301 - 12 + 1);
    EXPECT_EQ(tkt::nativeScrollMax(*e.app->grid.scrollBar()) > 0, true);
    e.size(9000, 1224 + 750 + 624 * 2 + 100);
    EXPECT_EQ(e.app->grid.rowsShown(), 2);
    EXPECT_EQ(e.visibleRows(), 2);
    EXPECT_EQ(e.app->grid.rowsMade(), 12);  // created once, hidden now

    // The scroll bar moves the window onto the steps.
    tkt::scroll(*e.app->grid.scrollBar(), 3);  // page down
    backend().doEvents();
    const int32_t P = e.app->grid.scrollBar()->value();
    EXPECT_EQ(P, 3);  // one page: the two rows seen are passed
    EXPECT_EQ(e.app->grid.numberLabel(1)->text(), toStr((long long)P));
    EXPECT_EQ(tkt::nativeText(*e.app->grid.commentBox(1)), u"手順" + toStr((long long)P));
    EXPECT_TRUE(e.sink.failures.empty());
}

TEST(EditorOnWindows, EveryActionListDropsDownWithAllEntries) {
    Editor e(20);
    e.size(9000, 1224 + 750 + 624 * 3 + 100);
    for (int r = 1; r <= 3; ++r) {
        tkt::DropInfo d = tkt::measureDrop(*e.app->grid.actionList(size_t(r)));
        wt::note("row " + std::to_string(r) + ": list " + std::to_string(d.listHeight) + " px, item " +
                 std::to_string(d.itemHeight) + " px, width " + std::to_string(d.droppedWidth));
        EXPECT_TRUE(d.opened);
        EXPECT_TRUE(d.itemHeight > 0 && d.listHeight >= int(actions::catalogue.size()) * d.itemHeight);
        EXPECT_TRUE(d.droppedWidth >= 100);
    }
}

TEST(EditorOnWindows, EnterMovesOnAndCtrlAIsSaveAsInsideATextBox) {
    Editor e(5);
    e.size(9000, 1224 + 750 + 624 * 3 + 100);
    tkt::nativeSetFocus(*e.app->grid.commandBox(1));
    backend().doEvents();
    tkt::pressKey(*e.app->grid.commandBox(1), 13, 0, backend());
    EXPECT_TRUE(tkt::nativeFocus(*e.app->grid.commentBox(1)));
    tkt::pressKey(*e.app->grid.commentBox(1), 13, 0, backend());
    EXPECT_TRUE(tkt::nativeFocus(*e.app->grid.actionList(2)));

    // Ctrl+A in the comment box opens the save-as dialog; a timer cancels it.
    bool dialogSeen = false;
    tk::Timer& t = e.app->form->addTimer("tmrCancel");
    t.onTick = [&] {
        if (auto* d = FileSelectDialog::shown()) {
            dialogSeen = true;
            tkt::click(*d->cmd_Cancel);
        }
    };
    t.setInterval(100);
    tkt::nativeSetFocus(*e.app->grid.commentBox(2));
    backend().doEvents();
    const Str before = tkt::nativeText(*e.app->grid.commentBox(2));
    tkt::pressKey(*e.app->grid.commentBox(2), 'A', tk::CtrlMask, backend());
    t.setEnabled(false);
    EXPECT_TRUE(dialogSeen);
    EXPECT_EQ(tkt::nativeText(*e.app->grid.commentBox(2)), before);
}

TEST(EditorOnWindows, PointAndWindowCaptureOnTheRealScreen) {
    Editor e(3);
    e.size(9000, 1224 + 750 + 624 * 3 + 100);
    e.app->document.steps.at(2).action = u"左ｸﾘｯｸ";
    e.app->document.steps.at(2).command = u"";
    e.app->document.steps.at(3).action = u"ｳｨﾝﾄﾞｳ存在ﾁｪｯｸ";
    e.app->grid.redraw();

    tkt::click(*e.app->grid.setButton(2));
    EXPECT_TRUE(e.app->capture.armed());
    e.os.setCursorPos(123, 234);
    tkt::mouseUp(*e.app->form, 1, 5, 5);
    backend().doEvents();
    EXPECT_FALSE(e.app->capture.armed());
    EXPECT_EQ(e.app->document.steps.at(2).command, Str(u"123,234"));
    EXPECT_EQ(tkt::nativeText(*e.app->grid.commandBox(2)), Str(u"123,234"));
    EXPECT_TRUE(e.app->document.changed());  // a new point is a change

    // Set moves the cursor to the row's point first.
    e.os.setCursorPos(10, 10);
    tkt::click(*e.app->grid.setButton(2));
    backend().doEvents();
    const os::Point at = e.os.getCursorPos();
    wt::note("cursor after set: " + std::to_string(at.x) + "," + std::to_string(at.y));
    EXPECT_EQ(at, (os::Point{123, 234}));
    tkt::mouseUp(*e.app->form, 1, 5, 5);

    const os::WindowHandle w = probe::createWindow(u"捕捉テスト", 600, 300, 300, 200);
    probe::pump(200);
    tkt::click(*e.app->grid.setButton(3));
    e.os.setCursorPos(700, 380);
    tkt::mouseUp(*e.app->form, 1, 5, 5);
    backend().doEvents();
    const Str cls = e.os.getClassName(w);
    probe::destroyWindow(w);
    EXPECT_EQ(e.app->document.steps.at(3).command, u"捕捉テスト," + cls);
    EXPECT_TRUE(e.sink.failures.empty());
}

// Every line of text sits inside its box at the layout's own sizes: the
// font's character cell fits the band each control draws its line in (and
// that band lies inside the box), the glyphs that reach lowest and highest
// stay inside the cell, and an underscore is drawn at all.
TEST(EditorOnWindows, TextOfTheRowsAndTheIntervalFitsItsBoxes) {
    Editor e(3);
    const Str sample = u"VK_RETURN,114,106 gjpq|Éあ漢";
    struct Box {
        const char* name;
        const tk::Control* control;
    };
    const Box boxes[] = {
        {"txt_ZahyoCmd", e.app->grid.commandBox(1)}, {"txt_Comment", e.app->grid.commentBox(1)},
        {"cmb_Cmd", e.app->grid.actionList(1)},           {"lbl_No", e.app->grid.numberLabel(1)},
        {"txt_Kankaku", e.app->controls.intervalBox},      {"cmb_Tani", e.app->controls.unitBox},
    };
    for (const Box& b : boxes) {
        const tkt::TextLine t = tkt::textLine(*b.control, sample);
        const std::string what = std::string(b.name) + ": cell " + std::to_string(t.cellHeight) + ", band " +
                                 std::to_string(t.bandTop) + ".." + std::to_string(t.bandBottom) + " of " +
                                 std::to_string(t.boxHeight) + ", ink " + std::to_string(t.inkTop) + ".." +
                                 std::to_string(t.inkBottom);
        wt::note(what);
        const bool fits = t.cellHeight > 0 && t.bandTop >= 0 && t.bandBottom <= t.boxHeight &&
                          t.bandTop + t.cellHeight <= t.bandBottom && t.inkTop >= 0 && t.inkBottom < t.cellHeight;
        if (!fits) wt::fail(__FILE__, __LINE__, "text does not fit: " + what);
        // A hairline the face draws too thin for the size vanishes.
        const tkt::TextLine underscore = tkt::textLine(*b.control, u"_");
        if (underscore.inkTop < 0) wt::fail(__FILE__, __LINE__, std::string(b.name) + ": the underscore is not drawn");
    }
    // The closed action list keeps the height it was laid out with, so it
    // does not reach into the comment line below.
    const tkt::TextLine list = tkt::textLine(*e.app->grid.actionList(1), sample);
    EXPECT_TRUE(list.boxHeight <= int(e.app->grid.actionList(1)->height() / backend().twipsPerPixelY() + 0.5));
    EXPECT_TRUE(e.sink.failures.empty());
}

TEST(EditorOnWindows, HelpMenuOpensReadmeInNotepad) {
    Editor e(1);
    const Str help = e.os.programFolder() + u"\\README.TXT";
    ASSERT_TRUE(e.os.fileExists(help));
    tkt::chooseMenu(*e.app->menu.help);
    backend().doEvents();
    ASSERT_EQ(e.os.started.size(), size_t(1));
    EXPECT_EQ(e.os.started[0], u"Notepad.exe " + help);
    // The viewer comes up with the file.
    os::WindowHandle pad = 0;
    for (int i = 0; i < 100 && !pad; ++i) {
        probe::pump(100);
        for (os::WindowHandle h = e.os.getWindow(0, os::k::GW_HWNDFIRST); h; h = e.os.getWindow(h, os::k::GW_HWNDNEXT))
            if (e.os.getClassName(h) == u"Notepad" && instr(ucase(e.os.getWindowText(h)), u"README") > 0) pad = h;
    }
    ASSERT_TRUE(pad != 0);
    wt::note("viewer: " + wt::utf8(e.os.getWindowText(pad)));
    const os::WindowHandle edit = probe::findChild(pad, u"Edit");
    if (edit) EXPECT_TRUE(instr(probe::controlText(edit), u"TOVIRAK") > 0);
    probe::postClose(pad);
    probe::pump(300);
    EXPECT_EQ(e.app->statusLine.text().find(u"見つかりません"), Str::npos);
}

// Positions beyond 16 bits through the native scroll bar: the thumb at the
// bottom shows the last steps of a 100,000-step macro, and line steps there
// move by one step.
TEST(EditorOnWindows, HundredThousandStepsScrollToTheEnd) {
    Editor e(100000);
    e.size(9000, 1224 + 750 + 624 * 6 + 100);
    ASSERT_EQ(e.app->grid.rowsShown(), 6);
    tkt::scroll(*e.app->grid.scrollBar(), 7);  // SB_BOTTOM
    backend().doEvents();
    EXPECT_EQ(e.app->grid.scrollBar()->value(), 100001 - 6 + 1);
    EXPECT_EQ(e.app->grid.numberLabel(6)->text(), Str(u"100001"));
    EXPECT_EQ(tkt::nativeText(*e.app->grid.commentBox(5)), Str(u"手順100000"));
    const int64_t t0 = e.os.monotonicMs();
    for (int i = 0; i < 100; ++i) tkt::scroll(*e.app->grid.scrollBar(), 0);  // SB_LINEUP
    backend().doEvents();
    const int64_t ms = e.os.monotonicMs() - t0;
    // The same at the top, for comparison: a redraw costs the same anywhere.
    e.app->grid.scrollBar()->setValue(1);
    const int64_t t1 = e.os.monotonicMs();
    for (int i = 0; i < 100; ++i) tkt::scroll(*e.app->grid.scrollBar(), 1);  // SB_LINEDOWN
    backend().doEvents();
    const int64_t top = e.os.monotonicMs() - t1;
    wt::note("100 line steps at the end: " + std::to_string(ms) + " ms, at the top: " + std::to_string(top) + " ms");
    EXPECT_EQ(e.app->grid.scrollBar()->value(), 101);
    e.app->grid.scrollBar()->setValue(100001 - 6 + 1 - 100);
    EXPECT_EQ(e.app->grid.scrollBar()->value(), 100001 - 6 + 1 - 100);
    EXPECT_EQ(e.app->grid.numberLabel(1)->text(), toStr((long long)(100001 - 6 + 1 - 100)));
    EXPECT_TRUE(e.sink.failures.empty());
}
