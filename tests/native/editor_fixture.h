// A started main window with helpers for the step grid: a macro of n steps,
// window sizes, focus and the state of one visible row.
#pragma once

#include <algorithm>
#include <string>

#include "app_fixture.h"

class EditorTest : public AppTest {
protected:
    void SetUp() override { start(); }

    // Steps 1..n with distinct texts (action left empty unless given), plus
    // the empty input row; shown from step 1.
    void load(int32_t n, const Str& action = u"左ｸﾘｯｸ") {
        app->document.steps.resize(n + 1);
        for (int32_t s = 1; s <= n; ++s) {
            MacroStep& st = app->document.steps.at(s);
            st.action = action;
            st.command = toStr((long long)s) + u"," + toStr((long long)(s * 2));
            st.comment = u"c" + toStr((long long)s);
        }
        app->grid.resizeSteps(0, false);
        app->grid.scrollBar()->setValue(1);
        app->grid.redraw();
    }
    // The user sizes the window: outer size in twips; the client area is
    // smaller by the frame, caption and menu bar.
    void size(double w, double h) {
        app->form->userMoveResize(app->form->left(), app->form->top(), w, h, std::max(0.0, w - 120), std::max(0.0, h - 690));
    }
    // Height that shows exactly n rows.
    static double heightFor(int n) { return 1224 + 750 + 624.0 * n + 10; }

    int32_t P() const { return app->grid.scrollBar()->value(); }
    tk::Control* focused() const { return app->form->activeControl(); }
    bool rowShown(int r) const {
        return app->grid.numberLabel(size_t(r))->visible() && app->grid.actionList(size_t(r))->visible() &&
               app->grid.commandBox(size_t(r))->visible() && app->grid.commentBox(size_t(r))->visible() &&
               app->grid.setButton(size_t(r))->visible() && app->grid.rowLine(size_t(r) + 1)->visible();
    }
    bool rowHidden(int r) const {
        return !app->grid.numberLabel(size_t(r))->visible() && !app->grid.actionList(size_t(r))->visible() &&
               !app->grid.commandBox(size_t(r))->visible() && !app->grid.commentBox(size_t(r))->visible() &&
               !app->grid.setButton(size_t(r))->visible() && !app->grid.rowLine(size_t(r) + 1)->visible();
    }
    Str no(int r) const { return app->grid.numberLabel(size_t(r))->text(); }
    Str action(int r) const { return app->grid.actionList(size_t(r))->text(); }
    Str command(int r) const { return app->grid.commandBox(size_t(r))->text(); }
    Str comment(int r) const { return app->grid.commentBox(size_t(r))->text(); }
    // The user picks an action from row r's list.
    void pick(int r, const Str& a) {
        auto* c = app->grid.actionList(size_t(r));
        c->userFocus();
        c->userSelect(c->findExact(a));
    }
    // Keys as the window sees them: Enter, Space ...
    bool keyPress(int k) { return app->form->userKeyPress(k); }
    bool ctrl(char k) { return app->form->userShortcut(k, tk::CtrlMask); }
};
