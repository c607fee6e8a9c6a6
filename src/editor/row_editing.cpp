// Editing a row and the guidance texts.
//
// The row controls write straight into the model at step P + r - 1. While the
// grid itself fills the controls (the lock flags), their events are ignored.
#include "core/document_format.h"
#include "core/frm_TOVIRAK.h"
#include "editor/guidance.h"

void frm_TOVIRAK::wireRow(int r) {
    const size_t i = size_t(r);
    cmb_Cmd.at(i)->onGotFocus = [this, r] { MS_DousaGuide(r); };
    cmb_Cmd.at(i)->onClick = [this, r] { cmb_Cmd_Click(r); };
    cmb_Cmd.at(i)->onKeyPress = [this, r](int& k) { cmb_Cmd_KeyPress(r, k); };
    txt_ZahyoCmd.at(i)->onGotFocus = [this, r] {
        guarded(statusLine, u"txt_ZahyoCmd_GotFocus", [&] {
            statusLine.show(StatusMode::Guidance, guidance::forCommand(cmb_Cmd.at(size_t(r))->text(), document.intervalUnit));
        });
    };
    txt_ZahyoCmd.at(i)->onChange = [this, r] { txt_ZahyoCmd_Change(r); };
    txt_Comment.at(i)->onGotFocus = [this] { statusLine.show(StatusMode::Guidance, guidance::forComment()); };
    txt_Comment.at(i)->onChange = [this, r] { txt_Comment_Change(r); };
    cmd_Set.at(i)->onClick = [this, r] { cmd_Set_Click(r); };
}

void frm_TOVIRAK::MS_DousaGuide(int r) {
    guarded(statusLine, u"MS_DousaGuide", [&] { statusLine.show(StatusMode::Guidance, guidance::forAction(cmb_Cmd.at(size_t(r))->text())); });
}

void frm_TOVIRAK::cmb_Cmd_Click(int r) {
    if (Mbln_CmbLock) return;
    guarded(statusLine, u"cmb_Cmd_Click", [&] {
        MS_DousaGuide(r);
        tk::ComboBox* cmb = cmb_Cmd.at(size_t(r));
        const Str a = cmb->text();
        const int32_t s = scr_Detail->value() + r - 1;
        document.steps.at(s).Dousa = a;
        if (s >= document.steps.count()) MF_ArryAdd(1, true);
        // The empty action alone does not count as a change.
        if (!a.empty()) document.markChanged();
        txt_ZahyoCmd.at(size_t(r))->setPasswordChar(a == dousa::Password ? u'*' : 0);
    });
}

namespace {
// The box's text as the step stores it: a pasted line break becomes a space
// (a document line cannot hold one), and the box shows what was stored.
Str storedText(tk::TextBox& box, bool& lock) {
    const Str& t = box.text();
    if (t.find_first_of(u"\r\n") == Str::npos) return t;
    const Str one = docfmt::singleLine(t);
    lock = true;
    try {
        box.setText(one);
    } catch (...) {
        lock = false;
        throw;
    }
    lock = false;
    return one;
}
}  // namespace

void frm_TOVIRAK::txt_ZahyoCmd_Change(int r) {
    if (Mbln_TxtLock) return;
    guarded(statusLine, u"txt_ZahyoCmd_Change", [&] {
        const int32_t s = scr_Detail->value() + r - 1;
        document.steps.at(s).ZahyoCmd = storedText(*txt_ZahyoCmd.at(size_t(r)), Mbln_TxtLock);
        if (s >= document.steps.count()) MF_ArryAdd(1, true);
        document.markChanged();
    });
}

void frm_TOVIRAK::txt_Comment_Change(int r) {
    if (Mbln_TxtLock) return;
    guarded(statusLine, u"txt_Comment_Change", [&] {
        const int32_t s = scr_Detail->value() + r - 1;
        document.steps.at(s).Comment = storedText(*txt_Comment.at(size_t(r)), Mbln_TxtLock);
        if (s >= document.steps.count()) MF_ArryAdd(1, true);
        document.markChanged();
    });
}

void frm_TOVIRAK::cmb_Cmd_KeyPress(int r, int& keyAscii) {
    guarded(statusLine, u"cmb_Cmd_KeyPress", [&] {
        if (keyAscii != 32) return;
        if (guidance::ignoresSpace(cmb_Cmd.at(size_t(r))->text())) return;
        os::Point pt = os.getCursorPos();
        // Setting the text stores it through the change handler.
        txt_ZahyoCmd.at(size_t(r))->setText(toStr((long long)pt.x) + u"," + toStr((long long)pt.y));
        document.markChanged();
        // The key itself goes on to the list.
    });
}

void frm_TOVIRAK::Form_KeyPress(int& keyAscii) {
    if (keyAscii != 13) return;
    guarded(statusLine, u"Form_KeyPress", [&] {
        if (MF_LastScrollChk()) {
            keyAscii = 0;
            return;
        }
        tk::Control* c = form->activeControl();
        if (!c) return;
        const std::string prefix = c->name().substr(0, 3);
        if (prefix != "txt" && prefix != "cmb" && prefix != "opt") return;  // buttons take Enter themselves
        // Enter works as Tab: straight to the next control of the tab order.
        keyAscii = 0;
        if (tk::Control* next = form->nextInTabOrder(c)) next->setFocus();
    });
}
