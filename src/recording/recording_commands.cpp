// The main window's side of recording: the menu item that starts and ends
// it, and the recorded steps put into the document.
#include "recording/recording_commands.h"

#include <algorithm>

void RecordingCommands::toggle() {
    if (recorder_.recording()) {
        end();
        return;
    }
    guarded(status_, u"mnu_Kiroku_Click", [&] {
        if (player_.running()) return;
        const uint32_t own = os_.windowProcessId(window_.nativeHandle());
        if (!recorder_.start(own, [this] { end(); })) {
            window_.backend().messageBox(u"キーボードとマウスの操作を監視できないため、記録を開始できません。", tk::mb::OK,
                                         Str(AppTitle));
            return;
        }
        commandsChanged_();
        // It keeps saying so while the recording lasts (see StatusLine).
        status_.setStanding(StatusMode::Status, u"記録中 (Ctrl+Kで終了)");
    });
}

void RecordingCommands::end() {
    guarded(status_, u"MS_KirokuEnd", [&] {
        if (!recorder_.recording()) return;
        recorder_.stop();
        status_.clearStanding();
        commandsChanged_();
        // Start keys pressed while recording must not start a run now.
        hotKeys_.forgetPresses();
        std::vector<MacroStep> recorded = recorder_.takeSteps(document_.inMinutes());
        const int m = recorder_.unrecordable();
        Str leftOut = m > 0 ? u"（記録できない操作 " + toStr((long long)m) + u"件）" : Str();
        if (recorder_.inputMethodSeen()) leftOut += u"（日本語入力は記録されません）";
        if (recorded.empty()) {
            status_.show(StatusMode::Status, u"記録されたステップはありません" + leftOut);
            return;
        }
        // After the last playable row, that is at the first row without an
        // action (the empty input row at the latest); later rows move down.
        int32_t at = 1;
        while (at < document_.steps.count() && !trim(document_.steps.at(at).action).empty()) ++at;
        const int32_t n = int32_t(recorded.size());
        const int32_t old = document_.steps.count();
        if (!grid_.resizeSteps(n, false)) return;
        for (int32_t i = old; i >= at; --i) document_.steps.at(i + n) = std::move(document_.steps.at(i));
        for (int32_t k = 0; k < n; ++k) document_.steps.at(at + k) = std::move(recorded[size_t(k)]);
        document_.markChanged();
        grid_.scrollBar()->setValue(std::min(at, grid_.scrollBar()->max()));
        grid_.redraw();
        status_.show(StatusMode::Status, toStr((long long)n) + u"ステップを記録しました" + leftOut);
    });
}
