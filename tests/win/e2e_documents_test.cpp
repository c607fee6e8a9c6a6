// The main window on real windows, driven through the program's own file
// selection window and settings dialog: a script on a timer acts inside the
// modal loop through the native controls, as the user's clicks and typing
// arrive there.
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "app/main_window.h"
#include "documents/file_select.h"
#include "harness.h"
#include "image/document_images.h"
#include "platform/win32/os_probe.h"
#include "platform/win32/tk_testing.h"
#include "platform/win32/win32_platform.h"
#include "settings/settings_dialog.h"
#include "test_services.h"

namespace {

namespace probe = win32::probe;
namespace tkt = win32::tktest;

tk::Backend& backend() {
    static std::unique_ptr<tk::Backend> b = win32::makeToolkit(nullptr);
    return *b;
}

// The real services, with "/NOMSG" as the program's command line.
using Services = wt::TestServices;

bool sameNoCase(StrView a, StrView b) { return lcase(a) == lcase(b); }

// A script that runs one step per timer tick while a modal dialog is open.
// A step returns true when it is done; the script gives up after a limit.
class Script {
public:
    using Step = std::function<bool()>;
    Script(tk::Form& mainForm, std::vector<Step> steps) : steps_(std::move(steps)) {
        timer_ = &mainForm.addTimer("tmrScript");
        timer_->onTick = [this] { tick(); };
        timer_->setInterval(100);
    }
    ~Script() { timer_->setEnabled(false); }
    bool finished() const { return next_ == steps_.size(); }
    size_t reached() const { return next_; }

private:
    void tick() {
        if (busy_ || finished()) return;
        busy_ = true;  // a step may open a nested loop
        if (++ticks_ > 300) {
            wt::note("script gave up at step " + std::to_string(next_));
            next_ = steps_.size();
            timer_->setEnabled(false);
            // Leave the dialog, whichever is open.
            if (auto* d = FileSelectDialog::shown()) tkt::click(*d->cmd_Cancel);
            if (auto* s = SettingsDialog::shown()) tkt::click(*s->cmd_Cancel);
        } else if (steps_[next_]()) {
            ++next_;
            if (finished()) timer_->setEnabled(false);
        }
        busy_ = false;
    }
    std::vector<Step> steps_;
    tk::Timer* timer_ = nullptr;
    size_t next_ = 0;
    int ticks_ = 0;
    bool busy_ = false;
};

// Opens the folder list at target, one double-click at a time, like a user:
// the drive first, then the ancestor or child item that leads there.
bool openFolder(FileSelectDialog& d, const Str& target) {
    if (!filesel::sameDrive(d.dir_File->path(), target)) {
        int i = d.drv_File->findExact(lcase(target.substr(0, 2)));
        if (i < 0) return false;
        tkt::pick(*d.drv_File, i);
    }
    for (int guard = 0; guard < 40; ++guard) {
        const Str cur = d.dir_File->path();
        if (sameNoCase(cur, target)) return true;
        int best = -1;
        size_t bestLen = 0;
        for (int i = 0; i < d.dir_File->listCount(); ++i) {
            Str p = d.dir_File->pathOf(i);
            if (sameNoCase(p, cur)) continue;
            bool leads = sameNoCase(p, target) ||
                         (p.size() < target.size() && sameNoCase(p, target.substr(0, p.size())) &&
                          (p.back() == u'\\' || target[p.size()] == u'\\'));
            if (leads && p.size() > bestLen) {
                best = i;
                bestLen = p.size();
            }
        }
        if (best < 0) {
            wt::note("no way from " + wt::utf8(cur) + " to " + wt::utf8(target));
            return false;
        }
        tkt::pick(*d.dir_File, best);
        d.dir_File->userDblClick();  // what the list reports for LBN_DBLCLK
    }
    return false;
}

// Script steps that save or open name in folder through the dialog.
std::vector<Script::Step> useFileDialog(const Str& folder, const Str& name, bool pickFromList) {
    return {
        [] { return FileSelectDialog::shown() != nullptr && FileSelectDialog::shown()->form->isShown(); },
        [=] { return openFolder(*FileSelectDialog::shown(), folder); },
        [=] {
            FileSelectDialog& d = *FileSelectDialog::shown();
            if (pickFromList) {
                int i = d.fil_File->findExact(name);
                if (i < 0) return false;  // the list may still be filling
                tkt::pick(*d.fil_File, i);
            } else {
                tkt::nativeSetFocus(*d.txt_FileName);
                tkt::typeChars(*d.txt_FileName, name);
            }
            return true;
        },
        [] {
            tkt::click(*FileSelectDialog::shown()->cmd_OK);
            return true;
        },
    };
}

struct TempFolder {
    Str path = probe::makeTempFolder(u"tvk_docs_");
    ~TempFolder() { probe::removeTree(path); }
};

struct Sink {
    std::vector<Str> failures;
    Sink() {
        tkt::setFailureSink([this](const Str& s) { failures.push_back(s); });
    }
    ~Sink() { tkt::setFailureSink(nullptr); }
};

void fillModel(MainWindow& app) {
    app.document.steps.grow(3);
    app.document.steps.at(1) = MacroStep{u"左ｸﾘｯｸ", u"100,200", u"朝の巡回"};
    app.document.steps.at(2) = MacroStep{u"ｷｰ入力", u"VK_RETURN,^VK_S(300)", u"保存"};
    app.document.steps.at(3) = MacroStep{u"待機", u"1.5", u""};
    app.controls.intervalBox->setText(u"2.5");
    app.controls.unitBox->setText(u"分");
    app.document.settings.targetWindowSearch = u"メモ帳,Notepad";
    app.document.settings.stopKeys = u"VK_F12";
    app.document.settings.timerHours = 1;
    app.document.settings.timerMinutes = 30;
    app.document.settings.stopTimerEnabled = true;
    app.document.markChanged();
}

}  // namespace

TEST(EndToEndDocuments, SavedThroughTheOwnDialogAndReopenedInAFreshStartGivesTheSameBytes) {
    auto real = win32::makeServices(1, 0);
    Services os(*real);
    TempFolder dir;
    Sink sink;
    const Str first = dir.path + u"\\朝の巡回.tvk";
    const Str second = dir.path + u"\\copy.tvk";

    std::string saved;
    {
        MainWindow app(backend(), os);
        app.form->show();
        backend().doEvents();
        fillModel(app);
        // A small document is on the disk well within 0.3 s of OK.
        auto steps = useFileDialog(dir.path, u"朝の巡回", false);
        int64_t okAt = 0;
        steps.back() = [&, ok = steps.back()] {
            okAt = os.monotonicMs();
            return ok();
        };
        Script s(*app.form, steps);
        app.documents.saveAs();
        const int64_t took = os.monotonicMs() - okAt;
        wt::note("saved " + std::to_string(took) + " ms after OK");
        EXPECT_TRUE(took < 300);
        EXPECT_TRUE(s.finished());
        ASSERT_TRUE(os.fileExists(first));
        saved = os.readFile(first);
        EXPECT_TRUE(sameNoCase(app.document.path(), first));
        EXPECT_EQ(app.form->text(), Str(u"TOVIRAK - 朝の巡回.tvk"));
        EXPECT_FALSE(app.document.changed());
        // The process's own folder stayed where it was.
        EXPECT_FALSE(sameNoCase(os.currentFolder(), dir.path));
    }
    {
        // A fresh start: a new main window reads the document through the
        // dialog's file list and writes it out again under another name.
        MainWindow app(backend(), os);
        app.form->show();
        backend().doEvents();
        {
            Script s(*app.form, useFileDialog(dir.path, u"朝の巡回.tvk", true));
            app.documents.open();
            EXPECT_TRUE(s.finished());
        }
        EXPECT_EQ(app.document.steps.count(), 4);
        EXPECT_EQ(app.document.steps.at(2).command, Str(u"VK_RETURN,^VK_S(300)"));
        EXPECT_EQ(app.controls.intervalBox->text(), Str(u"2.5"));
        EXPECT_EQ(app.controls.unitBox->text(), Str(u"分"));
        EXPECT_FALSE(app.document.changed());
        {
            Script s(*app.form, useFileDialog(dir.path, u"copy", false));
            app.documents.saveAs();
            EXPECT_TRUE(s.finished());
        }
        ASSERT_TRUE(os.fileExists(second));
        EXPECT_TRUE(os.readFile(second) == saved);
        if (os.readFile(second) != saved) wt::note("first:\n" + saved + "\nsecond:\n" + os.readFile(second));
    }
    for (auto& f : sink.failures) wt::note("failure: " + wt::utf8(f));
    EXPECT_TRUE(sink.failures.empty());
}

TEST(EndToEndDocuments, ADocumentWithPicturesSurvivesSaveAsClosingAndOpening) {
    auto real = win32::makeServices(1, 0);
    Services os(*real);
    TempFolder dir;
    Sink sink;
    image::Image picture{40, 30, std::vector<uint32_t>(1200)};
    for (size_t i = 0; i < picture.pixels.size(); ++i) picture.pixels[i] = (i % 7 ? 0xFF000000u : 0u) | uint32_t(i * 2654435761u >> 8);
    const image::Image small{2, 2, {0xFF102030u, 0xFF405060u, 0x00000000u, 0xFFFFFFFFu}};

    std::string saved;
    {
        MainWindow app(backend(), os);
        app.form->show();
        backend().doEvents();
        app.document.steps.grow(2);
        app.document.steps.at(1) = MacroStep{u"画像ｸﾘｯｸ", u"ボタン,10,メモ帳", u"押す"};
        app.document.steps.at(2) = MacroStep{u"画像待ち", u"画像1", u""};
        app.document.images.put(u"ボタン", image::storeCapture(picture));
        app.document.images.put(u"画像1", image::storeCapture(small));
        app.document.markChanged();
        Script s(*app.form, useFileDialog(dir.path, u"画像つき", false));
        app.documents.saveAs();
        EXPECT_TRUE(s.finished());
        ASSERT_TRUE(os.fileExists(dir.path + u"\\画像つき.tvk"));
        saved = os.readFile(dir.path + u"\\画像つき.tvk");
    }
    {
        MainWindow app(backend(), os);
        app.form->show();
        backend().doEvents();
        {
            Script s(*app.form, useFileDialog(dir.path, u"画像つき.tvk", true));
            app.documents.open();
            EXPECT_TRUE(s.finished());
        }
        EXPECT_EQ(app.statusLine.text(), Str(u"読み込み完了！！！"));
        EXPECT_EQ(app.document.steps.at(1).command, Str(u"ボタン,10,メモ帳"));
        ASSERT_TRUE(app.document.images.size() == 2);
        EXPECT_TRUE(app.document.images.find(u"ボタン")->pixels == picture);
        EXPECT_TRUE(app.document.images.find(u"画像1")->pixels == small);
        {
            Script s(*app.form, useFileDialog(dir.path, u"again", false));
            app.documents.saveAs();
            EXPECT_TRUE(s.finished());
        }
        EXPECT_TRUE(os.readFile(dir.path + u"\\again.tvk") == saved);
    }
    for (auto& f : sink.failures) wt::note("failure: " + wt::utf8(f));
    EXPECT_TRUE(sink.failures.empty());
}

TEST(EndToEndDocuments, SettingsDialogPicksTheWindowUnderAClickAndMovesItToTheCorner) {
    auto real = win32::makeServices(1, 0);
    Services os(*real);
    Sink sink;
    MainWindow app(backend(), os);
    app.form->show();
    backend().doEvents();

    const Str title = u"E2E 対象ウィンドウ";
    os::WindowHandle target = probe::createWindow(title, 20, 560, 360, 220);
    ASSERT_TRUE(target != 0);
    struct Gone {
        os::WindowHandle h;
        ~Gone() { probe::destroyWindow(h); }
    } gone{target};
    probe::pump(200);
    const probe::Rect before = probe::windowRect(target);

    Str picked;
    probe::Rect after;
    auto inside = [](const probe::Rect& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; };
    Script s(*app.form,
             {
                 [] { return SettingsDialog::shown() != nullptr && SettingsDialog::shown()->form->isShown(); },
                 [] {
                     tkt::click(*SettingsDialog::shown()->cmd_Set);
                     return SettingsDialog::shown()->capturing;
                 },
                 [&] {
                     // A point of the target that neither the dialog nor the
                     // main window covers, then a real click there.
                     probe::Rect t = probe::windowRect(target);
                     probe::Rect d = probe::windowRect(SettingsDialog::shown()->form->nativeHandle());
                     probe::Rect m = probe::windowRect(app.form->nativeHandle());
                     for (int y = t.top + 40; y < t.bottom - 5; y += 20)
                         for (int x = t.left + 10; x < t.right - 5; x += 20)
                             if (!inside(d, x, y) && !inside(m, x, y)) {
                                 os.setCursorPos(x, y);
                                 os.mouseEvent(os::k::MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
                                 os.mouseEvent(os::k::MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
                                 return true;
                             }
                     wt::note("no free point on the target window");
                     return true;
                 },
                 [&] {
                     SettingsDialog& d = *SettingsDialog::shown();
                     if (d.capturing) return false;  // the release has not arrived yet
                     picked = d.txt_WindowTitle->text();
                     return true;
                 },
                 [] {
                     SettingsDialog& d = *SettingsDialog::shown();
                     if (!d.cmd_LeftTop->enabled()) return true;
                     tkt::click(*d.cmd_LeftTop);
                     return true;
                 },
                 [&] {
                     after = probe::windowRect(target);
                     tkt::click(*SettingsDialog::shown()->cmd_Cancel);
                     return true;
                 },
             });
    runSettingsDialog(*app.form, os, app.statusLine, app.document, app.hotKeys, app.settingsView);
    EXPECT_TRUE(s.finished());
    EXPECT_EQ(picked, title);
    EXPECT_EQ(after.left, 0);
    EXPECT_EQ(after.top, 0);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
    // Cancel: nothing stored.
    EXPECT_EQ(app.document.settings.targetWindowSearch, Str());
    for (auto& f : sink.failures) wt::note("failure: " + wt::utf8(f));
    EXPECT_TRUE(sink.failures.empty());
}

TEST(EndToEndDocuments, SettingsDialogEnterWalksTheFieldsAndEscapeCancels) {
    auto real = win32::makeServices(1, 0);
    Services os(*real);
    Sink sink;
    MainWindow app(backend(), os);
    app.form->show();
    backend().doEvents();
    bool movedOn = false, stayedOpen = false, intoGroup = false;
    Script s(*app.form,
             {
                 [] { return SettingsDialog::shown() != nullptr && SettingsDialog::shown()->form->isShown(); },
                 [&] {
                     SettingsDialog& d = *SettingsDialog::shown();
                     tkt::nativeSetFocus(*d.txt_StartHotKey);
                     tkt::typeChars(*d.txt_StartHotKey, u"VK_F5");
                     tkt::pressKey(*d.txt_StartHotKey, tk::key::Return, 0, backend());
                     movedOn = tkt::nativeFocus(*d.txt_StopHotKey);
                     stayedOpen = d.form->isShown();
                     tkt::pressKey(*d.txt_StopHotKey, tk::key::Return, 0, backend());
                     intoGroup = tkt::nativeFocus(*d.optStopTimer[2]);
                     return true;
                 },
                 [] {
                     SettingsDialog& d = *SettingsDialog::shown();
                     tkt::pressKey(*d.optStopTimer[2], tk::key::Escape, 0, backend());
                     return true;
                 },
             });
    runSettingsDialog(*app.form, os, app.statusLine, app.document, app.hotKeys, app.settingsView);
    EXPECT_TRUE(s.finished());
    EXPECT_TRUE(movedOn);
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(intoGroup);
    EXPECT_TRUE(SettingsDialog::shown() == nullptr);
    EXPECT_EQ(app.document.settings.startKeys, Str());  // Escape stored nothing
    for (auto& f : sink.failures) wt::note("failure: " + wt::utf8(f));
    EXPECT_TRUE(sink.failures.empty());
}
