// What a row that stays on its row waits for, told in the words the status
// line and a run-out limit use. The player measures the wait and enforces
// the document's limit without knowing the kind of step.
#pragma once

#include <cstdint>

#include "platform/text.h"

struct WaitReason {
    // The status phrase: "「- メモ帳」を待っています".
    Str waitingFor;
    // The failure when the limit runs out, around its seconds:
    // "「- メモ帳」を含むウィンドウが" 30 "秒待っても現れません".
    Str runOutBefore;
    Str runOutAfter;

    Str runOutText(int32_t seconds) const;
    friend bool operator==(const WaitReason&, const WaitReason&) = default;
};

// A window whose title holds search, waited for to appear or to close.
WaitReason windowToAppear(StrView search);
WaitReason windowToClose(StrView search);

// The status of a run waiting on a row: its progress text, what it waits
// for and for how long, with the limit when there is one (0: none):
// "実行中 2 「- メモ帳」を待っています (12秒/上限30秒)".
Str waitingStatus(StrView progress, const WaitReason& reason, int64_t seconds, int32_t limitSeconds);
