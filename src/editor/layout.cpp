// Layout of the main window.
#include "core/frm_TOVIRAK.h"

void frm_TOVIRAK::Form_Resize() {}
void frm_TOVIRAK::createRow(int) {}
