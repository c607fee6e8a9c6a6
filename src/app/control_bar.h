// The controls of the main window above the step grid: the interval with
// its unit, and the start, end and settings buttons.
#pragma once

#include "core/document.h"
#include "platform/toolkit.h"

struct ControlBar {
    // Creates them on the window, in their tab order, showing the
    // document's interval.
    ControlBar(tk::Form& window, const Document& document);

    tk::TextBox* intervalBox;
    tk::ComboBox* unitBox;
    tk::Button* startButton;
    tk::Button* endButton;
    tk::Button* settingsButton;
};
