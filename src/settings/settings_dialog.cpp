// The settings dialog.
#include "settings/settings_dialog.h"

#include <algorithm>

#include "core/document_format.h"
#include "core/status_line.h"
#include "input/windows.h"
#include "settings/digits.h"

namespace stoptimer {

Str format(int16_t hh, int16_t mm) {
    if (hh == -1) return toStr((long long)mm);
    Str minutes = toStr((long long)mm);
    if (mm >= 0 && mm < 10) minutes = u"0" + minutes;
    return toStr((long long)hh) + u":" + minutes;
}

std::optional<Parsed> parse(const Str& text) {
    if (text.empty()) return Parsed{0, 0};
    const long p = instr(text, u":");
    if (p > 0) {
        const Str hours = left(text, p - 1);
        const Str minutes = mid(text, p + 1);
        if (!isAllDigits(hours) || !isAllDigits(minutes)) return std::nullopt;
        if (val(minutes) >= 60) return std::nullopt;
        return Parsed{val(hours), val(minutes)};
    }
    if (!isAllDigits(text)) return std::nullopt;
    return Parsed{-1, val(text)};
}

}  // namespace stoptimer

std::optional<int32_t> parseWaitLimit(const Str& text) {
    if (text.empty()) return 0;
    if (!isAllDigits(text)) return std::nullopt;
    const double seconds = val(text);
    if (seconds > DocumentSettings::MaxWaitLimit) return std::nullopt;
    return int32_t(seconds);
}

namespace {
SettingsDialog* g_shown = nullptr;

tk::Font gothic() { return tk::Font{u"ＭＳ Ｐゴシック", 9, false, false}; }

}  // namespace

SettingsDialog* SettingsDialog::shown() { return g_shown; }

SettingsDialog::SettingsDialog(tk::Form& mainWindow, os::Services& services, ErrorSink& errors, Document& document,
                               HotKeyWatch& hotKeys, SettingsHost& host)
    : main_(mainWindow), os_(services), errors_(errors), document_(document), hotKeys_(hotKeys), host_(host) {
    g_shown = this;
    form = std::make_unique<tk::Form>(mainWindow.backend(), "frm_Setting");
    tk::Form& f = *form;
    f.setText(u"TOVIRAK設定");
    f.keyPreview = true;
    f.setBackColor(tk::rgb(192, 192, 192));
    f.move(0, 0, 8520, 8670);

    // Created in tab order. The frames come last: they have no part in the
    // order, and the native windows stack in creation order, so a frame made
    // before the controls inside it would cover them.
    txt_WindowTitle = &f.add<tk::TextBox>("txt_WindowTitle");
    txt_WindowTitle->move(240, 840, 5400, 300);
    txt_StartHotKey = &f.add<tk::TextBox>("txt_StartHotKey");
    txt_StartHotKey->move(240, 2100, 7800, 300);
    txt_StopHotKey = &f.add<tk::TextBox>("txt_StopHotKey");
    txt_StopHotKey->move(240, 3360, 7800, 300);
    optStopTimer.push_back(&f.add<tk::OptionButton>("optStopTimer", 1, 1));
    optStopTimer[1]->setText(u"停止タイマー有効");
    optStopTimer[1]->move(240, 4860, 2400, 270);
    optStopTimer.push_back(&f.add<tk::OptionButton>("optStopTimer", 2, 1));
    optStopTimer[2]->setText(u"停止タイマー無効");
    optStopTimer[2]->move(2760, 4860, 2400, 270);
    txt_StopTimer = &f.add<tk::TextBox>("txt_StopTimer");
    txt_StopTimer->move(240, 5190, 1500, 300);
    chk_PCPowerOff = &f.add<tk::CheckBox>("chk_PCPowerOff");
    chk_PCPowerOff->setText(u"停止タイマー後ＰＣ電源Off");
    chk_PCPowerOff->move(1920, 5205, 3600, 270);
    optWindowSetting.push_back(&f.add<tk::OptionButton>("optWindowSetting", 1, 2));
    optWindowSetting[1]->setText(u"通常");
    optWindowSetting[1]->move(240, 5910, 1000, 270);
    optWindowSetting.push_back(&f.add<tk::OptionButton>("optWindowSetting", 2, 2));
    optWindowSetting[2]->setText(u"常に手前に表示");
    optWindowSetting[2]->move(1320, 5910, 2400, 270);
    optWindowSetting.push_back(&f.add<tk::OptionButton>("optWindowSetting", 3, 2));
    optWindowSetting[3]->setText(u"実行中にTOVIRAKをｱｸﾃｨﾌﾞにしない");
    optWindowSetting[3]->move(240, 6210, 4600, 270);
    txt_WaitLimit = &f.add<tk::TextBox>("txt_WaitLimit");
    txt_WaitLimit->move(2280, 6930, 1200, 300);
    cmd_Ok = &f.add<tk::Button>("cmd_Ok");
    cmd_Ok->setText(u"Ｏ　Ｋ");
    cmd_Ok->move(120, 7530, 1500, 420);
    cmd_Cancel = &f.add<tk::Button>("cmd_Cancel");
    cmd_Cancel->setText(u"ｷｬﾝｾﾙ");
    cmd_Cancel->isCancel = true;
    cmd_Cancel->move(1740, 7530, 1500, 420);

    auto frame = [&](const char* name, StrView caption, double top, double height) {
        auto& fr = f.add<tk::Frame>(name);
        fr.setText(Str(caption));
        fr.move(120, top, 8040, height);
    };
    auto label = [&](const char* name, StrView text, double top, double height) {
        auto& l = f.add<tk::Label>(name);
        l.setText(Str(text));
        l.setFont(gothic());
        l.move(240, top, 7800, height);
    };
    label("Label1",
          u"　　対象ｳｨﾝﾄﾞｳの検索文字を入力します。（省略可能）\r\n"
          u"　　☆部分一致検索でｳｨﾝﾄﾞｳの検索が行われます。",
          300, 480);
    cmd_Set = &f.add<tk::Button>("cmd_Set");
    cmd_Set->setText(u"set");
    cmd_Set->move(5700, 840, 720, 300);
    label("Label2",
          u"　　スタートホットキーをカンマ区切りで入力します。（省略可能）\r\n"
          u"　　スタートホットキーとは、TOVIRAKが裏に隠れていても開始出来る機能です。",
          1560, 480);
    label("Label3",
          u"　　ストップホットキーをカンマ区切りで入力します。（省略可能）\r\n"
          u"　　ストップホットキーとは、TOVIRAKが裏に隠れていても停止出来る機能です。",
          2820, 480);
    label("Label4",
          u"　　時間:分の形式または回数を指定（省略可能）\r\n"
          u"　　例１： 1:30 と指定すると、1時間30分間実行されます。\r\n"
          u"　　例２： 1 と指定すると、1回だけ実行されます。",
          4080, 720);
    cmd_LeftTop = &f.add<tk::Button>("cmd_LeftTop");
    cmd_LeftTop->setText(u"右上に移動");
    cmd_LeftTop->move(6480, 840, 1560, 300);
    cmd_Help = &f.add<tk::Button>("cmd_Help");
    cmd_Help->setText(u"ReadMe!(F1)");
    cmd_Help->move(6660, 7530, 1500, 420);
    auto& waitLabel = f.add<tk::Label>("Label5");
    waitLabel.setText(u"待ち時間の上限(秒)");
    waitLabel.setFont(gothic());
    waitLabel.move(240, 6975, 2000, 240);
    auto& waitNote = f.add<tk::Label>("Label6");
    waitNote.setText(u"0は上限なし（ウィンドウを待つ行がこの秒数で止まります）");
    waitNote.setFont(gothic());
    waitNote.move(3600, 6975, 4440, 240);
    frame("Frame1", u"対象ウィンドウ設定", 60, 1200);
    frame("Frame2", u"スタートホットキー設定", 1320, 1200);
    frame("Frame3", u"ストップホットキー設定", 2580, 1200);
    frame("Frame4", u"停止タイマー設定", 3840, 1770);
    frame("Frame5", u"TOVIRAKウィンドウ設定", 5670, 930);
    frame("Frame6", u"待ち時間設定", 6660, 720);

    f.onLoad = [this] { Form_Load(); };
    f.onKeyDown = [this](int& k, int shift) { Form_KeyDown(k, shift); };
    f.onKeyPress = [this](int& k) { Form_KeyPress(k); };
    f.onMouseUp = [this](int, int, double, double) { Form_MouseUp(); };
    txt_WindowTitle->onChange = [this] { txt_WindowTitle_Change(); };
    cmd_Set->onClick = [this] { cmd_Set_Click(); };
    cmd_LeftTop->onClick = [this] { cmd_LeftTop_Click(); };
    cmd_Ok->onClick = [this] { cmd_Ok_Click(); };
    cmd_Cancel->onClick = [this] { cmd_Cancel_Click(); };
    cmd_Help->onClick = [this] { cmd_Help_Click(); };
}

SettingsDialog::~SettingsDialog() {
    if (g_shown == this) g_shown = nullptr;
    // A capture still held when the dialog goes away would keep the mouse.
    if (capturing) main_.backend().releaseCapture();
}

void SettingsDialog::report() { main_.backend().messageBox(describeCurrentException(), tk::mb::OK, Str(AppTitle)); }

void SettingsDialog::Form_Load() {
    try {
        const DocumentSettings& m = document_.settings;
        // Centred on the primary screen.
        const double sw = os_.screenWidth() * main_.backend().twipsPerPixelX();
        const double sh = os_.screenHeight() * main_.backend().twipsPerPixelY();
        form->move(std::max(0.0, (sw - form->width()) / 2), std::max(0.0, (sh - form->height()) / 2), form->width(),
                   form->height());

        capturing = false;
        txt_WindowTitle->setText(m.targetWindowSearch);
        txt_WindowTitle_Change();
        txt_StartHotKey->setText(m.startKeys);
        txt_StopHotKey->setText(m.stopKeys);
        if (m.stopTimerEnabled) optStopTimer[1]->setValue(true);
        else optStopTimer[2]->setValue(true);
        txt_StopTimer->setText(stoptimer::format(m.timerHours, m.timerMinutes));
        chk_PCPowerOff->setChecked(m.powerOff);
        if (m.topMost) optWindowSetting[2]->setValue(true);
        else if (m.stayBehind) optWindowSetting[3]->setValue(true);
        else optWindowSetting[1]->setValue(true);
        txt_WaitLimit->setText(toStr((long long)m.waitLimit));
    } catch (const std::exception&) {
        report();
    }
}

void SettingsDialog::Form_KeyDown(int& keyCode, int) {
    if (keyCode == tk::key::F1) {
        keyCode = 0;
        cmd_Help_Click();
    }
}

tk::Control* SettingsDialog::nextField(tk::Control* c) const {
    tk::Control* n = form->nextInTabOrder(c);
    const size_t limit = form->controls().size();
    if (c && c->kind() == tk::Kind::OptionButton) {
        // Tab leaves the whole group.
        const int g = static_cast<tk::OptionButton*>(c)->group();
        for (size_t i = 0; i < limit && n && n != c && n->kind() == tk::Kind::OptionButton &&
                           static_cast<tk::OptionButton*>(n)->group() == g;
             ++i)
            n = form->nextInTabOrder(n);
    }
    if (n && n->kind() == tk::Kind::OptionButton) {
        // ... and enters a group at its selected button.
        const int g = static_cast<tk::OptionButton*>(n)->group();
        for (tk::Control* o : form->controls())
            if (o->kind() == tk::Kind::OptionButton && static_cast<tk::OptionButton*>(o)->group() == g &&
                static_cast<tk::OptionButton*>(o)->value() && o->canFocus())
                return o;
    }
    return n;
}

void SettingsDialog::Form_KeyPress(int& keyAscii) {
    if (keyAscii != tk::key::Return) return;
    try {
        tk::Control* active = form->activeControl();
        if (!active || !tk::takesEnterAsTab(*active)) return;  // a button keeps its Enter
        keyAscii = 0;
        if (tk::Control* next = nextField(active)) next->setFocus();
    } catch (const std::exception&) {
        report();
    }
}

void SettingsDialog::txt_WindowTitle_Change() {
    cmd_LeftTop->setEnabled(!trim(txt_WindowTitle->text()).empty());
}

void SettingsDialog::cmd_Set_Click() {
    try {
        main_.backend().setCapture(*form);
        capturing = true;
    } catch (const std::exception&) {
        report();
    }
}

void SettingsDialog::Form_MouseUp() {
    if (!capturing) return;
    try {
        os::Point pt = os_.getCursorPos();
        os::WindowHandle h = os_.windowFromPoint(pt);
        Str title = h ? os_.getWindowText(h) : Str();
        // A title may hold a line break, which a document line cannot.
        if (!title.empty()) txt_WindowTitle->setText(docfmt::singleLine(title));
    } catch (const std::exception&) {
        report();
    }
    // The capture ends with this release whatever happened above.
    capturing = false;
    main_.backend().releaseCapture();
}

void SettingsDialog::cmd_LeftTop_Click() {
    try {
        Str full;
        os::WindowHandle h = findTargetWindow(errors_, os_, main_.nativeHandle(), txt_WindowTitle->text(), &full);
        if (h != 0) {
            os_.setWindowPos(h, 0, 0, 0, 0, 0, os::k::SWP_NOSIZE | os::k::SWP_NOZORDER | os::k::SWP_NOACTIVATE);
        }
    } catch (const std::exception&) {
        report();
    }
}

void SettingsDialog::cmd_Ok_Click() {
    try {
        DocumentSettings& m = document_.settings;
        // Both fields are checked before anything is stored.
        auto refuse = [&](tk::TextBox* field) {
            main_.backend().messageBox(u"入力エラー", tk::mb::OK, Str(AppTitle));
            if (field->canFocus()) field->setFocus();
        };
        auto parsed = stoptimer::parse(txt_StopTimer->text());
        if (!parsed) return refuse(txt_StopTimer);
        const std::optional<int32_t> waitLimit = parseWaitLimit(txt_WaitLimit->text());
        if (!waitLimit) return refuse(txt_WaitLimit);
        // Both converted before either is stored, so an overflow leaves the
        // pair as it was.
        const int16_t hh = cint(parsed->hours);
        const int16_t mm = cint(parsed->minutes);
        m.timerHours = hh;
        m.timerMinutes = mm;
        m.targetWindowSearch = docfmt::singleLine(txt_WindowTitle->text());
        m.startKeys = txt_StartHotKey->text();
        hotKeys_.setStartKeys(host_.hotKeyCodes(m.startKeys));
        m.stopKeys = txt_StopHotKey->text();
        hotKeys_.setStopKeys(host_.hotKeyCodes(m.stopKeys));
        hotKeys_.forgetPresses();
        m.stopTimerEnabled = optStopTimer[1]->value();
        m.powerOff = chk_PCPowerOff->checked();
        m.waitLimit = *waitLimit;
        if (optWindowSetting[1]->value()) {
            m.topMost = false;
            m.stayBehind = false;
        } else if (optWindowSetting[2]->value()) {
            m.topMost = true;
            m.stayBehind = false;
        } else if (optWindowSetting[3]->value()) {
            m.topMost = false;
            m.stayBehind = true;
        }
        host_.keepOnTop(m.topMost);
        document_.markChanged();
        form->close();
    } catch (const std::exception&) {
        report();
    }
}

void SettingsDialog::cmd_Cancel_Click() {
    try {
        form->close();
    } catch (const std::exception&) {
        report();
    }
}

void SettingsDialog::cmd_Help_Click() {
    try {
        const Str path = os_.programFolder() + u"\\README.TXT";
        if (!os_.fileExists(path)) {
            main_.backend().messageBox(u"Readme.txtが見つかりません。", tk::mb::OK, Str(AppTitle));
            return;
        }
        os_.startProgram(u"Notepad.exe " + path, os::k::SW_SHOWNORMAL);
    } catch (const std::exception&) {
        main_.backend().messageBox(u"Notepad.exeが見つかりません。", tk::mb::OK, Str(AppTitle));
    }
}

void runSettingsDialog(tk::Form& mainWindow, os::Services& services, ErrorSink& errors, Document& document,
                       HotKeyWatch& hotKeys, SettingsHost& host) {
    try {
        SettingsDialog dialog(mainWindow, services, errors, document, hotKeys, host);
        dialog.form->showModal();
    } catch (const std::exception&) {
        mainWindow.backend().messageBox(describeCurrentException(), tk::mb::OK, Str(AppTitle));
    }
}
