// Searches for an image on the screen, as the image steps and the trial of
// an image row make them: one capture of the region searched per search,
// into a buffer kept from search to search, then the matcher on it.
#pragma once

#include <cstdint>
#include <optional>

#include "image/matcher.h"
#include "platform/os.h"

class ImageSearch {
public:
    explicit ImageSearch(os::Services& services) : os_(services) {}
    ImageSearch(const ImageSearch&) = delete;
    ImageSearch& operator=(const ImageSearch&) = delete;

    struct Found {
        os::Point at;      // top-left corner of the match
        os::Point centre;  // where an image click goes
    };
    // Captures region (virtual-desktop pixels; the part of it on the
    // desktop) and looks for the pattern there. nullopt when the image is
    // not there, also when nothing of region is on the desktop. RtError
    // when the system refuses to copy the screen.
    std::optional<Found> find(const image::Pattern& pattern, const os::Rect& region);

    // What the last search saw, and how long capture and search took.
    const os::ScreenPixels& screen() const { return screen_; }
    int64_t lastMs() const { return lastMs_; }

private:
    os::Services& os_;
    os::ScreenPixels screen_;
    int64_t lastMs_ = 0;
};

// The centre of a match of pattern at its top-left corner at: the pixel a
// click on it goes to (the left and upper one of the middle two of an even
// side).
os::Point centreOf(const image::Pattern& pattern, os::Point at);
