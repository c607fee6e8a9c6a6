// Start hot-key polling and clearing of stale key presses.
#include "core/frm_TOVIRAK.h"

void frm_TOVIRAK::tim_Start_Timer() {}
void frm_TOVIRAK::MS_HotKeyClear() {}
