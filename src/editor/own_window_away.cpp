#include "editor/own_window_away.h"

OwnWindowAway::OwnWindowAway(tk::Form& window, os::Services& services) : window_(window) {
    services.hideMarkers();
    if (!window.isShown()) return;
    focused_ = window.activeControl();
    window.hide();
    hidden_ = true;
    const int64_t start = services.monotonicMs();
    while (services.monotonicMs() - start < kSettleMs) {
        services.sleep(10);
        window.backend().doEvents();
    }
}

OwnWindowAway::~OwnWindowAway() {
    if (!hidden_) return;
    try {
        window_.show();
        if (focused_ && focused_->canFocus()) focused_->setFocus();
    } catch (const std::exception&) {
        // The window is back in any case; the focus is where the system put it.
    }
}
