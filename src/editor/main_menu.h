// The menu bar, which commands may be used now, and the help and version
// items.
#pragma once

#include "core/status_line.h"
#include "platform/os.h"
#include "platform/toolkit.h"

// What decides which commands may be used.
struct CommandState {
    bool runLocked = false;   // a run (or a tried row) holds the editor
    bool trying = false;      // a row is being tried
    bool recording = false;
    bool rowFocused = false;  // the focus is in a row of the grid
};

// Which commands may be used.
struct Commands {
    bool edit = true;    // the editor: the grid, the interval, the end and
                         // settings buttons, the File and Tool menus
    bool start = true;   // the start (and stop) button
    bool tryRow = true;  // the commands on the row holding the caret: "この行を実行",
                         // "位置を表示", "画像ﾌｧｲﾙ読込" (within the Tool menu)
};

Commands availableCommands(const CommandState& state);

class MainMenu {
public:
    // Builds the menu bar of the window.
    MainMenu(tk::Form& window, os::Services& services, StatusLine& status);
    MainMenu(const MainMenu&) = delete;
    MainMenu& operator=(const MainMenu&) = delete;

    // The items of the commands; the window wires their clicks.
    tk::MenuItem* file;
    tk::MenuItem* newDocument;
    tk::MenuItem* open;
    tk::MenuItem* saveAs;
    tk::MenuItem* save;
    tk::MenuItem* quit;
    tk::MenuItem* tool;
    tk::MenuItem* run;
    tk::MenuItem* record;
    tk::MenuItem* settings;
    tk::MenuItem* runRow;
    tk::MenuItem* showRow;
    tk::MenuItem* picture;
    tk::MenuItem* insertRow;
    tk::MenuItem* deleteRow;
    tk::MenuItem* help;
    tk::MenuItem* version;

    // Enables the menus and items as the commands allow.
    void apply(const Commands& commands);

    // "Read Me!": the help file beside the program, in Notepad.
    void showHelp();
    // "ﾊﾞｰｼﾞｮﾝ情報": the program's version.
    void showVersion();

private:
    tk::Form& window_;
    os::Services& os_;
    StatusLine& status_;
};
