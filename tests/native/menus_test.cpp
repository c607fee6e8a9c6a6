// Menus: the tree and its window-wide shortcuts, the settings launch with the
// hot-key watch paused, help and version.
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

#include "editor_fixture.h"
#include "input/keys.h"

namespace {
const Str kHelp = u"C:\\Program Files\\TOVIRAK\\README.TXT";
}

using MenusTest = EditorTest;

TEST_F(MenusTest, TreeCaptionsAndShortcuts) {
    auto& menus = app->form->menus();
    ASSERT_EQ(menus.size(), 2u);
    EXPECT_EQ(menus[0]->caption(), u"ﾌｧｲﾙ(&F)");
    EXPECT_EQ(menus[1]->caption(), u"ﾂｰﾙ(&T)");
    std::vector<Str> file, tool;
    for (auto& m : menus[0]->children()) file.push_back(m->caption());
    for (auto& m : menus[1]->children()) tool.push_back(m->caption());
    EXPECT_EQ(file, (std::vector<Str>{u"新規作成(&N)", u"開く(&O)", u"名前を付けて保存(&A)", u"上書き保存(&S)", u"-", u"終了(&Q)"}));
    EXPECT_EQ(tool, (std::vector<Str>{u"実行(&G)", u"記録(&K)", u"設定(&E)", u"この行を実行(&T)", u"位置を表示(&P)",
                                      u"画像ﾌｧｲﾙ読込(&L)", u"-", u"行挿入(&I)", u"行削除(&D)", u"-", u"Read Me!(&R)", u"ﾊﾞｰｼﾞｮﾝ情報(&V)"}));
    EXPECT_EQ(app->menu.saveAs->shortcut(), (tk::Shortcut{'A', tk::CtrlMask}));
    EXPECT_EQ(app->menu.run->shortcut(), (tk::Shortcut{tk::key::F5, 0}));
    EXPECT_EQ(app->menu.record->shortcut(), (tk::Shortcut{'K', tk::CtrlMask}));
    EXPECT_EQ(app->menu.picture->shortcut(), (tk::Shortcut{'L', tk::CtrlMask}));
    EXPECT_EQ(app->menu.help->shortcut(), (tk::Shortcut{tk::key::F1, 0}));
    EXPECT_EQ(app->menu.version->shortcut(), (tk::Shortcut{}));
}

// Each shortcut does its own command, entered the way a real key enters
// (the window-wide shortcut handling that runs before the focused control).
TEST_F(MenusTest, EveryShortcutDoesItsOwnCommand) {
    load(3);
    app->document.setChanged(false);
    app->grid.commandBox(2)->userFocus();

    p.answers = {tk::mb::IdNo, tk::mb::IdNo};
    EXPECT_TRUE(ctrl('I'));
    ASSERT_FALSE(p.shown.empty());
    EXPECT_EQ(p.shown.back().text, u"2行目を挿入します。");
    EXPECT_TRUE(ctrl('D'));
    EXPECT_EQ(p.shown.back().text, u"2行目を削除します。");

    // F5 starts a run; a click on the start button stops it again.
    const size_t asked = p.shown.size();
    EXPECT_TRUE(app->form->userShortcut(tk::key::F5, 0));
    EXPECT_EQ(app->player.state().row, 1);
    EXPECT_EQ(p.shown.size(), asked);
    app->controls.startButton->press();
    EXPECT_EQ(app->player.state().row, 0);

    EXPECT_TRUE(ctrl('E'));
    EXPECT_EQ(p.modalsShown, (std::vector<std::string>{"frm_Setting"}));
    std::vector<Str> captions;
    auto caption = [&](tk::Form& f) {
        captions.push_back(f.text());
        f.userClose();
    };
    p.modalScripts.push_back(caption);
    EXPECT_TRUE(ctrl('O'));
    EXPECT_EQ(p.modalsShown.back(), "frm_FileSelect");
    p.modalScripts.push_back(caption);
    EXPECT_TRUE(ctrl('A'));
    EXPECT_EQ(p.modalsShown.size(), 3u);
    EXPECT_EQ(captions, (std::vector<Str>{Str(FileSelectDialog::CaptionRead), Str(FileSelectDialog::CaptionWrite)}));

    // Ctrl+S writes the named document without a dialog.
    app->document.setPath(u"C:\\work\\s.TVK");
    EXPECT_TRUE(ctrl('S'));
    EXPECT_NE(p.file(u"C:\\work\\s.TVK"), nullptr);
    EXPECT_EQ(p.modalsShown.size(), 3u);

    p.putFile(kHelp, "help");
    EXPECT_TRUE(app->form->userShortcut(tk::key::F1, 0));
    EXPECT_EQ(p.started, std::vector<Str>{u"Notepad.exe " + kHelp});

    // Ctrl+N empties the document.
    EXPECT_TRUE(ctrl('N'));
    EXPECT_EQ(app->document.steps.count(), 1);
    EXPECT_EQ(app->document.steps.at(1).action, u"");
    EXPECT_EQ(app->document.path(), u"");

    EXPECT_TRUE(ctrl('Q'));
    EXPECT_FALSE(app->form->isShown());
    EXPECT_TRUE(p.toolkit.quitRequested);
}

// Every menu and every item can be reached by an access key of its own.
TEST_F(MenusTest, AccessKeysAreUniqueWithinEachMenu) {
    auto key = [](const Str& caption) {
        size_t at = caption.find(u'&');
        return at == Str::npos || at + 1 >= caption.size() ? char16_t(0) : caption[at + 1];
    };
    std::set<char16_t> bar;
    for (auto& menu : app->form->menus()) {
        const char16_t k = key(menu->caption());
        EXPECT_NE(k, 0) << toUtf8(menu->caption());
        EXPECT_TRUE(bar.insert(k).second) << toUtf8(menu->caption());
        std::set<char16_t> items;
        for (auto& item : menu->children()) {
            if (item->separator()) continue;
            const char16_t ik = key(item->caption());
            EXPECT_NE(ik, 0) << toUtf8(item->caption());
            EXPECT_TRUE(items.insert(ik).second) << toUtf8(item->caption());
        }
    }
    EXPECT_EQ(bar, (std::set<char16_t>{u'F', u'T'}));
}

TEST_F(MenusTest, ShortcutsWorkInsideTextBoxesAndStopDuringARun) {
    load(3);
    app->grid.commandBox(2)->userFocus();
    p.answers = {tk::mb::IdNo};
    EXPECT_TRUE(ctrl('I'));  // the row insert question, even from a text box
    EXPECT_EQ(p.shown.back().text, u"2行目を挿入します。");
    EXPECT_TRUE(app->form->userShortcut(tk::key::F1, 0));

    // A run locks the two menus and with them their shortcuts.
    app->player.setRunLock(true);
    const size_t asked = p.shown.size();
    for (char k : {'N', 'O', 'A', 'S', 'Q', 'E', 'I', 'D'}) EXPECT_FALSE(ctrl(k)) << k;
    EXPECT_FALSE(app->form->userShortcut(tk::key::F1, 0));
    EXPECT_FALSE(app->form->userShortcut(tk::key::F5, 0));
    EXPECT_EQ(p.shown.size(), asked);
    EXPECT_TRUE(p.modalsShown.empty());
    app->player.setRunLock(false);
    p.answers = {tk::mb::IdNo};
    EXPECT_TRUE(ctrl('D'));
}

TEST_F(MenusTest, RowsShownAfterARunAreUnlockedLikeTheRest) {
    size(6000, heightFor(2));
    load(10);
    app->player.setRunLock(true);
    size(6000, heightFor(5));  // rows 3..5 created while locked
    EXPECT_FALSE(app->grid.actionList(5)->enabled());
    size(6000, heightFor(2));
    app->player.setRunLock(false);
    size(6000, heightFor(5));
    for (int r = 1; r <= 5; ++r) {
        EXPECT_TRUE(app->grid.actionList(size_t(r))->enabled()) << r;
        EXPECT_TRUE(app->grid.commentBox(size_t(r))->enabled()) << r;
        EXPECT_TRUE(app->grid.setButton(size_t(r))->enabled()) << r;
    }
}

TEST_F(MenusTest, SettingsDialogPausesTheHotKeyWatchAndTheOnTopState) {
    app->document.settings.topMost = true;
    bool watchRunning = true;
    std::string traceAtOpen;
    p.modalScripts.push_back([&](tk::Form&) {
        watchRunning = p.timerRunning("tim_Start");
        traceAtOpen = p.traceText();
    });
    EXPECT_TRUE(ctrl('E'));
    ASSERT_EQ(p.modalsShown.size(), 1u);
    EXPECT_EQ(p.modalsShown[0], "frm_Setting");
    EXPECT_FALSE(watchRunning);
    EXPECT_NE(traceAtOpen.find(",-2,0,0,0,0,3)"), std::string::npos);  // not on top while open
    EXPECT_TRUE(p.timerRunning("tim_Start"));
    EXPECT_EQ(app->hotKeys.timer().interval(), HotKeyWatch::SlowPollMs);  // the hook wakes the watch
    EXPECT_NE(p.traceText().rfind(",-1,0,0,0,0,3)"), std::string::npos);  // on top again

    // With the editor locked as for a run the menu item does nothing.
    app->player.setRunLock(true);
    EXPECT_FALSE(app->controls.settingsButton->enabled());
    app->menu.settings->onClick();
    EXPECT_EQ(p.modalsShown.size(), 1u);
}

TEST_F(MenusTest, HelpOpensTheFileBesideTheProgramInTheViewer) {
    p.putFile(kHelp, "help");
    EXPECT_TRUE(app->form->userShortcut(tk::key::F1, 0));
    ASSERT_EQ(p.started.size(), 1u);
    EXPECT_EQ(p.started[0], u"Notepad.exe C:\\Program Files\\TOVIRAK\\README.TXT");
    EXPECT_NE(p.traceText().find("Shell(Notepad.exe C:\\Program Files\\TOVIRAK\\README.TXT,1)"), std::string::npos);
}

TEST_F(MenusTest, HelpWarnsWhenTheFileOrTheViewerIsMissing) {
    const int beeps = p.beeps;
    app->menu.showHelp();
    EXPECT_EQ(status(), u"Readme.txtが見つかりません。");
    EXPECT_EQ(app->statusLine.label().foreColor(), tk::rgb(255, 0, 0));
    EXPECT_EQ(p.beeps, beeps + 1);
    EXPECT_TRUE(p.started.empty());

    p.putFile(kHelp, "help");
    p.startFailures.insert(u"Notepad.exe " + kHelp);
    app->menu.showHelp();
    EXPECT_EQ(status(), u"Notepad.exeが見つかりません。");
    EXPECT_EQ(p.beeps, beeps + 2);
    // Warnings are not errors: nothing in the log.
    EXPECT_EQ(p.file(u"C:\\Program Files\\TOVIRAK\\TOVIRAK_ERROR.LOG"), nullptr);
}

TEST_F(MenusTest, VersionBoxShowsTheProgramVersion) {
    app->menu.version->userClick();
    ASSERT_FALSE(p.shown.empty());
    EXPECT_EQ(p.shown.back().text, u"TOVIRAK 1.0");
    EXPECT_EQ(p.shown.back().title, u"ﾊﾞｰｼﾞｮﾝ情報");
    EXPECT_EQ(p.shown.back().style, tk::mb::OK);
    p.verMajor = 13;
    p.verMinor = 2;
    app->menu.showVersion();
    EXPECT_EQ(p.shown.back().text, u"TOVIRAK 13.2");
}

namespace {
std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}
}  // namespace

// The help file the build places beside the program: CP932 with CR LF, the
// same text as its UTF-8 source, and every key name of the key lists.
TEST(HelpFile, IsCp932WithCrLfAndNamesEveryKey) {
    const std::string root = TOVIRAK_SOURCE_DIR;
    const std::string bytes = slurp(root + "res/README.TXT");
    const std::string source = slurp(root + "res/README.utf8.txt");
    ASSERT_FALSE(bytes.empty());
    ASSERT_FALSE(source.empty());
    for (size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\n') {
            ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at byte " << i;
        }
    const Str text = fromCp932(bytes);
    EXPECT_EQ(replaceAll(text, u"\r\n", u"\n"), fromUtf8(source));
    EXPECT_EQ(toCp932(text), bytes);
    // Each cell of the key table: the name, its code in decimal and in
    // hexadecimal, as the program's own table has them.
    for (auto& [name, code] : keys::table()) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%3d (%02X)", int(code), unsigned(code));
        Str cell = name;
        while (cell.size() < 14) cell += u' ';
        cell += fromUtf8(digits);
        EXPECT_NE(text.find(cell), Str::npos) << toUtf8(cell);
    }
    EXPECT_EQ(keys::table().size(), 127u);
}

TEST(CommandAvailability, IsOneFunctionOfTheState) {
    // Idle with the caret outside the grid: everything but trying a row.
    Commands c = availableCommands({});
    EXPECT_TRUE(c.edit && c.start);
    EXPECT_FALSE(c.tryRow);
    // A run locks the editor (the File and Tool menus with it); its button
    // stays to stop it.
    c = availableCommands({.runLocked = true, .rowFocused = true});
    EXPECT_FALSE(c.edit);
    EXPECT_TRUE(c.start);
    // A tried row holds the run's lock and the start button too.
    c = availableCommands({.runLocked = true, .trying = true, .rowFocused = true});
    EXPECT_FALSE(c.edit || c.start);
    // Trying a row needs the caret in a row, and no recording.
    EXPECT_TRUE(availableCommands({.rowFocused = true}).tryRow);
    EXPECT_FALSE(availableCommands({.recording = true, .rowFocused = true}).tryRow);
}
