#include "core/document.h"

void Document::setPath(const Str& path) {
    if (path == path_) return;
    path_ = path;
    if (onStateChange) onStateChange();
}

void Document::setChanged(bool changed) {
    if (changed == changed_) return;
    changed_ = changed;
    if (onStateChange) onStateChange();
}
