// Keyboard delivery routes and sound.
#include "core/frm_TOVIRAK.h"

void frm_TOVIRAK::MS_SendKeys(const Str&, bool, bool& bln_Ret) { bln_Ret = true; }
