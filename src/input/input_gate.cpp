// Refused input to windows of a higher integrity level.
#include "input/input_gate.h"

bool integrityRefusesInput(int32_t targetLevel, int32_t ownLevel) {
    return targetLevel >= 0 && ownLevel >= 0 && targetLevel > ownLevel;
}

bool InputGate::blocked(os::WindowHandle h) {
    if (h == 0) return false;
    // The process is part of the key: a handle may come back for a window
    // of another program.
    const auto key = std::make_pair(h, os_.windowProcessId(h));
    if (auto it = answers_.find(key); it != answers_.end()) return it->second;
    if (!ownKnown_) {
        ownLevel_ = os_.integrityLevel(0);
        ownKnown_ = true;
    }
    // A run over very many short-lived windows keeps the memory bounded.
    if (answers_.size() >= 4096) answers_.clear();
    const bool refused = integrityRefusesInput(os_.integrityLevel(h), ownLevel_);
    answers_.emplace(key, refused);
    return refused;
}

void InputGate::require(os::WindowHandle h) {
    if (blocked(h)) throw RtError(err::PermissionDenied, Str(BlockedText));
}

void InputGate::forget() {
    answers_.clear();
    ownKnown_ = false;
}
