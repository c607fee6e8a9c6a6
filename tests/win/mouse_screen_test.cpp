// Mouse steps on the real screen: a "ﾏｳｽｶｰｿﾙ移動" step through the
// program's executor puts the cursor on exactly its pixel, for every pixel
// of a row and of a column, and the screen services describe the desktop.
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "harness.h"
#include "input/mouse.h"
#include "platform/win32/tk_testing.h"
#include "platform/win32/win32_platform.h"
#include "test_services.h"

namespace {

namespace tkt = win32::tktest;

// The real services, except that SetCursorPos does nothing: only the
// absolute mouse move the step sends can put the cursor anywhere.
class Services final : public wt::TestServices {
public:
    using TestServices::TestServices;
    bool setCursorPos(int32_t, int32_t) override { return true; }
    void mouseEvent(uint32_t flags, int32_t dx, int32_t dy, uint32_t data, uintptr_t extra) override {
        flagsSent.push_back(flags);
        r.mouseEvent(flags, dx, dy, data, extra);
    }
    std::vector<uint32_t> flagsSent;
};

std::string text(os::Point p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

}  // namespace

TEST(MouseOnScreen, MoveStepsPutTheCursorOnEveryPixelOfARowAndAColumn) {
    std::unique_ptr<tk::Backend> toolkit = win32::makeToolkit(nullptr);
    std::unique_ptr<os::Services> real = win32::makeServices(1, 0);
    Services os{*real};
    auto app = std::make_unique<MainWindow>(*toolkit, os);
    app->form->show();
    toolkit->doEvents();
    // Whatever working state the start-up found: no target window, no stop
    // keys, no stop limit.
    app->document.settings.targetWindowSearch.clear();
    app->hotKeys.setStopKeys({0});
    app->document.settings.stopTimerEnabled = false;

    const os::Rect desk = os.virtualScreen();
    wt::note("virtual desktop " + text({desk.left, desk.top}) + " to " + text({desk.right, desk.bottom}));
    // One screen: the desktop is the primary screen, and the monitor of the
    // window or of any rectangle is that screen too.
    ASSERT_EQ(desk, (os::Rect{0, 0, os.screenWidth(), os.screenHeight()}));
    EXPECT_EQ(os.monitorOfWindow(app->form->nativeHandle()), desk);
    EXPECT_EQ(os.monitorOfRect({5000, 5000, 5100, 5100}), desk);
    EXPECT_EQ(os.monitorOfRect({-300, 10, -100, 20}), desk);

    // Minimised while it runs, as users often leave it: the ticks' redraws
    // then cost little, and the run is long (one step per pixel).
    app->form->setWindowState(tk::WindowState::Minimized);
    toolkit->doEvents();
    std::vector<os::Point> points;
    for (int32_t x = desk.left; x < desk.right; ++x) points.push_back({x, desk.top + desk.height() / 2 + 3});
    for (int32_t y = desk.top; y < desk.bottom; ++y) points.push_back({desk.left + desk.width() / 2 - 7, y});
    app->document.steps.resize(int32_t(points.size()) + 1);
    for (size_t i = 0; i < points.size(); ++i)
        app->document.steps.at(int32_t(i) + 1) = MacroStep{u"ﾏｳｽｶｰｿﾙ移動", toStr((long long)points[i].x) + u"," +
                                                                      toStr((long long)points[i].y), Str()};
    app->grid.resizeSteps(0, false);
    // A one-second interval: the test ticks the step timer's handler itself,
    // and the timer, which only the message loop would run, never does.
    app->controls.intervalBox->setText(u"1");
    app->controls.unitBox->setText(u"秒");
    tkt::click(*app->controls.startButton);
    ASSERT_EQ(app->player.state().row, 1);

    int wrong = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        app->player.tick();
        const os::Point at = os.getCursorPos();
        if (!(at == points[i]) && ++wrong <= 10) wt::note(text(points[i]) + " reached " + text(at));
        if (app->player.state().row != int32_t(i) + 2 && i + 1 < points.size()) {
            wt::fail(__FILE__, __LINE__, "the run did not go on at " + text(points[i]) + ": " + wt::utf8(app->statusLine.text()));
            break;
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(os.flagsSent.size(), points.size());
    for (uint32_t f : os.flagsSent)
        if (!EXPECT_EQ(f, mouse::kAbsoluteMove)) break;
    tkt::click(*app->controls.startButton);
    EXPECT_EQ(app->player.state().row, 0);
    app->form->onQueryUnload = nullptr;
}
