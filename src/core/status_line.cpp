// The status line and the error log.
#include "core/status_line.h"

StatusLine::StatusLine(tk::Form& window, os::Services& services)
    : window_(window), os_(services), standingTimer_(window.addTimer("tim_Status")) {
    standingTimer_.onTick = [this] {
        standingTimer_.setInterval(0);
        if (standing_) show(standingMode_, standingText_);
    };
    label_ = &window.add<tk::Label>("lbl_Stat");
    label_->move(0, 0, 3468, 612);
    label_->setFont(tk::Font{u"ＭＳ Ｐ明朝", 19.5, false, false});
    label_->setText(u"待機中");
}

void StatusLine::show(StatusMode mode, const Str& text) {
    if (standing_) {
        if (mode == StatusMode::Guidance) return;
        // Another text has its moment; then the standing one comes back.
        const bool other = mode != standingMode_ || text != standingText_;
        standingTimer_.setInterval(other ? kStandingReturnMs : 0);
    }
    try {
        switch (mode) {
            case StatusMode::Guidance:
                label_->setFontSize(9);
                label_->setForeColor(tk::rgb(0, 0, 255));
                break;
            case StatusMode::Status:
                label_->setFontSize(12);
                label_->setForeColor(tk::rgb(255, 255, 0));
                break;
            case StatusMode::Warning:
                label_->setFontSize(9);
                label_->setForeColor(tk::rgb(255, 0, 0));
                os_.beep();
                break;
            case StatusMode::Error:
                label_->setFontSize(9);
                label_->setForeColor(tk::rgb(255, 0, 0));
                appendToLog(text);
                os_.beep();
                break;
            case StatusMode::Plain:
                break;
        }
        label_->setText(text);
        window_.repaint();
    } catch (const std::exception&) {
        // The status line cannot report its own failure: a message box does.
        window_.backend().messageBox(u"MS_DispStatus " + describeCurrentException(), tk::mb::OK, u"TOVIRAK");
    }
}

void StatusLine::setStanding(StatusMode mode, const Str& text) {
    standing_ = true;
    standingMode_ = mode;
    standingText_ = text;
    show(mode, text);
}

void StatusLine::clearStanding() {
    standing_ = false;
    standingText_.clear();
    standingTimer_.setInterval(0);
}

void StatusLine::reportError(StrView procName) {
    Str text(u"[");
    text += procName;
    text += u']';
    text += describeCurrentException();
    show(StatusMode::Error, text);
}

void StatusLine::appendToLog(const Str& text) {
    Str folder = os_.programFolder();
    // A program in a drive's root folder has a folder text ending in "\".
    if (!endsWith(folder, u"\\")) folder += u'\\';
    const Str line = formatDateTime(os_.now()) + u" " + text + u"\r\n";
    auto f = os_.appendFile(folder + u"TOVIRAK_ERROR.LOG");
    f->write(toCp932(line));
    f->close();
}
