#include "trial/image_look.h"

#include "editor/own_window_away.h"

namespace imagelook {

namespace {
constexpr int32_t kFrameWidth = 3;  // the markers' frames lie along the inside of their rectangle
constexpr int32_t kGap = 6;         // between the frame of the place and the picture's

os::Rect around(const os::Rect& r) {
    return {r.left - kFrameWidth, r.top - kFrameWidth, r.right + kFrameWidth, r.bottom + kFrameWidth};
}

Str pointText(os::Point p) { return u"(" + toStr((long long)p.x) + u"," + toStr((long long)p.y) + u")"; }
}  // namespace

Str foundText(const Str& name, os::Point centre, int64_t ms, bool clicked) {
    return name + u" を " + pointText(centre) + (clicked ? u" に見つけてクリックしました (" : u" に見つけました (") +
           toStr((long long)ms) + u"ms)";
}

Str notFoundText(const Str& name) { return name + u" は見つかりません"; }

os::Rect besideFrame(const os::Rect& frame, int32_t width, int32_t height, const os::Rect& monitor) {
    const os::Rect right{frame.right + kGap, frame.top, frame.right + kGap + width, frame.top + height};
    if (right.right <= monitor.right) return right;
    const os::Rect left{frame.left - kGap - width, frame.top, frame.left - kGap, frame.top + height};
    if (left.left >= monitor.left) return left;
    const os::Rect below{frame.left, frame.bottom + kGap, frame.left + width, frame.bottom + kGap + height};
    if (below.bottom <= monitor.bottom) return below;
    return {frame.left, frame.top - kGap - height, frame.left + width, frame.top - kGap};
}

os::ScreenPixels shownPicture(const image::Image& picture, os::Point topLeft) {
    os::ScreenPixels out;
    out.rect = {topLeft.x, topLeft.y, topLeft.x + picture.width, topLeft.y + picture.height};
    out.pixels.reserve(picture.pixels.size());
    for (int32_t y = 0; y < picture.height; ++y)
        for (int32_t x = 0; x < picture.width; ++x) {
            const uint32_t p = picture.at(x, y);
            out.pixels.push_back(image::isOpaque(p) ? (p & 0xFFFFFFu) : (((x / 8 + y / 8) % 2) ? 0xC0C0C0u : 0x909090u));
        }
    return out;
}

void show(tk::Form& window, os::Services& os, StatusLine& status, ImageSearch& search, const PlanRow& row,
          const image::Image& picture, const os::Rect& region) {
    const image::Pattern& pattern = *row.pattern;
    std::optional<ImageSearch::Found> found;
    std::optional<image::PartialMatch> closest;
    {
        OwnWindowAway away(window, os);
        found = search.find(pattern, region);
        // The closest place on the same picture of the screen.
        if (!found) closest = image::bestPartialMatch(search.screen(), picture, pattern.tolerance());
    }
    auto placed = [&](os::Point at) { return os::Rect{at.x, at.y, at.x + pattern.width(), at.y + pattern.height()}; };
    os::MarkerSet markers;
    if (found) {
        markers.frames.push_back(around(placed(found->at)));
        if (row.action == actions::ImageClick) markers.points.push_back(found->centre);
        os.showMarkers(markers, kFoundMs);
        status.show(StatusMode::Status, foundText(row.x, found->centre, search.lastMs(), false));
        return;
    }
    if (!closest) {
        status.show(StatusMode::Warning, notFoundText(row.x));
        return;
    }
    const os::Rect frame = around(placed(closest->at));
    const os::Rect shown = besideFrame(frame, picture.width + 2 * kFrameWidth, picture.height + 2 * kFrameWidth,
                                       os.monitorOfRect(frame));
    markers.frames = {frame, shown};
    markers.pictures.push_back(shownPicture(picture, {shown.left + kFrameWidth, shown.top + kFrameWidth}));
    os.showMarkers(markers, kComparisonMs);
    status.show(StatusMode::Warning, notFoundText(row.x) + u"（最も近い位置 " + pointText(centreOf(pattern, closest->at)) +
                                         u" 一致 " + toStr((long long)closest->percent()) + u"%）");
}

}  // namespace imagelook
