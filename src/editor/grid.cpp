// The step grid: redraw, growth, Enter scrolling, row insert and delete.
#include "core/frm_TOVIRAK.h"

void frm_TOVIRAK::scr_Detail_Scroll() {}
bool frm_TOVIRAK::MF_ArryAdd(int32_t int_Add, bool) { steps.grow(int_Add); return true; }
bool frm_TOVIRAK::MF_LastScrollChk() { return false; }
void frm_TOVIRAK::MS_Gyo_InsDel(int16_t) {}
