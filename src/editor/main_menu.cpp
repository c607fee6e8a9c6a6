// The menu bar and the availability of commands.
#include "editor/main_menu.h"

#include "core/macro_file.h"

Commands availableCommands(const CommandState& state) {
    Commands c;
    c.edit = !state.runLocked;
    c.start = !state.trying;
    c.tryRow = state.rowFocused && !state.recording;
    return c;
}

MainMenu::MainMenu(tk::Form& window, os::Services& services, StatusLine& status)
    : window_(window), os_(services), status_(status) {
    const int C = tk::CtrlMask;
    file = &window.addMenu("mnu_File", u"ﾌｧｲﾙ(&F)");
    newDocument = &file->add("mnu_New", u"新規作成(&N)", {'N', C});
    open = &file->add("mnu_Open", u"開く(&O)", {'O', C});
    saveAs = &file->add("mnu_Save", u"名前を付けて保存(&A)", {'A', C});
    save = &file->add("mnu_SaveUwa", u"上書き保存(&S)", {'S', C});
    file->add("mnu_Nop1", u"-");
    quit = &file->add("mnu_Quit", u"終了(&Q)", {'Q', C});
    tool = &window.addMenu("mnu_Tool", u"ﾂｰﾙ(&T)");
    run = &tool->add("mnu_Go", u"実行(&G)", {tk::key::F5, 0});
    record = &tool->add("mnu_Kiroku", u"記録(&K)", {'K', C});
    settings = &tool->add("mnu_Setting", u"設定(&E)", {'E', C});
    runRow = &tool->add("mnu_RunRow", u"この行を実行(&T)", {'T', C});
    showRow = &tool->add("mnu_ShowRow", u"位置を表示(&P)", {'P', C});
    picture = &tool->add("mnu_Picture", u"画像ﾌｧｲﾙ読込(&L)", {'L', C});
    tool->add("mnu_Nop2", u"-");
    insertRow = &tool->add("mnu_Ins", u"行挿入(&I)", {'I', C});
    deleteRow = &tool->add("mnu_Del", u"行削除(&D)", {'D', C});
    tool->add("mnu_Nop3", u"-");
    help = &tool->add("mnu_Help", u"Read Me!(&R)", {tk::key::F1, 0});
    version = &tool->add("mnu_Ver", u"ﾊﾞｰｼﾞｮﾝ情報(&V)");
    help->onClick = [this] { showHelp(); };
    version->onClick = [this] { showVersion(); };
}

void MainMenu::apply(const Commands& commands) {
    file->setEnabled(commands.edit);
    tool->setEnabled(commands.edit);
    runRow->setEnabled(commands.tryRow);
    showRow->setEnabled(commands.tryRow);
    picture->setEnabled(commands.tryRow);
}

void MainMenu::showHelp() {
    try {
        const Str path = os_.programFolder() + u"\\README.TXT";
        if (!os_.fileExists(path)) {
            status_.show(StatusMode::Warning, u"Readme.txtが見つかりません。");
            return;
        }
        // The viewer takes the rest of its command line as the file name,
        // so the path needs no quotes even with blanks in it.
        os_.startProgram(u"Notepad.exe " + path, os::k::SW_SHOWNORMAL);
    } catch (const std::exception&) {
        status_.show(StatusMode::Warning, u"Notepad.exeが見つかりません。");
    }
}

void MainMenu::showVersion() {
    guarded(status_, u"mnu_Ver_Click", [&] {
        window_.backend().messageBox(u"TOVIRAK " + programVersion(os_), tk::mb::OK, u"ﾊﾞｰｼﾞｮﾝ情報");
    });
}
