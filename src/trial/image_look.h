// "位置を表示" on an image row: one search of the screen as the run would
// make it, with the program's window out of the way, shown with markers.
// Found: a frame around the match, a cross where an image click goes, and
// the time taken. Not found: the closest place (at most 2 s of looking),
// framed, with the stored picture framed beside it, and its share of
// matching pixels.
#pragma once

#include <cstdint>
#include <optional>

#include "core/status_line.h"
#include "image/image.h"
#include "platform/os.h"
#include "platform/toolkit.h"
#include "playback/image_search.h"
#include "playback/run_plan.h"

namespace imagelook {

// How long the markers stay: a match is seen at once, a comparison takes
// a look.
constexpr uint32_t kFoundMs = 2000;
constexpr uint32_t kComparisonMs = 5000;

// row passed its check (checkRow); picture is the image it names; region
// is where the run would look.
void show(tk::Form& window, os::Services& os, StatusLine& status, ImageSearch& search, const PlanRow& row,
          const image::Image& picture, const os::Rect& region);

// "画像1 を (812,455) に見つけました (14ms)", or "... に見つけてクリックしました".
Str foundText(const Str& name, os::Point centre, int64_t ms, bool clicked);
// "画像1 は見つかりません".
Str notFoundText(const Str& name);

// Where the picture goes beside the frame around a place: right of it,
// else left, else below, else above, as the monitor has room.
os::Rect besideFrame(const os::Rect& frame, int32_t width, int32_t height, const os::Rect& monitor);

// The picture as a marker shows it: opaque pixels as they are, the
// transparent ones as a grey chequer.
os::ScreenPixels shownPicture(const image::Image& picture, os::Point topLeft);

}  // namespace imagelook
