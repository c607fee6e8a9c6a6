// The image steps in the program: their rows checked before a run, their
// pictures carried by the document, the three steps playing on scripted
// screens (waits, the click, the search's pace), the picture taken from
// the frozen screen or a PNG file, and Ctrl+P / Ctrl+T on an image row.
#include <random>

#include "core/document_format.h"
#include "core/image_command.h"
#include "documents/file_select.h"
#include "image/png.h"
#include "input/mouse.h"
#include "playback_fixture.h"
#include "trial/image_look.h"

using Lines = std::vector<std::string>;
using headless::Window;

namespace {

constexpr uint32_t kOpaque = 0xFF000000u;
constexpr uint32_t kBackground = 0xF0F0F0;

// A picture with the look of a user interface (a few flat colours in
// specks), the same for the same seed.
image::Image uiPicture(int32_t w, int32_t h, uint32_t seed) {
    std::mt19937 rng(seed);
    const uint32_t palette[] = {0xFFFFFF, 0x202020, 0x3366CC, 0x808080, 0x990000};
    image::Image img{w, h, std::vector<uint32_t>(size_t(w) * size_t(h))};
    for (auto& px : img.pixels) px = kOpaque | palette[rng() % 5];
    return img;
}

bool has(const Str& s, StrView part) { return s.find(part) != Str::npos; }

}  // namespace

class ImageStepsTest : public PlaybackTest {
protected:
    image::Image picture = uiPicture(24, 16, 1);

    void SetUp() override {
        PlaybackTest::SetUp();
        p.screenBackground = kBackground;
    }
    // The picture stored in the document under name.
    void hold(const Str& name, const image::Image& img) { app->document.images.put(name, image::storeCapture(img)); }
    void paint(os::Point at, const image::Image& img) { p.paintScreen(at, img.width, img.height, img.pixels); }
    void erase(os::Point at, const image::Image& img) { p.paintScreen({at.x, at.y, at.x + img.width, at.y + img.height}, kBackground); }
    // The message of the check before a run, empty when it passes.
    Str problem() {
        auto checked = planRun(app->document);
        if (auto* pr = std::get_if<RunProblem>(&checked)) return pr->message;
        return Str();
    }
    // What the document's file holds after "Img_"-less lines and the lines themselves.
    std::vector<Str> fileLines(const Str& path) {
        std::vector<Str> out;
        const Str text = docfmt::decode(fileBytes(path));
        size_t pos = 0;
        StrView line;
        while (docfmt::nextLine(text, pos, line)) out.emplace_back(line);
        return out;
    }
};

// ---------------------------------------------------------------------------
// The command and the check before a run

TEST(ImageCommand, NameToleranceAndEverythingAfterTheSecondComma) {
    ImageCommand c = parseImageCommand(u" 画像1 ");
    EXPECT_EQ(c, (ImageCommand{u"画像1", false, u"", false, u""}));
    c = parseImageCommand(u"画像1,");
    EXPECT_EQ(c, (ImageCommand{u"画像1", true, u"", false, u""}));
    c = parseImageCommand(u"ボタン, 10 ,- メモ帳,Notepad");
    EXPECT_EQ(c, (ImageCommand{u"ボタン", true, u" 10 ", true, u"- メモ帳,Notepad"}));
    // Written again as it was, but for the blanks around the name.
    for (const char16_t* text : {u"a", u"a,", u"a,7", u"a,,x", u"a,1,x,y,", u"a,,"})
        EXPECT_EQ(imageCommandText(parseImageCommand(text)), text) << toUtf8(text);
    EXPECT_EQ(imageNameOf(u""), u"");
}

TEST_F(ImageStepsTest, RowsAreCheckedWithMessagesLikeTheOthers) {
    hold(u"画像1", picture);
    image::Image clear = picture;
    for (auto& px : clear.pixels) px &= 0x7FFFFFFFu;  // alpha below 128 everywhere
    image::ImageSet& images = app->document.images;
    images.addRead({u"透明", {clear, image::encodePng(clear)}});  // as a document may bring it

    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"", u"画像名が入力されていません"},
        {u" ,10", u"画像名が入力されていません"},
        {u"画像9", u"画像「画像9」がありません"},
        {u"画像1,256", u"許容差の値が不正です（0～255）"},
        {u"画像1,-1", u"許容差の値が不正です（0～255）"},
        {u"画像1,1.5", u"許容差の値が不正です（0～255）"},
        {u"画像1,abc", u"許容差の値が不正です（0～255）"},
        {u"画像1,１０", u"許容差の値が不正です（0～255）"},
        {u"画像1,32,", u"ウィンドウタイトルが入力されていません"},
        {u"画像1,,   ", u"ウィンドウタイトルが入力されていません"},
        {u"透明", u"画像「透明」に不透明なピクセルがありません"},
    };
    for (const auto& [command, message] : cases)
        for (StrView action : {actions::ImageClick, actions::ImageWait, actions::ImageGoneWait}) {
            rows({{Str(action), command}});
            EXPECT_EQ(problem(), message) << toUtf8(command);
        }

    // What passes, with the run's parameters: the name and the tolerance.
    const std::pair<const char16_t*, const char16_t*> good[] = {
        {u"画像1", u"32"}, {u"画像1,", u"32"}, {u" 画像1 , 0 ", u"0"}, {u"画像1,255", u"255"}, {u"画像1,,a,b,c", u"32"}};
    for (const auto& [command, tolerance] : good) {
        rows({{u"画像待ち", command}});
        auto plan = std::get<RunPlan>(planRun(app->document));
        ASSERT_EQ(plan.rows.size(), 1u);
        EXPECT_EQ(plan.rows[0].x, u"画像1");
        EXPECT_EQ(plan.rows[0].y, tolerance);
        ASSERT_TRUE(plan.rows[0].pattern);
        EXPECT_EQ(plan.rows[0].pattern->tolerance(), std::stoi(toUtf8(tolerance)));
    }

    // From the start button: the message in a box, the caret on the row.
    rows({{u"待機", u"1"}, {u"画像ｸﾘｯｸ", u"画像9"}});
    app->grid.redraw();
    run();
    EXPECT_FALSE(running());
    ASSERT_FALSE(p.shown.empty());
    EXPECT_EQ(p.shown.back().text, u"画像「画像9」がありません");
    EXPECT_EQ(app->form->activeControl(), app->grid.commandBox(1));
}

// ---------------------------------------------------------------------------
// Pictures inside the document

TEST_F(ImageStepsTest, TheDocumentCarriesThePicturesItsStepsUseAfterTheStepsInCodeUnitOrder) {
    const image::Image other = uiPicture(5, 7, 2);
    rows({{u"画像待ち", u"画像2"}, {u"左ｸﾘｯｸ", u"1,2"}, {u"画像ｸﾘｯｸ", u"ボタン,10,- メモ帳"}, {u"", u""}, {u"画像消失待ち", u"画像2"}});
    hold(u"画像2", picture);
    hold(u"ボタン", other);
    hold(u"未使用", picture);  // no step names it
    app->macroFile.write(u"C:\\work\\img.TVK", MacroFile::Overwrite::Silently);
    const std::vector<Str> lines = fileLines(u"C:\\work\\img.TVK");
    ASSERT_EQ(lines.size(), 16u + 5u + 2u);
    EXPECT_EQ(lines[16 + 4], u"\"画像消失待ち\",\"画像2\",\"\"");
    // "ボ" (U+30DC) before "画" (U+753B).
    EXPECT_TRUE(startsWith(lines[21], u"Img_ボタン="));
    EXPECT_TRUE(startsWith(lines[22], u"Img_画像2="));
    EXPECT_EQ(lines[22], image::imageLine(u"画像2", *app->document.images.find(u"画像2")));

    // Read back: the same steps and the pictures that were written.
    app->document.clearSteps();
    app->macroFile.read(u"C:\\work\\img.TVK");
    EXPECT_EQ(status(), u"読み込み完了！！！");
    EXPECT_EQ(app->document.steps.count(), 6);
    EXPECT_EQ(app->document.steps.at(3).command, u"ボタン,10,- メモ帳");
    ASSERT_EQ(app->document.images.size(), 2u);
    EXPECT_EQ(app->document.images.find(u"ボタン")->pixels, other);
    EXPECT_EQ(app->document.images.find(u"画像2")->pixels, picture);
    EXPECT_FALSE(app->document.changed());

    // A document read replaces the pictures; a new one has none.
    rows({{u"画像待ち", u"画像2"}});
    app->macroFile.write(u"C:\\work\\one.TVK", MacroFile::Overwrite::Silently);
    hold(u"画像9", other);
    app->macroFile.read(u"C:\\work\\one.TVK");
    EXPECT_EQ(app->document.images.size(), 1u);
    EXPECT_FALSE(app->document.images.contains(u"画像9"));
    app->documents.newDocument();
    EXPECT_TRUE(app->document.images.empty());
}

TEST_F(ImageStepsTest, ADocumentWhoseStepsUseNoPictureIsWrittenAsBefore) {
    rows({{u"左ｸﾘｯｸ", u"1,2"}, {u"画像待ち", u""}, {u"画像ｸﾘｯｸ", u"画像1"}});
    hold(u"画像1", picture);
    app->document.steps.at(3).action = u"左ｸﾘｯｸ";  // the row that named it is a click now
    app->macroFile.write(u"C:\\work\\a.TVK", MacroFile::Overwrite::Silently);
    const std::string withPictures = fileBytes(u"C:\\work\\a.TVK");
    app->document.images.clear();
    app->macroFile.write(u"C:\\work\\b.TVK", MacroFile::Overwrite::Silently);
    EXPECT_EQ(withPictures, fileBytes(u"C:\\work\\b.TVK"));
    EXPECT_EQ(withPictures.find("Img_"), std::string::npos);
}

TEST_F(ImageStepsTest, ABrokenPictureStopsTheReadingAtItsLineAndCostsNoStep) {
    rows({{u"画像待ち", u"a"}, {u"画像待ち", u"b"}, {u"ｷｰ入力", u"x"}});
    hold(u"a", picture);
    hold(u"b", picture);
    app->macroFile.write(u"C:\\work\\c.TVK", MacroFile::Overwrite::Silently);
    std::vector<Str> lines = fileLines(u"C:\\work\\c.TVK");
    ASSERT_EQ(lines.size(), 16u + 3u + 2u);
    auto writeLines = [&](const std::vector<Str>& ls) {
        Str text;
        for (const Str& l : ls) text += l + u"\r\n";
        p.putFile(u"C:\\work\\c.TVK", docfmt::encode(text));
        app->document.clearSteps();
        app->macroFile.read(u"C:\\work\\c.TVK");
    };
    // A character flipped inside the first picture's base64.
    std::vector<Str> broken = lines;
    broken[19][40] = broken[19][40] == u'A' ? u'B' : u'A';
    writeLines(broken);
    EXPECT_TRUE(startsWith(status(), u"20行目 画像「a」")) << toUtf8(status());
    EXPECT_EQ(app->document.steps.count(), 4);
    EXPECT_EQ(app->document.steps.at(3).command, u"x");
    EXPECT_TRUE(app->document.images.empty());  // reading stopped there
    EXPECT_TRUE(app->document.changed());

    // A bracket is no row index in an image key: the name is refused.
    broken = lines;
    broken[20] = u"Img_b(2)" + broken[20].substr(broken[20].find(u'='));
    writeLines(broken);
    EXPECT_TRUE(startsWith(status(), u"21行目 画像の名前が正しくありません")) << toUtf8(status());
    EXPECT_EQ(app->document.steps.count(), 4);
    EXPECT_EQ(app->document.images.size(), 1u);

    // The same name twice, and a 65th picture.
    broken = lines;
    broken.push_back(lines[20]);
    writeLines(broken);
    EXPECT_TRUE(startsWith(status(), u"22行目 画像「b」が2つあります")) << toUtf8(status());
    broken = lines;
    const Str value = lines[20].substr(lines[20].find(u'='));
    for (int i = 0; i < 63; ++i) broken.push_back(u"Img_n" + toStr((long long)i) + value);
    writeLines(broken);
    EXPECT_TRUE(startsWith(status(), u"84行目 画像が多すぎます（64個まで）")) << toUtf8(status());
    EXPECT_EQ(app->document.images.size(), 64u);
}

// ---------------------------------------------------------------------------
// The three steps in a run

TEST_F(ImageStepsTest, TheStepsWaitOnTheirRowsAndTheClickGoesToTheCentreByTheClicksPath) {
    hold(u"画像1", picture);
    rows({{u"画像待ち", u"画像1"}, {u"画像ｸﾘｯｸ", u"画像1"}, {u"画像消失待ち", u"画像1"}, {u"待機", u"1"}});
    interval(u"0.2");
    run();
    p.advance(2000);
    EXPECT_EQ(app->player.state().row, 1);  // not there yet
    EXPECT_TRUE(events().empty());
    EXPECT_EQ(p.captures, 10);  // one capture a search, one search a tick

    const os::Point at{300, 200};
    paint(at, picture);
    p.advance(400);  // row 1 finds it, row 2 clicks
    EXPECT_EQ(app->player.state().row, 3);
    // As "左ｸﾘｯｸ" at the centre (the left and upper of the middle pixels).
    const os::Point centre{at.x + 11, at.y + 7};
    const mouse::Normalised n = mouse::normalise(centre, p.virtualScreen());
    EXPECT_EQ(events(true), (Lines{"SetCursorPos(311,207)", "mouse_event(" + std::to_string(mouse::kAbsoluteMove) + "," +
                                                                   std::to_string(n.dx) + "," + std::to_string(n.dy) + ",0)",
                                   "mouse_event(2,0,0,0)", "mouse_event(4,0,0,0)"}));
    p.advance(1000);
    EXPECT_EQ(app->player.state().row, 3);  // still there: row 3 waits
    erase(at, picture);
    p.advance(200);
    EXPECT_EQ(app->player.state().row, 4);
    EXPECT_TRUE(running());
    EXPECT_TRUE(events().empty());
}

TEST_F(ImageStepsTest, ARunSearchesAtMostEveryTenthOfASecondWhateverTheInterval) {
    hold(u"画像1", picture);
    rows({{u"画像待ち", u"画像1"}});
    interval(u"0.005");
    run();
    p.advance(2000);
    EXPECT_TRUE(running());
    EXPECT_GE(p.captures, 19);
    EXPECT_LE(p.captures, 21);
    // The first search of a new run is not held back by the last run's.
    app->controls.startButton->press();
    const int before = p.captures;
    run();
    p.advance(5);
    EXPECT_EQ(p.captures, before + 1);
}

TEST_F(ImageStepsTest, TheClickReachesMonitorsLeftOfThePrimaryAndEndsADrag) {
    p.monitors = {{-1280, -200, 0, 824}, {0, 0, 1920, 1080}};
    hold(u"画像1", picture);
    const os::Point at{-700, -150};
    paint(at, picture);
    rows({{u"左ﾄﾞﾗｯｸﾞ", u"10,10"}, {u"画像ｸﾘｯｸ", u"画像1"}});
    interval(u"0.1");
    run();
    p.advance(100);
    EXPECT_EQ(app->player.state().heldButtons, os::k::MOUSEEVENTF_LEFTUP);
    events(true);
    p.advance(100);
    const mouse::Normalised n = mouse::normalise({-689, -143}, p.virtualScreen());
    EXPECT_EQ(events(), (Lines{"SetCursorPos(-689,-143)", "mouse_event(" + std::to_string(mouse::kAbsoluteMove) + "," +
                                                                 std::to_string(n.dx) + "," + std::to_string(n.dy) + ",0)",
                               "mouse_event(4,0,0,0)"}));
    // The drag's button comes up at the image, as "左ｸﾘｯｸ" ends a drag: not
    // pressed a second time.
    EXPECT_EQ(app->player.state().heldButtons, 0u);
}

TEST_F(ImageStepsTest, AScreenTheSystemWillNotCopyStopsTheRunAsAFailingStep) {
    hold(u"画像1", picture);
    rows({{u"画像消失待ち", u"画像1"}});
    interval(u"0.1");
    p.captureRefused = true;
    run();
    p.advance(100);
    EXPECT_FALSE(running());
    EXPECT_EQ(status(), u"[tim_Timer_Timer]画面を取り込めません ステップ：画像消失待ち");
}

TEST_F(ImageStepsTest, TheWaitsSayWhatTheyWaitForAndTheLimitStopsThem) {
    hold(u"画像1", picture);
    app->document.settings.waitLimit = 2;
    interval(u"0.5");
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"画像待ち", u"画像「画像1」を待っています"},
        {u"画像ｸﾘｯｸ", u"画像「画像1」を待っています"},
        {u"画像消失待ち", u"画像「画像1」が消えるのを待っています"},
    };
    for (const auto& [action, waiting] : cases) {
        const bool gone = Str(action) == actions::ImageGoneWait;
        if (gone) paint({40, 40}, picture);
        rows({{action, u"画像1"}});
        run();
        p.advance(1500);
        EXPECT_TRUE(running());
        EXPECT_EQ(status(), u"実行中 1 " + Str(waiting) + u" (1秒/上限2秒)");
        p.advance(1000);
        EXPECT_FALSE(running());
        EXPECT_EQ(status(), Str(u"[tim_Timer_Timer]画像「画像1」が2秒待っても") + (gone ? u"消えません" : u"見つかりません") +
                                u" ステップ：" + action);
        if (gone) erase({40, 40}, picture);
    }
}

TEST_F(ImageStepsTest, InAWindowOnlyItsRectangleIsSearchedAfterItIsFoundRestoredAndInFront) {
    hold(u"画像1", picture);
    app->document.settings.waitLimit = 2;
    // The picture first in reading order outside the window, then inside it.
    paint({10, 10}, picture);
    rows({{u"画像ｸﾘｯｸ", u"画像1,32,メモ帳,Notepad"}});
    interval(u"0.2");
    run();
    p.advance(1400);
    // No such window yet: the row waits for it, as an anchored point does.
    EXPECT_TRUE(running());
    EXPECT_EQ(status(), u"実行中 1 「メモ帳」を待っています (1秒/上限2秒)");
    EXPECT_EQ(p.captures, 0);
    const os::WindowHandle notepad = p.addWindow(u"(無題) - メモ帳", u"Notepad");
    Window* w = p.window(notepad);
    w->x = 400;
    w->y = 300;
    w->style.minimized = true;
    paint({450, 350}, picture);
    p.advance(200);
    EXPECT_EQ(p.foreground, notepad);
    Lines clicks;
    for (const auto& l : events())
        if (l.rfind("SetCursorPos", 0) == 0) clicks.push_back(l);
    EXPECT_EQ(clicks, Lines{"SetCursorPos(461,357)"});
    EXPECT_NE(p.traceText().find("SW_RESTORE"), std::string::npos);
    // One search, once the window was there.
    EXPECT_EQ(p.captures, 1);
    // Run out while the window is gone again.
    p.removeWindow(notepad);
    p.advance(2200);
    EXPECT_FALSE(running());
    EXPECT_EQ(status(), u"[tim_Timer_Timer]「メモ帳」を含むウィンドウが2秒待っても現れません ステップ：画像ｸﾘｯｸ");
}

// ---------------------------------------------------------------------------
// Taking a picture into a row

class ImageCaptureTest : public ImageStepsTest {
protected:
    const os::Point at{100, 120};
    void SetUp() override {
        ImageStepsTest::SetUp();
        paint(at, picture);
    }
    // One image row (and others), shown; the user drags over the picture.
    void rowsShown(const std::vector<std::pair<Str, Str>>& r) {
        rows(r);
        app->grid.redraw();
        app->document.setChanged(false);
    }
    void drag(os::Point from, os::Point to, bool shift = false) { p.snapshotDrags.push_back({true, from, to, shift}); }
    void dragOverPicture(bool shift = false) { drag(at, {at.x + picture.width - 1, at.y + picture.height - 1}, shift); }
    void set(int r) { app->grid.setButton(r)->press(); }
    Str command(int32_t step) const { return app->document.steps.at(step).command; }
};

TEST_F(ImageCaptureTest, SetOnAnImageRowTakesTheRectangleDraggedOnTheFrozenScreen) {
    rowsShown({{u"画像ｸﾘｯｸ", u""}});
    app->grid.setButton(1)->userFocus();
    dragOverPicture();
    set(1);
    // The program's window was out of the way when the screen was taken,
    // and is back afterwards with the focus where it was.
    ASSERT_EQ(p.formsShownAtCaptures, std::vector<size_t>{0});
    EXPECT_EQ(p.snapshotsShown, std::vector<os::Rect>{p.virtualScreen()});
    EXPECT_TRUE(app->form->isShown());
    EXPECT_EQ(app->form->activeControl(), app->grid.setButton(1));
    EXPECT_EQ(command(1), u"画像1");
    EXPECT_EQ(app->grid.commandBox(1)->text(), u"画像1");
    ASSERT_TRUE(app->document.images.contains(u"画像1"));
    EXPECT_EQ(app->document.images.find(u"画像1")->pixels, picture);
    EXPECT_TRUE(app->document.changed());
    EXPECT_EQ(status(), u"画像「画像1」を取り込みました (24×16)");
    // No point capture was armed.
    EXPECT_FALSE(app->capture.armed());

    // Esc, or a rectangle under 4 x 4, changes nothing.
    app->document.setChanged(false);
    set(1);
    drag({10, 10}, {12, 40});
    set(1);
    EXPECT_EQ(command(1), u"画像1");
    EXPECT_EQ(app->document.images.size(), 1u);
    EXPECT_FALSE(app->document.changed());
    EXPECT_EQ(status(), u"画像の取り込みをやめました");
}

TEST_F(ImageCaptureTest, WithShiftTheRowIsAnchoredToTheWindowUnderTheCentreAsItWasThen) {
    const os::WindowHandle notepad = p.addWindow(u"(無題) - メモ帳", u"Notepad");
    p.window(notepad)->x = 50;
    p.window(notepad)->y = 60;
    p.window(notepad)->cx = 400;
    p.window(notepad)->cy = 300;
    // Above it, but not over the centre of the picture: a small dialog.
    const os::WindowHandle dialog = p.addWindow(u"ダイアログ", u"#32770");
    p.window(dialog)->x = 50;
    p.window(dialog)->y = 60;
    p.window(dialog)->cx = 40;
    p.window(dialog)->cy = 40;
    rowsShown({{u"画像待ち", u""}});
    dragOverPicture(true);
    set(1);
    EXPECT_EQ(command(1), u"画像1,32,(無題) - メモ帳");
    EXPECT_EQ(status(), u"画像「画像1」を取り込みました (24×16)　「(無題) - メモ帳」の中を探します");

    // Capturing again keeps the tolerance and the window text, and the
    // name, which no other row uses: the picture is replaced.
    app->document.steps.at(1).command = u"画像1,10,メモ帳";
    const image::Image smaller = image::cut(p.screenCanvas(), {at.x, at.y, at.x + 8, at.y + 8});
    drag(at, {at.x + 7, at.y + 7});
    set(1);
    EXPECT_EQ(command(1), u"画像1,10,メモ帳");
    EXPECT_EQ(app->document.images.size(), 1u);
    EXPECT_EQ(app->document.images.find(u"画像1")->pixels, smaller);
    // A title with commas gives its longest part between them.
    p.window(notepad)->title = u"a, メモ帳 - 長い名前 ,b";
    app->document.steps.at(1).command = u"画像1";
    dragOverPicture(true);
    set(1);
    EXPECT_EQ(command(1), u"画像1,32,メモ帳 - 長い名前");
    // Shift over a window without a title: the whole screen is searched.
    p.window(notepad)->title.clear();
    app->document.steps.at(1).command = u"画像1";
    dragOverPicture(true);
    set(1);
    EXPECT_EQ(command(1), u"画像1");
    EXPECT_TRUE(has(status(), u"画面全体を探します"));
}

TEST_F(ImageCaptureTest, ARowWhoseNameAnotherRowUsesGetsTheFirstFreeName) {
    rowsShown({{u"画像待ち", u"画像1,5"}, {u"画像ｸﾘｯｸ", u"画像1"}, {u"画像ｸﾘｯｸ", u"画像3"}});
    hold(u"画像1", uiPicture(4, 4, 3));
    dragOverPicture();
    set(1);
    // 画像1 is row 2's too; 画像3 is named (its picture missing): 画像2.
    EXPECT_EQ(command(1), u"画像2,5");
    EXPECT_EQ(app->document.images.find(u"画像1")->pixels, uiPicture(4, 4, 3));
    EXPECT_EQ(app->document.images.find(u"画像2")->pixels, picture);
    // A name typed into the row before is taken.
    app->document.steps.at(3).command = u"ボタン";
    app->grid.redraw();
    dragOverPicture();
    set(3);
    EXPECT_EQ(command(3), u"ボタン");
}

TEST_F(ImageCaptureTest, TheCapsRefuseWhatTheReaderWouldRefuse) {
    rowsShown({{u"画像待ち", u""}});
    // Wider than 1024 pixels.
    drag({0, 0}, {1100, 10});
    set(1);
    EXPECT_EQ(command(1), u"");
    EXPECT_TRUE(has(status(), u"1024")) << toUtf8(status());
    EXPECT_TRUE(app->document.images.empty());

    // 64 pictures, each named by a row: the 65th is refused.
    std::vector<std::pair<Str, Str>> many{{u"画像待ち", u""}};
    for (int i = 1; i <= 64; ++i) {
        const Str name = u"n" + toStr((long long)i);
        many.push_back({u"画像待ち", name});
        hold(name, picture);
    }
    rowsShown(many);
    dragOverPicture();
    set(1);
    EXPECT_EQ(command(1), u"");
    EXPECT_TRUE(has(status(), u"64個まで")) << toUtf8(status());
    // One no row names makes room.
    app->document.steps.at(64).action = u"待機";
    dragOverPicture();
    set(1);
    EXPECT_EQ(command(1), u"画像1");
    EXPECT_EQ(app->document.images.size(), 64u);
    EXPECT_FALSE(app->document.images.contains(u"n63"));
}

TEST_F(ImageCaptureTest, APngFileIsTakenInByDroppingItOnTheRowOrFromTheDialog) {
    image::Image withAlpha = uiPicture(6, 5, 4);
    withAlpha.pixels[7] &= 0x00FFFFFFu;  // one transparent pixel, kept
    p.putFile(u"C:\\work\\pic.png", image::encodePng(withAlpha));
    p.putFile(u"C:\\work\\notes.txt", "plain text");
    rowsShown({{u"画像消失待ち", u",20"}, {u"左ｸﾘｯｸ", u"1,1"}});

    app->grid.commentBox(1)->userDropFiles({u"C:\\work\\pic.png", u"C:\\work\\notes.txt"});
    EXPECT_EQ(command(1), u"画像1,20");
    EXPECT_EQ(app->document.images.find(u"画像1")->pixels, withAlpha);
    EXPECT_TRUE(app->document.changed());
    EXPECT_EQ(status(), u"画像「画像1」を取り込みました (6×5)");

    // Not a PNG; not an image row.
    app->grid.commandBox(1)->userDropFiles({u"C:\\work\\notes.txt"});
    EXPECT_TRUE(startsWith(status(), u"notes.txt：")) << toUtf8(status());
    EXPECT_TRUE(has(status(), u"PNG"));
    app->grid.setButton(2)->userDropFiles({u"C:\\work\\pic.png"});
    EXPECT_EQ(status(), u"画像ｸﾘｯｸ・画像待ち・画像消失待ちの行を選んでください");
    EXPECT_EQ(command(2), u"1,1");

    // Ctrl+L: the file dialog in its PNG mode, for the row with the caret.
    app->grid.commandBox(1)->userFocus();
    Str caption;
    std::vector<Str> listed;
    p.modalScripts.push_back([&](tk::Form& f) {
        caption = f.text();
        for (tk::Control* c : f.controls())
            if (c->name() == "fil_File") listed = static_cast<tk::ListBox*>(c)->items();
            else if (c->name() == "txt_FileName") c->userTyped(u"pic");
        for (tk::Control* c : f.controls())
            if (c->name() == "cmd_OK") static_cast<tk::Button*>(c)->press();
    });
    app->document.images.clear();
    EXPECT_TRUE(app->form->userShortcut('L', tk::CtrlMask));
    EXPECT_EQ(caption, FileSelectDialog::CaptionPicture);
    EXPECT_EQ(listed, std::vector<Str>{u"pic.png"});
    EXPECT_EQ(app->document.images.find(u"画像1")->pixels, withAlpha);
}

// ---------------------------------------------------------------------------
// Ctrl+P and Ctrl+T on an image row

class ImageTrialTest : public ImageStepsTest {
protected:
    os::WindowHandle notepad = 0;
    const os::Point at{300, 200};
    void SetUp() override {
        ImageStepsTest::SetUp();
        notepad = p.addWindow(u"(無題) - メモ帳", u"Notepad");
        p.activate(notepad);
        p.activate(app->form->nativeHandle());
        hold(u"画像1", picture);
    }
};

TEST_F(ImageTrialTest, ShowFramesTheMatchAndMarksWhereTheClickGoes) {
    paint(at, picture);
    row(u"画像ｸﾘｯｸ", u"画像1");
    ASSERT_TRUE(ctrl('P'));
    EXPECT_EQ(status(), u"画像1 を (311,207) に見つけました (0ms)");
    EXPECT_EQ(p.formsShownAtCaptures, std::vector<size_t>{0});
    EXPECT_TRUE(app->form->isShown());
    const auto shown = p.markersShown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_TRUE(shown[0]->frame);
    EXPECT_EQ(shown[0]->rect, (os::Rect{297, 197, 327, 219}));  // the frame lies around the picture
    EXPECT_EQ(shown[1]->point, (os::Point{311, 207}));
    for (const auto& l : events()) EXPECT_EQ(l.rfind("Sleep", 0), 0u) << l;  // nothing sent
    // A wait row gets the frame alone.
    row(u"画像待ち", u"画像1");
    ASSERT_TRUE(ctrl('P'));
    EXPECT_EQ(p.markersShown().size(), 1u);
    // In a window: brought to the front first; missing, it is told.
    row(u"画像待ち", u"画像1,,メモ帳");
    ASSERT_TRUE(ctrl('P'));
    EXPECT_EQ(status(), u"画像1 を (311,207) に見つけました (0ms)");
    EXPECT_NE(p.traceText(mark).find("SetForegroundWindow(" + std::to_string(notepad) + ")"), std::string::npos);
    row(u"画像待ち", u"画像1,,ワード");
    ASSERT_TRUE(ctrl('P'));
    EXPECT_EQ(status(), u"「ワード」を含むウィンドウが見つかりません");
    ASSERT_TRUE(ctrl('T'));
    EXPECT_EQ(status(), u"「ワード」を含むウィンドウが見つかりません");
}

TEST_F(ImageTrialTest, ShowTellsTheClosestPlaceAndPutsThePictureBesideIt) {
    image::Image near = picture;
    near.pixels[8 * 24 + 12] ^= 0x00FFFFFFu;  // one pixel far off
    paint(at, near);
    row(u"画像待ち", u"画像1,32");
    ASSERT_TRUE(ctrl('P'));
    EXPECT_EQ(status(), u"画像1 は見つかりません（最も近い位置 (311,207) 一致 99%）");
    const auto shown = p.markersShown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0]->rect, (os::Rect{297, 197, 327, 219}));
    // The stored picture, framed, right of the frame.
    EXPECT_EQ(shown[1]->rect, (os::Rect{333, 197, 363, 219}));
    ASSERT_TRUE(shown[2]->picture);
    EXPECT_EQ(shown[2]->rect, (os::Rect{336, 200, 360, 216}));
    for (size_t i = 0; i < picture.pixels.size(); ++i) ASSERT_EQ(shown[2]->pixels[i], picture.pixels[i] & 0xFFFFFFu);
    p.advance(4999);
    EXPECT_EQ(p.markersShown().size(), 3u);
    p.advance(1);
    EXPECT_TRUE(p.markersShown().empty());

    // At the right edge of the monitor the picture goes left of the frame.
    EXPECT_EQ(imagelook::besideFrame({1890, 10, 1915, 30}, 20, 10, {0, 0, 1920, 1080}), (os::Rect{1864, 10, 1884, 20}));
    // Transparent pixels show as a chequer.
    image::Image clear{16, 1, std::vector<uint32_t>(16, 0x00123456u)};
    const os::ScreenPixels chequer = imagelook::shownPicture(clear, {0, 0});
    EXPECT_NE(chequer.pixels[0], chequer.pixels[8]);
}

TEST_F(ImageTrialTest, RunThisRowSearchesOnceAndClicksOrTells) {
    row(u"画像ｸﾘｯｸ", u"画像1");
    const int64_t start = p.nowMs;
    ASSERT_TRUE(ctrl('T'));
    EXPECT_LT(p.nowMs - start, 1000);  // no waiting for it
    EXPECT_EQ(p.captures, 1);
    EXPECT_EQ(status(), u"画像1 は見つかりません");
    for (const auto& l : events()) EXPECT_EQ(l.rfind("mouse_event", 0), std::string::npos) << l;

    paint(at, picture);
    ASSERT_TRUE(ctrl('T'));
    EXPECT_EQ(status(), u"画像1 を (311,207) に見つけてクリックしました (0ms)");
    Lines clicks;
    for (const auto& l : events())
        if (l.rfind("Sleep", 0) != 0) clicks.push_back(l);
    ASSERT_EQ(clicks.size(), 4u);
    EXPECT_EQ(clicks[0], "SetCursorPos(311,207)");
    EXPECT_EQ(clicks[2], "mouse_event(2,0,0,0)");
    EXPECT_EQ(clicks[3], "mouse_event(4,0,0,0)");
    // The click went to Notepad, with the program out of the way.
    EXPECT_EQ(p.formsShownAtCaptures.back(), 0u);
    EXPECT_EQ(p.foreground, app->form->nativeHandle());
    EXPECT_FALSE(app->rowTrial.running());

    // A wait for the picture to go reports that it is still there.
    row(u"画像消失待ち", u"画像1");
    ASSERT_TRUE(ctrl('T'));
    EXPECT_EQ(status(), u"画像1 を (311,207) に見つけました (0ms)");
}
