// Window search, activation, always-on-top and the screen measure.
#include "core/frm_TOVIRAK.h"

uint64_t frm_TOVIRAK::MF_WindowActive(const Str&, bool, Str&) { return 0; }
bool frm_TOVIRAK::MF_ActiveForm(uint64_t) { return true; }
void frm_TOVIRAK::MS_TopMost(bool) {}
void frm_TOVIRAK::MS_GetDispWidth() {}
