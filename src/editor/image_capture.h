// The pictures of image rows. "set" on an image row freezes the screen
// (the program's window out of the way) and takes the rectangle the user
// drags on it; a PNG file is taken in from the file dialog or by dropping
// it on the row. The picture goes into the document under the row's name
// when no other step names it, else under the first free "画像n"; the
// row keeps its tolerance and window text. With Shift held at the release,
// the row is anchored to the window that lay under the rectangle's centre.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "core/document.h"
#include "core/image_command.h"
#include "core/status_line.h"
#include "editor/step_grid.h"
#include "image/document_images.h"
#include "platform/os.h"
#include "platform/toolkit.h"

class ImageCapture {
public:
    // choosePicture shows the file dialog for a PNG and gives the path
    // chosen (empty: none).
    ImageCapture(tk::Form& window, os::Services& services, StatusLine& status, Document& document, StepGrid& grid,
                 std::function<Str()> choosePicture)
        : window_(window), os_(services), status_(status), document_(document), grid_(grid),
          choosePicture_(std::move(choosePicture)) {}
    ImageCapture(const ImageCapture&) = delete;
    ImageCapture& operator=(const ImageCapture&) = delete;

    // Visible row r is an image row: its set button takes a picture.
    bool takes(int r) const;
    // The set button of image row r.
    void capture(int r);
    // A PNG chosen in the file dialog for the row holding the caret.
    void importChosen();
    // Files dropped on visible row r: the first is taken in.
    void filesDropped(int r, const std::vector<Str>& paths);

private:
    // A top-level window as the screen showed it.
    struct ShownWindow {
        os::WindowHandle handle = 0;
        os::Rect rect;
        Str title;
        bool shell = false;
    };
    // The windows shown now, the topmost first, the program's own left out.
    std::vector<ShownWindow> windowsShown();
    // Stores the picture for step and writes the row's new command;
    // anchor, when not empty, becomes its window text. What to tell the
    // user; RtError when a cap refuses the picture.
    Str store(int32_t step, image::StoredImage picture, const Str& anchor);
    // Takes in the PNG file at path for step.
    void importFile(int32_t step, const Str& path);
    // step, when it is an image row (0: not one, which the user is told).
    int32_t imageStep(int32_t step);

    tk::Form& window_;
    os::Services& os_;
    StatusLine& status_;
    Document& document_;
    StepGrid& grid_;
    std::function<Str()> choosePicture_;
};

// The name a picture for a row gets: the row's own when it is a valid name
// no other image step names, else the first free "画像n".
Str nameForRow(const Document& document, int32_t step);
