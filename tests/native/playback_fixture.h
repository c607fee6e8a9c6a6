// A started main window with helpers to lay out a macro, start it and read
// the injected events of the run from the trace.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app_fixture.h"

class PlaybackTest : public AppTest {
protected:
    static constexpr int VK_F11 = 0x7A, VK_F12 = 0x7B, VK_PAUSE = 0x13;

    void SetUp() override { start(); }

    // Rows 1..n of the macro (action, command text), then the empty row.
    void rows(const std::vector<std::pair<Str, Str>>& r) {
        app->document.steps.resize(int32_t(r.size()) + 1);
        for (size_t i = 0; i < r.size(); ++i) {
            app->document.steps.at(int32_t(i) + 1).action = r[i].first;
            app->document.steps.at(int32_t(i) + 1).command = r[i].second;
        }
    }
    // One row, shown, the caret in its command box.
    void row(const Str& action, const Str& command) {
        rows({{action, command}});
        app->grid.redraw();
        app->grid.commandBox(1)->userFocus();
    }
    // A shortcut as the window sees it; marks the trace as run() does.
    bool ctrl(char k) {
        mark = p.trace.size();
        return app->form->userShortcut(k, tk::CtrlMask);
    }
    void interval(const Str& v, const Str& unit = u"秒") {
        app->controls.intervalBox->setText(v);
        app->controls.unitBox->setText(unit);
    }
    // Starts by the button; marks the trace so that events() shows the run.
    void run() {
        mark = p.trace.size();
        app->controls.startButton->press();
    }
    bool running() const { return app->player.state().row != 0; }

    // Injected input since run() (or since the last call with consume).
    std::vector<std::string> events(bool consume = false) {
        std::vector<std::string> out;
        for (size_t i = mark; i < p.trace.size(); ++i) {
            const std::string& l = p.trace[i];
            for (const char* prefix : {"keybd_event", "mouse_event", "SetCursorPos", "SendInput", "SendMessage", "Sleep", "Shell"})
                if (l.rfind(prefix, 0) == 0) out.push_back(l);
        }
        if (consume) mark = p.trace.size();
        return out;
    }
    int countEvent(const std::string& line) {
        int n = 0;
        for (auto& l : events()) n += l == line;
        return n;
    }
    size_t mark = 0;
};
