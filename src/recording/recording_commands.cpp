// The main window's side of recording: the menu item that starts and ends
// it, and the recorded steps put into the document.
#include <algorithm>

#include "core/frm_TOVIRAK.h"

void frm_TOVIRAK::mnu_Kiroku_Click() {
    if (recorder.recording()) {
        MS_KirokuEnd();
        return;
    }
    guarded(statusLine, u"mnu_Kiroku_Click", [&] {
        if (player.running()) return;
        const uint32_t own = os.windowProcessId(form->nativeHandle());
        if (!recorder.start(own, [this] { MS_KirokuEnd(); })) {
            msgBox(u"キーボードとマウスの操作を監視できないため、記録を開始できません。", tk::mb::OK, Str(AppTitle));
            return;
        }
        refreshCommands();
        statusLine.show(StatusMode::Status, u"記録中 (Ctrl+Kで終了)");
    });
}

void frm_TOVIRAK::MS_KirokuEnd() {
    guarded(statusLine, u"MS_KirokuEnd", [&] {
        if (!recorder.recording()) return;
        recorder.stop();
        refreshCommands();
        // Start keys pressed while recording must not start a run now.
        hotKeys.forgetPresses();
        std::vector<MacroStep> recorded = recorder.takeSteps(document.inMinutes());
        const int m = recorder.unrecordable();
        Str leftOut = m > 0 ? u"（記録できない操作 " + toStr((long long)m) + u"件）" : Str();
        if (recorder.inputMethodSeen()) leftOut += u"（日本語入力は記録されません）";
        if (recorded.empty()) {
            statusLine.show(StatusMode::Status, u"記録されたステップはありません" + leftOut);
            return;
        }
        // After the last playable row, that is at the first row without an
        // action (the empty input row at the latest); later rows move down.
        int32_t at = 1;
        while (at < document.steps.count() && !trim(document.steps.at(at).Dousa).empty()) ++at;
        const int32_t n = int32_t(recorded.size());
        const int32_t old = document.steps.count();
        if (!grid.resizeSteps(n, false)) return;
        for (int32_t i = old; i >= at; --i) document.steps.at(i + n) = std::move(document.steps.at(i));
        for (int32_t k = 0; k < n; ++k) document.steps.at(at + k) = std::move(recorded[size_t(k)]);
        document.markChanged();
        grid.scrollBar()->setValue(std::min(at, grid.scrollBar()->max()));
        grid.redraw();
        statusLine.show(StatusMode::Status, toStr((long long)n) + u"ステップを記録しました" + leftOut);
    });
}
