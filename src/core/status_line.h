// The status line at the top of the main window: guidance for the focused
// control, the state of the program, warnings and the error reports, which
// it also appends to the error log beside the program. It repaints the
// window at once, so a text stays current while long work goes on.
#pragma once

#include <cstdint>

#include "platform/error_sink.h"
#include "platform/os.h"
#include "platform/toolkit.h"

// The program's name, the title of its message boxes.
inline constexpr StrView AppTitle = u"TOVIRAK";

enum class StatusMode {
    Plain,     // the text alone; size and colour stay as they are
    Guidance,  // help for the focused control: small, blue
    Status,    // what the program does: large, yellow
    Warning,   // small, red, with a beep
    Error,     // small, red, logged, with a beep
};

class StatusLine final : public ErrorSink {
public:
    // Creates the status label on the window (its first control).
    StatusLine(tk::Form& window, os::Services& services);
    StatusLine(const StatusLine&) = delete;
    StatusLine& operator=(const StatusLine&) = delete;

    void show(StatusMode mode, const Str& text);
    // "[" + procName + "]" + the description of the exception being handled,
    // as an error.
    void reportError(StrView procName) override;
    // A text that stands for a state that lasts (a recording): shown now;
    // guidance does not replace it, and any other text gives way to it
    // again after kStandingReturnMs. Cleared, the line keeps what it shows.
    void setStanding(StatusMode mode, const Str& text);
    void clearStanding();
    static constexpr uint32_t kStandingReturnMs = 2000;

    tk::Label& label() { return *label_; }
    const Str& text() const { return label_->text(); }

private:
    void appendToLog(const Str& text);

    tk::Form& window_;
    os::Services& os_;
    tk::Label* label_;
    tk::Timer& standingTimer_;
    bool standing_ = false;
    StatusMode standingMode_ = StatusMode::Status;
    Str standingText_;
};
