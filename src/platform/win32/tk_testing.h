// Probes for the Windows-side tests of the forms backend: they drive the
// native controls the way the user does (typing, clicking, keys) and read
// back what the native windows show. Free of <windows.h> like the ports.
#pragma once

#include <functional>
#include <vector>

#include "platform/toolkit.h"

namespace win32::tktest {

// Characters as typed into a text box or an editable combo (WM_CHAR).
void typeChars(tk::Control& c, const Str& s);
// Text pasted over the selection of a text box (EM_REPLACESEL).
void replaceSelection(tk::Control& c, const Str& s);
Str nativeText(const tk::Control& c);

// A native click on a button, check box or option button (BM_CLICK).
void click(tk::Control& c);
// The user picks entry i of a combo or list box (selection and notification).
void pick(tk::ListControl& c, int i);
// A double click on an entry of a list box (after pick).
void dblClick(tk::ListBox& c);
// A scroll bar action (SB_LINEDOWN = 1, SB_PAGEDOWN = 3 ...).
void scroll(tk::ScrollBar& s, int code);
int nativeScrollPos(tk::ScrollBar& s);
// Drags the thumb with the mouse (injected input) to a point at fraction
// (0..1) of the track, through the program's message loop.
void dragThumb(tk::ScrollBar& s, double fraction, tk::Backend& backend);
int nativeScrollMax(tk::ScrollBar& s);

// The dropped list of a combo, measured while it is open.
struct DropInfo {
    int listHeight = 0;    // client height of the list in pixels
    int itemHeight = 0;
    int droppedWidth = 0;  // minimum width of the list
    bool opened = false;
};
DropInfo measureDrop(tk::ComboBox& c);

// A key pressed while the control (or form) has the focus, with modifier
// state (tk::ShiftMask ...), through the program's message loop.
void pressKey(tk::Control& focus, int vk, int shift, tk::Backend& backend);
bool nativeFocus(const tk::Control& c);
// The native focus moves to the control (as a mouse click would move it).
void nativeSetFocus(tk::Control& c);
bool nativeEnabled(const tk::Control& c);
bool nativeVisible(const tk::Control& c);
// Outer and client size of a form in pixels.
void formPixels(const tk::Form& f, int& outerW, int& outerH, int& clientW, int& clientH);
// Size of a control's window in pixels.
void controlPixels(const tk::Control& c, int& w, int& h);
// Its top left corner in the form's client pixels.
void controlOrigin(const tk::Control& c, int& x, int& y);
// The form is told that its monitor's DPI is now dpi (WM_DPICHANGED), with
// the window rectangle scaled as the system suggests.
void dpiChanged(tk::Form& f, int dpi);
// True when a's window is above b's in the Z order (drawn over it).
bool drawnAbove(const tk::Control& a, const tk::Control& b);
// Closes the form as the title bar's close box does (WM_CLOSE).
void closeBox(tk::Form& f);
// Selected text range of an edit.
void selection(const tk::Control& c, int& start, int& end);

// How a text box, a combo box or a label holds its line of text, in the
// control's client pixels: the band the line is drawn and clipped in (an
// edit's formatting rectangle inside its border and margins, a combo's
// selection field, a label's client area), the height of the box (a combo:
// its closed box), the character cell of the control's font (tmHeight),
// and the rows that sample text drawn in that font inks, counted from the
// cell's top (both -1 when nothing is drawn).
struct TextLine {
    int bandTop = 0, bandBottom = 0;
    int boxHeight = 0;
    int cellHeight = 0;
    int inkTop = -1, inkBottom = -1;
};
TextLine textLine(const tk::Control& c, const Str& sample);

// A mouse button released over the form's client area at (x, y) pixels
// (button 1 left, 2 right, 4 middle).
void mouseUp(tk::Form& f, int button, int x, int y);
// A left click at a screen point (injected input), through the loop.
void clickScreen(int x, int y, tk::Backend& backend);
// The menu entry chosen as with the mouse (WM_COMMAND), and its look.
void chooseMenu(tk::MenuItem& m);
bool menuGrayed(const tk::MenuItem& m);
Str menuText(const tk::MenuItem& m);

// Files dropped on the middle of the control as Explorer drops them: the
// system looks for the window there that accepts files, itself or its
// nearest ancestor, and posts it WM_DROPFILES; then the loop runs. False
// when no window there accepts files.
bool dropFiles(tk::Control& c, const std::vector<Str>& paths, tk::Backend& backend);

// Failures that reach a window procedure or timer go here instead of a
// message box while set (tests must not block on a box).
void setFailureSink(std::function<void(const Str&)> sink);

}  // namespace win32::tktest
