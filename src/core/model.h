// The macro model: steps numbered from 1 with the trailing empty input row,
// and the action catalogue. Pure data, no toolkit.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/text.h"

struct MacroStep {
    Str action;   // the action's display text ("Dousa")
    Str command;  // coordinates "X,Y" or the command text ("ZahyoCmd")
    Str comment;
    // Blank when the trimmed three fields are all empty.
    bool blank() const;
    friend bool operator==(const MacroStep&, const MacroStep&) = default;
};

// Rows 1..count(); row count() is the empty row kept for new input. Growth
// is amortised (one row at a time stays linear over a whole document).
class StepList {
public:
    StepList() { reset(); }
    int32_t count() const { return int32_t(rows_.size()) - 1; }
    // Row r, 1..count(); RtError 9 outside.
    MacroStep& at(int32_t r);
    const MacroStep& at(int32_t r) const;
    void reset();                       // one empty row
    void resize(int32_t newCount);      // keeps the surviving rows (newCount >= 1)
    void grow(int32_t n) { resize(count() + n); }
    // Shift rows r.. down by one and empty row r (count grows by one).
    void insertEmpty(int32_t r);
    // Remove row r, shifting the rows below up (count shrinks by one).
    void erase(int32_t r);
    // Last row that is not blank among 1..count()-1, 0 when none.
    int32_t lastNonBlank() const;

private:
    std::vector<MacroStep> rows_;  // rows_[0] unused
};

// The 34 actions in display order; entry 0 is the empty action. The three
// image actions came last, so that the entries before them keep their
// places.
namespace actions {
inline constexpr StrView None = u"";
inline constexpr StrView KeyInput = u"ｷｰ入力";
inline constexpr StrView KeyInputKai = u"ｷｰ入力_改";
inline constexpr StrView KeyInputShin = u"ｷｰ入力_真";
inline constexpr StrView Wait = u"待機";
inline constexpr StrView LeftClick = u"左ｸﾘｯｸ";
inline constexpr StrView LeftDouble = u"左Wｸﾘｯｸ";
inline constexpr StrView LeftDrag = u"左ﾄﾞﾗｯｸﾞ";
inline constexpr StrView RightClick = u"右ｸﾘｯｸ";
inline constexpr StrView RightDouble = u"右Wｸﾘｯｸ";
inline constexpr StrView RightDrag = u"右ﾄﾞﾗｯｸﾞ";
inline constexpr StrView MiddleClick = u"中ｸﾘｯｸ";
inline constexpr StrView MiddleDouble = u"中Wｸﾘｯｸ";
inline constexpr StrView MiddleDrag = u"中ﾄﾞﾗｯｸﾞ";
inline constexpr StrView ShiftLeftClick = u"ｼﾌﾄ左ｸﾘｯｸ";
inline constexpr StrView ShiftRightClick = u"ｼﾌﾄ右ｸﾘｯｸ";
inline constexpr StrView ShiftMiddleClick = u"ｼﾌﾄ中ｸﾘｯｸ";
inline constexpr StrView CtrlLeftClick = u"Ctrl左ｸﾘｯｸ";
inline constexpr StrView CtrlRightClick = u"Ctrl右ｸﾘｯｸ";
inline constexpr StrView CtrlMiddleClick = u"Ctrl中ｸﾘｯｸ";
inline constexpr StrView AltLeftClick = u"Alt左ｸﾘｯｸ";
inline constexpr StrView AltRightClick = u"Alt右ｸﾘｯｸ";
inline constexpr StrView AltMiddleClick = u"Alt中ｸﾘｯｸ";
inline constexpr StrView MouseMove = u"ﾏｳｽｶｰｿﾙ移動";
inline constexpr StrView WindowActive = u"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ";
inline constexpr StrView WindowExists = u"ｳｨﾝﾄﾞｳ存在ﾁｪｯｸ";
inline constexpr StrView WindowAbsent = u"ｳｨﾝﾄﾞｳ不在ﾁｪｯｸ";
inline constexpr StrView Exe = u"EXE実行";
inline constexpr StrView End = u"終了";
inline constexpr StrView Password = u"ﾊﾟｽﾜｰﾄﾞ入力";
inline constexpr StrView PlaySound = u"PlaySound";
inline constexpr StrView ImageClick = u"画像ｸﾘｯｸ";
inline constexpr StrView ImageWait = u"画像待ち";
inline constexpr StrView ImageGoneWait = u"画像消失待ち";

inline constexpr std::array<StrView, 34> catalogue{
    None,          KeyInput,         KeyInputKai,      KeyInputShin,    Wait,           LeftClick,
    LeftDouble,    LeftDrag,         RightClick,       RightDouble,     RightDrag,      MiddleClick,
    MiddleDouble,  MiddleDrag,       ShiftLeftClick,   ShiftRightClick, ShiftMiddleClick, CtrlLeftClick,
    CtrlRightClick, CtrlMiddleClick, AltLeftClick,     AltRightClick,   AltMiddleClick, MouseMove,
    WindowActive,  WindowExists,     WindowAbsent,     Exe,             End,            Password,
    PlaySound,     ImageClick,       ImageWait,        ImageGoneWait};

// The four key-input actions ("ｷｰ入力", "ｷｰ入力_改", "ｷｰ入力_真", "ﾊﾟｽﾜｰﾄﾞ入力").
bool isKeyInput(StrView a);
// The three window actions.
bool isWindowAction(StrView a);
// The three actions that look for an image on the screen.
bool isImageAction(StrView a);
}  // namespace actions
