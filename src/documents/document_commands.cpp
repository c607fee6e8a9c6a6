// New, Open, Save as, Save and the window title.
#include "core/frm_TOVIRAK.h"

void frm_TOVIRAK::mnu_New_Click() {}
void frm_TOVIRAK::mnu_Open_Click() {}
void frm_TOVIRAK::mnu_Save_Click() {}
void frm_TOVIRAK::mnu_SaveUwa_Click() {}
void frm_TOVIRAK::MS_SetWindowTitle() {}
bool frm_TOVIRAK::askSaveChanges() { return true; }
void frm_TOVIRAK::showFileSelect(int16_t mode) { bas.Gint_FileSelectMode = mode; bas.Gstr_FileSelectPath.clear(); }
