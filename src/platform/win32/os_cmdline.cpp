#include "platform/win32/os_cmdline.h"

namespace win32 {

Str argumentsOf(StrView cl) {
    size_t i = 0;
    if (!cl.empty() && cl[0] == u'"') {
        // Quoted program name: up to and including the closing quote.
        i = cl.find(u'"', 1);
        i = i == StrView::npos ? cl.size() : i + 1;
    } else {
        while (i < cl.size() && cl[i] != u' ' && cl[i] != u'\t') ++i;
    }
    if (i < cl.size() && (cl[i] == u' ' || cl[i] == u'\t')) ++i;
    return Str(cl.substr(i));
}

}  // namespace win32
