// Reading and writing macro documents.
#include "core/frm_TOVIRAK.h"

void frm_TOVIRAK::MS_ReadFile(const Str& path) { (void)path; }
void frm_TOVIRAK::MS_WriteFile(const Str& path, int16_t noQuestion) { (void)path; (void)noQuestion; }
Str frm_TOVIRAK::MS_GetFileName(StrView path) {
    Str s(path);
    for (;;) {
        auto p = s.find(u'\\');
        if (p != Str::npos) { s = s.substr(p + 1); continue; }
        p = s.find(u':');
        if (p != Str::npos) { s = s.substr(p + 1); continue; }
        return s;
    }
}
