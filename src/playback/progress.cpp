// The progress text of the step executor.
#include "playback/progress.h"

namespace {
Str twoDigits(long long v) {
    Str s = toStr(v);
    return s.size() < 2 ? u"0" + s : s;
}
}  // namespace

Str progressText(const ProgressInput& in) {
    // The row number with the one leading blank of a printed positive number.
    Str text = u"実行中" + Str(in.runRow >= 0 ? u" " : u"") + toStr((long long)in.runRow);
    if (!in.stopTimerEnabled || (in.timerHH == 0 && in.timerMM == 0)) return text;

    if (in.timerHH == -1) {
        text += u"　残り" + toStr((long long)in.restCount) + u"回";
    } else {
        if (!in.stopTime) err::raise(err::TypeMismatch);
        text += u"　残り";
        // Whole seconds between the two; integer division truncates like "\".
        long long s = in.stopTime->serial() - in.now.serial();
        const long long h = s / 3600;
        s -= 3600 * h;
        const long long m = s / 60;
        s -= 60 * m;
        if (h > 0) text += toStr(h) + u":";
        if (m > 0 || h > 0) text += (h > 0 ? twoDigits(m) : toStr(m)) + u":";
        text += (h > 0 || m > 0) ? twoDigits(s) : toStr(s);
    }
    if (in.powerOff) text += u"(電源Off有効)";
    return text;
}
