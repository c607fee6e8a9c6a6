// Program timers: one waitable timer each (high resolution where the system
// has it), deadlines kept on the performance counter and advanced by whole
// intervals so that short intervals keep their rate. The message loops wait
// on the handles and fire what is due on the UI thread.
#include <algorithm>

#include "platform/win32/tk_internal.h"

#include <mmsystem.h>

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace win32::tkw {

namespace {
TimerService* g_service = nullptr;  // for the timer procedure of foreign loops

HANDLE newWaitableTimer() {
    HANDLE h = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
    if (!h) h = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
    return h;
}
}  // namespace

TimerService::TimerService() {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    freq_ = f.QuadPart > 0 ? f.QuadPart : 1;
    g_service = this;
    if (HMODULE nt = GetModuleHandleW(L"ntdll.dll"))
        delay_ = reinterpret_cast<decltype(delay_)>(reinterpret_cast<void*>(GetProcAddress(nt, "NtDelayExecution")));
}

TimerService::~TimerService() {
    if (finePeriod_) timeEndPeriod(1);
    for (auto& e : entries_) e->timer->native = nullptr;
    if (g_service == this) g_service = nullptr;
}

int64_t TimerService::now() const {
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return c.QuadPart;
}

TimerService::Entry* TimerService::find(tk::Timer* t) {
    for (auto& e : entries_)
        if (e->timer == t) return e.get();
    return nullptr;
}

void TimerService::arm(Entry& e, int64_t at) {
    // Set only before a wait on it: each call is a round trip to the system.
    if (e.armed == e.due) return;
    e.armed = e.due;
    // Relative due time in 100 ns units (negative = relative).
    int64_t ticks = e.due - at;
    int64_t units = ticks > 0 ? ticks / freq_ * 10'000'000 + ticks % freq_ * 10'000'000 / freq_ : 0;  // no overflow for long intervals
    LARGE_INTEGER due;
    due.QuadPart = -std::max<int64_t>(units, 1);
    SetWaitableTimer(e.handle.get(), &due, 0, nullptr, nullptr, FALSE);
}

void TimerService::changed(tk::Timer& t) {
    Entry* e = find(&t);
    if (!t.running()) {
        if (e) {
            entries_.erase(std::find_if(entries_.begin(), entries_.end(), [&](auto& p) { return p.get() == e; }));
        }
        t.native = nullptr;
        return;
    }
    if (!e) {
        HANDLE h = newWaitableTimer();
        if (!h) err::raise(err::OutOfMemory, u"タイマーを作成できません");
        entries_.push_back(std::make_unique<Entry>(&t, h));
        e = entries_.back().get();
        t.native = e;
    }
    // Setting the interval or enabling restarts the count from now.
    int64_t n = now();
    e->period = std::max<int64_t>(1, int64_t(t.interval()) * freq_ / 1000);
    e->due = n + e->period;
}

void TimerService::fireDue() {
    if (entries_.empty()) return;
    int64_t n = now();
    std::vector<tk::Timer*> due;
    for (auto& e : entries_)
        if (!e->busy && e->due <= n) due.push_back(e->timer);
    for (tk::Timer* t : due) {
        Entry* e = find(t);
        if (!e || e->busy) continue;  // stopped or re-entered by an earlier handler
        n = now();
        if (e->due > n) continue;
        // Next deadline from the last one, so short hiccups (a late wake, a
        // slow step) are caught up and a long run does not drift. Far behind
        // (over an interval and at least 20 ms) means the program was busy:
        // start again from now rather than burst.
        int64_t next = e->due + e->period;
        if (n - next > std::max(e->period, freq_ / 50)) next = n + e->period;
        e->due = next;
        e->busy = true;
        try {
            t->fire();
        } catch (...) {
            reportCurrentException("timer");
        }
        if (Entry* again = find(t)) again->busy = false;
    }
}

bool TimerService::nextDue(int64_t& due) const {
    bool any = false;
    for (auto& e : entries_) {
        if (e->busy) continue;
        if (!any || e->due < due) due = e->due;
        any = true;
    }
    return any;
}

void TimerService::sleepUntil(int64_t due) {
    // The loop has just looked at the queue; look again between slices so
    // that input waits a few milliseconds at most.
    const int64_t slice = freq_ / 250;
    for (bool first = true;; first = false) {
        int64_t rest = due - now();
        if (rest <= 0) return;
        if (!first && HIWORD(GetQueueStatus(QS_ALLINPUT))) return;
        rest = std::min(rest, slice);
        if (delay_) {
            LARGE_INTEGER d;
            d.QuadPart = -std::max<int64_t>(1, rest * 10'000'000 / freq_);
            delay_(FALSE, &d);
        } else {
            Sleep(DWORD((rest * 1000 + freq_ - 1) / freq_));
        }
    }
}

void TimerService::idle() {
    int64_t due = 0;
    bool timed = nextDue(due);
    int64_t start = now();
    // Where waits on the system's timers wake late (Wine's server timers are
    // a few milliseconds coarse), the wait ends early by that lateness and
    // the last stretch before the deadline is slept on this thread, so that
    // 1 ms timers keep their rate without spinning.
    const int64_t ms = freq_ / 1000;
    bool late = lateness_ > ms / 2;
    if (timed && late && due - start <= lateness_ + 2 * ms) {
        // Systems without high-resolution waitable timers sleep in whole
        // scheduler periods unless asked for finer ones.
        if (!finePeriod_) finePeriod_ = timeBeginPeriod(1) == TIMERR_NOERROR;
        sleepUntil(due);
        return;
    }
    HANDLE hs[MAXIMUM_WAIT_OBJECTS - 1];
    DWORD n = 0;
    if (!late) {
        for (auto& e : entries_) {
            if (e->busy || n >= MAXIMUM_WAIT_OBJECTS - 1) continue;
            arm(*e, start);
            hs[n++] = e->handle.get();
        }
    }
    DWORD timeout = INFINITE;
    int64_t wakeAt = 0;
    if (timed) {
        wakeAt = late ? due - lateness_ - ms : due;
        int64_t ticks = wakeAt - start;
        timeout = ticks <= 0 ? 0 : DWORD(std::min<int64_t>(late ? ticks / ms : (ticks + ms - 1) / ms, 0x7FFFFFFF));
    }
    DWORD r = MsgWaitForMultipleObjectsEx(n, n ? hs : nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (timed && timeout > 0 && r != WAIT_OBJECT_0 + n) {
        // Woken by a timer or the timeout: learn how late that was.
        int64_t at = now();
        if (r == WAIT_TIMEOUT || at >= wakeAt) lateness_ += (std::max<int64_t>(0, at - wakeAt) - lateness_) / 4;
    }
}

// ---------------------------------------------------------------------------
namespace {
void CALLBACK foreignTick(HWND, UINT, UINT_PTR, DWORD) {
    try {
        if (g_service) g_service->fireDue();
    } catch (...) {
        reportCurrentException("timer");
    }
}
}  // namespace

ForeignLoopTimers::ForeignLoopTimers() { id_ = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, foreignTick); }

ForeignLoopTimers::~ForeignLoopTimers() {
    if (id_) KillTimer(nullptr, id_);
}

}  // namespace win32::tkw
