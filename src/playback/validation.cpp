// Checks before a run and the run arrays.
#include "playback/validation.h"

#include "core/frm_TOVIRAK.h"
#include "input/keys.h"

void MS_StrSplit(StrView str_In, std::vector<Str>& parts) {
    for (Str& s : parts) s.clear();
    auto store = [&](size_t k, StrView piece) {
        if (k >= parts.size()) err::raise(err::Subscript);
        parts[k] = Str(piece);
    };
    size_t k = 1;
    for (size_t p = str_In.find(u','); p != StrView::npos; p = str_In.find(u',')) {
        store(k++, str_In.substr(0, p));
        str_In = str_In.substr(p + 1);
    }
    store(k, str_In);
}

namespace {

// value * 1000 > 2147483647, decided on the exact decimal digits so that no
// rounding of a binary number lets a slightly larger interval through.
bool aboveLimit(const Decimal& d) {
    static const std::string limit = "2147483647";
    if (d.negative || d.isZero()) return false;
    long shift = d.scale - 3;  // value * 1000 = digits * 10^-shift
    std::string whole;
    bool fraction = false;
    if (shift <= 0) {
        whole = d.digits + std::string(size_t(-shift), '0');
    } else if (long(d.digits.size()) > shift) {
        whole = d.digits.substr(0, d.digits.size() - size_t(shift));
        fraction = d.digits.find_first_not_of('0', d.digits.size() - size_t(shift)) != std::string::npos;
    } else {
        return false;  // below 1 after the shift
    }
    size_t lead = whole.find_first_not_of('0');
    whole = lead == std::string::npos ? std::string() : whole.substr(lead);
    if (whole.size() != limit.size()) return whole.size() > limit.size();
    if (whole != limit) return whole > limit;
    return fraction;
}

}  // namespace

Str checkRow(StrView action, const Str& zahyoCmd, const RowCheckContext& ctx, Str& x, Str& y) {
    const Str a = trim(action);
    x.clear();
    y.clear();
    if (!dousa::isKeyInput(a)) {
        std::vector<Str> parts(3);
        MS_StrSplit(zahyoCmd, parts);
        x = parts[1];
        y = parts[2];
    } else {
        x = zahyoCmd;
    }
    Str tx = trim(x);
    if (dousa::isKeyInput(a)) {
        if (tx.empty()) return u"コマンドが設定されていません";
        if ((a == dousa::KeyInputKai || a == dousa::KeyInputShin) && !keys::isKeyList(tx))
            return u"ｷｰ入力_改 と ｷｰ入力_真の場合は、VK_??による指定しかできません。";
        if (a == dousa::KeyInputShin && !ctx.targetWindowSet) return u"ｷｰ入力_真の場合は、対象ウィンドウを設定してください。";
        x = tx;
    } else if (a == dousa::Wait) {
        if (tx.empty() || !isNumeric(tx)) return u"待機時間の値が不正です";
        x = toStr(cdbl(tx) * 1000);
        if (ctx.minutes) x = toStr(cdbl(x) * 60);
    } else if (dousa::isWindowAction(a)) {
        if (tx.empty()) return u"ウィンドウタイトルが入力されていません";
        x = tx;
    } else if (a == dousa::Exe) {
        if (tx.empty()) return u"ＥＸＥファイル名が入力されていません";
        x = tx;
    } else if (a == dousa::PlaySound) {
        if (tx.empty()) return u"音声ファイル名が入力されていません";
        x = tx;
    } else if (a != dousa::End) {
        if (tx.empty()) x = u"-1";
        if (trim(y).empty()) y = u"-1";
        if (!isNumeric(x)) return u"Ｘ軸の値が不正です";
        if (!isNumeric(y)) return u"Ｙ軸の値が不正です";
    }
    return Str();
}

bool frm_TOVIRAK::MF_RowChk(int32_t i, Str& x, Str& y) {
    RowCheckContext ctx;
    ctx.minutes = document.inMinutes();
    ctx.targetWindowSet = !document.settings.targetWindowSearch.empty();
    const Str message = checkRow(document.steps.at(i).Dousa, document.steps.at(i).ZahyoCmd, ctx, x, y);
    if (message.empty()) return true;
    // Row i becomes the first visible row where the grid can scroll that
    // far; the caret goes to the first visible command box.
    if (i <= scr_Detail->max()) scr_Detail->setValue(i);
    if (txt_ZahyoCmd.size() > 1) {
        try {
            txt_ZahyoCmd[1]->setFocus();
        } catch (const std::exception&) {
            // A box that cannot take the focus now does not turn the message into an error.
        }
    }
    msgBox(message, tk::mb::OK, Str(AppTitle));
    return false;
}

bool frm_TOVIRAK::MF_InputChk() {
    bool result = false;
    // A control that cannot take the focus now must not turn a plain input
    // message into an error.
    auto focus = [](tk::Control* c) {
        try {
            if (c) c->setFocus();
        } catch (const std::exception&) {
        }
    };
    auto message = [&](StrView text) { msgBox(Str(text), tk::mb::OK, Str(AppTitle)); };

    guarded(statusLine, u"MF_InputChk", [&] {
        Str kankaku = document.interval;
        auto intervalError = [&](StrView text) {
            message(text);
            focus(txt_Kankaku);
        };
        std::optional<Decimal> v = isNumeric(kankaku) ? parseDecimal(kankaku) : std::nullopt;
        if (!v) return intervalError(u"実行間隔入力エラー 数値を入力してください。");
        if (v->isZero()) return intervalError(u"実行間隔入力エラー ゼロ以外を入力してください。");
        if (aboveLimit(*v)) return intervalError(u"実行間隔入力エラー こんな大きい数字は入力しないでください。");
        if (!v->wholeAfterShift(3)) return intervalError(u"実行間隔入力エラー 小数点以下は、３桁までで入力してください。");

        Mlng_RunRowCount = 0;
        for (int32_t i = 1; i <= document.steps.count() - 1; ++i) {
            // The walk ends before the text of a row without action is
            // looked at: left-over text there must not fail the run.
            if (trim(document.steps.at(i).Dousa).empty()) break;
            Str x, y;
            if (!MF_RowChk(i, x, y)) return;
            Mlng_RunRowCount = i;
            Mstr_X_jiku.resize(size_t(i) + 1);
            Mstr_Y_jiku.resize(size_t(i) + 1);
            Mstr_X_jiku[size_t(i)] = x;
            Mstr_Y_jiku[size_t(i)] = y;
        }

        if (Mlng_RunRowCount == 0) {
            message(u"処理が設定されていません");
            scr_Detail->setValue(1);
            focus(cmb_Cmd.size() > 1 ? cmb_Cmd[1] : nullptr);
            return;
        }
        if (document.settings.stopTimerEnabled && document.settings.timerHours == 0 && document.settings.timerMinutes == 0) {
            message(u"停止タイマーが設定されていません");
            cmd_Setting_Click();
            return;
        }
        if (document.settings.stopTimerEnabled && document.settings.timerHours == -1 && document.settings.timerMinutes == 0) {
            message(u"実行回数が設定されていません");
            cmd_Setting_Click();
            return;
        }
        result = true;
    });
    return result;
}
