// The image steps against Wine's Notepad on the Japanese desk. Through the
// built program: a picture cut from a real screenshot of Notepad's text is
// found in Notepad's window after it has moved, "画像ｸﾘｯｸ" puts the caret
// there and the next step types at that place; "画像消失待ち" ends when Notepad is
// closed. In the main window on real windows: "set" with Shift takes the
// picture from under the program's own window and anchors the row to
// Notepad.
#include "app/main_window.h"
#include "harness.h"
#include "notepad.h"
#include "program.h"
#include "test_services.h"
#include "xdotool.h"

#include <chrono>
#include <memory>

#include "image/document_images.h"
#include "platform/win32/os_probe.h"
#include "platform/win32/screen_probe.h"
#include "platform/win32/win32_platform.h"

namespace {
namespace probe = win32::probe;
using wt::Notepad;

// Three lines; the caret stays at the start of the first, far from the
// third, where the picture is cut.
const Str kText = u"一行目の文字 abc\r\n二行目 12345\r\nmarker HERE text";
const Str kWord = u"HERE";

Str document(const std::vector<std::pair<Str, Str>>& rows, const Str& imageLine) {
    Str t = u"Ver=1.0\r\nTop=0\r\nHeight=4275\r\nLeft=0\r\nWidth=3690\r\nKankakuTime=0.2\r\nKankakuTimeTani=1\r\n";
    t += u"WindowTitle=\r\nStartHotKey=\r\nStopHotKey=\r\nTimerHH=0\r\nTimerMM=0\r\nTimerEnabled=False\r\n";
    t += u"TimerPCOff=False\r\nTopMost=False\r\nNotActive=False\r\n";
    for (auto& [action, command] : rows) t += u"\"" + action + u"\",\"" + command + u"\",\"\"\r\n";
    return t + imageLine + u"\r\n";
}

struct Cut {
    image::Image picture;
    os::Point centre;  // where a click on it goes, on the screen it was cut from
    int index = 0;     // the character boundary at the centre
};

// Notepad in front at a place away from the program's window, holding the
// text; a picture of the middle of the word, centred on the boundary after
// its second character, cut from a capture of the screen.
bool cutFromNotepad(os::Services& os, Notepad& np, Cut& out) {
    os.setWindowPos(np.window, 0, 420, 300, 520, 300, os::k::SWP_NOZORDER);
    if (!probe::setControlText(np.edit, kText) || !np.bringToFront()) return false;
    probe::pump(500);
    const int at = int(kText.find(kWord));
    out.index = at + 2;
    const os::Point boundary = probe::editCharPosition(np.edit, out.index);
    const os::Point lineStart = probe::editCharPosition(np.edit, at);
    const os::Point secondLine = probe::editCharPosition(np.edit, int(kText.find(u"二")));
    const os::Point firstLine = probe::editCharPosition(np.edit, 0);
    const int32_t lineHeight = secondLine.y - firstLine.y;
    if (lineHeight <= 4 || lineStart.y != boundary.y) return false;
    const os::Rect r{boundary.x - 15, boundary.y, boundary.x + 16, boundary.y + lineHeight};
    os::ScreenPixels shot;
    if (!os.captureScreen(os.virtualScreen(), shot)) return false;
    out.picture = image::cut(shot, r);
    out.centre = {r.left + (r.width() - 1) / 2, r.top + (r.height() - 1) / 2};
    wt::note("cut " + std::to_string(r.width()) + "x" + std::to_string(r.height()) + " at " + std::to_string(r.left) +
             "," + std::to_string(r.top));
    return true;
}

}  // namespace

TEST(ImageSteps, APictureOfNotepadsTextIsFoundAfterItMovedAndClickedThereAndTypedAt) {
    auto os = win32::makeServices(1, 0);
    Notepad np(*os);
    ASSERT_TRUE(np.window != 0 && np.edit != 0);
    Cut cut;
    ASSERT_TRUE(cutFromNotepad(*os, np, cut));
    const Str line = image::imageLine(u"画像1", image::storeCapture(cut.picture));
    // Notepad moves; the caret goes back to the start, away from the word.
    const int dx = 137, dy = 91;
    os->setWindowPos(np.window, 0, 420 + dx, 300 + dy, 0, 0, os::k::SWP_NOZORDER | os::k::SWP_NOSIZE);
    probe::pump(300);
    ASSERT_TRUE(probe::editCharPosition(np.edit, cut.index).x != cut.centre.x);

    const Str title = os->getWindowText(np.window);
    wt::Program prog(*os, u"tvk_img_");
    // Searched in Notepad's window, which the step brings to the front.
    prog.writeDocument(u"image.TVK", document({{u"画像ｸﾘｯｸ", u"画像1,32," + title},
                                              {u"ｷｰ入力", u"#"},
                                              {u"終了", u""}},
                                             line));
    prog.start(u"/RUN /NOMSG image.TVK");
    const long code = prog.process->wait(30000);
    if (code == -1) {
        wt::note("status: " + wt::utf8(prog.status()) + ", windows: " + prog.windows());
        prog.process->kill();
    }
    EXPECT_EQ(code, 0L);
    Str expected = kText;
    expected.insert(size_t(cut.index), u"#");
    EXPECT_EQ(np.waitText(expected), expected);
}

TEST(ImageSteps, AWaitForThePictureToGoEndsWhenNotepadIsClosed) {
    auto os = win32::makeServices(1, 0);
    auto np = std::make_unique<Notepad>(*os);
    ASSERT_TRUE(np->window != 0 && np->edit != 0);
    Cut cut;
    ASSERT_TRUE(cutFromNotepad(*os, *np, cut));
    const Str line = image::imageLine(u"画像1", image::storeCapture(cut.picture));
    wt::Program prog(*os, u"tvk_img_");
    prog.writeDocument(u"gone.TVK", document({{u"画像消失待ち", u"画像1"}, {u"終了", u""}}, line));
    prog.start(u"/RUN /NOMSG gone.TVK");
    // It waits on its row while Notepad shows the word.
    probe::pump(3000);
    EXPECT_EQ(prog.process->wait(0), -1L);
    EXPECT_TRUE(startsWith(prog.status(), u"実行中 1"));
    const auto closed = std::chrono::steady_clock::now();
    np.reset();
    const long code = prog.process->wait(10000);
    const double after = std::chrono::duration<double>(std::chrono::steady_clock::now() - closed).count();
    wt::note("ended " + std::to_string(after) + " s after Notepad was closed");
    if (code == -1) prog.process->kill();
    EXPECT_EQ(code, 0L);
    EXPECT_TRUE(after < 3.0);
}

TEST(ImageSteps, SetWithShiftTakesThePictureFromUnderTheProgramAndAnchorsTheRowToNotepad) {
    auto real = win32::makeServices(1, 0);
    wt::TestServices os(*real);
    Notepad np(*real);
    ASSERT_TRUE(np.window != 0 && np.edit != 0);
    Cut cut;
    ASSERT_TRUE(cutFromNotepad(os, np, cut));
    static std::unique_ptr<tk::Backend> backend = win32::makeToolkit(nullptr);
    MainWindow app(*backend, os);
    app.form->show();
    backend->doEvents();
    // Whatever the working state left by another test holds, one row.
    app.document.clearSteps();
    app.document.steps.grow(1);
    app.document.steps.at(1) = MacroStep{u"画像待ち", u"", u""};
    app.grid.redraw();
    // The program's window lies over the word.
    const double tpp = 15;
    app.form->move((cut.centre.x - 60) * tpp, (cut.centre.y - 60) * tpp, 3690, 4275);
    backend->doEvents();
    probe::pump(300);

    const os::Rect r{cut.centre.x - 20, cut.centre.y - 6, cut.centre.x + 21, cut.centre.y + 7};
    {
        wt::XdotoolInBackground x("sleep 1.5; /usr/bin/xdotool mousemove " + std::to_string(r.left) + " " +
                                      std::to_string(r.top) + " sleep 0.2 mousedown 1 sleep 0.2 mousemove " +
                                      std::to_string(r.right - 1) + " " + std::to_string(r.bottom - 1) +
                                      " sleep 0.2 keydown shift sleep 0.2 mouseup 1 sleep 0.2 keyup shift",
                                  os.currentFolder());
        app.grid.setButton(1)->press();
    }
    EXPECT_EQ(app.document.steps.at(1).command, u"画像1,32," + os.getWindowText(np.window));
    EXPECT_TRUE(app.form->isShown() && probe::isVisible(app.form->nativeHandle()));
    wt::note("status: " + wt::utf8(app.statusLine.text()));
    // What lay under the program's window: Notepad's text, as it shows
    // with the program moved off it.
    const image::StoredImage* taken = app.document.images.find(u"画像1");
    ASSERT_TRUE(taken != nullptr);
    app.form->move(0, 0, 3690, 4275);
    backend->doEvents();
    probe::pump(300);
    os::ScreenPixels now;
    ASSERT_TRUE(os.captureScreen(r, now));
    EXPECT_TRUE(taken->pixels == image::cut(now, r));
    EXPECT_TRUE(app.document.changed());
    app.document.setChanged(false);
    app.form->close();
}
