// Starting and stopping a run.
#include "core/frm_TOVIRAK.h"

void frm_TOVIRAK::cmd_Kaisi_Click() {}
void frm_TOVIRAK::MS_Start() {}
void frm_TOVIRAK::MS_Stop(bool) {}
void frm_TOVIRAK::MS_Enabled(bool) {}
void frm_TOVIRAK::mnu_Go_Click() {}
void frm_TOVIRAK::cmd_End_Click() { form->close(); }
