#include "core/document.h"

#include "core/image_command.h"

void Document::clearSteps() {
    steps.reset();
    images.clear();
}

std::set<Str> Document::usedImageNames(int32_t except) const {
    std::set<Str> used;
    for (int32_t r = 1; r < steps.count(); ++r) {
        const MacroStep& s = steps.at(r);
        if (r != except && actions::isImageAction(trim(s.action))) used.insert(imageNameOf(s.command));
    }
    return used;
}

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
