// The program's own file selection window, driven through its controls.
#include <functional>

#include "app_fixture.h"
#include "dialog_helpers.h"
#include "documents/file_select.h"

using filesel::DirListBox;
using filesel::DriveListBox;
using filesel::FileListBox;

namespace {
const std::vector<Str> kRootAndWork{u"C:\\", u"  work", u"    Alpha", u"    sub"};
}

class FileSelectTest : public AppTest {
protected:
    void SetUp() override {
        p.folders.insert(u"C:\\");
        p.folders.insert(u"C:\\work\\sub");
        p.folders.insert(u"C:\\work\\Alpha");
        p.putFile(u"C:\\work\\b.TVK", "x");
        p.putFile(u"C:\\work\\a.tvk", "x");
        p.putFile(u"C:\\work\\c.txt", "x");
        p.putFile(u"C:\\work\\d.tvkx", "x");
        p.putFile(u"C:\\work\\sub\\inner.tvk", "x");
        p.putFile(u"C:\\root.TVK", "x");
        start();
    }
    // Shows the dialog in a mode (1 read, 2 write) with a script driving
    // it; the result path.
    Str run(int mode, std::function<void(tk::Form&)> script) {
        p.modalScripts.push_back(std::move(script));
        return app->documents.chooseFile(mode == 1 ? FileSelectMode::Read : FileSelectMode::Write);
    }
    static DirListBox& dir(tk::Form& f) { return *control<DirListBox>(f, "dir_File"); }
    static FileListBox& fil(tk::Form& f) { return *control<FileListBox>(f, "fil_File"); }
    static DriveListBox& drv(tk::Form& f) { return *control<DriveListBox>(f, "drv_File"); }
    static tk::TextBox& name(tk::Form& f) { return *control<tk::TextBox>(f, "txt_FileName"); }
    static tk::Button& ok(tk::Form& f) { return *control<tk::Button>(f, "cmd_OK"); }
    static tk::Button& cancel(tk::Form& f) { return *control<tk::Button>(f, "cmd_Cancel"); }
    // Accepts a typed name in the folder the dialog opened with.
    Str accept(const Str& typed, Str* shown = nullptr) {
        return run(2, [&](tk::Form& f) {
            name(f).userTyped(typed);
            ok(f).press();
            if (shown) *shown = name(f).text();
        });
    }
};

TEST_F(FileSelectTest, ModeSetsCaptionAndFocus) {
    run(1, [&](tk::Form& f) {
        EXPECT_EQ(f.text(), u"読み込むﾌｧｲﾙを選択して下さい。");
        EXPECT_EQ(f.activeControl(), &fil(f));
        EXPECT_EQ(ok(f).text(), u"Ｏ Ｋ");
        EXPECT_TRUE(ok(f).isDefault);
        EXPECT_EQ(cancel(f).text(), u"ｷｬﾝｾﾙ");
        EXPECT_TRUE(cancel(f).isCancel);
    });
    run(2, [&](tk::Form& f) {
        EXPECT_EQ(f.text(), u"保存するﾌｧｲﾙを入力して下さい。");
        EXPECT_EQ(f.activeControl(), &name(f));
    });
    EXPECT_EQ(p.modalsShown, (std::vector<std::string>{"frm_FileSelect", "frm_FileSelect"}));
}

TEST_F(FileSelectTest, ListsStartAtTheCurrentFolderAndShowOnlyMacroFiles) {
    run(1, [&](tk::Form& f) {
        EXPECT_EQ(drv(f).items(), (std::vector<Str>{u"c:", u"d:"}));
        EXPECT_EQ(drv(f).drive(), u"c:");
        EXPECT_EQ(dir(f).path(), u"C:\\work");
        EXPECT_EQ(dir(f).items(), kRootAndWork);
        EXPECT_EQ(dir(f).listIndex(), 1);  // the open folder
        // Any letter case of the extension; nothing that merely starts so.
        EXPECT_EQ(fil(f).items(), (std::vector<Str>{u"a.tvk", u"b.TVK"}));
        EXPECT_EQ(fil(f).pattern, u"*.TVK");
    });
}

TEST_F(FileSelectTest, ExtensionIsAppendedInLowerCaseOnlyWhenMissing) {
    struct Case {
        Str typed, box;
    } cases[] = {
        {u"macro", u"macro.tvk"},          {u"macro.TVK", u"macro.TVK"},
        {u"macro.tvk", u"macro.tvk"},      {u"macro.tVk", u"macro.tVk"},
        {u"notes.txt", u"notes.txt.tvk"},  {u"朝の巡回", u"朝の巡回.tvk"},
        {u"ｍａｃｒｏ.ＴＶＫ", u"ｍａｃｒｏ.ＴＶＫ.tvk"},  // full-width is no extension
        {u"", u".tvk"},                    // an empty name: the extension alone
    };
    for (const auto& c : cases) {
        Str shown;
        EXPECT_EQ(accept(c.typed, &shown), u"C:\\work\\" + c.box) << toUtf8(c.typed);
        EXPECT_EQ(shown, c.box) << toUtf8(c.typed);
    }
}

TEST_F(FileSelectTest, ClickFillsTheNameAndDoubleClickAccepts) {
    bool closed = false;
    Str path = run(1, [&](tk::Form& f) {
        fil(f).userSelect(1);
        EXPECT_EQ(name(f).text(), u"b.TVK");
        fil(f).userSelect(0);
        EXPECT_EQ(name(f).text(), u"a.tvk");
        fil(f).userDblClick();
        closed = !f.isShown();
    });
    EXPECT_TRUE(closed);
    EXPECT_EQ(path, u"C:\\work\\a.tvk");
}

TEST_F(FileSelectTest, FolderChoiceIsTheDialogsOwnAndRootGivesTwoBackslashes) {
    Str path = run(2, [&](tk::Form& f) {
        dir(f).userSelect(3);  // "sub"
        dir(f).userDblClick();
        EXPECT_EQ(dir(f).path(), u"C:\\work\\sub");
        EXPECT_EQ(dir(f).items(), (std::vector<Str>{u"C:\\", u"  work", u"    sub"}));
        EXPECT_EQ(fil(f).items(), (std::vector<Str>{u"inner.tvk"}));
        dir(f).userSelect(0);  // the root
        dir(f).userDblClick();
        EXPECT_EQ(dir(f).path(), u"C:\\");
        EXPECT_EQ(dir(f).items(), (std::vector<Str>{u"C:\\", u"  work"}));
        EXPECT_EQ(fil(f).items(), (std::vector<Str>{u"root.TVK"}));
        name(f).userTyped(u"r");
        ok(f).press();
    });
    EXPECT_EQ(path, u"C:\\\\r.tvk");
    // The process's current folder never moved.
    EXPECT_EQ(p.curDir, u"C:\\work");
    EXPECT_EQ(p.os.currentFolder(), u"C:\\work");
    // The next showing starts from the current folder again.
    run(1, [&](tk::Form& f) { EXPECT_EQ(dir(f).path(), u"C:\\work"); });
}

TEST_F(FileSelectTest, CancelCloseBoxAndNoAnswerLeaveTheResultEmpty) {
    // A name chosen before is no result of a later showing.
    EXPECT_NE(run(2, [&](tk::Form& f) {
                  name(f).userTyped(u"x");
                  ok(f).press();
              }),
              u"");
    EXPECT_EQ(run(2, [&](tk::Form& f) {
                  name(f).userTyped(u"x");
                  cancel(f).press();
              }),
              u"");
    EXPECT_EQ(run(2, [&](tk::Form& f) {
                  name(f).userTyped(u"x");
                  f.userClose();
              }),
              u"");
    EXPECT_EQ(app->documents.chooseFile(FileSelectMode::Read), u"");  // no script: dismissed
    EXPECT_EQ(p.modalsShown.back(), "frm_FileSelect");
}

TEST_F(FileSelectTest, DriveNotReadyOffersRetryAndCancelKeepsTheLists) {
    p.answers = {tk::mb::IdRetry, tk::mb::IdCancel};
    Str path = run(2, [&](tk::Form& f) {
        drv(f).userSelect(1);  // d:, no medium
        EXPECT_EQ(drv(f).drive(), u"d:");  // the changed list shows the choice
        EXPECT_EQ(dir(f).path(), u"C:\\work");
        EXPECT_EQ(dir(f).items(), kRootAndWork);
        EXPECT_EQ(fil(f).items(), (std::vector<Str>{u"a.tvk", u"b.TVK"}));
        name(f).userTyped(u"m");
        ok(f).press();
    });
    ASSERT_EQ(p.shown.size(), 2u);  // asked again after Retry
    for (auto& m : p.shown) {
        EXPECT_EQ(m.style, tk::mb::Critical | tk::mb::RetryCancel);
        EXPECT_EQ(m.title, u"TOVIRAK");
        EXPECT_EQ(m.text, err::describeNumber(err::DiskNotReady));
    }
    EXPECT_EQ(path, u"C:\\work\\m.tvk");
}

TEST_F(FileSelectTest, AnotherDriveOpensAtItsRootAndBackAtTheCurrentFolder) {
    p.notReadyDrives.clear();
    p.folders.insert(u"D:\\");
    p.putFile(u"D:\\x.TVK", "x");
    Str path = run(1, [&](tk::Form& f) {
        drv(f).userSelect(1);
        EXPECT_EQ(dir(f).path(), u"D:\\");
        EXPECT_EQ(fil(f).items(), (std::vector<Str>{u"x.TVK"}));
        drv(f).userSelect(0);
        EXPECT_EQ(dir(f).path(), u"C:\\work");
        drv(f).userSelect(1);
        fil(f).userSelect(0);
        ok(f).press();
    });
    EXPECT_EQ(path, u"D:\\\\x.TVK");
    EXPECT_TRUE(p.shown.empty());
}

TEST_F(FileSelectTest, LayoutFollowsTheWindowAndNeverGoesNegative) {
    run(1, [&](tk::Form& f) {
        EXPECT_EQ(f.width(), app->form->width());
        EXPECT_EQ(f.height(), app->form->height());
        f.userMoveResize(0, 0, 9000, 6000, 8880, 5310);  // the user sizes it
        const double half = 9000 / 2 - 50, listH = 6000 - 300 - 375 - 500;
        EXPECT_EQ(dir(f).left(), 0);
        EXPECT_EQ(dir(f).width(), half);
        EXPECT_EQ(dir(f).height(), listH);
        EXPECT_EQ(drv(f).top(), listH);
        EXPECT_EQ(cancel(f).top(), listH + 300);
        EXPECT_EQ(fil(f).left(), half);
        EXPECT_EQ(fil(f).height(), listH);
        EXPECT_EQ(name(f).left(), half);
        EXPECT_EQ(name(f).top(), listH);
        EXPECT_EQ(ok(f).top(), listH + 300);
        // Narrower than 100 twips and lower than the fixed parts.
        for (double w : {0.0, 60.0, 100.0}) {
            f.userMoveResize(0, 0, w, 200, 0, 0);
            for (tk::Control* c : f.controls()) {
                EXPECT_GE(c->width(), 1) << c->name();
                EXPECT_GE(c->height(), 1) << c->name();
                EXPECT_GE(c->left(), 0) << c->name();
                EXPECT_GE(c->top(), 0) << c->name();
            }
        }
        EXPECT_EQ(dir(f).height(), 1);
        f.setWindowState(tk::WindowState::Minimized);
        f.setWindowState(tk::WindowState::Normal);
    });
    EXPECT_TRUE(p.shown.empty());
}

TEST(FileSelectPattern, MatchesLikeTheFileSystemWithoutCase) {
    using filesel::matchPattern;
    EXPECT_TRUE(matchPattern(u"a.TVK", u"*.TVK"));
    EXPECT_TRUE(matchPattern(u"a.tvk", u"*.TVK"));
    EXPECT_TRUE(matchPattern(u".tvk", u"*.TVK"));
    EXPECT_TRUE(matchPattern(u"x.y.tVk", u"*.TVK"));
    EXPECT_FALSE(matchPattern(u"a.tvkx", u"*.TVK"));
    EXPECT_FALSE(matchPattern(u"tvk", u"*.TVK"));
    EXPECT_FALSE(matchPattern(u"a.tv", u"*.TVK"));
    EXPECT_TRUE(matchPattern(u"abc", u"a?c"));
    EXPECT_TRUE(matchPattern(u"a.b", u"*.*"));
    EXPECT_EQ(filesel::rootOf(u"C:\\work\\sub"), u"C:\\");
    EXPECT_EQ(filesel::rootOf(u"\\\\srv\\share\\dir"), u"\\\\srv\\share\\");
}
