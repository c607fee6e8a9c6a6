// Point and window capture with the set buttons.
#include "core/frm_TOVIRAK.h"

void frm_TOVIRAK::cmd_Set_Click(int) {}
void frm_TOVIRAK::Form_MouseUp() {}
