// The main window's frame: its design, start-up, first activation, close,
// the status line and the error log.
#include "core/frm_TOVIRAK.h"

#include "core/app.h"
#include "input/delivery.h"

#include <algorithm>
#include "session/session_end.h"

namespace {
constexpr uint32_t kGrey = tk::rgb(192, 192, 192);

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

    // Events.
    f.onLoad = [this] { Form_Load(); };
    f.onActivate = [this] { Form_Activate(); };
    f.onQueryUnload = [this](bool& cancel, int reason) { Form_QueryUnload(cancel, reason); };
    sessionEnd = std::make_unique<SessionEnd>(*this);
    f.onQueryEndSession = [this](uint32_t reasons) { return sessionEnd->query(reasons); };
    f.onEndSession = [this](bool ending, uint32_t reasons) { sessionEnd->end(ending, reasons); };
    f.onUnload = [this] { tk.quit(); };
    f.onResize = [this] { Form_Resize(); };
    f.onMouseUp = [this](int, int, double, double) { capture.buttonReleased(); };
    f.onKeyPress = [this](int& k) { grid.enterPressed(k); };
    f.onActiveControlChange = [this] { refreshCommands(); };
    f.onWindowActivated = [this](uint64_t previous) { rowTrial.windowActivated(previous); };
    // While recording, the line keeps saying so: the guidance of a control
    // that gets the focus does not replace it.
    statusLine.holdGuidanceWhile([this] { return recorder.recording(); });
    // The interval boxes keep the document's interval.
    controls.intervalBox->onGotFocus = [this] { statusLine.show(StatusMode::Guidance, u"実行間隔を入力します。(小数点入力も可能)"); };
    controls.intervalBox->onChange = [this] {
        document.interval = controls.intervalBox->text();
        document.markChanged();
    };
    controls.unitBox->onGotFocus = [this] { statusLine.show(StatusMode::Guidance, u"実行間隔の単位を選択します。(秒または分)"); };
    controls.unitBox->onChange = [this] { document.intervalUnit = controls.unitBox->text(); };
    controls.unitBox->onClick = [this] { document.markChanged(); };
    controls.startButton->onGotFocus = [this] { statusLine.show(StatusMode::Guidance, u"開始します。"); };
    controls.startButton->onClick = [this] { cmd_Kaisi_Click(); };
    controls.endButton->onGotFocus = [this] { statusLine.show(StatusMode::Guidance, u"終了します。"); };
    controls.endButton->onClick = [this] { cmd_End_Click(); };
    controls.settingsButton->onGotFocus = [this] { statusLine.show(StatusMode::Guidance, u"TOVIRAKの設定画面を表示します。"); };
    controls.settingsButton->onClick = [this] { cmd_Setting_Click(); };
    grid.onSetButton = [this](int r) { capture.arm(r); };
    hotKeys.startAllowed = [this] { return !player.running() && !recorder.recording(); };
    hotKeys.onStartKey = [this] { cmd_Kaisi_Click(); };
    menu.newDocument->onClick = [this] { mnu_New_Click(); };
    menu.open->onClick = [this] { mnu_Open_Click(); };
    menu.saveAs->onClick = [this] { mnu_Save_Click(); };
    menu.save->onClick = [this] { mnu_SaveUwa_Click(); };
    menu.quit->onClick = [this] { mnu_Quit_Click(); };
    menu.run->onClick = [this] { mnu_Go_Click(); };
    menu.record->onClick = [this] { mnu_Kiroku_Click(); };
    menu.settings->onClick = [this] { mnu_Setting_Click(); };
    menu.runRow->onClick = [this] { rowTrial.runRow(); };
    menu.showRow->onClick = [this] { rowTrial.showRow(); };
    menu.insertRow->onClick = [this] { grid.insertRowAtCaret(); };
    menu.deleteRow->onClick = [this] { grid.deleteRowAtCaret(); };
    document.onStateChange = [this] { MS_SetWindowTitle(); };
    refreshCommands();
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
                focus(controls.intervalBox);
                break;
            case RunProblem::Kind::Row:
                showStepProblem(problem.row, problem.message);
                break;
            case RunProblem::Kind::NothingToRun:
                message(problem.message);
                grid.scrollBar()->setValue(1);
                focus(grid.actionList(1));
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
    grid.bringForward(i);
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
        if (!document.settings.stayBehind && grid.scrollBar()->canFocus()) grid.scrollBar()->setFocus();
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

void frm_TOVIRAK::showRow(int32_t row) { grid.showStep(row); }

void frm_TOVIRAK::repaint() { form->repaint(); }

void frm_TOVIRAK::runLockChanged() { refreshCommands(); }

void frm_TOVIRAK::refreshCommands() {
    CommandState state;
    state.runLocked = player.runLocked();
    state.trying = rowTrial.running();
    state.recording = recorder.recording();
    state.rowFocused = grid.focusedStep() != 0;
    const Commands commands = availableCommands(state);
    controls.intervalBox->setEnabled(commands.edit);
    controls.unitBox->setEnabled(commands.edit);
    controls.endButton->setEnabled(commands.edit);
    controls.settingsButton->setEnabled(commands.edit);
    grid.setLocked(!commands.edit);
    menu.apply(commands);
    controls.startButton->setEnabled(commands.start);
}

void frm_TOVIRAK::showRunning(bool running) { controls.startButton->setText(running ? u"停止" : u"実行"); }

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

void frm_TOVIRAK::stepsCleared() { grid.scrollBar()->setRange(1, 1); }

void frm_TOVIRAK::settingRead(DocumentSetting setting) {
    switch (setting) {
        case DocumentSetting::Interval:
            controls.intervalBox->setText(document.interval);
            break;
        case DocumentSetting::IntervalUnit:
            controls.unitBox->setListIndex(controls.unitBox->findExact(document.intervalUnit));
            // The box keeps what it shows (a typed text may stay beside the
            // selected entry), and the document keeps what the box shows.
            document.intervalUnit = controls.unitBox->text();
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

void frm_TOVIRAK::stepsRead() { grid.showFromTop(); }

void frm_TOVIRAK::Form_Load() {
    guarded(statusLine, u"Form_Load", [&] {
        Str args = os.commandLine();
        statusLine.show(StatusMode::Status, Str());
        document.settings.stopTimerEnabled = false;
        document.settings.powerOff = false;
        document.settings.topMost = false;
        grid.prepare();
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

void frm_TOVIRAK::Form_Resize() {
    guarded(statusLine, u"Form_Resize", [&] {
        tk::Label& status = statusLine.label();
        status.setWidth(std::max(1.0, form->width() - status.left() - 150));
        grid.layout();
    });
}

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
