// The main window's frame: its design, start-up, first activation, close,
// the status line and the error log.
#include "core/frm_TOVIRAK.h"

#include "core/app.h"
#include "input/delivery.h"

#include <algorithm>
#include "session/session_end.h"

namespace {
constexpr uint32_t kGrey = tk::rgb(192, 192, 192);
constexpr uint32_t kCyan = tk::rgb(128, 255, 255);

tk::Font font(StrView name, double size, bool bold = false, bool italic = false) {
    return tk::Font{Str(name), size, bold, italic};
}

// The document path of the argument text. Explorer and shortcuts pass it
// in double quotes ("%1"), which are no part of the name: one pair around
// it is removed. Any other text is used as it is.
Str documentPath(const Str& args) {
    const Str t = trim(args);
    if (t.size() >= 2 && t.front() == u'"' && t.back() == u'"') return t.substr(1, t.size() - 2);
    return args;
}
}  // namespace

frm_TOVIRAK::frm_TOVIRAK(tk::Backend& toolkit, os::Services& services) : tk(toolkit), os(services) {
    tk::Form& f = *form;
    f.setText(u"TOVIRAK");
    f.keyPreview = true;
    f.setBackColor(kGrey);
    // Design size: a client area of 3570 x 3585 twips plus the frame, the
    // caption and the menu bar.
    f.move(3000, 2000, 3690, 4275);

    lbl_Kankaku = &f.add<tk::Label>("Label1");
    lbl_Kankaku->move(36, 636, 936, 168);
    lbl_Kankaku->setFont(font(u"ＭＳ ゴシック", 9));
    lbl_Kankaku->setText(u"実行間隔");

    txt_Kankaku = &f.add<tk::TextBox>("txt_Kankaku");
    txt_Kankaku->move(12, 828, 765, 360);
    txt_Kankaku->setFont(font(u"ＭＳ ゴシック", 12));
    txt_Kankaku->setText(document.interval);

    cmb_Tani = &f.add<tk::ComboBox>("cmb_Tani", 0, tk::ComboBox::DropDownCombo);
    cmb_Tani->move(792, 828, 585, 360);
    cmb_Tani->setFont(font(u"ＭＳ ゴシック", 12));
    cmb_Tani->addItem(u"秒");
    cmb_Tani->addItem(u"分");
    cmb_Tani->setText(document.intervalUnit);

    cmd_Kaisi = &f.add<tk::Button>("cmd_Kaisi");
    cmd_Kaisi->move(1404, 630, 405, 600);
    cmd_Kaisi->setFont(font(u"ＭＳ ゴシック", 9, true));
    cmd_Kaisi->setText(u"開\r\n始");

    cmd_End = &f.add<tk::Button>("cmd_End");
    cmd_End->move(1830, 630, 405, 600);
    cmd_End->setFont(font(u"ＭＳ ゴシック", 9, true));
    cmd_End->setText(u"終\r\n了");

    cmd_Setting = &f.add<tk::Button>("cmd_Setting");
    cmd_Setting->move(2250, 630, 405, 600);
    cmd_Setting->setFont(font(u"ＭＳ ゴシック", 9));
    cmd_Setting->setText(u"設\r\n定");

    // Row 1 of the grid at its design place; further rows copy it.
    lin_Line.push_back(&f.add<tk::Line>("lin_Line", 1));
    lin_Line[1]->setPoints(0, 1224, 3588, 1224);
    lbl_No.push_back(&f.add<tk::Label>("lbl_No", 1));
    lbl_No[1]->move(48, 1248, 420, 276);
    lbl_No[1]->setFont(font(u"ＭＳ ゴシック", 9));
    cmb_Cmd.push_back(&f.add<tk::ComboBox>("cmb_Cmd", 1, tk::ComboBox::DropDownList));
    cmb_Cmd[1]->move(480, 1248, 828, 300);
    cmb_Cmd[1]->setBackColor(kCyan);
    txt_ZahyoCmd.push_back(&f.add<tk::TextBox>("txt_ZahyoCmd", 1));
    txt_ZahyoCmd[1]->move(1320, 1248, 2148, 276);
    txt_ZahyoCmd[1]->setBackColor(kCyan);
    txt_ZahyoCmd[1]->setFont(font(u"ＭＳ ゴシック", 9));
    cmd_Set.push_back(&f.add<tk::Button>("cmd_Set", 1));
    cmd_Set[1]->move(48, 1536, 420, 276);
    cmd_Set[1]->setFont(font(u"ＭＳ Ｐゴシック", 7.5));
    cmd_Set[1]->setText(u"set");
    cmd_Set[1]->setTabStop(false);
    txt_Comment.push_back(&f.add<tk::TextBox>("txt_Comment", 1));
    txt_Comment[1]->move(480, 1536, 2964, 276);
    txt_Comment[1]->setBackColor(kCyan);
    txt_Comment[1]->setFont(font(u"ＭＳ Ｐゴシック", 9, false, true));
    lin_Line.push_back(&f.add<tk::Line>("lin_Line", 2));
    lin_Line[2]->setPoints(0, 1848, 3588, 1848);

    scr_Detail = &f.add<tk::ScrollBar>("scr_Detail");
    scr_Detail->move(3360, 1224, 228, 2076);


    buildMenus();

    // Events.
    f.onLoad = [this] { Form_Load(); };
    f.onActivate = [this] { Form_Activate(); };
    f.onQueryUnload = [this](bool& cancel, int reason) { Form_QueryUnload(cancel, reason); };
    sessionEnd = std::make_unique<SessionEnd>(*this);
    f.onQueryEndSession = [this](uint32_t reasons) { return sessionEnd->query(reasons); };
    f.onEndSession = [this](bool ending, uint32_t reasons) { sessionEnd->end(ending, reasons); };
    f.onUnload = [this] { tk.quit(); };
    f.onResize = [this] { Form_Resize(); };
    f.onMouseUp = [this](int, int, double, double) { Form_MouseUp(); };
    f.onKeyPress = [this](int& k) { Form_KeyPress(k); };
    // While recording, the line keeps saying so: the guidance of a control
    // that gets the focus does not replace it.
    statusLine.holdGuidanceWhile([this] { return recorder.recording(); });
    txt_Kankaku->onGotFocus = [this] { statusLine.show(StatusMode::Guidance, u"実行間隔を入力します。(小数点入力も可能)"); };
    txt_Kankaku->onChange = [this] {
        document.interval = txt_Kankaku->text();
        document.markChanged();
    };
    cmb_Tani->onGotFocus = [this] { statusLine.show(StatusMode::Guidance, u"実行間隔の単位を選択します。(秒または分)"); };
    cmb_Tani->onChange = [this] { document.intervalUnit = cmb_Tani->text(); };
    cmb_Tani->onClick = [this] { document.markChanged(); };
    cmd_Kaisi->onGotFocus = [this] { statusLine.show(StatusMode::Guidance, u"開始します。"); };
    cmd_Kaisi->onClick = [this] { cmd_Kaisi_Click(); };
    cmd_End->onGotFocus = [this] { statusLine.show(StatusMode::Guidance, u"終了します。"); };
    cmd_End->onClick = [this] { cmd_End_Click(); };
    cmd_Setting->onGotFocus = [this] { statusLine.show(StatusMode::Guidance, u"TOVIRAKの設定画面を表示します。"); };
    cmd_Setting->onClick = [this] { cmd_Setting_Click(); };
    scr_Detail->onChange = [this] { scr_Detail_Scroll(); };
    scr_Detail->onScroll = [this] { scr_Detail_Scroll(); };
    hotKeys.startAllowed = [this] { return !player.running() && !recorder.recording(); };
    hotKeys.onStartKey = [this] { cmd_Kaisi_Click(); };
    wireRow(1);
    document.onStateChange = [this] { MS_SetWindowTitle(); };
}

frm_TOVIRAK::~frm_TOVIRAK() = default;


int frm_TOVIRAK::msgBox(const Str& text, int style, const Str& title) { return tk.messageBox(text, style, title); }

// ---------------------------------------------------------------------------
// Runs

std::optional<RunPlan> frm_TOVIRAK::checkRun() {
    std::optional<RunPlan> result;
    // A control that cannot take the focus now must not turn a plain input
    // message into an error.
    auto focus = [](tk::Control* c) {
        try {
            if (c) c->setFocus();
        } catch (const std::exception&) {
        }
    };
    auto message = [&](const Str& text) { msgBox(text, tk::mb::OK, Str(AppTitle)); };
    guarded(statusLine, u"MF_InputChk", [&] {
        auto checked = planRun(document);
        if (auto* plan = std::get_if<RunPlan>(&checked)) {
            result = std::move(*plan);
            return;
        }
        const RunProblem& problem = std::get<RunProblem>(checked);
        switch (problem.kind) {
            case RunProblem::Kind::Interval:
                message(problem.message);
                focus(txt_Kankaku);
                break;
            case RunProblem::Kind::Row:
                showStepProblem(problem.row, problem.message);
                break;
            case RunProblem::Kind::NothingToRun:
                message(problem.message);
                scr_Detail->setValue(1);
                focus(cmb_Cmd.size() > 1 ? cmb_Cmd[1] : nullptr);
                break;
            case RunProblem::Kind::StopLimit:
                message(problem.message);
                cmd_Setting_Click();
                break;
        }
    });
    return result;
}

bool frm_TOVIRAK::checkStep(int32_t i, Str& x, Str& y) {
    const Str message = checkRow(document.steps.at(i).Dousa, document.steps.at(i).ZahyoCmd, rowCheckContext(document), x, y);
    if (message.empty()) return true;
    showStepProblem(i, message);
    return false;
}

void frm_TOVIRAK::showStepProblem(int32_t i, const Str& message) {
    // Step i becomes the first visible row where the grid can scroll that
    // far; the caret goes to the first visible command box.
    if (i <= scr_Detail->max()) scr_Detail->setValue(i);
    if (txt_ZahyoCmd.size() > 1) {
        try {
            txt_ZahyoCmd[1]->setFocus();
        } catch (const std::exception&) {
            // A box that cannot take the focus now does not turn the message into an error.
        }
    }
    msgBox(message, tk::mb::OK, Str(AppTitle));
}

void frm_TOVIRAK::cmd_Kaisi_Click() {
    guarded(statusLine, u"cmd_Kaisi_Click", [&] {
        // Nothing plays while a recording is in progress.
        if (recorder.recording()) return;
        // One button for both: a click during a run stops it.
        if (player.running()) {
            player.stop(false);
            return;
        }
        std::optional<RunPlan> plan = checkRun();
        if (!plan) return;
        // The focus leaves the editor so typing during the run edits nothing.
        // A window that cannot take the focus now (minimised, hidden) still runs.
        if (!document.settings.stayBehind && scr_Detail->canFocus()) scr_Detail->setFocus();
        const Str& search = document.settings.targetWindowSearch;
        if (search.empty()) {
            player.start(std::move(*plan), Str());
            return;
        }
        Str title;
        if (player.executor().activateWindow(search, &title) != 0) {
            player.start(std::move(*plan), title);
        } else {
            msgBox(u"対象ウィンドウが存在しません。", tk::mb::OK);
            cmd_Setting_Click();
        }
    });
}

void frm_TOVIRAK::mnu_Go_Click() {
    // The menu only starts; it never stops a run.
    if (!player.running()) cmd_Kaisi_Click();
}

void frm_TOVIRAK::cmd_End_Click() { form->close(); }

std::vector<int16_t> frm_TOVIRAK::hotKeyCodes(const Str& text) {
    KeyArrays keys;
    Str unsupported;
    if (!keys::readKeyList(statusLine, text, keys, unsupported)) {
        guarded(statusLine, u"MS_HotKey_StrToArry", [&] {
            msgBox(keys::unsupportedKeyMessage(unsupported), tk::mb::OK, Str(AppTitle));
            // An unsupported key stops, as if a run were going.
            player.stop(false);
        });
    }
    return keys.code;
}

void frm_TOVIRAK::showStatus(StatusMode mode, const Str& text) { statusLine.show(mode, text); }

void frm_TOVIRAK::showRow(int32_t row) {
    if (row <= scr_Detail->max() - 1) scr_Detail->setValue(row);
}

void frm_TOVIRAK::repaint() { form->repaint(); }

void frm_TOVIRAK::editorLocked(bool locked) {
    const bool free = !locked;
    txt_Kankaku->setEnabled(free);
    cmb_Tani->setEnabled(free);
    cmd_End->setEnabled(free);
    cmd_Setting->setEnabled(free);
    // Only the rows that exist as controls; the grid may be mid-rebuild.
    const int32_t rows = std::min<int32_t>(
        Mlng_DispGyo, int32_t(std::min({cmb_Cmd.size(), txt_ZahyoCmd.size(), txt_Comment.size(), cmd_Set.size()})) - 1);
    for (int32_t i = 1; i <= rows; ++i) {
        cmb_Cmd[size_t(i)]->setEnabled(free);
        txt_ZahyoCmd[size_t(i)]->setEnabled(free);
        txt_Comment[size_t(i)]->setEnabled(free);
        cmd_Set[size_t(i)]->setEnabled(free);
    }
    mnu_File->setEnabled(free);
    mnu_Tool->setEnabled(free);
}

void frm_TOVIRAK::showRunning(bool running) { cmd_Kaisi->setText(running ? u"停止" : u"実行"); }

void frm_TOVIRAK::comeBack() { os.appActivate(form->text()); }

void frm_TOVIRAK::unsupportedKey(const Str& item) {
    guarded(statusLine, u"MS_HotKey_StrToArry", [&] { msgBox(keys::unsupportedKeyMessage(item), tk::mb::OK, Str(AppTitle)); });
}

void frm_TOVIRAK::keystrokesFailed(int number, const Str& description) {
    guarded(statusLine, u"MS_SendKeys", [&] {
        // The message must be seen even when the target had the front.
        bringToFront(statusLine, os, form->nativeHandle(), form->nativeHandle());
        const KeystrokeFailure told = keystrokeFailure(number, description);
        msgBox(told.text, told.style);
    });
}

void frm_TOVIRAK::MS_TopMost(bool bln_Kbn) { setTopMost(statusLine, os, form->nativeHandle(), bln_Kbn && document.settings.topMost); }


// ---------------------------------------------------------------------------
// Start-up

Str frm_TOVIRAK::noticeTitle() { return u"★　重要メッセージ　★  [初回起動時とTOVIRAKバージョンアップ時に表示されます。]"; }

Str frm_TOVIRAK::noticeText() {
    return u"最初に！\r\n"
           u"本ツールを使って、「アカウント停止」、\r\n"
           u"「キャラクター誤削除」等が発生、\r\n"
           u"また、「PC電源Off時」の強制終了に伴う \r\n"
           u"未保存データの紛失等に関して\r\n"
           u"作者は一切の責任を負うことは出来ません。\r\n"
           u"これを承諾しない限り、本ツールを使用する事は出来ません。\r\n"
           u"\r\n"
           u"承諾しますか？\r\n";
}

void frm_TOVIRAK::MS_DousaListSet(int32_t lng_Gyo) {
    guarded(statusLine, u"MS_DousaListSet", [&] {
        if (lng_Gyo < 1 || lng_Gyo >= int32_t(cmb_Cmd.size())) err::raise(err::Subscript);
        // In one change: a native list filled entry by entry is slow.
        cmb_Cmd[size_t(lng_Gyo)]->addItems(std::vector<Str>(dousa::catalogue.begin(), dousa::catalogue.end()));
    });
}

void frm_TOVIRAK::resetSteps() {
    document.steps.reset();
    scr_Detail->setRange(1, 1);
}

void frm_TOVIRAK::stepsCleared() { scr_Detail->setRange(1, 1); }

void frm_TOVIRAK::settingRead(DocumentSetting setting) {
    switch (setting) {
        case DocumentSetting::Interval:
            txt_Kankaku->setText(document.interval);
            break;
        case DocumentSetting::IntervalUnit:
            cmb_Tani->setListIndex(cmb_Tani->findExact(document.intervalUnit));
            // The box keeps what it shows (a typed text may stay beside the
            // selected entry), and the document keeps what the box shows.
            document.intervalUnit = cmb_Tani->text();
            break;
        case DocumentSetting::StartKeys:
            hotKeys.setStartKeys(hotKeyCodes(document.settings.startKeys));
            hotKeys.watchKeys();
            break;
        case DocumentSetting::StopKeys:
            hotKeys.setStopKeys(hotKeyCodes(document.settings.stopKeys));
            hotKeys.watchKeys();
            break;
        case DocumentSetting::TopMost:
            MS_TopMost(true);
            break;
    }
}

void frm_TOVIRAK::stepsRead() {
    // The grid's scroll range follows the rows read; they show from row 1.
    MF_ArryAdd(0, false);
    scr_Detail->setValue(1);
    scr_Detail_Scroll();
}

void frm_TOVIRAK::Form_Load() {
    guarded(statusLine, u"Form_Load", [&] {
        Str args = os.commandLine();
        statusLine.show(StatusMode::Status, Str());
        document.settings.stopTimerEnabled = false;
        document.settings.powerOff = false;
        document.settings.topMost = false;
        MS_DousaListSet(1);
        Mdbl_ColRatio[1] = 0.15;
        Mdbl_ColRatio[2] = 0.40;
        Mdbl_ColRatio[3] = 0.45;
        Mlng_DispGyo = 1;
        Mlng_LoadGyo = 1;
        scr_Detail->setRange(1, 1);
        document.steps.reset();
        hotKeys.setStartKeys({0});
        hotKeys.setStopKeys({0});
        macroFile.read(u"TOVIRAK.TVK");

        bool noMsg = false;
        if (instr(ucase(args), u"/NOMSG") > 0) {
            noMsg = true;
            args = trim(replaceAll(ucase(args), u"/NOMSG", u""));
        }
        if (programVersion(os) != document.version && !noMsg) {
            int answer = msgBox(noticeText(), tk::mb::YesNo | tk::mb::DefaultButton2, noticeTitle());
            if (answer == tk::mb::IdNo) os.endProcess();
        }
        Mbln_RunFlg = false;
        if (instr(ucase(args), u"/RUN") > 0) {
            args = trim(replaceAll(ucase(args), u"/RUN", u""));
            Mbln_RunFlg = true;
        }
        if (!args.empty()) macroFile.read(documentPath(args));
        Mbln_ActiveFlg = false;
    });
}

void frm_TOVIRAK::Form_Activate() {
    if (Mbln_ActiveFlg) return;
    Mbln_ActiveFlg = true;
    // From now on hot-key taps are latched; without the hook the key state
    // alone is read.
    hotKeys.beginLatching();
    hotKeys.forgetPresses();
    if (Mbln_RunFlg) cmd_Kaisi_Click();
    hotKeys.resume();
}

// ---------------------------------------------------------------------------
// Close

void frm_TOVIRAK::Form_QueryUnload(bool& cancel, int) {
    guarded(statusLine, u"Form_QueryUnload", [&] {
        // A recording in progress ends first; its steps are kept.
        if (recorder.recording()) MS_KirokuEnd();
        if (form->windowState() == tk::WindowState::Minimized) form->setWindowState(tk::WindowState::Normal);
        if (document.changed()) {
            int answer = msgBox(u"変更されています。保存しますか？\r\n\r\n" + document.path(), tk::mb::YesNoCancel, u"確認");
            if (answer == tk::mb::IdCancel) {
                cancel = true;
                return;
            }
            if (answer == tk::mb::IdYes) {
                if (!document.path().empty())
                    macroFile.write(document.path(), MacroFile::Overwrite::Silently);
                else
                    mnu_Save_Click();
                // Still changed: the save dialog was cancelled or the save
                // failed (already reported); the window stays open.
                if (document.changed()) {
                    cancel = true;
                    return;
                }
            }
        }
        macroFile.write(u"TOVIRAK.TVK", MacroFile::Overwrite::Silently);
    });
}

void frm_TOVIRAK::mnu_Quit_Click() { cmd_End_Click(); }

// ---------------------------------------------------------------------------

namespace app {
namespace {
// The main window lives as long as the message loop; the entry point ends it
// with finish() while the backends it was built on still exist.
std::unique_ptr<frm_TOVIRAK> mainWindow;
}  // namespace

bool start(tk::Backend& toolkit, os::Services& services) {
    mainWindow = std::make_unique<frm_TOVIRAK>(toolkit, services);
    mainWindow->form->show();
    return mainWindow->form->isShown();
}

void finish() { mainWindow.reset(); }
}  // namespace app
