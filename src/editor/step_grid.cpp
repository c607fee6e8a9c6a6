// The step grid: row 1 and the scroll bar, redraw, growth, layout, Enter,
// row insert and delete, and the editing of a row with its guidance texts.
// Geometry is in twips; the toolkit maps twips to the screen's pixels.
#include "editor/step_grid.h"

#include <algorithm>
#include <cmath>

#include "core/document_format.h"
#include "editor/guidance.h"

namespace {
constexpr uint32_t kCyan = tk::rgb(128, 255, 255);

tk::Font font(StrView name, double size, bool italic = false) { return tk::Font{Str(name), size, false, italic}; }

// Makes a drop-down list show all its entries when dropped, at least
// widthPx pixels wide. The closed box keeps its place and size.
void fitDropDown(tk::ComboBox& list, int32_t rows, int32_t widthPx) {
    if (list.dropWidthPx != widthPx || list.dropRows != rows) list.setDropSize(widthPx, rows);
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

StepGrid::StepGrid(tk::Form& window, os::Services& services, StatusLine& status, Document& document)
    : window_(window), os_(services), status_(status), document_(document) {
    tk::Form& f = window;
    // Row 1 at its design place; further rows copy it.
    lines_.push_back(&f.add<tk::Line>("lin_Line", 1));
    lines_[1]->setPoints(0, 1224, 3588, 1224);
    numbers_.push_back(&f.add<tk::Label>("lbl_No", 1));
    numbers_[1]->move(48, 1248, 420, 276);
    numbers_[1]->setFont(font(u"ＭＳ ゴシック", 9));
    actions_.push_back(&f.add<tk::ComboBox>("cmb_Cmd", 1, tk::ComboBox::DropDownList));
    actions_[1]->move(480, 1248, 828, 300);
    actions_[1]->setBackColor(kCyan);
    commands_.push_back(&f.add<tk::TextBox>("txt_ZahyoCmd", 1));
    commands_[1]->move(1320, 1248, 2148, 276);
    commands_[1]->setBackColor(kCyan);
    commands_[1]->setFont(font(u"ＭＳ ゴシック", 9));
    setButtons_.push_back(&f.add<tk::Button>("cmd_Set", 1));
    setButtons_[1]->move(48, 1536, 420, 276);
    setButtons_[1]->setFont(font(u"ＭＳ Ｐゴシック", 7.5));
    setButtons_[1]->setText(u"set");
    setButtons_[1]->setTabStop(false);
    comments_.push_back(&f.add<tk::TextBox>("txt_Comment", 1));
    comments_[1]->move(480, 1536, 2964, 276);
    comments_[1]->setBackColor(kCyan);
    comments_[1]->setFont(font(u"ＭＳ Ｐゴシック", 9, true));
    lines_.push_back(&f.add<tk::Line>("lin_Line", 2));
    lines_[2]->setPoints(0, 1848, 3588, 1848);

    scrollBar_ = &f.add<tk::ScrollBar>("scr_Detail");
    scrollBar_->move(3360, 1224, 228, 2076);
    scrollBar_->onChange = [this] { redraw(); };
    scrollBar_->onScroll = [this] { redraw(); };
    wireRow(1);
}

void StepGrid::prepare() {
    fillActions(1);
    columnRatio_[1] = 0.15;
    columnRatio_[2] = 0.40;
    columnRatio_[3] = 0.45;
    rowsShown_ = 1;
    rowsMade_ = 1;
    scrollBar_->setRange(1, 1);
}

void StepGrid::fillActions(int r) {
    guarded(status_, u"MS_DousaListSet", [&] {
        if (r < 1 || r >= int(actions_.size())) err::raise(err::Subscript);
        // In one change: a native list filled entry by entry is slow.
        actions_[size_t(r)]->addItems(std::vector<Str>(actions::catalogue.begin(), actions::catalogue.end()));
    });
}

// ---------------------------------------------------------------------------
// Showing the steps

void StepGrid::redraw() {
    try {
        const int32_t P = scrollBar_->value();
        const int32_t rows = document_.steps.count();
        for (int32_t r = 1; r <= rowsShown_; ++r) {
            const size_t i = size_t(r);
            const int64_t s = int64_t(P) + r - 1;
            tk::Label* no = numbers_.at(i);
            tk::ComboBox* cmb = actions_.at(i);
            tk::TextBox* command = commands_.at(i);
            tk::TextBox* comment = comments_.at(i);
            tk::Button* set = setButtons_.at(i);
            tk::Line* below = lines_.at(i + 1);
            if (s > rows || s < 1) {
                no->setVisible(false);
                cmb->setVisible(false);
                command->setVisible(false);
                comment->setVisible(false);
                set->setVisible(false);
                below->setVisible(false);
                continue;
            }
            no->setVisible(true);
            cmb->setVisible(true);
            command->setVisible(true);
            comment->setVisible(true);
            set->setVisible(true);
            below->setVisible(true);
            no->setText(toStr((long long)s));

            const MacroStep& step = document_.steps.at(int32_t(s));
            // One selection per row (entry 0 is the empty action); an
            // action the list does not hold leaves the row empty and fails.
            actionLock_ = true;
            const int item = step.action.empty() ? 0 : cmb->findExact(step.action);
            cmb->setListIndex(item < 0 ? 0 : item);
            if (item < 0) err::raise(err::InvalidProperty);
            actionLock_ = false;

            textLock_ = true;
            command->setPasswordChar(cmb->text() == actions::Password ? u'*' : 0);
            command->setText(step.command);
            comment->setText(step.comment);
            textLock_ = false;
        }
    } catch (const std::exception&) {
        // The locks only guard the grid's own writes: never leave them set.
        actionLock_ = false;
        textLock_ = false;
        status_.reportError(u"scr_Detail_Scroll");
    }
}

bool StepGrid::resizeSteps(int32_t add, bool relayout) {
    return guarded(status_, u"MF_ArryAdd", [&] {
        const int64_t n = int64_t(document_.steps.count()) + add;
        // The trailing input row always exists.
        if (n < 1 || n > INT32_MAX - 1) err::raise(err::Subscript);
        // The steps first, so that a redraw raised by the scroll bar below
        // never sees a step count larger than the steps.
        document_.steps.resize(int32_t(n));
        scrollBar_->setMax(std::max<int32_t>(1, int32_t(n) - rowsShown_ + 1));
        if (relayout) guarded(status_, u"Form_Resize", [&] { layout(); });
    });
}

void StepGrid::clear() {
    document_.steps.reset();
    scrollBar_->setRange(1, 1);
}

void StepGrid::showFromTop() {
    resizeSteps(0, false);
    scrollBar_->setValue(1);
    redraw();
}

void StepGrid::showStep(int32_t step) {
    if (step <= scrollBar_->max() - 1) scrollBar_->setValue(step);
}

void StepGrid::bringForward(int32_t step) {
    if (step <= scrollBar_->max()) scrollBar_->setValue(step);
    try {
        commands_.at(1)->setFocus();
    } catch (const std::exception&) {
        // A box that cannot take the focus now does not turn the message into an error.
    }
}

void StepGrid::showProblem(int32_t step, const Str& message) {
    bringForward(step);
    window_.backend().messageBox(message, tk::mb::OK, Str(AppTitle));
}

void StepGrid::setLocked(bool locked) {
    // Only the rows that exist as controls; the grid may be mid-rebuild.
    const int32_t rows = std::min<int32_t>(
        rowsShown_, int32_t(std::min({actions_.size(), commands_.size(), comments_.size(), setButtons_.size()})) - 1);
    for (int32_t i = 1; i <= rows; ++i) {
        actions_[size_t(i)]->setEnabled(!locked);
        commands_[size_t(i)]->setEnabled(!locked);
        comments_[size_t(i)]->setEnabled(!locked);
        setButtons_[size_t(i)]->setEnabled(!locked);
    }
}

int32_t StepGrid::focusedStep() const {
    const tk::Control* c = window_.activeControl();
    if (!c || c->index() < 1 || c->index() > rowsShown_ || !c->visible()) return 0;
    const size_t r = size_t(c->index());
    if (c != actions_[r] && c != commands_[r] && c != comments_[r] && c != setButtons_[r]) return 0;
    const int64_t s = int64_t(stepOf(c->index()));
    return s >= 1 && s <= document_.steps.count() ? int32_t(s) : 0;
}

// ---------------------------------------------------------------------------
// Layout

void StepGrid::makeRow(int r) {
    tk::Form& f = window_;
    const size_t i = size_t(r);
    // Rows are added in order, one past the last existing row.
    if (r < 2 || i != numbers_.size()) err::raise(err::Subscript);
    const double p = lines_[2]->y1 - lines_[1]->y1;

    numbers_.push_back(copyOf(f, *numbers_[1], r, numbers_[i - 1]->top() + p, "lbl_No"));
    actions_.push_back(copyOf(f, *actions_[1], r, actions_[i - 1]->top() + p, "cmb_Cmd"));
    commands_.push_back(copyOf(f, *commands_[1], r, commands_[i - 1]->top() + p, "txt_ZahyoCmd"));
    setButtons_.push_back(copyOf(f, *setButtons_[1], r, setButtons_[i - 1]->top() + p, "cmd_Set"));
    setButtons_[i]->setText(setButtons_[1]->text());
    comments_.push_back(copyOf(f, *comments_[1], r, comments_[i - 1]->top() + p, "txt_Comment"));

    tk::Line& line = f.add<tk::Line>("lin_Line", r + 1);
    line.setVisible(false);
    line.setForeColor(lines_[1]->foreColor());
    line.setPoints(lines_[1]->x1, lines_[i]->y1 + p, lines_[1]->x2, lines_[i]->y2 + p);
    lines_.push_back(&line);

    wireRow(r);
    fillActions(r);
}

void StepGrid::layout() {
    const double W = window_.width();
    // A minimised window keeps one row.
    const double H = window_.windowState() == tk::WindowState::Minimized ? 0 : window_.height();

    const double top = lines_[1]->y1;
    const double p = lines_[2]->y1 - top;
    double rowsFit = p > 0 ? std::floor((H - top - 750) / p) : 1;
    // Rows below the screen's bottom can never be seen; a window sized far
    // beyond the screen (by a document) must not create thousands of
    // controls for them. The screen is the monitor the window is on.
    const double screenHeight = os_.monitorOfWindow(window_.nativeHandle()).height();
    const double screenRows = p > 0 ? std::ceil(screenHeight * window_.backend().twipsPerPixelY() / p) : 1;
    const int32_t n = rowsFit > 0 ? int32_t(std::min(rowsFit, std::max(1.0, screenRows))) : 1;

    // New rows get their windows at the end, where the layout below puts
    // them and showing what they hold: each row costs a few window creations
    // instead of creations and then a move, a resize and a change for every
    // property.
    tk::Form::Batch newRows(window_);
    for (int32_t r = rowsMade_ + 1; r <= n; ++r) {
        makeRow(r);
        rowsMade_ = r;
    }

    for (int32_t r = 1; r <= n; ++r) {
        const size_t i = size_t(r);
        numbers_[i]->setVisible(true);
        actions_[i]->setVisible(true);
        commands_[i]->setVisible(true);
        setButtons_[i]->setVisible(true);
        comments_[i]->setVisible(true);
        lines_[i + 1]->setVisible(true);
        // A row shown again follows row 1 in being locked for a run or not
        // (it may have been created or hidden while the state changed).
        if (r > 1) {
            actions_[i]->setEnabled(actions_[1]->enabled());
            commands_[i]->setEnabled(commands_[1]->enabled());
            setButtons_[i]->setEnabled(setButtons_[1]->enabled());
            comments_[i]->setEnabled(comments_[1]->enabled());
        }
        fitDropDown(*actions_[i], actions_[i]->listCount(), 100);
    }
    for (int32_t r = n + 1; r <= rowsShown_; ++r) {
        const size_t i = size_t(r);
        numbers_[i]->setVisible(false);
        actions_[i]->setVisible(false);
        commands_[i]->setVisible(false);
        setButtons_[i]->setVisible(false);
        comments_[i]->setVisible(false);
        lines_[i + 1]->setVisible(false);
    }
    rowsShown_ = n;
    scrollBar_->setMax(std::max<int32_t>(1, document_.steps.count() - n + 1));
    // A click in the trough turns one page of the grid.
    scrollBar_->setLargeChange(n);

    const double scrW = scrollBar_->width();
    scrollBar_->move(W - scrW - 120, scrollBar_->top(), scrW, n * p);

    const double A = W - 300 - scrW;
    for (int32_t r = 1; r <= n; ++r) {
        const size_t i = size_t(r);
        double x = 30;

        double w1 = A * columnRatio_[1] - 80;
        if (w1 <= 1) w1 = 1;
        if (w1 > 420) w1 = 420;
        x += 10;
        const double x1 = atLeast1(x);
        const double noW = atLeast1(w1 - 10);
        numbers_[i]->move(x1, numbers_[i]->top(), noW, numbers_[i]->height());
        x = x1 + noW;

        double w2 = A * columnRatio_[2] - 80;
        if (w2 <= 1) w2 = 1;
        if (w2 > 1650) w2 = 1650;
        x += 10;
        const double x2 = atLeast1(x);
        const double cmdW = atLeast1(w2 - 10);
        actions_[i]->move(x2, actions_[i]->top(), cmdW, actions_[i]->height());
        x = x2 + cmdW;

        x += 10;
        const double x3 = atLeast1(x);
        const double w3 = atLeast1(W - x3 - 150 - scrW);
        commands_[i]->move(x3, commands_[i]->top(), w3, commands_[i]->height());

        setButtons_[i]->move(x1, setButtons_[i]->top(), w1, setButtons_[i]->height());
        comments_[i]->move(x2, comments_[i]->top(), w2 + w3, comments_[i]->height());
    }

    for (int32_t r = 1; r <= rowsMade_ + 1; ++r) {
        tk::Line* l = lines_[size_t(r)];
        l->setPoints(l->x1, l->y1, scrollBar_->left(), l->y2);
    }

    redraw();
    newRows.end();
    // Last in the tab order, and so below the rows.
    window_.moveToEndOfTabOrder(*scrollBar_);
}

// ---------------------------------------------------------------------------
// Enter, insert and delete

bool StepGrid::enterTurnsTheGrid() {
    bool turned = false;
    guarded(status_, u"MF_LastScrollChk", [&] {
        if (window_.activeControl() != comments_.at(size_t(rowsShown_))) return;
        const int32_t P = scrollBar_->value();
        if (int64_t(P) + rowsShown_ - 1 >= document_.steps.count()) return;
        scrollBar_->setValue(P + 1);  // Change redraws
        actions_.at(size_t(rowsShown_))->setFocus();
        turned = true;
    });
    return turned;
}

void StepGrid::enterPressed(int& keyAscii) {
    if (keyAscii != tk::key::Return) return;
    guarded(status_, u"Form_KeyPress", [&] {
        if (enterTurnsTheGrid()) {
            keyAscii = 0;
            return;
        }
        tk::Control* c = window_.activeControl();
        // Buttons take Enter themselves.
        if (!c || !tk::takesEnterAsTab(*c)) return;
        // Enter works as Tab: straight to the next control of the tab order.
        keyAscii = 0;
        if (tk::Control* next = window_.nextInTabOrder(c)) next->setFocus();
    });
}

void StepGrid::insertRowAtCaret() { editRowAtCaret(true); }
void StepGrid::deleteRowAtCaret() { editRowAtCaret(false); }

void StepGrid::editRowAtCaret(bool insert) {
    guarded(status_, u"MS_Gyo_InsDel", [&] {
        // The focus must be in a row for its step to be known.
        const tk::Control* c = window_.activeControl();
        if (!c || c->index() < 1 || size_t(c->index()) >= numbers_.size()) return;
        const size_t i = size_t(c->index());
        if (c != actions_[i] && c != commands_[i] && c != comments_[i] && c != setButtons_[i] && c != numbers_[i])
            return;
        const int64_t r = int64_t(stepOf(c->index()));
        if (r < 1 || r > document_.steps.count()) return;
        if (!insert && r == document_.steps.count()) return;  // the input row stays

        const Str question = toStr((long long)r) + u"行目を" + (insert ? u"挿入します。" : u"削除します。");
        if (window_.backend().messageBox(question, tk::mb::YesNo, u"TOVIRAK") != tk::mb::IdYes) return;

        StepList& steps = document_.steps;
        const int32_t row = int32_t(r);
        if (insert) {
            if (!resizeSteps(1, false)) return;
            for (int32_t k = steps.count() - 1; k >= row; --k) steps.at(k + 1) = std::move(steps.at(k));
            steps.at(row) = MacroStep{};
        } else {
            for (int32_t k = row; k <= steps.count() - 1; ++k) steps.at(k) = std::move(steps.at(k + 1));
            if (!resizeSteps(-1, false)) return;
        }
        document_.markChanged();
        redraw();
    });
}

// ---------------------------------------------------------------------------
// Editing a row. The row controls write straight into the document at step
// P + r - 1; while the grid fills them itself (the locks), their events are
// ignored.

void StepGrid::wireRow(int r) {
    const size_t i = size_t(r);
    actions_.at(i)->onGotFocus = [this, r] { showActionGuidance(r); };
    actions_.at(i)->onClick = [this, r] { actionPicked(r); };
    actions_.at(i)->onKeyPress = [this, r](int& k) { actionKeyPress(r, k); };
    commands_.at(i)->onGotFocus = [this, r] {
        guarded(status_, u"txt_ZahyoCmd_GotFocus", [&] {
            status_.show(StatusMode::Guidance, guidance::forCommand(actions_.at(size_t(r))->text(), document_.intervalUnit));
        });
    };
    commands_.at(i)->onChange = [this, r] { commandChanged(r); };
    comments_.at(i)->onGotFocus = [this] { status_.show(StatusMode::Guidance, guidance::forComment()); };
    comments_.at(i)->onChange = [this, r] { commentChanged(r); };
    setButtons_.at(i)->onClick = [this, r] {
        if (onSetButton) onSetButton(r);
    };
    // A picture file dropped anywhere on the row is for the row.
    for (tk::Control* c : {static_cast<tk::Control*>(actions_.at(i)), static_cast<tk::Control*>(commands_.at(i)),
                           static_cast<tk::Control*>(setButtons_.at(i)), static_cast<tk::Control*>(comments_.at(i))}) {
        c->setAcceptsFiles(true);
        c->onFilesDropped = [this, r](const std::vector<Str>& paths) {
            if (onFilesDropped) onFilesDropped(r, paths);
        };
    }
}

void StepGrid::showActionGuidance(int r) {
    guarded(status_, u"MS_DousaGuide",
            [&] { status_.show(StatusMode::Guidance, guidance::forAction(actions_.at(size_t(r))->text())); });
}

void StepGrid::actionPicked(int r) {
    if (actionLock_) return;
    guarded(status_, u"cmb_Cmd_Click", [&] {
        showActionGuidance(r);
        const Str a = actions_.at(size_t(r))->text();
        const int32_t s = stepOf(r);
        document_.steps.at(s).action = a;
        if (s >= document_.steps.count()) resizeSteps(1, true);
        // The empty action alone does not count as a change.
        if (!a.empty()) document_.markChanged();
        commands_.at(size_t(r))->setPasswordChar(a == actions::Password ? u'*' : 0);
    });
}

void StepGrid::commandChanged(int r) {
    if (textLock_) return;
    guarded(status_, u"txt_ZahyoCmd_Change", [&] {
        const int32_t s = stepOf(r);
        document_.steps.at(s).command = storedText(*commands_.at(size_t(r)), textLock_);
        if (s >= document_.steps.count()) resizeSteps(1, true);
        document_.markChanged();
    });
}

void StepGrid::commentChanged(int r) {
    if (textLock_) return;
    guarded(status_, u"txt_Comment_Change", [&] {
        const int32_t s = stepOf(r);
        document_.steps.at(s).comment = storedText(*comments_.at(size_t(r)), textLock_);
        if (s >= document_.steps.count()) resizeSteps(1, true);
        document_.markChanged();
    });
}

void StepGrid::actionKeyPress(int r, int& keyAscii) {
    guarded(status_, u"cmb_Cmd_KeyPress", [&] {
        if (keyAscii != tk::key::Space) return;
        if (guidance::ignoresSpace(actions_.at(size_t(r))->text())) return;
        const os::Point pt = os_.getCursorPos();
        // Setting the text stores it through the change handler.
        commands_.at(size_t(r))->setText(toStr((long long)pt.x) + u"," + toStr((long long)pt.y));
        document_.markChanged();
        // The key itself goes on to the list.
    });
}
