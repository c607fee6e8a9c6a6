#include "platform/win32/os_cmdline.h"

namespace win32 {

Str argumentsOf(StrView cl) {
    size_t i = 0;
    bool quoted = false;
    while (i < cl.size()) {
        char16_t c = cl[i];
        if (c == u'"') {
            quoted = !quoted;
        } else if (!quoted && (c == u' ' || c == u'\t')) {
            break;
        }
        ++i;
    }
    if (i < cl.size() && (cl[i] == u' ' || cl[i] == u'\t')) ++i;
    return Str(cl.substr(i));
}

}  // namespace win32
