// The forms backend on real windows: echo-free text setting, typing, combo
// drop size, timer rates, keyboard handling, modal forms and geometry.
#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>

#include "harness.h"
#include "platform/toolkit.h"
#include "platform/win32/tk_testing.h"
#include "platform/win32/win32_platform.h"

namespace {

using namespace win32::tktest;

tk::Backend& backend() {
    static std::unique_ptr<tk::Backend> b = win32::makeToolkit(nullptr);
    return *b;
}

// A shown form with the failure sink armed: any failure reaching a window
// procedure or timer fails the test instead of opening a message box.
struct ShownForm {
    tk::Form form{backend(), "frmTest"};
    std::vector<Str> failures;
    ShownForm() {
        setFailureSink([this](const Str& s) { failures.push_back(s); });
        form.setText(u"テスト");
        form.move(300, 300, 7200, 5400);
    }
    ~ShownForm() { setFailureSink(nullptr); }
    void show() {
        form.show();
        backend().doEvents();
    }
};

// Runs the modal loop of a form for about ms milliseconds.
double runModalFor(tk::Form& f, uint32_t ms) {
    tk::Timer& stop = f.addTimer("tmrStop");
    stop.onTick = [&] { f.close(); };
    auto t0 = std::chrono::steady_clock::now();
    stop.setInterval(ms);
    f.showModal();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Ticks per second of a timer over about a second of the modal loop,
// counted from its first tick to the last one (showing and hiding the
// window are slow under Wine and must not count).
double tickRate(uint32_t interval) {
    tk::Form f(backend(), "frmTimer");
    f.move(0, 0, 3000, 2000);
    tk::Timer& t = f.addTimer("tmrTick");
    int ticks = 0;
    std::chrono::steady_clock::time_point first, last;
    t.onTick = [&] {
        last = std::chrono::steady_clock::now();
        if (ticks++ == 0) first = last;
    };
    t.setInterval(interval);
    runModalFor(f, 1000);
    double secs = std::chrono::duration<double>(last - first).count();
    return ticks > 1 && secs > 0.5 ? (ticks - 1) / secs : 0;
}

}  // namespace

// ---------------------------------------------------------------------------
TEST(TkTextBox, SettingTextDoesNotEchoButTypingRaisesOneChangeEach) {
    ShownForm s;
    auto& txt = s.form.add<tk::TextBox>("txtName");
    txt.move(120, 120, 3000, 360);
    std::vector<Str> changes;
    txt.onChange = [&] { changes.push_back(txt.text()); };
    s.show();

    txt.setText(u"abc");  // the core raises Change itself, once
    EXPECT_EQ(changes.size(), size_t(1));
    EXPECT_EQ(nativeText(txt), Str(u"abc"));

    changes.clear();
    typeChars(txt, u"xy");
    ASSERT_EQ(changes.size(), size_t(2));
    EXPECT_EQ(txt.text(), nativeText(txt));
    EXPECT_EQ(changes[1], nativeText(txt));

    changes.clear();
    replaceSelection(txt, u"日本");
    ASSERT_EQ(changes.size(), size_t(1));
    EXPECT_EQ(changes[0], nativeText(txt));
    EXPECT_TRUE(changes[0].find(u"日本") != Str::npos);

    // Masking keeps the text.
    txt.setPasswordChar(u'*');
    EXPECT_EQ(nativeText(txt), txt.text());
    EXPECT_TRUE(s.failures.empty());
}

TEST(TkComboBox, DroppedListShowsRequestedRowsAndPicksRaiseClick) {
    ShownForm s;
    s.form.move(0, 0, 7200, 2400);
    auto& cbo = s.form.add<tk::ComboBox>("cboCmd", 0, tk::ComboBox::DropDownList);
    cbo.move(120, 120, 2400, 300);
    std::vector<Str> items;
    for (int i = 0; i < 40; ++i) items.push_back(u"項目" + Str(1, char16_t(u'A' + i % 26)) + Str(1, char16_t(u'0' + i / 26)));
    cbo.setItems(items);
    cbo.setDropSize(260, 31);
    int clicks = 0;
    cbo.onClick = [&] { ++clicks; };
    s.show();

    DropInfo d = measureDrop(cbo);
    EXPECT_TRUE(d.opened);
    ASSERT_TRUE(d.itemHeight > 0);
    wt::note("dropped list " + std::to_string(d.listHeight) + " px, item " + std::to_string(d.itemHeight) + " px");
    EXPECT_TRUE(d.listHeight / d.itemHeight >= 31);
    EXPECT_TRUE(d.droppedWidth >= 260);
    EXPECT_EQ(backend().comboItemHeight(cbo), d.itemHeight);

    pick(cbo, 3);
    EXPECT_EQ(cbo.listIndex(), 3);
    EXPECT_EQ(cbo.text(), items[3]);
    EXPECT_EQ(clicks, 1);
    cbo.setListIndex(5);  // by code: the native selection follows
    EXPECT_EQ(nativeText(cbo), items[5]);
    EXPECT_TRUE(s.failures.empty());
}

TEST(TkForm, ControlsMadeInABatchShowWhatWasSetMeanwhile) {
    ShownForm s;
    s.form.move(0, 0, 9000, 4800);
    s.show();
    std::vector<Str> items;
    for (int i = 0; i < 31; ++i) items.push_back(u"動作" + Str(1, char16_t(u'A' + i % 26)));
    // The same properties set on twins: one made at once and then changed,
    // one made at the end of a batch. The native windows must agree.
    struct Row {
        tk::ComboBox* cbo;
        tk::TextBox* txt;
        tk::Button* cmd;
    };
    auto makeRow = [&](int index, double top) {
        Row r;
        r.cbo = &s.form.add<tk::ComboBox>("cboRow", index, tk::ComboBox::DropDownList);
        r.txt = &s.form.add<tk::TextBox>("txtRow", index);
        r.cmd = &s.form.add<tk::Button>("cmdRow", index);
        r.cbo->move(120, top, 2400, 300);
        r.cbo->setFont(tk::Font{u"ＭＳ ゴシック", 12});
        r.cbo->addItems(items);
        r.cbo->setListIndex(4);
        r.cbo->setDropSize(140, 31);
        r.txt->move(2700, top, 3000, 330);
        r.txt->setFont(tk::Font{u"ＭＳ Ｐゴシック", 9, false, true});
        r.txt->setText(u"VK_A,+VK_B");
        r.txt->setEnabled(false);
        r.cmd->move(6000, top, 900, 330);
        r.cmd->setText(u"set");
        r.cmd->setVisible(false);
        return r;
    };
    const Row direct = makeRow(1, 600);
    tk::Form::Batch batch(s.form);
    const Row batched = makeRow(2, 1800);
    EXPECT_EQ(batched.cbo->native, nullptr);
    batch.end();
    backend().doEvents();

    const tk::Control* pairs[][2] = {{direct.cbo, batched.cbo}, {direct.txt, batched.txt}, {direct.cmd, batched.cmd}};
    for (auto& pair : pairs) {
        wt::note("comparing " + pair[0]->name());
        int w0, h0, w1, h1, x0, y0, x1, y1;
        controlPixels(*pair[0], w0, h0);
        controlPixels(*pair[1], w1, h1);
        controlOrigin(*pair[0], x0, y0);
        controlOrigin(*pair[1], x1, y1);
        EXPECT_EQ(w1, w0);
        EXPECT_EQ(h1, h0);
        EXPECT_EQ(x1, x0);
        EXPECT_EQ(y1 - y0, int(1200 / backend().twipsPerPixelY() + 0.5));
        EXPECT_EQ(nativeText(*pair[1]), nativeText(*pair[0]));
        EXPECT_EQ(nativeVisible(*pair[1]), nativeVisible(*pair[0]));
        EXPECT_EQ(nativeEnabled(*pair[1]), nativeEnabled(*pair[0]));
    }
    EXPECT_EQ(nativeText(*batched.cbo), items[4]);
    EXPECT_FALSE(nativeVisible(*batched.cmd));
    EXPECT_FALSE(nativeEnabled(*batched.txt));
    EXPECT_EQ(textLine(*batched.txt, u"VK").cellHeight, textLine(*direct.txt, u"VK").cellHeight);
    EXPECT_EQ(textLine(*batched.cbo, u"動作").cellHeight, textLine(*direct.cbo, u"動作").cellHeight);
    const DropInfo d0 = measureDrop(*direct.cbo), d1 = measureDrop(*batched.cbo);
    EXPECT_TRUE(d1.opened);
    EXPECT_EQ(d1.listHeight, d0.listHeight);
    EXPECT_EQ(d1.droppedWidth, d0.droppedWidth);
    EXPECT_TRUE(s.failures.empty());
}

TEST(TkComboBox, EditableComboReportsTypingOnly) {
    ShownForm s;
    auto& cbo = s.form.add<tk::ComboBox>("cboEdit", 0, tk::ComboBox::DropDownCombo);
    cbo.move(120, 120, 2400, 300);
    cbo.setItems({u"one", u"two"});
    std::vector<Str> changes;
    cbo.onChange = [&] { changes.push_back(cbo.text()); };
    s.show();
    cbo.setText(u"two");
    EXPECT_EQ(changes.size(), size_t(1));  // the core's own Change
    EXPECT_EQ(nativeText(cbo), Str(u"two"));
    changes.clear();
    typeChars(cbo, u"x");
    ASSERT_EQ(changes.size(), size_t(1));
    EXPECT_EQ(changes[0], nativeText(cbo));
}

TEST(TkListBox, PicksClickAndDoubleClicks) {
    ShownForm s;
    auto& lst = s.form.add<tk::ListBox>("lstFiles");
    lst.move(120, 120, 3000, 2000);
    lst.setItems({u"a.tvk", u"b.tvk", u"c.tvk"});
    std::vector<std::string> events;
    lst.onClick = [&] { events.push_back("Click " + std::to_string(lst.listIndex())); };
    lst.onDblClick = [&] { events.push_back("DblClick"); };
    s.show();
    pick(lst, 1);
    dblClick(lst);
    ASSERT_EQ(events.size(), size_t(2));
    EXPECT_EQ(events[0], std::string("Click 1"));
    EXPECT_EQ(events[1], std::string("DblClick"));
    lst.addItem(u"d.tvk");  // the list is filled again, the selection kept
    pick(lst, 3);
    EXPECT_EQ(lst.listIndex(), 3);
    EXPECT_TRUE(s.failures.empty());
}

// ---------------------------------------------------------------------------
TEST(TkTimer, ShortIntervalsKeepTheirRate) {
    setFailureSink([](const Str& s) { ::wt::fail(__FILE__, __LINE__, "failure: " + ::wt::utf8(s)); });
    double r2 = tickRate(2);
    double r1 = tickRate(1);
    setFailureSink(nullptr);
    wt::note("2 ms timer: " + std::to_string(int(r2)) + " ticks/s; 1 ms timer: " + std::to_string(int(r1)) + " ticks/s");
    EXPECT_TRUE(r2 >= 400);
    EXPECT_TRUE(r1 >= 800);
}

TEST(TkTimer, DisabledTimerStopsAndTwoTimersInterleave) {
    tk::Form f(backend(), "frmTimers");
    f.move(0, 0, 3000, 2000);
    tk::Timer& a = f.addTimer("tmrA");
    tk::Timer& b = f.addTimer("tmrB");
    int ta = 0, tb = 0;
    a.onTick = [&] {
        if (++ta == 5) a.setEnabled(false);
    };
    b.onTick = [&] { ++tb; };
    a.setInterval(10);
    b.setInterval(50);
    runModalFor(f, 300);
    EXPECT_EQ(ta, 5);
    EXPECT_TRUE(tb >= 4 && tb <= 7);
}

TEST(TkTimer, FailingTickIsReportedAndTheLoopGoesOn) {
    std::vector<Str> failures;
    setFailureSink([&](const Str& s) { failures.push_back(s); });
    tk::Form f(backend(), "frmFail");
    f.move(0, 0, 3000, 2000);
    tk::Timer& t = f.addTimer("tmrFail");
    int ticks = 0;
    t.onTick = [&] {
        if (++ticks <= 2) err::raise(err::DiskFull);
    };
    t.setInterval(20);
    runModalFor(f, 200);
    setFailureSink(nullptr);
    EXPECT_EQ(failures.size(), size_t(2));
    EXPECT_TRUE(ticks > 3);
}

TEST(TkLoop, QuitEndsTheModalLoopAndThenTheMainLoop) {
    tk::Form dlg(backend(), "frmQuit");
    dlg.move(0, 0, 3000, 2000);
    tk::Timer& t = dlg.addTimer("tmrQuit");
    t.onTick = [&] {
        t.setEnabled(false);
        backend().quit();
    };
    t.setInterval(20);
    dlg.showModal();  // ends on the quit, which stays posted for the main loop
    EXPECT_EQ(win32::runMessageLoop(backend()), 0);
    // DoEvents runs what is due and leaves a quit for the loop outside.
    int ticks = 0;
    tk::Timer& u = dlg.addTimer("tmrDue");
    u.onTick = [&] { ++ticks; };
    u.setEnabled(true);
    u.setInterval(1);
    auto t0 = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - t0 < std::chrono::milliseconds(30)) backend().doEvents();
    EXPECT_TRUE(ticks > 0);
    backend().quit();
    backend().doEvents();
    EXPECT_EQ(win32::runMessageLoop(backend()), 0);
    dlg.close();
}

// ---------------------------------------------------------------------------
TEST(TkKeys, ShortcutsWinInsideEditBoxesUnlessTheirMenuIsDisabled) {
    ShownForm s;
    auto& edit = s.form.addMenu("mnuEdit", u"編集(&E)");
    int selAll = 0;
    auto& item = edit.add("mnuSelAll", u"すべて選択(&A)", {'A', tk::CtrlMask});
    item.onClick = [&] { ++selAll; };
    auto& txt = s.form.add<tk::TextBox>("txt");
    txt.move(120, 120, 3000, 360);
    txt.setText(u"hello");
    s.show();
    txt.setFocus();
    pressKey(txt, 'A', tk::CtrlMask, backend());
    EXPECT_EQ(selAll, 1);
    int a = 0, e = 0;
    selection(txt, a, e);
    EXPECT_FALSE(a == 0 && e == 5);  // the edit box did not select all
    edit.setEnabled(false);
    pressKey(txt, 'A', tk::CtrlMask, backend());
    EXPECT_EQ(selAll, 1);
    EXPECT_TRUE(s.failures.empty());
}

TEST(TkKeys, EnterEscapeAndKeyPreview) {
    ShownForm s;
    auto& txt = s.form.add<tk::TextBox>("txt");
    txt.move(120, 120, 3000, 360);
    auto& ok = s.form.add<tk::Button>("cmdOK");
    ok.move(120, 600, 1200, 400);
    ok.setText(u"OK");
    ok.isDefault = true;
    auto& cancel = s.form.add<tk::Button>("cmdCancel");
    cancel.move(1500, 600, 1200, 400);
    cancel.setText(u"キャンセル\r\n(Esc)");
    cancel.isCancel = true;
    int okClicks = 0, cancelClicks = 0;
    ok.onClick = [&] { ++okClicks; };
    cancel.onClick = [&] { ++cancelClicks; };
    s.show();

    txt.setFocus();
    pressKey(txt, 13, 0, backend());
    EXPECT_EQ(okClicks, 1);
    pressKey(txt, 27, 0, backend());
    EXPECT_EQ(cancelClicks, 1);
    // A focused button takes Enter itself.
    cancel.setFocus();
    pressKey(cancel, 13, 0, backend());
    EXPECT_EQ(cancelClicks, 2);
    EXPECT_EQ(okClicks, 1);

    // KeyPress of the form first; a consumed key never reaches the edit.
    s.form.keyPreview = true;
    s.form.onKeyPress = [](int& k) {
        if (k == 'x') k = 0;
    };
    txt.setFocus();
    pressKey(txt, 'X', 0, backend());
    pressKey(txt, 'Y', 0, backend());
    EXPECT_EQ(txt.text(), Str(u"y"));
    EXPECT_TRUE(s.failures.empty());
}

TEST(TkKeys, AltAccessKeysReachButtonsAndChecks) {
    ShownForm s;
    auto& txt = s.form.add<tk::TextBox>("txt");
    txt.move(120, 120, 3000, 360);
    auto& run = s.form.add<tk::Button>("cmdRun");
    run.move(120, 600, 1200, 400);
    run.setText(u"実行(&R)");
    auto& chk = s.form.add<tk::CheckBox>("chkLoop");
    chk.move(120, 1100, 2000, 300);
    chk.setText(u"&Loop");
    int runs = 0;
    run.onClick = [&] { ++runs; };
    s.show();
    txt.setFocus();
    pressKey(txt, 'R', tk::AltMask, backend());
    EXPECT_EQ(runs, 1);
    pressKey(run, 'L', tk::AltMask, backend());
    EXPECT_TRUE(chk.checked());
    EXPECT_TRUE(s.failures.empty());
}

TEST(TkKeys, TabFollowsTheToolkitsOrder) {
    ShownForm s;
    auto& t1 = s.form.add<tk::TextBox>("txt1");
    auto& t2 = s.form.add<tk::TextBox>("txt2");
    auto& lbl = s.form.add<tk::Label>("lbl");
    auto& t3 = s.form.add<tk::TextBox>("txt3");
    t1.move(120, 120, 2000, 360);
    t2.move(120, 600, 2000, 360);
    lbl.move(120, 1000, 2000, 600);
    lbl.setText(u"一行目\r\n二行目");
    t3.move(120, 1800, 2000, 360);
    s.form.moveToEndOfTabOrder(t1);  // order: t2, t3, t1
    s.show();
    t2.setFocus();
    pressKey(t2, 9, 0, backend());
    EXPECT_TRUE(s.form.activeControl() == &t3);
    EXPECT_TRUE(nativeFocus(t3));
    pressKey(t3, 9, 0, backend());
    EXPECT_TRUE(s.form.activeControl() == &t1);
    pressKey(t1, 9, tk::ShiftMask, backend());
    EXPECT_TRUE(s.form.activeControl() == &t3);
    // The native focus moving by itself is reported too.
    int got = 0;
    t2.onGotFocus = [&] { ++got; };
    nativeSetFocus(t2);
    EXPECT_TRUE(s.form.activeControl() == &t2);
    EXPECT_EQ(got, 1);
    EXPECT_EQ(nativeText(lbl), Str(u"一行目\r\n二行目"));
}

// ---------------------------------------------------------------------------
TEST(TkButtons, ChecksAndOptionsAskTheCore) {
    ShownForm s;
    auto& fra = s.form.add<tk::Frame>("fraMode");
    fra.move(60, 60, 3000, 2000);
    fra.setText(u"モード");
    auto& chk = s.form.add<tk::CheckBox>("chk");
    auto& o1 = s.form.add<tk::OptionButton>("opt", 0, 1);
    auto& o2 = s.form.add<tk::OptionButton>("opt", 1, 1);
    auto& other = s.form.add<tk::OptionButton>("optOther", 0, 2);
    chk.move(120, 120, 2000, 300);
    o1.move(120, 500, 2000, 300);
    o2.move(120, 900, 2000, 300);
    other.move(120, 1300, 2000, 300);
    o1.setValue(true);
    other.setValue(true);
    int chkClicks = 0, o2Clicks = 0;
    chk.onClick = [&] { ++chkClicks; };
    o2.onClick = [&] { ++o2Clicks; };
    s.show();
    EXPECT_TRUE(drawnAbove(chk, fra));  // the frame stays behind what it holds
    EXPECT_TRUE(drawnAbove(other, fra));
    click(chk);
    EXPECT_TRUE(chk.checked());
    EXPECT_EQ(chkClicks, 1);
    click(o2);
    EXPECT_TRUE(o2.value());
    EXPECT_FALSE(o1.value());
    EXPECT_TRUE(other.value());  // another group
    EXPECT_EQ(o2Clicks, 1);
    click(o2);
    EXPECT_EQ(o2Clicks, 1);
}

TEST(TkButtons, FailureInAHandlerStopsAtTheWindowProcedure) {
    ShownForm s;
    auto& b = s.form.add<tk::Button>("cmdFail");
    b.move(120, 120, 1200, 400);
    b.onClick = [] { err::raise(err::InvalidCall); };
    s.show();
    click(b);
    ASSERT_EQ(s.failures.size(), size_t(1));
}

TEST(TkScrollBar, ArrowsPagesAndWideRanges) {
    ShownForm s;
    auto& sb = s.form.add<tk::ScrollBar>("vsb");
    sb.move(6000, 0, 255, 3000);
    sb.setRange(0, 100000);
    int changes = 0;
    sb.onChange = [&] { ++changes; };
    s.show();
    scroll(sb, 1);  // SB_LINEDOWN
    EXPECT_EQ(sb.value(), 1);
    EXPECT_EQ(changes, 1);
    // A click in the trough moves by the large change, not by a share of
    // the range.
    sb.setLargeChange(25);
    scroll(sb, 3);  // SB_PAGEDOWN
    EXPECT_EQ(sb.value(), 26);
    EXPECT_EQ(nativeScrollPos(sb), sb.value());
    scroll(sb, 2);  // SB_PAGEUP
    EXPECT_EQ(sb.value(), 1);
    scroll(sb, 2);  // no further than the top
    EXPECT_EQ(sb.value(), 0);
    scroll(sb, 0);  // SB_LINEUP
    scroll(sb, 6);  // SB_TOP
    EXPECT_EQ(sb.value(), 0);
    changes = 0;
    scroll(sb, 0);  // at the top nothing moves
    scroll(sb, 8);  // SB_ENDSCROLL
    EXPECT_EQ(changes, 0);
    // Dragging the thumb past 65535: live Scroll events, then one Change
    // at the 32-bit position where it was let go.
    int scrolls = 0;
    sb.onScroll = [&] { ++scrolls; };
    changes = 0;
    dragThumb(sb, 0.75, backend());
    wt::note("thumb let go at " + std::to_string(sb.value()));
    EXPECT_TRUE(scrolls >= 1);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(sb.value() > 65535 && sb.value() < 100000);
    EXPECT_EQ(nativeScrollPos(sb), sb.value());

    sb.setRange(-2000000000, 2000000000);
    sb.setValue(2000000000);
    EXPECT_EQ(nativeScrollPos(sb), nativeScrollMax(sb));
    sb.setValue(-2000000000);
    EXPECT_EQ(nativeScrollPos(sb), 0);
}

// ---------------------------------------------------------------------------
TEST(TkForm, GeometryInTwipsAndResize) {
    ShownForm s;
    int resizes = 0;
    std::vector<std::string> order;
    s.form.onLoad = [&] { order.push_back("Load"); };
    s.form.onResize = [&] {
        ++resizes;
        if (order.size() < 3) order.push_back("Resize");
    };
    s.form.onActivate = [&] { order.push_back("Activate"); };
    s.show();
    ASSERT_TRUE(order.size() >= 2);
    EXPECT_EQ(order[0], std::string("Load"));
    EXPECT_EQ(order[1], std::string("Resize"));
    double tpp = backend().twipsPerPixelX();
    int ow, oh, cw, ch;
    formPixels(s.form, ow, oh, cw, ch);
    EXPECT_EQ(ow, int(7200 / tpp + 0.5));
    EXPECT_EQ(oh, int(5400 / tpp + 0.5));
    EXPECT_EQ(s.form.clientWidth(), cw * tpp);
    EXPECT_EQ(s.form.clientHeight(), ch * tpp);
    int before = resizes;
    s.form.setWidth(9000);
    formPixels(s.form, ow, oh, cw, ch);
    EXPECT_EQ(ow, int(9000 / tpp + 0.5));
    EXPECT_EQ(resizes, before + 1);
    s.form.setWindowState(tk::WindowState::Maximized);
    backend().doEvents();
    formPixels(s.form, ow, oh, cw, ch);
    // The core follows what the window really did (without a window
    // manager Wine does not maximise).
    bool grew = ow > int(9000 / tpp + 0.5);
    if (!grew) wt::note("the window was not maximised");
    EXPECT_EQ(s.form.windowState() == tk::WindowState::Maximized, grew);
    s.form.setWindowState(tk::WindowState::Normal);
    backend().doEvents();
    formPixels(s.form, ow, oh, cw, ch);
    EXPECT_EQ(ow, int(9000 / tpp + 0.5));
    EXPECT_TRUE(s.failures.empty());
}

TEST(TkForm, AnotherMonitorDpiRescalesFromTwips) {
    ShownForm s;
    auto& txt = s.form.add<tk::TextBox>("txt");
    txt.move(120, 120, 2880, 360);
    s.show();
    double tpp = backend().twipsPerPixelX();
    int dpi = int(1440 / tpp + 0.5);
    int w, h;
    controlPixels(txt, w, h);
    EXPECT_EQ(w, int(2880 / tpp + 0.5));
    dpiChanged(s.form, dpi * 2);
    EXPECT_EQ(backend().twipsPerPixelX(), tpp / 2);
    controlPixels(txt, w, h);
    EXPECT_EQ(w, int(2 * 2880 / tpp + 0.5));
    EXPECT_TRUE(s.form.width() > 7200 - 2 * tpp && s.form.width() < 7200 + 2 * tpp);  // same twips
    dpiChanged(s.form, dpi);
    controlPixels(txt, w, h);
    EXPECT_EQ(w, int(2880 / tpp + 0.5));
    EXPECT_TRUE(s.failures.empty());
}

TEST(TkForm, MenusMouseUpAndPointer) {
    ShownForm s;
    auto& file = s.form.addMenu("mnuFile", u"ファイル(&F)");
    auto& open = file.add("mnuOpen", u"開く(&O)...", {'O', tk::CtrlMask});
    file.add("mnuSep", u"-");
    auto& run = file.add("mnuRun", u"実行(&R)", {tk::key::F5, 0});
    int opened = 0, ran = 0;
    open.onClick = [&] { ++opened; };
    run.onClick = [&] { ++ran; };
    std::vector<std::string> ups;
    s.form.onMouseUp = [&](int b, int sh, double x, double y) {
        ups.push_back(std::to_string(b) + ":" + std::to_string(int(x)) + "," + std::to_string(int(y)));
    };
    s.show();
    EXPECT_EQ(menuText(open), Str(u"開く(&O)...\tCtrl+O"));
    EXPECT_EQ(menuText(run), Str(u"実行(&R)\tF5"));
    chooseMenu(run);
    EXPECT_EQ(ran, 1);
    run.setEnabled(false);
    EXPECT_TRUE(menuGrayed(run));
    chooseMenu(run);
    EXPECT_EQ(ran, 1);
    file.setEnabled(false);
    EXPECT_TRUE(menuGrayed(file));
    chooseMenu(open);
    EXPECT_EQ(opened, 0);  // inside a disabled menu

    double tpp = backend().twipsPerPixelX();
    mouseUp(s.form, 1, 10, 20);
    mouseUp(s.form, 2, 0, 0);
    ASSERT_EQ(ups.size(), size_t(2));
    EXPECT_EQ(ups[0], "1:" + std::to_string(int(10 * tpp)) + "," + std::to_string(int(20 * tpp)));
    EXPECT_EQ(ups[1], std::string("2:0,0"));
    // While the form holds the capture, a click anywhere on the screen ends
    // on the form (client coordinates, outside its area here).
    ups.clear();
    backend().setCapture(s.form);
    clickScreen(1200, 1000, backend());
    backend().releaseCapture();
    ASSERT_EQ(ups.size(), size_t(1));
    EXPECT_TRUE(ups[0].rfind("1:", 0) == 0);
    wt::note("mouse-up outside: " + ups[0]);
    s.form.setMousePointer(tk::MousePointer::Hourglass);
    s.form.setMousePointer(tk::MousePointer::Default);
    EXPECT_TRUE(s.failures.empty());
}

TEST(TkForm, CloseBoxAsksTheCoreAndModalFormsDisableTheRest) {
    ShownForm s;
    bool refuse = true;
    s.form.onQueryUnload = [&](bool& cancel, int) { cancel = refuse; };
    s.show();
    closeBox(s.form);
    EXPECT_TRUE(s.form.isShown());
    EXPECT_TRUE(nativeVisible(s.form));

    tk::Form dlg(backend(), "frmDialog");
    dlg.move(600, 600, 4000, 3000);
    bool mainEnabledInside = true;
    tk::Timer& t = dlg.addTimer("tmrClose");
    t.onTick = [&] {
        mainEnabledInside = nativeEnabled(s.form);
        closeBox(dlg);
    };
    t.setInterval(50);
    dlg.showModal();
    EXPECT_FALSE(mainEnabledInside);
    EXPECT_TRUE(nativeEnabled(s.form));
    EXPECT_FALSE(nativeVisible(dlg));
    refuse = false;
    closeBox(s.form);
    EXPECT_FALSE(s.form.isShown());
    EXPECT_TRUE(s.failures.empty());
}
