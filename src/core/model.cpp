#include "core/model.h"

bool MacroStep::blank() const { return trim(action).empty() && trim(command).empty() && trim(comment).empty(); }

MacroStep& StepList::at(int32_t r) {
    if (r < 1 || r > count()) err::raise(err::Subscript);
    return rows_[size_t(r)];
}

const MacroStep& StepList::at(int32_t r) const {
    if (r < 1 || r > count()) err::raise(err::Subscript);
    return rows_[size_t(r)];
}

void StepList::reset() {
    rows_.clear();
    rows_.resize(2);
    rows_.shrink_to_fit();
}

void StepList::resize(int32_t newCount) {
    if (newCount < 0) err::raise(err::Subscript);
    rows_.resize(size_t(newCount) + 1);
}

void StepList::insertEmpty(int32_t r) {
    if (r < 1 || r > count()) err::raise(err::Subscript);
    rows_.insert(rows_.begin() + r, MacroStep{});
}

void StepList::erase(int32_t r) {
    if (r < 1 || r > count()) err::raise(err::Subscript);
    rows_.erase(rows_.begin() + r);
}

int32_t StepList::lastNonBlank() const {
    for (int32_t r = count() - 1; r >= 1; --r)
        if (!rows_[size_t(r)].blank()) return r;
    return 0;
}

namespace actions {
bool isKeyInput(StrView a) { return a == KeyInput || a == KeyInputKai || a == KeyInputShin || a == Password; }
bool isWindowAction(StrView a) { return a == WindowActive || a == WindowExists || a == WindowAbsent; }
bool isImageAction(StrView a) { return a == ImageClick || a == ImageWait || a == ImageGoneWait; }
}  // namespace actions
