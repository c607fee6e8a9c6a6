// The main window: its design and wiring, start-up, first activation,
// close, the commands that join several parts, and the adapters through
// which the parts reach it.
#include "app/main_window.h"

#include <algorithm>

#include "input/delivery.h"
#include "input/keys.h"
#include "input/windows.h"
#include "settings/settings_dialog.h"

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

Str noticeTitle() { return u"★　重要メッセージ　★  [初回起動時とTOVIRAKバージョンアップ時に表示されます。]"; }

Str noticeText() {
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
}  // namespace

MainWindow::MainWindow(tk::Backend& toolkit, os::Services& services) : tk(toolkit), os(services) {
    tk::Form& f = *form;
    f.setText(Str(AppTitle));
    f.keyPreview = true;
    f.setBackColor(kGrey);
    // Design size: a client area of 3570 x 3585 twips plus the frame, the
    // caption and the menu bar.
    f.move(3000, 2000, 3690, 4275);

    f.onLoad = [this] { load(); };
    f.onActivate = [this] { activate(); };
    f.onQueryUnload = [this](bool& cancel, int) { queryClose(cancel); };
    f.onQueryEndSession = [this](uint32_t reasons) { return sessionEnd.query(reasons); };
    f.onEndSession = [this](bool ending, uint32_t reasons) { sessionEnd.end(ending, reasons); };
    f.onUnload = [this] { tk.quit(); };
    f.onResize = [this] { layout(); };
    f.onMouseUp = [this](int, int, double, double) { capture.buttonReleased(); };
    f.onKeyPress = [this](int& k) { grid.enterPressed(k); };
    f.onActiveControlChange = [this] { refreshCommands(); };
    f.onWindowActivated = [this](uint64_t previous) { rowTrial.windowActivated(previous); };
    document.onStateChange = [this] { documents.showTitle(); };

    // The interval boxes keep the document's interval.
    controls.intervalBox->onGotFocus = [this] {
        statusLine.show(StatusMode::Guidance, u"実行間隔を入力します。(小数点入力も可能)");
    };
    controls.intervalBox->onChange = [this] {
        document.interval = controls.intervalBox->text();
        document.markChanged();
    };
    controls.unitBox->onGotFocus = [this] {
        statusLine.show(StatusMode::Guidance, u"実行間隔の単位を選択します。(秒または分)");
    };
    controls.unitBox->onChange = [this] { document.intervalUnit = controls.unitBox->text(); };
    controls.unitBox->onClick = [this] { document.markChanged(); };
    controls.startButton->onGotFocus = [this] { statusLine.show(StatusMode::Guidance, u"開始します。"); };
    controls.startButton->onClick = [this] { startOrStop(); };
    controls.endButton->onGotFocus = [this] { statusLine.show(StatusMode::Guidance, u"終了します。"); };
    controls.endButton->onClick = [this] { close(); };
    controls.settingsButton->onGotFocus = [this] {
        statusLine.show(StatusMode::Guidance, u"TOVIRAKの設定画面を表示します。");
    };
    controls.settingsButton->onClick = [this] { openSettings(); };
    grid.onSetButton = [this](int r) { setButton(r); };
    grid.onFilesDropped = [this](int r, const std::vector<Str>& paths) { imageCapture.filesDropped(r, paths); };

    hotKeys.startAllowed = [this] { return !player.running() && !recording.recording(); };
    hotKeys.onStartKey = [this] { startOrStop(); };

    // A recording in progress ends first and its steps go into the
    // document, so that the save question covers them too.
    menu.newDocument->onClick = [this] {
        recording.end();
        documents.newDocument();
    };
    menu.open->onClick = [this] {
        recording.end();
        documents.open();
    };
    menu.saveAs->onClick = [this] { documents.saveAs(); };
    menu.save->onClick = [this] { documents.save(); };
    menu.quit->onClick = [this] { close(); };
    // The menu only starts; it never stops a run.
    menu.run->onClick = [this] {
        if (!player.running()) startOrStop();
    };
    menu.record->onClick = [this] { recording.toggle(); };
    // As the settings button: not while the editor is locked.
    menu.settings->onClick = [this] {
        if (!player.runLocked()) openSettings();
    };
    menu.runRow->onClick = [this] { rowTrial.runRow(); };
    menu.showRow->onClick = [this] { rowTrial.showRow(); };
    menu.picture->onClick = [this] { imageCapture.importChosen(); };
    menu.insertRow->onClick = [this] { grid.insertRowAtCaret(); };
    menu.deleteRow->onClick = [this] { grid.deleteRowAtCaret(); };
    refreshCommands();
}

MainWindow::~MainWindow() = default;

// ---------------------------------------------------------------------------
// Start-up and close

void MainWindow::load() {
    guarded(statusLine, u"Form_Load", [&] {
        Str args = os.commandLine();
        statusLine.show(StatusMode::Status, Str());
        document.settings.stopTimerEnabled = false;
        document.settings.powerOff = false;
        document.settings.topMost = false;
        grid.prepare();
        document.clearSteps();
        hotKeys.setStartKeys({0});
        hotKeys.setStopKeys({0});
        macroFile.read(Str(MacroFile::WorkingState));

        bool noMsg = false;
        if (instr(ucase(args), u"/NOMSG") > 0) {
            noMsg = true;
            args = trim(replaceAll(ucase(args), u"/NOMSG", u""));
        }
        if (programVersion(os) != document.version && !noMsg) {
            const int answer = tk.messageBox(noticeText(), tk::mb::YesNo | tk::mb::DefaultButton2, noticeTitle());
            if (answer == tk::mb::IdNo) os.endProcess();
        }
        runOnActivation = false;
        if (instr(ucase(args), u"/RUN") > 0) {
            args = trim(replaceAll(ucase(args), u"/RUN", u""));
            runOnActivation = true;
        }
        if (!args.empty()) macroFile.read(documentPath(args));
        activated = false;
    });
}

void MainWindow::activate() {
    if (activated) return;
    activated = true;
    // From now on hot-key taps are latched; without the hook the key state
    // alone is read.
    hotKeys.beginLatching();
    hotKeys.forgetPresses();
    if (runOnActivation) startOrStop();
    hotKeys.resume();
}

void MainWindow::queryClose(bool& cancel) {
    guarded(statusLine, u"Form_QueryUnload", [&] {
        // A recording in progress ends first; its steps are kept.
        recording.end();
        if (form->windowState() == tk::WindowState::Minimized) form->setWindowState(tk::WindowState::Normal);
        // Cancelled, or the save dialog was cancelled or the save failed
        // (already reported): the window stays open.
        if (!documents.askSaveChanges()) {
            cancel = true;
            return;
        }
        macroFile.write(Str(MacroFile::WorkingState), MacroFile::Overwrite::Silently);
    });
}

void MainWindow::close() { form->close(); }

void MainWindow::setButton(int r) {
    if (!imageCapture.takes(r)) {
        capture.arm(r);
        return;
    }
    // No hot key starts a run while the screen is frozen.
    hotKeys.pause();
    imageCapture.capture(r);
    hotKeys.resume();
}

Str MainWindow::choosePicture() {
    // The dialog must not hide behind an always-on-top main window.
    keepOnTop(false);
    const Str path = documents.chooseFile(FileSelectMode::Picture);
    keepOnTop(true);
    return path;
}

void MainWindow::layout() {
    guarded(statusLine, u"Form_Resize", [&] {
        tk::Label& status = statusLine.label();
        status.setWidth(std::max(1.0, form->width() - status.left() - 150));
        grid.layout();
    });
}

void MainWindow::refreshCommands() {
    CommandState state;
    state.runLocked = player.runLocked();
    state.trying = rowTrial.running();
    state.recording = recording.recording();
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

void MainWindow::keepOnTop(bool on) {
    setTopMost(statusLine, os, form->nativeHandle(), on && document.settings.topMost);
}

void MainWindow::openSettings() {
    bool watchStopped = false;
    try {
        // The dialog must not hide behind an always-on-top main window, and
        // the hot keys are not watched while it is open.
        keepOnTop(false);
        hotKeys.pause();
        watchStopped = true;
        runSettingsDialog(*form, os, statusLine, document, hotKeys, settingsView);
        hotKeys.resume();
        watchStopped = false;
        keepOnTop(true);
    } catch (const std::exception&) {
        statusLine.reportError(u"cmd_Setting_Click");
        // Whatever failed, the hot-key watch comes back.
        if (watchStopped) hotKeys.resume();
    }
}

// ---------------------------------------------------------------------------
// Runs

std::optional<RunPlan> MainWindow::checkRun() {
    std::optional<RunPlan> result;
    // A control that cannot take the focus now must not turn a plain input
    // message into an error.
    auto focus = [](tk::Control* c) {
        try {
            if (c) c->setFocus();
        } catch (const std::exception&) {
        }
    };
    auto message = [&](const Str& text) { tk.messageBox(text, tk::mb::OK, Str(AppTitle)); };
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
                grid.showProblem(problem.row, problem.message);
                break;
            case RunProblem::Kind::NothingToRun:
                message(problem.message);
                grid.scrollBar()->setValue(1);
                focus(grid.actionList(1));
                break;
            case RunProblem::Kind::StopLimit:
                message(problem.message);
                openSettings();
                break;
        }
    });
    return result;
}

void MainWindow::startOrStop() {
    guarded(statusLine, u"cmd_Kaisi_Click", [&] {
        // Nothing plays while a recording is in progress.
        if (recording.recording()) return;
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
            tk.messageBox(u"対象ウィンドウが存在しません。", tk::mb::OK, Str(AppTitle));
            openSettings();
        }
    });
}

std::vector<int16_t> MainWindow::hotKeyCodes(const Str& keyList) {
    KeyArrays keys;
    Str unsupported;
    if (!keys::readKeyList(statusLine, keyList, keys, unsupported)) {
        guarded(statusLine, u"MS_HotKey_StrToArry", [&] {
            tk.messageBox(keys::unsupportedKeyMessage(unsupported), tk::mb::OK, Str(AppTitle));
            // An unsupported key stops, as if a run were going.
            player.stop(false);
        });
    }
    return keys.code;
}

// ---------------------------------------------------------------------------
// The window as the parts see it (app/window_views.h)

void RunView::showStatus(StatusMode mode, const Str& text) { w_.statusLine.show(mode, text); }

void RunView::showRow(int32_t row) { w_.grid.showStep(row); }

void RunView::repaint() { w_.form->repaint(); }

void RunView::runLockChanged() { w_.refreshCommands(); }

void RunView::showRunning(bool running) { w_.controls.startButton->setText(running ? u"停止" : u"実行"); }

void RunView::comeBack() { w_.os.appActivate(w_.form->text()); }

void RunView::unsupportedKey(const Str& item) {
    guarded(w_.statusLine, u"MS_HotKey_StrToArry",
            [&] { w_.tk.messageBox(keys::unsupportedKeyMessage(item), tk::mb::OK, Str(AppTitle)); });
}

void RunView::keystrokesFailed(int number, const Str& description) {
    guarded(w_.statusLine, u"MS_SendKeys", [&] {
        // The message must be seen even when the target had the front.
        const os::WindowHandle own = w_.form->nativeHandle();
        bringToFront(w_.statusLine, w_.os, own, own);
        const KeystrokeFailure told = keystrokeFailure(number, description);
        w_.tk.messageBox(told.text, told.style, Str(AppTitle));
    });
}

// ---------------------------------------------------------------------------
// A document read and the File commands

void DocumentView::stepsCleared() { w_.grid.scrollBar()->setRange(1, 1); }

void DocumentView::settingRead(DocumentSetting setting) {
    switch (setting) {
        case DocumentSetting::Interval:
            w_.controls.intervalBox->setText(w_.document.interval);
            break;
        case DocumentSetting::IntervalUnit: {
            tk::ComboBox& unit = *w_.controls.unitBox;
            unit.setListIndex(unit.findExact(w_.document.intervalUnit));
            // The box keeps what it shows (a typed text may stay beside the
            // selected entry), and the document keeps what the box shows.
            w_.document.intervalUnit = unit.text();
            break;
        }
        case DocumentSetting::StartKeys:
            w_.hotKeys.setStartKeys(w_.hotKeyCodes(w_.document.settings.startKeys));
            w_.hotKeys.watchKeys();
            break;
        case DocumentSetting::StopKeys:
            w_.hotKeys.setStopKeys(w_.hotKeyCodes(w_.document.settings.stopKeys));
            w_.hotKeys.watchKeys();
            break;
        case DocumentSetting::TopMost:
            w_.keepOnTop(true);
            break;
    }
}

void DocumentView::stepsRead() { w_.grid.showFromTop(); }

void DocumentView::keepOnTop(bool on) { w_.keepOnTop(on); }

// ---------------------------------------------------------------------------
// A tried row and the settings dialog

bool TrialView::recording() const { return w_.recording.recording(); }

void TrialView::openSettings() { w_.openSettings(); }

void TrialView::commandsChanged() { w_.refreshCommands(); }

std::vector<int16_t> SettingsView::hotKeyCodes(const Str& keyList) { return w_.hotKeyCodes(keyList); }

void SettingsView::keepOnTop(bool on) { w_.keepOnTop(on); }
