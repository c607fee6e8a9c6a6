// Editing a row and the guidance texts.
#include "core/frm_TOVIRAK.h"

void frm_TOVIRAK::cmb_Cmd_Click(int) {}
void frm_TOVIRAK::cmb_Cmd_KeyPress(int, int&) {}
void frm_TOVIRAK::txt_ZahyoCmd_Change(int) {}
void frm_TOVIRAK::txt_Comment_Change(int) {}
void frm_TOVIRAK::MS_DousaGuide(int) {}
void frm_TOVIRAK::Form_KeyPress(int&) {}
void frm_TOVIRAK::wireRow(int) {}
