// Label: a static text, several lines when the caption holds CR LF.
#include "platform/win32/tk_internal.h"

namespace win32::tkw {
namespace {

struct LabelNative final : CtlNative {
    using CtlNative::CtlNative;
    void create(HWND parent) override { createWindow(parent, L"STATIC", SS_LEFT | SS_NOTIFY); }
    void command(int code) override {
        if (code == STN_CLICKED) ctl.userClick();
        else if (code == STN_DBLCLK) ctl.userDblClick();
    }
};

}  // namespace

std::unique_ptr<CtlNative> makeLabel(Toolkit& tk, tk::Control& c) { return std::make_unique<LabelNative>(tk, c); }

}  // namespace win32::tkw
