// Whether injected input reaches its window. The system drops input that a
// program injects into a window of a process at a higher integrity level
// (an elevated program) without a word: the step would "succeed" and
// nothing would happen. Every injecting step asks here first and fails
// plainly instead. Answers are kept per window and process for the run,
// as reading a process's level costs several system calls.
#pragma once

#include <cstdint>
#include <map>
#include <utility>

#include "platform/os.h"
#include "platform/text.h"

// The rule: input is refused when the target's level is higher than ours.
// A level that cannot be read (-1) does not count as higher, so games and
// other protected processes, whose level may not be readable, keep working.
bool integrityRefusesInput(int32_t targetLevel, int32_t ownLevel);

class InputGate {
public:
    explicit InputGate(os::Services& services) : os_(services) {}

    // The failure text of a step whose input would be refused.
    static constexpr StrView BlockedText = u"対象ウィンドウが管理者権限で動作しているため入力できません";

    // Whether input injected for window h would be dropped (0: no window,
    // never).
    bool blocked(os::WindowHandle h);
    // Raises the failure of a step (RtError 70 with BlockedText) when it is.
    void require(os::WindowHandle h);
    // Forgets the kept answers and our own level (at the start of a run).
    void forget();

private:
    os::Services& os_;
    int32_t ownLevel_ = 0;
    bool ownKnown_ = false;
    std::map<std::pair<os::WindowHandle, uint32_t>, bool> answers_;
};
