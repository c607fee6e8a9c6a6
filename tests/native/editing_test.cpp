// Row editing: choices and typing reach the model, growth of the input row,
// the document-changed rules, guidance texts, Space and Enter.
#include "editor/guidance.h"
#include "editor_fixture.h"

class EditingTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        size(6000, heightFor(4));
    }
};

TEST_F(EditingTest, ChoosingAnActionInTheInputRowGrowsTheMacro) {
    pick(1, u"左ｸﾘｯｸ");
    EXPECT_EQ(app->document.steps.at(1).action, u"左ｸﾘｯｸ");
    EXPECT_EQ(app->document.steps.count(), 2);
    EXPECT_TRUE(app->document.changed());
    EXPECT_EQ(status(), u"setﾎﾞﾀﾝを押して、位置を設定します。(Shiftを押しながら離すと、その下のｳｨﾝﾄﾞｳ内の位置になります)");
    EXPECT_EQ(app->statusLine.label().foreColor(), tk::rgb(0, 0, 255));
    // The new input row is shown below it, empty.
    EXPECT_TRUE(rowShown(2));
    EXPECT_EQ(no(2), u"2");
    EXPECT_EQ(action(2), u"");
    EXPECT_TRUE(rowHidden(3));
    EXPECT_EQ(action(1), u"左ｸﾘｯｸ");
}

TEST_F(EditingTest, TheEmptyActionIsStoredWithoutMarkingTheDocument) {
    load(3);
    pick(2, u"");
    EXPECT_EQ(app->document.steps.at(2).action, u"");
    EXPECT_FALSE(app->document.changed());
    EXPECT_EQ(status(), u"動作(ｸﾘｯｸ,ｷｰ入力,待機)を選択します。");
    EXPECT_EQ(app->document.steps.count(), 4);
    // In the input row it still appends a row.
    pick(4, u"");
    EXPECT_EQ(app->document.steps.count(), 5);
    EXPECT_FALSE(app->document.changed());
}

TEST_F(EditingTest, PasswordInputMasksTheCommandBoxAtOnce) {
    load(2);
    pick(1, u"ﾊﾟｽﾜｰﾄﾞ入力");
    EXPECT_EQ(app->grid.commandBox(1)->passwordChar(), u'*');
    EXPECT_EQ(status(), u"ｺﾏﾝﾄﾞ欄にｷｰ入力を行う文字を入力します。");
    pick(1, u"ｷｰ入力");
    EXPECT_EQ(app->grid.commandBox(1)->passwordChar(), 0);
    EXPECT_EQ(app->document.steps.at(1).action, u"ｷｰ入力");
}

TEST_F(EditingTest, TypingStoresTheTextAndOnlyTheInputRowGrows) {
    load(2);
    app->grid.commandBox(1)->userFocus();
    app->grid.commandBox(1)->userTyped(u"7,8");
    EXPECT_EQ(app->document.steps.at(1).command, u"7,8");
    EXPECT_EQ(app->document.steps.count(), 3);
    EXPECT_TRUE(app->document.changed());

    app->grid.commandBox(3)->userFocus();
    app->grid.commandBox(3)->userTyped(u"a");
    EXPECT_EQ(app->document.steps.at(3).command, u"a");
    EXPECT_EQ(app->document.steps.count(), 4);
    EXPECT_TRUE(rowShown(4));

    app->grid.commentBox(4)->userFocus();
    EXPECT_EQ(status(), u"ｺﾒﾝﾄが入力出来ます。(入力しなくてもかまいません。)");
    app->grid.commentBox(4)->userTyped(u"note");
    EXPECT_EQ(app->document.steps.at(4).comment, u"note");
    EXPECT_EQ(app->document.steps.count(), 5);
    EXPECT_EQ(app->grid.scrollBar()->max(), 2);
}

TEST_F(EditingTest, PastedLineBreaksBecomeSpacesInTheStepAndTheBox) {
    load(2);
    app->grid.commandBox(1)->userFocus();
    app->grid.commandBox(1)->userTyped(u"abc\r\ndef\rg\nh");
    EXPECT_EQ(app->document.steps.at(1).command, u"abc def g h");
    EXPECT_EQ(command(1), u"abc def g h");
    app->grid.commentBox(2)->userFocus();
    app->grid.commentBox(2)->userTyped(u"\r\n二行目\r\n");
    EXPECT_EQ(app->document.steps.at(2).comment, u" 二行目 ");
    EXPECT_EQ(comment(2), u" 二行目 ");
    EXPECT_TRUE(app->document.changed());
    EXPECT_FALSE(app->grid.filling());
    // Typing on after the paste stores the box's text as usual.
    app->grid.commentBox(2)->userTyped(u" 二行目 x");
    EXPECT_EQ(app->document.steps.at(2).comment, u" 二行目 x");
}

TEST_F(EditingTest, EditsInAScrolledGridReachTheirStep) {
    load(20);
    app->grid.scrollBar()->setValue(11);
    app->grid.commentBox(3)->userTyped(u"thirteen");
    EXPECT_EQ(app->document.steps.at(13).comment, u"thirteen");
    pick(2, u"待機");
    EXPECT_EQ(app->document.steps.at(12).action, u"待機");
    EXPECT_EQ(app->document.steps.count(), 21);
}

TEST_F(EditingTest, SpaceRecordsTheCursorForMouseActionsOnly) {
    load(3);
    p.cursor = {100, 200};
    pick(2, u"右ﾄﾞﾗｯｸﾞ");
    app->document.setChanged(false);
    EXPECT_FALSE(keyPress(32));  // the list still gets the key
    EXPECT_EQ(command(2), u"100,200");
    EXPECT_EQ(app->document.steps.at(2).command, u"100,200");
    EXPECT_TRUE(app->document.changed());

    // In the input row it also grows the macro.
    pick(4, u"ﾏｳｽｶｰｿﾙ移動");
    p.cursor = {5, 6};
    keyPress(32);
    EXPECT_EQ(app->document.steps.at(4).command, u"5,6");
    EXPECT_EQ(app->document.steps.count(), 5);

    for (const Str a : {u"終了", u"待機", u"ｷｰ入力", u"ｷｰ入力_改", u"ｷｰ入力_真", u"ﾊﾟｽﾜｰﾄﾞ入力", u"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ",
                        u"ｳｨﾝﾄﾞｳ存在ﾁｪｯｸ", u"ｳｨﾝﾄﾞｳ不在ﾁｪｯｸ", u"EXE実行", u"PlaySound", u""}) {
        pick(1, a);
        app->document.setChanged(false);
        keyPress(32);
        EXPECT_EQ(command(1), u"1,2") << toUtf8(a);
        EXPECT_FALSE(app->document.changed()) << toUtf8(a);
    }
    // Other keys pass untouched.
    pick(1, u"左ｸﾘｯｸ");
    int k = 'a';
    app->grid.actionList(1)->onKeyPress(k);
    EXPECT_EQ(k, 'a');
    EXPECT_EQ(command(1), u"1,2");
}

TEST_F(EditingTest, CommandGuidanceFollowsTheActionAndTheUnit) {
    load(3);
    pick(1, u"待機");
    app->grid.commandBox(1)->userFocus();
    EXPECT_EQ(status(), u"待機する時間を入力します。(秒単位)");
    app->controls.unitBox->userFocus();
    app->controls.unitBox->userSelect(1);
    app->grid.commandBox(1)->userFocus();
    EXPECT_EQ(status(), u"待機する時間を入力します。(分単位)");

    pick(2, u"終了");
    EXPECT_EQ(status(), u"TOVIRAKを終了します。");
    app->grid.commandBox(2)->userFocus();
    EXPECT_EQ(status(), u"");

    app->grid.commandBox(4)->userFocus();
    EXPECT_EQ(status(), u"動作を設定してください。");
    app->grid.commandBox(3)->userFocus();
    EXPECT_EQ(status(), u"X軸,Y軸座標を入力します。(またはsetボタンを押して、ｸﾘｯｸ場所を指定します。)"
                        u"X軸,Y軸,ｳｨﾝﾄﾞｳﾀｲﾄﾙでそのｳｨﾝﾄﾞｳ内の位置になります。");
}

// The two tables, entry by entry, as the user reads them.
TEST(Guidance, TablesAAndB) {
    using namespace guidance;
    EXPECT_EQ(forAction(u"ｷｰ入力_真"), u"ｺﾏﾝﾄﾞ欄にｷｰ入力を行う文字を入力します。");
    EXPECT_EQ(forAction(u"待機"), u"ｺﾏﾝﾄﾞ欄に待機する時間を入力します。");
    EXPECT_EQ(forAction(u"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ"),
              u"ｺﾏﾝﾄﾞ欄にｱｸﾃｨﾌﾞにしたいｳｨﾝﾄﾞｳﾀｲﾄﾙを入力します。またはsetﾎﾞﾀﾝを押して、ｱｸﾃｨﾌﾞしたいｳｨﾝﾄﾞｳを選択します。");
    EXPECT_EQ(forAction(u"ｳｨﾝﾄﾞｳ存在ﾁｪｯｸ"),
              u"ｺﾏﾝﾄﾞ欄に存在ﾁｪｯｸしたいｳｨﾝﾄﾞｳﾀｲﾄﾙを入力します。またはsetﾎﾞﾀﾝを押して、ﾁｪｯｸしたいｳｨﾝﾄﾞｳを選択します。");
    EXPECT_EQ(forAction(u"ｳｨﾝﾄﾞｳ不在ﾁｪｯｸ"),
              u"ｺﾏﾝﾄﾞ欄に不在ﾁｪｯｸしたいｳｨﾝﾄﾞｳﾀｲﾄﾙを入力します。またはsetﾎﾞﾀﾝを押して、ﾁｪｯｸしたいｳｨﾝﾄﾞｳを選択します。");
    EXPECT_EQ(forAction(u"EXE実行"), u"ｺﾏﾝﾄﾞ欄に実行したいEXEファイル名を入力します。");
    EXPECT_EQ(forAction(u"PlaySound"), u"ｺﾏﾝﾄﾞ欄に再生したい音声ファイル名を入力します。");
    EXPECT_EQ(forAction(u"Alt中ｸﾘｯｸ"), u"setﾎﾞﾀﾝを押して、位置を設定します。(Shiftを押しながら離すと、その下のｳｨﾝﾄﾞｳ内の位置になります)");

    EXPECT_EQ(forCommand(u"ﾊﾟｽﾜｰﾄﾞ入力", u"秒"), u"ｷｰ入力を行う文字を入力します。(詳細はﾍﾙﾌﾟを参照)");
    EXPECT_EQ(forCommand(u"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ", u"秒"), u"ｱｸﾃｨﾌﾞにするｳｨﾝﾄﾞｳﾀｲﾄﾙを入力します。");
    EXPECT_EQ(forCommand(u"ｳｨﾝﾄﾞｳ存在ﾁｪｯｸ", u"秒"), u"存在ﾁｪｯｸするするｳｨﾝﾄﾞｳﾀｲﾄﾙを入力します。");
    EXPECT_EQ(forCommand(u"ｳｨﾝﾄﾞｳ不在ﾁｪｯｸ", u"秒"), u"不在ﾁｪｯｸするｳｨﾝﾄﾞｳﾀｲﾄﾙを入力します。");
    EXPECT_EQ(forCommand(u"EXE実行", u"秒"), u"実行するEXEﾌｧｲﾙ名を入力します。");
    EXPECT_EQ(forCommand(u"PlaySound", u"秒"), u"再生させたい音声ﾌｧｲﾙ名を入力します。");
    // Any unit text but "秒" reads as minutes.
    EXPECT_EQ(forCommand(u"待機", u"x"), u"待機する時間を入力します。(分単位)");
}

TEST_F(EditingTest, EnterMovesThroughTheTabOrder) {
    load(5);
    app->grid.commandBox(1)->userFocus();
    EXPECT_TRUE(keyPress(13));
    EXPECT_EQ(focused(), app->grid.commentBox(1));  // the set button is skipped
    EXPECT_TRUE(keyPress(13));
    EXPECT_EQ(focused(), app->grid.actionList(2));
    EXPECT_TRUE(keyPress(13));
    EXPECT_EQ(focused(), app->grid.commandBox(2));

    app->controls.intervalBox->userFocus();
    EXPECT_TRUE(keyPress(13));
    EXPECT_EQ(focused(), app->controls.unitBox);
    EXPECT_TRUE(keyPress(13));
    EXPECT_EQ(focused(), app->controls.startButton);
    // On a button Enter is left to the button.
    EXPECT_FALSE(keyPress(13));
    EXPECT_EQ(focused(), app->controls.startButton);
    app->grid.setButton(1)->userFocus();
    EXPECT_FALSE(keyPress(13));
    // Other keys pass.
    app->grid.commandBox(1)->userFocus();
    EXPECT_FALSE(keyPress('a'));
    EXPECT_EQ(focused(), app->grid.commandBox(1));
}

TEST_F(EditingTest, IntervalControlsMarkTheDocument) {
    app->controls.intervalBox->userFocus();
    EXPECT_EQ(status(), u"実行間隔を入力します。(小数点入力も可能)");
    app->controls.intervalBox->userTyped(u"2");
    EXPECT_TRUE(app->document.changed());
    app->document.setChanged(false);
    app->controls.unitBox->userFocus();
    EXPECT_EQ(status(), u"実行間隔の単位を選択します。(秒または分)");
    app->controls.unitBox->userTyped(u"分x");
    EXPECT_FALSE(app->document.changed());
    app->controls.unitBox->userSelect(1);
    EXPECT_TRUE(app->document.changed());
    app->controls.settingsButton->userFocus();
    EXPECT_EQ(status(), u"TOVIRAKの設定画面を表示します。");
}
