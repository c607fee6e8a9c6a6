// Power-off at the end of a timed run.
#include "core/frm_TOVIRAK.h"

void frm_TOVIRAK::MS_PCPowerOff() {}
