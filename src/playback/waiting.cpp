// What a waiting row waits for.
#include "playback/waiting.h"

Str WaitReason::runOutText(int32_t seconds) const { return runOutBefore + toStr((long long)seconds) + runOutAfter; }

WaitReason windowToAppear(StrView search) {
    const Str quoted = u"「" + Str(search) + u"」";
    return {quoted + u"を待っています", quoted + u"を含むウィンドウが", u"秒待っても現れません"};
}

WaitReason windowToClose(StrView search) {
    const Str quoted = u"「" + Str(search) + u"」";
    return {quoted + u"が閉じるのを待っています", quoted + u"を含むウィンドウが", u"秒待っても閉じません"};
}

Str waitingStatus(StrView progress, const WaitReason& reason, int64_t seconds, int32_t limitSeconds) {
    Str s = Str(progress) + u" " + reason.waitingFor + u" (" + toStr((long long)seconds) + u"秒";
    if (limitSeconds > 0) s += u"/上限" + toStr((long long)limitSeconds) + u"秒";
    return s + u")";
}
