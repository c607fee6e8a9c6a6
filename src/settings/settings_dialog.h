// The settings dialog: target window, hot keys, stop timer, power-off, how
// the main window behaves and how long a row may wait for a window. It reads the document's settings when it
// loads and writes them back only on OK.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "core/document.h"
#include "platform/error_sink.h"
#include "platform/os.h"
#include "platform/toolkit.h"
#include "playback/hotkey_watch.h"

// What OK asks of the window besides the document and the hot keys.
class SettingsHost {
public:
    // The key codes of a hot-key list; an unsupported key is told and stops
    // (as if a run were going).
    virtual std::vector<int16_t> hotKeyCodes(const Str& keyList) = 0;
    // The window stays above all others when the settings say so (on).
    virtual void keepOnTop(bool on) = 0;

protected:
    ~SettingsHost() = default;
};

// Stop-timer text «h:mm», «count» or empty, as stored in the settings' hours and
// minutes (hours -1: a run count in the minutes).
namespace stoptimer {
Str format(int16_t hh, int16_t mm);
struct Parsed {
    double hours = 0;    // -1 for a run count
    double minutes = 0;  // or the count
};
// Refused text (the "入力エラー" case): nullopt. The numbers are not range
// checked here; storing them into 16-bit members may overflow.
std::optional<Parsed> parse(const Str& text);
}  // namespace stoptimer

// The wait-limit field: empty is 0, otherwise half-width digits up to the
// largest limit; nullopt for anything else (the "入力エラー" case).
std::optional<int32_t> parseWaitLimit(const Str& text);

class SettingsDialog {
public:
    // mainWindow is the window whose settings these are (the target window
    // is searched from it); errors of the search go to errors.
    SettingsDialog(tk::Form& mainWindow, os::Services& services, ErrorSink& errors, Document& document,
                   HotKeyWatch& hotKeys, SettingsHost& host);
    ~SettingsDialog();
    SettingsDialog(const SettingsDialog&) = delete;
    SettingsDialog& operator=(const SettingsDialog&) = delete;

    // The dialog being shown (one at a time), so that a test can drive its
    // native controls from inside the modal loop; null when none.
    static SettingsDialog* shown();

    std::unique_ptr<tk::Form> form;
    tk::TextBox* txt_WindowTitle = nullptr;
    tk::TextBox* txt_StartHotKey = nullptr;
    tk::TextBox* txt_StopHotKey = nullptr;
    std::vector<tk::OptionButton*> optStopTimer{nullptr};      // 1, 2
    tk::TextBox* txt_StopTimer = nullptr;
    tk::CheckBox* chk_PCPowerOff = nullptr;
    std::vector<tk::OptionButton*> optWindowSetting{nullptr};  // 1..3
    tk::TextBox* txt_WaitLimit = nullptr;
    tk::Button* cmd_Ok = nullptr;
    tk::Button* cmd_Cancel = nullptr;
    tk::Button* cmd_Set = nullptr;
    tk::Button* cmd_LeftTop = nullptr;
    tk::Button* cmd_Help = nullptr;

    // True from a click on cmd_Set until the next mouse-button release.
    bool capturing = false;

    void Form_Load();
    void Form_KeyDown(int& keyCode, int shift);
    void Form_KeyPress(int& keyAscii);
    void Form_MouseUp();
    void txt_WindowTitle_Change();
    void cmd_Set_Click();
    void cmd_LeftTop_Click();
    void cmd_Ok_Click();
    void cmd_Cancel_Click();
    void cmd_Help_Click();

private:
    tk::Form& main_;
    os::Services& os_;
    ErrorSink& errors_;
    Document& document_;
    HotKeyWatch& hotKeys_;
    SettingsHost& host_;
    void report();
    // The control Tab reaches from c: an option group is entered at its
    // selected button and left as a whole.
    tk::Control* nextField(tk::Control* c) const;
};

// Creates the dialog, shows it modally and destroys it.
void runSettingsDialog(tk::Form& mainWindow, os::Services& services, ErrorSink& errors, Document& document,
                       HotKeyWatch& hotKeys, SettingsHost& host);
