// Pictures for image rows: from the frozen screen, from a PNG file.
#include "editor/image_capture.h"

#include "core/macro_file.h"
#include "editor/own_window_away.h"
#include "image/matcher.h"
#include "input/anchor.h"

namespace {

bool contains(const os::Rect& r, os::Point p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

Str sizeText(const image::Image& img) {
    return toStr((long long)img.width) + u"×" + toStr((long long)img.height);
}

}  // namespace

Str nameForRow(const Document& document, int32_t step) {
    const Str own = imageNameOf(document.steps.at(step).command);
    if (image::isValidName(own) && document.usedImageNames(step).count(own) == 0) return own;
    // Free: neither held nor named by a step (whose picture may be missing).
    const std::set<Str> named = document.usedImageNames();
    for (int n = 1;; ++n)
        if (Str name = image::numberedName(n); !document.images.contains(name) && named.count(name) == 0) return name;
}

bool ImageCapture::takes(int r) const {
    try {
        return actions::isImageAction(trim(grid_.actionList(r)->text()));
    } catch (const std::exception&) {
        return false;  // no such row
    }
}

int32_t ImageCapture::imageStep(int32_t step) {
    if (step < 1 || step >= document_.steps.count() || !actions::isImageAction(trim(document_.steps.at(step).action))) {
        status_.show(StatusMode::Warning, u"画像ｸﾘｯｸ・画像待ち・画像消失待ちの行を選んでください");
        return 0;
    }
    return step;
}

std::vector<ImageCapture::ShownWindow> ImageCapture::windowsShown() {
    std::vector<ShownWindow> out;
    const os::WindowHandle self = window_.nativeHandle();
    const uint32_t own = os_.windowProcessId(self);
    int walked = 0;
    for (os::WindowHandle h = os_.getWindow(self, os::k::GW_HWNDFIRST); h && ++walked < 20000;
         h = os_.getWindow(h, os::k::GW_HWNDNEXT)) {
        const os::WindowStyle st = os_.windowStyle(h);
        if (!st.visible || st.minimized || os_.windowProcessId(h) == own) continue;
        const os::Rect r = os_.windowRect(h);
        if (r.width() <= 0 || r.height() <= 0) continue;
        out.push_back({h, r, os_.getWindowText(h), st.shell});
    }
    return out;
}

void ImageCapture::capture(int r) {
    guarded(status_, u"cmd_Set_Click", [&] {
        const int32_t step = imageStep(grid_.scrollBar()->value() + r - 1);
        if (step == 0) return;
        os::ScreenPixels shot;
        std::vector<ShownWindow> shown;
        tk::ScreenPick pick;
        {
            OwnWindowAway away(window_, os_);
            // The windows as the snapshot shows them: the overlay that
            // covers them next is none of them.
            shown = windowsShown();
            if (!os_.captureScreen(os_.virtualScreen(), shot)) {
                status_.show(StatusMode::Warning, u"画面を取り込めません");
                return;
            }
            pick = tk::pickScreenRect(window_.backend(), shot);
        }
        if (!pick.chosen) {
            status_.show(StatusMode::Status, u"画像の取り込みをやめました");
            return;
        }
        Str anchor;
        if (pick.shift) {
            const os::Point centre{pick.rect.left + (pick.rect.width() - 1) / 2,
                                   pick.rect.top + (pick.rect.height() - 1) / 2};
            for (const ShownWindow& w : shown) {
                if (!contains(w.rect, centre)) continue;
                if (!w.shell) anchor = anchor::titleSearchText(w.title);
                break;
            }
        }
        try {
            const Str told = store(step, image::storeCapture(image::cut(shot, pick.rect)), anchor);
            if (pick.shift && anchor.empty())
                status_.show(StatusMode::Warning, told + u"　中心の下に名前のあるｳｨﾝﾄﾞｳがないため、画面全体を探します");
            else
                status_.show(StatusMode::Status, told);
        } catch (const RtError& e) {
            status_.show(StatusMode::Warning, e.description);
        }
    });
}

void ImageCapture::importChosen() {
    guarded(status_, u"mnu_Picture_Click", [&] {
        const int32_t step = imageStep(grid_.focusedStep());
        if (step == 0) return;
        const Str path = choosePicture_();
        if (!path.empty()) importFile(step, path);
    });
}

void ImageCapture::filesDropped(int r, const std::vector<Str>& paths) {
    guarded(status_, u"txt_ZahyoCmd_OLEDragDrop", [&] {
        // A locked grid (a run) takes nothing.
        if (paths.empty() || !grid_.commandBox(r)->enabled()) return;
        const int32_t step = imageStep(grid_.scrollBar()->value() + r - 1);
        if (step != 0) importFile(step, paths.front());
    });
}

void ImageCapture::importFile(int32_t step, const Str& path) {
    try {
        status_.show(StatusMode::Status, store(step, image::importPng(os_.readFile(path)), Str()));
    } catch (const RtError& e) {
        status_.show(StatusMode::Warning, MacroFile::fileName(path) + u"：" + e.description);
    }
}

Str ImageCapture::store(int32_t step, image::StoredImage picture, const Str& anchor) {
    MacroStep& s = document_.steps.at(step);
    ImageCommand c = parseImageCommand(s.command);
    const Str name = nameForRow(document_, step);
    image::ImageSet& images = document_.images;
    // At the cap, the pictures no other step names make room.
    if (!images.contains(name) && images.size() >= image::kMaxImages) images.keepOnly(document_.usedImageNames(step));
    const Str size = sizeText(picture.pixels);
    images.put(name, std::move(picture));
    c.name = name;
    if (!anchor.empty()) {
        if (!c.hasTolerance) c.tolerance = toStr((long long)image::kDefaultTolerance);
        c.hasTolerance = true;
        c.anchored = true;
        c.window = anchor;
    }
    s.command = imageCommandText(c);
    document_.markChanged();
    grid_.redraw();
    Str told = u"画像「" + name + u"」を取り込みました (" + size + u")";
    if (!anchor.empty()) told += u"　「" + anchor + u"」の中を探します";
    return told;
}
