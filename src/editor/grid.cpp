// The step grid: redraw, growth, Enter scrolling, row insert and delete.
//
// The grid is a window of Mlng_DispGyo rows onto the step list; visible row r
// shows step P + r - 1 where P is the scroll bar's value. P is 32-bit, so a
// document of any length scrolls, and a redraw touches only the visible rows.
#include <algorithm>

#include "core/frm_TOVIRAK.h"

namespace {
// Row controls carry the row index; the focus must be on one of these for
// insert and delete to know their step.
bool isRowControl(const tk::Control* c) {
    if (!c || c->index() < 1) return false;
    const std::string& n = c->name();
    return n == "cmb_Cmd" || n == "txt_ZahyoCmd" || n == "txt_Comment" || n == "cmd_Set" || n == "lbl_No";
}
}  // namespace

void frm_TOVIRAK::scr_Detail_Scroll() {
    try {
        const int32_t P = scr_Detail->value();
        const int32_t rows = document.steps.count();
        for (int32_t r = 1; r <= Mlng_DispGyo; ++r) {
            const size_t i = size_t(r);
            const int64_t s = int64_t(P) + r - 1;
            tk::Label* no = lbl_No.at(i);
            tk::ComboBox* cmb = cmb_Cmd.at(i);
            tk::TextBox* zahyo = txt_ZahyoCmd.at(i);
            tk::TextBox* comment = txt_Comment.at(i);
            tk::Button* set = cmd_Set.at(i);
            tk::Line* below = lin_Line.at(i + 1);
            if (s > rows || s < 1) {
                no->setVisible(false);
                cmb->setVisible(false);
                zahyo->setVisible(false);
                comment->setVisible(false);
                set->setVisible(false);
                below->setVisible(false);
                continue;
            }
            no->setVisible(true);
            cmb->setVisible(true);
            zahyo->setVisible(true);
            comment->setVisible(true);
            set->setVisible(true);
            below->setVisible(true);
            no->setText(toStr((long long)s));

            const MacroStep& step = document.steps.at(int32_t(s));
            // One selection per row (entry 0 is the empty action); an
            // action the list does not hold leaves the row empty and fails.
            Mbln_CmbLock = true;
            const int item = step.Dousa.empty() ? 0 : cmb->findExact(step.Dousa);
            cmb->setListIndex(item < 0 ? 0 : item);
            if (item < 0) err::raise(err::InvalidProperty);
            Mbln_CmbLock = false;

            Mbln_TxtLock = true;
            zahyo->setPasswordChar(cmb->text() == dousa::Password ? u'*' : 0);
            zahyo->setText(step.ZahyoCmd);
            comment->setText(step.Comment);
            Mbln_TxtLock = false;
        }
    } catch (const std::exception&) {
        // The locks only guard the grid's own writes: never leave them set.
        Mbln_CmbLock = false;
        Mbln_TxtLock = false;
        statusLine.reportError(u"scr_Detail_Scroll");
    }
}

bool frm_TOVIRAK::MF_ArryAdd(int32_t int_Add, bool bln_Resize) {
    return guarded(statusLine, u"MF_ArryAdd", [&] {
        const int64_t n = int64_t(document.steps.count()) + int_Add;
        // The trailing input row always exists.
        if (n < 1 || n > INT32_MAX - 1) err::raise(err::Subscript);
        // The arrays first, so that a redraw raised by the scroll bar below
        // never sees a step count larger than the arrays.
        document.steps.resize(int32_t(n));
        scr_Detail->setMax(std::max<int32_t>(1, int32_t(n) - Mlng_DispGyo + 1));
        if (bln_Resize) Form_Resize();
    });
}

bool frm_TOVIRAK::MF_LastScrollChk() {
    bool result = false;
    guarded(statusLine, u"MF_LastScrollChk", [&] {
        tk::Control* c = form->activeControl();
        if (!c || c->name() != "txt_Comment" || c->index() != Mlng_DispGyo) return;
        const int32_t P = scr_Detail->value();
        if (int64_t(P) + Mlng_DispGyo - 1 >= document.steps.count()) return;
        scr_Detail->setValue(P + 1);  // Change redraws
        cmb_Cmd.at(size_t(Mlng_DispGyo))->setFocus();
        result = true;
    });
    return result;
}

void frm_TOVIRAK::MS_Gyo_InsDel(int16_t int_Kbn) {
    guarded(statusLine, u"MS_Gyo_InsDel", [&] {
        tk::Control* c = form->activeControl();
        if (!isRowControl(c)) return;
        const int64_t r = int64_t(c->index()) + scr_Detail->value() - 1;
        if (r < 1 || r > document.steps.count()) return;
        if (int_Kbn == 2 && r == document.steps.count()) return;  // the input row stays
        if (int_Kbn != 1 && int_Kbn != 2) return;

        Str question = toStr((long long)r) + u"行目を" + (int_Kbn == 1 ? u"挿入します。" : u"削除します。");
        if (msgBox(question, tk::mb::YesNo, Str(AppTitle)) != tk::mb::IdYes) return;

        const int32_t row = int32_t(r);
        if (int_Kbn == 1) {
            if (!MF_ArryAdd(1, false)) return;
            for (int32_t i = document.steps.count() - 1; i >= row; --i) document.steps.at(i + 1) = std::move(document.steps.at(i));
            document.steps.at(row) = MacroStep{};
        } else {
            for (int32_t i = row; i <= document.steps.count() - 1; ++i) document.steps.at(i) = std::move(document.steps.at(i + 1));
            if (!MF_ArryAdd(-1, false)) return;
        }
        document.markChanged();
        scr_Detail_Scroll();
    });
}
