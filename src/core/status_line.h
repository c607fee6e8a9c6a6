// The status line at the top of the main window: guidance for the focused
// control, the state of the program, warnings and the error reports, which
// it also appends to the error log beside the program. It repaints the
// window at once, so a text stays current while long work goes on.
#pragma once

#include <functional>

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
    // While held returns true, guidance does not replace the text (a
    // recording keeps saying so).
    void holdGuidanceWhile(std::function<bool()> held) { guidanceHeld_ = std::move(held); }

    tk::Label& label() { return *label_; }
    const Str& text() const { return label_->text(); }

private:
    void appendToLog(const Str& text);

    tk::Form& window_;
    os::Services& os_;
    tk::Label* label_;
    std::function<bool()> guidanceHeld_;
};
