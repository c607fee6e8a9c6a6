// Layout of the main window: the window height decides how many rows the
// grid shows, the width decides the columns. Geometry is in twips; the
// toolkit maps twips to the screen's pixels.
#include <algorithm>
#include <cmath>

#include "core/frm_TOVIRAK.h"

namespace {
// Makes a drop-down list show all its entries when dropped, at least
// lng_DropWidth pixels wide. The closed box keeps its place and size.
void MS_ComboDropSize(tk::ComboBox& obj_Cmb, int32_t lng_Cnt, int32_t lng_DropWidth) {
    if (obj_Cmb.dropWidthPx != lng_DropWidth || obj_Cmb.dropRows != lng_Cnt) obj_Cmb.setDropSize(lng_DropWidth, lng_Cnt);
}

// Widths and lefts below 1 twip are not allowed (a control must stay a
// control however narrow the window).
double atLeast1(double v) { return v < 1 ? 1 : v; }

template <class T>
T* copyOf(tk::Form& f, const T& model, int r, double top, std::string name) {
    T* c;
    if constexpr (std::is_same_v<T, tk::ComboBox>) c = &f.add<tk::ComboBox>(std::move(name), r, model.style());
    else c = &f.add<T>(std::move(name), r);
    c->setVisible(false);
    c->move(model.left(), top, model.width(), model.height());
    c->setFont(model.font());
    c->setForeColor(model.foreColor());
    c->setBackColor(model.backColor());
    c->setTabStop(model.tabStop());
    c->setEnabled(model.enabled());
    return c;
}
}  // namespace

void frm_TOVIRAK::createRow(int r) {
    tk::Form& f = *form;
    const size_t i = size_t(r);
    // Rows are added in order, one past the last existing row.
    if (r < 2 || i != lbl_No.size()) err::raise(err::Subscript);
    const double p = lin_Line[2]->y1 - lin_Line[1]->y1;

    lbl_No.push_back(copyOf(f, *lbl_No[1], r, lbl_No[i - 1]->top() + p, "lbl_No"));
    cmb_Cmd.push_back(copyOf(f, *cmb_Cmd[1], r, cmb_Cmd[i - 1]->top() + p, "cmb_Cmd"));
    txt_ZahyoCmd.push_back(copyOf(f, *txt_ZahyoCmd[1], r, txt_ZahyoCmd[i - 1]->top() + p, "txt_ZahyoCmd"));
    cmd_Set.push_back(copyOf(f, *cmd_Set[1], r, cmd_Set[i - 1]->top() + p, "cmd_Set"));
    cmd_Set[i]->setText(cmd_Set[1]->text());
    txt_Comment.push_back(copyOf(f, *txt_Comment[1], r, txt_Comment[i - 1]->top() + p, "txt_Comment"));

    tk::Line& line = f.add<tk::Line>("lin_Line", r + 1);
    line.setVisible(false);
    line.setForeColor(lin_Line[1]->foreColor());
    line.setPoints(lin_Line[1]->x1, lin_Line[i]->y1 + p, lin_Line[1]->x2, lin_Line[i]->y2 + p);
    lin_Line.push_back(&line);

    wireRow(r);
    MS_DousaListSet(r);
}

void frm_TOVIRAK::Form_Resize() {
    guarded(statusLine, u"Form_Resize", [&] {
        const double W = form->width();
        // A minimised window keeps one row.
        const double H = form->windowState() == tk::WindowState::Minimized ? 0 : form->height();

        statusLine.label().setWidth(atLeast1(W - statusLine.label().left() - 150));

        const double top = lin_Line[1]->y1;
        const double p = lin_Line[2]->y1 - top;
        double rowsFit = p > 0 ? std::floor((H - top - 750) / p) : 1;
        // Rows below the screen's bottom can never be seen; a window sized
        // far beyond the screen (by a document) must not create thousands of
        // controls for them. The screen is the monitor the window is on.
        const double screenHeight = os.monitorOfWindow(form->nativeHandle()).height();
        const double screenRows = p > 0 ? std::ceil(screenHeight * tk.twipsPerPixelY() / p) : 1;
        const int32_t n = rowsFit > 0 ? int32_t(std::min(rowsFit, std::max(1.0, screenRows))) : 1;

        // New rows get their windows at the end, where the layout below puts
        // them and showing what they hold: each row costs a few window
        // creations instead of creations and then a move, a resize and a
        // change for every property.
        tk::Form::Batch newRows(*form);
        for (int32_t r = Mlng_LoadGyo + 1; r <= n; ++r) {
            createRow(r);
            Mlng_LoadGyo = r;
        }

        for (int32_t r = 1; r <= n; ++r) {
            const size_t i = size_t(r);
            lbl_No[i]->setVisible(true);
            cmb_Cmd[i]->setVisible(true);
            txt_ZahyoCmd[i]->setVisible(true);
            cmd_Set[i]->setVisible(true);
            txt_Comment[i]->setVisible(true);
            lin_Line[i + 1]->setVisible(true);
            // A row shown again follows row 1 in being locked for a run or not
            // (it may have been created or hidden while the state changed).
            if (r > 1) {
                cmb_Cmd[i]->setEnabled(cmb_Cmd[1]->enabled());
                txt_ZahyoCmd[i]->setEnabled(txt_ZahyoCmd[1]->enabled());
                cmd_Set[i]->setEnabled(cmd_Set[1]->enabled());
                txt_Comment[i]->setEnabled(txt_Comment[1]->enabled());
            }
            MS_ComboDropSize(*cmb_Cmd[i], cmb_Cmd[i]->listCount(), 100);
        }
        for (int32_t r = n + 1; r <= Mlng_DispGyo; ++r) {
            const size_t i = size_t(r);
            lbl_No[i]->setVisible(false);
            cmb_Cmd[i]->setVisible(false);
            txt_ZahyoCmd[i]->setVisible(false);
            cmd_Set[i]->setVisible(false);
            txt_Comment[i]->setVisible(false);
            lin_Line[i + 1]->setVisible(false);
        }
        Mlng_DispGyo = n;
        scr_Detail->setMax(std::max<int32_t>(1, document.steps.count() - n + 1));
        // A click in the trough turns one page of the grid.
        scr_Detail->setLargeChange(n);

        const double scrW = scr_Detail->width();
        scr_Detail->move(W - scrW - 120, scr_Detail->top(), scrW, n * p);

        const double A = W - 300 - scrW;
        for (int32_t r = 1; r <= n; ++r) {
            const size_t i = size_t(r);
            double x = 30;

            double w1 = A * Mdbl_ColRatio[1] - 80;
            if (w1 <= 1) w1 = 1;
            if (w1 > 420) w1 = 420;
            x += 10;
            const double x1 = atLeast1(x);
            const double noW = atLeast1(w1 - 10);
            lbl_No[i]->move(x1, lbl_No[i]->top(), noW, lbl_No[i]->height());
            x = x1 + noW;

            double w2 = A * Mdbl_ColRatio[2] - 80;
            if (w2 <= 1) w2 = 1;
            if (w2 > 1650) w2 = 1650;
            x += 10;
            const double x2 = atLeast1(x);
            const double cmdW = atLeast1(w2 - 10);
            cmb_Cmd[i]->move(x2, cmb_Cmd[i]->top(), cmdW, cmb_Cmd[i]->height());
            x = x2 + cmdW;

            x += 10;
            const double x3 = atLeast1(x);
            const double w3 = atLeast1(W - x3 - 150 - scrW);
            txt_ZahyoCmd[i]->move(x3, txt_ZahyoCmd[i]->top(), w3, txt_ZahyoCmd[i]->height());

            cmd_Set[i]->move(x1, cmd_Set[i]->top(), w1, cmd_Set[i]->height());
            txt_Comment[i]->move(x2, txt_Comment[i]->top(), w2 + w3, txt_Comment[i]->height());
        }

        for (int32_t r = 1; r <= Mlng_LoadGyo + 1; ++r) {
            tk::Line* l = lin_Line[size_t(r)];
            l->setPoints(l->x1, l->y1, scr_Detail->left(), l->y2);
        }

        scr_Detail_Scroll();
        newRows.end();
        // Last in the tab order, and so below the rows.
        form->moveToEndOfTabOrder(*scr_Detail);
    });
}
