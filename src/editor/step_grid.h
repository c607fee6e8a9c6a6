// The step grid: a window of rows onto the document's steps, with its scroll
// bar. Visible row r shows step P + r - 1, P being the scroll position, so
// a document of any length scrolls and a redraw touches only the visible
// rows. The window's height decides how many rows are shown (their controls
// are made once and hidden when the window shrinks), its width the columns.
// Edits in a row's controls go straight into the document.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "core/document.h"
#include "core/status_line.h"
#include "platform/os.h"
#include "platform/toolkit.h"

class StepGrid {
public:
    // Creates row 1 at its design place, and the scroll bar.
    StepGrid(tk::Form& window, os::Services& services, StatusLine& status, Document& document);
    StepGrid(const StepGrid&) = delete;
    StepGrid& operator=(const StepGrid&) = delete;

    // The controls of visible row r, from 1 (std::out_of_range beyond the
    // rows made); the line below row r is rowLine(r + 1).
    tk::Label* numberLabel(int r) const { return numbers_.at(size_t(r)); }
    tk::ComboBox* actionList(int r) const { return actions_.at(size_t(r)); }
    tk::TextBox* commandBox(int r) const { return commands_.at(size_t(r)); }
    tk::Button* setButton(int r) const { return setButtons_.at(size_t(r)); }
    tk::TextBox* commentBox(int r) const { return comments_.at(size_t(r)); }
    tk::Line* rowLine(int r) const { return lines_.at(size_t(r)); }
    tk::ScrollBar* scrollBar() const { return scrollBar_; }

    int32_t rowsShown() const { return rowsShown_; }
    int32_t rowsMade() const { return rowsMade_; }
    // The grid is writing into its own controls (their events are no edits).
    bool filling() const { return actionLock_ || textLock_; }
    // The share of the width of the number (1), action (2) and command (3)
    // columns.
    double columnShare(int column) const { return columnRatio_[column]; }

    // Start-up: the action list of row 1, the column widths, one row.
    void prepare();
    // The visible rows show their steps again.
    void redraw();
    // The step count grows (or shrinks) by add, the scroll range follows,
    // and with relayout the rows are laid out again. False when it failed
    // (reported).
    bool resizeSteps(int32_t add, bool relayout);
    // The rows and the scroll bar follow the window's size (failures throw
    // for the window's error exit).
    void layout();
    // One empty step, the scroll range 1..1.
    void clear();
    // The steps were replaced: the scroll range follows them and they show
    // from step 1.
    void showFromTop();
    // A run is at step: it is shown where the grid can scroll that far.
    void showStep(int32_t step);
    // A step that failed a check becomes the first visible row where the
    // grid can scroll that far, and the caret goes to the first command box.
    void bringForward(int32_t step);
    // The same, then the message in a box.
    void showProblem(int32_t step, const Str& message);
    // A step is inserted before, or removed at, the step of the row holding
    // the caret, after the user's Yes.
    void insertRowAtCaret();
    void deleteRowAtCaret();
    // Enter in the window: in the last visible row's comment the grid turns
    // one row; in a field it moves on like Tab (a button takes it itself).
    void enterPressed(int& keyAscii);
    // The row controls are locked for a run, or free again.
    void setLocked(bool locked);
    // The step of the visible row holding the focus (its action list,
    // command box, comment box or set button); 0 when the focus is not in
    // a row.
    int32_t focusedStep() const;

    // The set button of visible row r was clicked.
    std::function<void(int r)> onSetButton;
    // Files were dropped on a control of visible row r.
    std::function<void(int r, const std::vector<Str>& paths)> onFilesDropped;

private:
    int32_t stepOf(int r) const { return scrollBar_->value() + r - 1; }
    // Makes visible row r as a copy of row 1 (one past the last made).
    void makeRow(int r);
    void wireRow(int r);
    void fillActions(int r);
    void showActionGuidance(int r);
    void actionPicked(int r);
    void commandChanged(int r);
    void commentChanged(int r);
    void actionKeyPress(int r, int& keyAscii);
    // In the last visible row's comment box, Enter turns the grid one row
    // when there are steps below; true when it did.
    bool enterTurnsTheGrid();
    void editRowAtCaret(bool insert);

    tk::Form& window_;
    os::Services& os_;
    StatusLine& status_;
    Document& document_;
    // Row controls, index = visible row from 1 (element 0 unused).
    std::vector<tk::Label*> numbers_{nullptr};
    std::vector<tk::ComboBox*> actions_{nullptr};
    std::vector<tk::TextBox*> commands_{nullptr};
    std::vector<tk::Button*> setButtons_{nullptr};
    std::vector<tk::TextBox*> comments_{nullptr};
    std::vector<tk::Line*> lines_{nullptr};  // 1 .. rows + 1
    tk::ScrollBar* scrollBar_ = nullptr;
    int32_t rowsShown_ = 1;
    int32_t rowsMade_ = 1;
    // Set while the grid fills its own controls: their change events are
    // not edits.
    bool actionLock_ = false;
    bool textLock_ = false;
    // Shares of the width for the number, action and command columns.
    double columnRatio_[4] = {0, 0.15, 0.40, 0.45};
};
