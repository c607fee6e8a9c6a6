// The step executor: one step per tick.
#include "core/frm_TOVIRAK.h"

void frm_TOVIRAK::tim_Timer_Timer() {}
bool frm_TOVIRAK::MF_Sleep(int32_t) { return true; }
