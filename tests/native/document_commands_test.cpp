// New, Open, Save as and Save through the menu handlers, with the file
// dialog driven by scripts and the message boxes answered in advance.
#include <functional>

#include "app_fixture.h"
#include "dialog_helpers.h"
#include "documents/file_select.h"

namespace {
const Str kDoc = u"C:\\work\\doc.tvk";
const Str kSaveQuestion = u"変更されています。保存しますか？\r\n\r\n";
}  // namespace

class DocumentCommandsTest : public AppTest {
protected:
    void SetUp() override {
        p.folders.insert(u"C:\\work\\sub");
        start();
    }
    // One step in the model, marked as changed.
    void edit(const Str& dousa = u"左ｸﾘｯｸ", const Str& xy = u"10,20") {
        app->document.steps.grow(1);
        app->document.steps.at(app->document.steps.count() - 1) = MacroStep{dousa, xy, u"memo"};
        app->document.markChanged();
    }
    // The document has its own file on disk.
    void withFile(const Str& path = kDoc) {
        p.putFile(path, "old");
        app->document.setPath(path);
    }
    // Queues a script for the next file dialog.
    void dialog(std::function<void(tk::Form&)> script) { p.modalScripts.push_back(std::move(script)); }
    // Types a name into the next file dialog (optionally in a subfolder) and accepts.
    void dialogAccepts(const Str& name, int folderItem = -1) {
        dialog([=](tk::Form& f) {
            if (folderItem >= 0) {
                control<tk::ListBox>(f, "dir_File")->userSelect(folderItem);
                control<tk::ListBox>(f, "dir_File")->userDblClick();
            }
            control<tk::TextBox>(f, "txt_FileName")->userTyped(name);
            control<tk::Button>(f, "cmd_OK")->press();
        });
    }
    bool fileHolds(const Str& path, const Str& text) {
        auto* f = p.file(path);
        return f && f->find(toCp932(text)) != std::string::npos;
    }
};

TEST_F(DocumentCommandsTest, NewOnAChangedDocumentWithAFileSavesItWithoutTheOverwriteQuestion) {
    withFile();
    app->controls.intervalBox->setText(u"3");
    app->document.settings.targetWindowSearch = u"メモ帳";
    edit();
    p.answers = {tk::mb::IdYes};
    app->documents.newDocument();

    ASSERT_EQ(p.shown.size(), 1u);  // only the save question
    EXPECT_EQ(p.shown[0].title, u"確認");
    EXPECT_EQ(p.shown[0].text, kSaveQuestion + kDoc);
    EXPECT_EQ(p.shown[0].style, tk::mb::YesNoCancel);
    EXPECT_TRUE(fileHolds(kDoc, u"\"左ｸﾘｯｸ\",\"10,20\",\"memo\""));
    // Then the grid empties and the document has no file any more.
    EXPECT_EQ(app->document.steps.count(), 1);
    EXPECT_EQ(app->form->text(), u"TOVIRAK");
    EXPECT_EQ(app->document.path(), u"");
    EXPECT_FALSE(app->document.changed());
    // Interval and settings stay.
    EXPECT_EQ(app->controls.intervalBox->text(), u"3");
    EXPECT_EQ(app->document.settings.targetWindowSearch, u"メモ帳");
}

TEST_F(DocumentCommandsTest, SaveQuestionCancelKeepsEverythingAndNoDiscards) {
    withFile();
    edit();
    p.answers = {tk::mb::IdCancel};
    app->documents.newDocument();
    EXPECT_EQ(app->document.steps.count(), 2);
    EXPECT_TRUE(app->document.changed());
    EXPECT_EQ(app->document.path(), kDoc);
    p.answers = {tk::mb::IdCancel};
    app->documents.open();
    EXPECT_TRUE(p.modalsShown.empty());
    EXPECT_EQ(*p.file(kDoc), "old");

    p.answers = {tk::mb::IdNo};
    app->documents.newDocument();
    EXPECT_EQ(*p.file(kDoc), "old");  // No does not save
    EXPECT_EQ(app->document.steps.count(), 1);
    EXPECT_FALSE(app->document.changed());
    EXPECT_TRUE(p.modalsShown.empty());
}

TEST_F(DocumentCommandsTest, CleanDocumentIsNotAsked) {
    app->document.setChanged(false);
    app->documents.newDocument();
    Str caption;
    dialog([&](tk::Form& f) {
        caption = f.text();
        f.userClose();
    });
    app->documents.open();  // dialog dismissed
    EXPECT_TRUE(p.shown.empty());
    EXPECT_EQ(p.modalsShown, (std::vector<std::string>{"frm_FileSelect"}));
    EXPECT_EQ(caption, FileSelectDialog::CaptionRead);
}

TEST_F(DocumentCommandsTest, NewThenSaveOpensSaveAs) {
    withFile();
    app->documents.newDocument();
    Str caption;
    dialog([&](tk::Form& f) {
        caption = f.text();
        f.userClose();
    });
    app->documents.save();
    EXPECT_EQ(p.modalsShown, (std::vector<std::string>{"frm_FileSelect"}));
    EXPECT_EQ(caption, u"保存するﾌｧｲﾙを入力して下さい。");
    EXPECT_TRUE(p.shown.empty());
}

TEST_F(DocumentCommandsTest, OpenWithACancelledSaveAsOpensNothingAndStaysChanged) {
    p.putFile(u"C:\\work\\other.tvk", "Ver=1.0\r\n\"待機\",\"1\",\"\"\r\n");
    edit();
    p.answers = {tk::mb::IdYes};
    Str caption;
    dialog([&](tk::Form& f) {
        caption = f.text();
        control<tk::Button>(f, "cmd_Cancel")->press();
    });
    // Were the Open dialog shown, this would read other.tvk.
    dialogAccepts(u"other.tvk");
    app->documents.open();
    EXPECT_EQ(p.modalsShown.size(), 1u);
    EXPECT_EQ(caption, FileSelectDialog::CaptionWrite);  // the Save As dialog
    EXPECT_TRUE(app->document.changed());
    EXPECT_EQ(app->document.steps.at(1).action, u"左ｸﾘｯｸ");
    EXPECT_EQ(app->document.path(), u"");
}

TEST_F(DocumentCommandsTest, SaveAsksBeforeOverwritingAndNoLeavesFileAndMark) {
    withFile();
    edit();
    p.answers = {tk::mb::IdNo};
    app->documents.save();
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].text, u"上書きしてよろしいですか？\r\n\r\n" + kDoc);
    EXPECT_EQ(*p.file(kDoc), "old");
    EXPECT_TRUE(app->document.changed());
    EXPECT_TRUE(p.modalsShown.empty());

    p.answers = {tk::mb::IdYes};
    app->documents.save();
    EXPECT_TRUE(fileHolds(kDoc, u"左ｸﾘｯｸ"));
    EXPECT_FALSE(app->document.changed());
    EXPECT_EQ(app->form->text(), u"TOVIRAK - doc.tvk");
}

TEST_F(DocumentCommandsTest, SavedAsTheDefaultNameKeepsTheBareTitleAndNoFileName) {
    edit();
    dialogAccepts(u"TOVIRAK.TVK", 2);  // into C:\work\sub
    app->documents.saveAs();
    EXPECT_NE(p.file(u"C:\\work\\sub\\TOVIRAK.TVK"), nullptr);
    EXPECT_EQ(app->form->text(), u"TOVIRAK");
    EXPECT_EQ(app->document.path(), u"");
    EXPECT_FALSE(app->document.changed());
    // So a later Save asks for a name.
    app->documents.save();
    EXPECT_EQ(p.modalsShown.size(), 2u);
}

TEST_F(DocumentCommandsTest, SaveAsThenOpenRoundTripsThroughTheDialog) {
    edit(u"待機", u"2");
    dialogAccepts(u"朝の巡回");
    app->documents.saveAs();
    const Str path = u"C:\\work\\朝の巡回.tvk";
    ASSERT_NE(p.file(path), nullptr);
    EXPECT_EQ(app->document.path(), path);
    EXPECT_EQ(app->form->text(), u"TOVIRAK - 朝の巡回.tvk");

    app->documents.newDocument();
    EXPECT_EQ(app->document.steps.count(), 1);
    dialog([](tk::Form& f) {
        auto* fil = control<tk::ListBox>(f, "fil_File");
        fil->userSelect(fil->findExact(u"朝の巡回.tvk"));
        fil->userDblClick();
    });
    app->documents.open();
    EXPECT_EQ(app->document.steps.count(), 2);
    EXPECT_EQ(app->document.steps.at(1).action, u"待機");
    EXPECT_EQ(app->document.path(), path);
    EXPECT_FALSE(app->document.changed());

    // Opening a name that does not exist changes nothing.
    dialogAccepts(u"missing");
    app->documents.open();
    EXPECT_EQ(app->document.path(), path);
    EXPECT_EQ(app->document.steps.at(1).action, u"待機");
}

TEST_F(DocumentCommandsTest, WindowTitleShowsTheFileNameExceptTheDefaultDocument) {
    struct Case {
        Str file, title;
    } cases[] = {
        {u"C:\\macro\\朝の巡回.TVK", u"TOVIRAK - 朝の巡回.TVK"},
        {u"", u"TOVIRAK"},
        {u"D:\\x\\TOVIRAK.TVK", u"TOVIRAK"},
        {u"D:\\x\\tovirak.tvk", u"TOVIRAK - tovirak.tvk"},  // exact comparison
        {u"C:\\\\r.tvk", u"TOVIRAK - r.tvk"},
    };
    for (const auto& c : cases) {
        app->document.setPath(c.file);
        app->documents.showTitle();
        EXPECT_EQ(app->form->text(), c.title);
    }
}

TEST_F(DocumentCommandsTest, OnTopStateIsDroppedForTheDialogAndRestored) {
    app->document.settings.topMost = true;
    const std::string h = std::to_string(app->form->nativeHandle());
    size_t atDialog = 0;
    dialog([&](tk::Form&) { atDialog = p.trace.size(); });
    p.clearTrace();
    app->documents.saveAs();
    ASSERT_GT(atDialog, 0u);
    std::string beforeDialog, afterDialog;
    for (size_t i = 0; i < p.trace.size(); ++i) (i < atDialog ? beforeDialog : afterDialog) += p.trace[i] + "\n";
    EXPECT_NE(beforeDialog.find("SetWindowPos(" + h + ",-2,"), std::string::npos) << beforeDialog;
    EXPECT_NE(afterDialog.find("SetWindowPos(" + h + ",-1,"), std::string::npos) << afterDialog;
}

TEST_F(DocumentCommandsTest, FailedSaveStopsNewAndKeepsTheChanges) {
    withFile();
    edit();
    p.failures.push_back({headless::FileFailure::Write, 1, err::DiskFull});
    p.answers = {tk::mb::IdYes};
    app->documents.newDocument();
    EXPECT_TRUE(app->document.changed());
    EXPECT_EQ(app->document.steps.count(), 2);
    EXPECT_EQ(app->document.path(), kDoc);
    EXPECT_EQ(*p.file(kDoc), "old");
    EXPECT_EQ(status().rfind(u"[MS_WriteFile]", 0), 0u);
}
