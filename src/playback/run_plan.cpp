// Checks before a run and the plan they make.
#include "playback/run_plan.h"

#include <optional>

#include "input/anchor.h"
#include "input/keys.h"

void splitAtCommas(StrView text, std::vector<Str>& parts) {
    for (Str& s : parts) s.clear();
    auto store = [&](size_t k, StrView piece) {
        if (k >= parts.size()) err::raise(err::Subscript);
        parts[k] = Str(piece);
    };
    size_t k = 1;
    for (size_t p = text.find(u','); p != StrView::npos; p = text.find(u',')) {
        store(k++, text.substr(0, p));
        text = text.substr(p + 1);
    }
    store(k, text);
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

Str checkRow(StrView action, const Str& command, const RowCheckContext& ctx, PlanRow& row) {
    const Str a = trim(action);
    Str& x = row.x;
    Str& y = row.y;
    x.clear();
    y.clear();
    row.window.clear();
    // Mouse rows may name the window their point belongs to after it.
    const bool mouseRow = !actions::isKeyInput(a) && a != actions::Wait && !actions::isWindowAction(a) &&
                          a != actions::Exe && a != actions::PlaySound && a != actions::End;
    bool anchored = false;
    if (mouseRow) {
        anchor::CommandParts parts = anchor::splitCommand(command);
        x = std::move(parts.first);
        y = std::move(parts.second);
        if (parts.hasThird()) {
            anchored = true;
            row.window = anchor::searchText(parts.third);
        }
    } else if (!actions::isKeyInput(a)) {
        std::vector<Str> parts(3);
        splitAtCommas(command, parts);
        x = parts[1];
        y = parts[2];
    } else {
        x = command;
    }
    Str tx = trim(x);
    if (actions::isKeyInput(a)) {
        if (tx.empty()) return u"コマンドが設定されていません";
        if ((a == actions::KeyInputKai || a == actions::KeyInputShin) && !keys::isKeyList(tx))
            return u"ｷｰ入力_改 と ｷｰ入力_真の場合は、VK_??による指定しかできません。";
        if (a == actions::KeyInputShin && !ctx.targetWindowSet) return u"ｷｰ入力_真の場合は、対象ウィンドウを設定してください。";
        x = tx;
    } else if (a == actions::Wait) {
        if (tx.empty() || !isNumeric(tx)) return u"待機時間の値が不正です";
        x = toStr(cdbl(tx) * 1000);
        if (ctx.minutes) x = toStr(cdbl(x) * 60);
    } else if (actions::isWindowAction(a)) {
        if (tx.empty()) return u"ウィンドウタイトルが入力されていません";
        x = tx;
    } else if (a == actions::Exe) {
        if (tx.empty()) return u"ＥＸＥファイル名が入力されていません";
        x = tx;
    } else if (a == actions::PlaySound) {
        if (tx.empty()) return u"音声ファイル名が入力されていません";
        x = tx;
    } else if (a != actions::End) {
        // A point in a window is always a point: no "where the cursor is".
        if (tx.empty() && !anchored) x = u"-1";
        if (trim(y).empty() && !anchored) y = u"-1";
        if (!isNumeric(x)) return u"Ｘ軸の値が不正です";
        if (!isNumeric(y)) return u"Ｙ軸の値が不正です";
        if (anchored && row.window.empty()) return u"ウィンドウタイトルが入力されていません";
    }
    return Str();
}

RowCheckContext rowCheckContext(const Document& document) {
    RowCheckContext ctx;
    ctx.minutes = document.inMinutes();
    ctx.targetWindowSet = !document.settings.targetWindowSearch.empty();
    return ctx;
}

std::variant<RunPlan, RunProblem> planRun(const Document& document) {
    using Kind = RunProblem::Kind;
    const Str& kankaku = document.interval;
    std::optional<Decimal> v = isNumeric(kankaku) ? parseDecimal(kankaku) : std::nullopt;
    if (!v) return RunProblem{Kind::Interval, u"実行間隔入力エラー 数値を入力してください。"};
    if (v->isZero()) return RunProblem{Kind::Interval, u"実行間隔入力エラー ゼロ以外を入力してください。"};
    if (aboveLimit(*v)) return RunProblem{Kind::Interval, u"実行間隔入力エラー こんな大きい数字は入力しないでください。"};
    if (!v->wholeAfterShift(3)) return RunProblem{Kind::Interval, u"実行間隔入力エラー 小数点以下は、３桁までで入力してください。"};

    const RowCheckContext ctx = rowCheckContext(document);
    const StepList& steps = document.steps;
    RunPlan plan;
    for (int32_t i = 1; i <= steps.count() - 1; ++i) {
        const MacroStep& step = steps.at(i);
        // The walk ends before the text of a row without action is looked
        // at: left-over text there must not fail the run.
        if (trim(step.action).empty()) break;
        PlanRow row{step.action, Str(), Str(), Str()};
        const Str message = checkRow(step.action, step.command, ctx, row);
        if (!message.empty()) return RunProblem{Kind::Row, message, i};
        plan.rows.push_back(std::move(row));
    }
    if (plan.rows.empty()) return RunProblem{Kind::NothingToRun, u"処理が設定されていません"};
    const DocumentSettings& s = document.settings;
    if (s.stopTimerEnabled && s.timerHours == 0 && s.timerMinutes == 0)
        return RunProblem{Kind::StopLimit, u"停止タイマーが設定されていません"};
    if (s.stopTimerEnabled && s.timerHours == -1 && s.timerMinutes == 0)
        return RunProblem{Kind::StopLimit, u"実行回数が設定されていません"};
    return plan;
}
