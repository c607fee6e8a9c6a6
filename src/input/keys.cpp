// Key names and key lists.
#include "core/frm_TOVIRAK.h"

void frm_TOVIRAK::MS_HotKey_StrToArry(const Str&, KeyArrays& out) { out = KeyArrays{}; }
