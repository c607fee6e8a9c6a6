// Checks before a run and the run arrays.
#include "core/frm_TOVIRAK.h"

bool frm_TOVIRAK::MF_InputChk() { return false; }
