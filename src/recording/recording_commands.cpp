// The main window's side of recording: the menu item that starts and ends
// it, and the recorded steps put into the document.
#include <algorithm>

#include "core/frm_TOVIRAK.h"

void frm_TOVIRAK::mnu_Kiroku_Click() {
    if (recorder.recording()) {
        MS_KirokuEnd();
        return;
    }
    guarded(u"mnu_Kiroku_Click", [&] {
        if (Mlng_RunRow != 0) return;
        const uint32_t own = os.windowProcessId(form->nativeHandle());
        if (!recorder.start(own, [this] { MS_KirokuEnd(); })) {
            msgBox(u"キーボードとマウスの操作を監視できないため、記録を開始できません。", tk::mb::OK, Str(AppTitle));
            return;
        }
        rowTrial.refresh();
        MS_DispStatus(2, u"記録中 (Ctrl+Kで終了)");
    });
}

void frm_TOVIRAK::MS_KirokuEnd() {
    guarded(u"MS_KirokuEnd", [&] {
        if (!recorder.recording()) return;
        recorder.stop();
        rowTrial.refresh();
        // Start keys pressed while recording must not start a run now.
        MS_HotKeyClear();
        std::vector<MacroStep> recorded = recorder.takeSteps(cmb_Tani->text() == u"分");
        const int m = recorder.unrecordable();
        Str leftOut = m > 0 ? u"（記録できない操作 " + toStr((long long)m) + u"件）" : Str();
        if (recorder.inputMethodSeen()) leftOut += u"（日本語入力は記録されません）";
        if (recorded.empty()) {
            MS_DispStatus(2, u"記録されたステップはありません" + leftOut);
            return;
        }
        // After the last playable row, that is at the first row without an
        // action (the empty input row at the latest); later rows move down.
        int32_t at = 1;
        while (at < Mlng_RowCount() && !trim(steps.at(at).Dousa).empty()) ++at;
        const int32_t n = int32_t(recorded.size());
        const int32_t old = Mlng_RowCount();
        if (!MF_ArryAdd(n, false)) return;
        for (int32_t i = old; i >= at; --i) steps.at(i + n) = std::move(steps.at(i));
        for (int32_t k = 0; k < n; ++k) steps.at(at + k) = std::move(recorded[size_t(k)]);
        Mbln_EditFlg = true;
        scr_Detail->setValue(std::min(at, scr_Detail->max()));
        scr_Detail_Scroll();
        MS_DispStatus(2, toStr((long long)n) + u"ステップを記録しました" + leftOut);
    });
}
