#include "editor/guidance.h"

#include "core/model.h"

namespace guidance {

Str forAction(StrView a) {
    if (a.empty()) return u"動作(ｸﾘｯｸ,ｷｰ入力,待機)を選択します。";
    if (actions::isKeyInput(a)) return u"ｺﾏﾝﾄﾞ欄にｷｰ入力を行う文字を入力します。";
    if (a == actions::Wait) return u"ｺﾏﾝﾄﾞ欄に待機する時間を入力します。";
    if (a == actions::WindowActive)
        return u"ｺﾏﾝﾄﾞ欄にｱｸﾃｨﾌﾞにしたいｳｨﾝﾄﾞｳﾀｲﾄﾙを入力します。またはsetﾎﾞﾀﾝを押して、ｱｸﾃｨﾌﾞしたいｳｨﾝﾄﾞｳを選択します。";
    if (a == actions::WindowExists)
        return u"ｺﾏﾝﾄﾞ欄に存在ﾁｪｯｸしたいｳｨﾝﾄﾞｳﾀｲﾄﾙを入力します。またはsetﾎﾞﾀﾝを押して、ﾁｪｯｸしたいｳｨﾝﾄﾞｳを選択します。";
    if (a == actions::WindowAbsent)
        return u"ｺﾏﾝﾄﾞ欄に不在ﾁｪｯｸしたいｳｨﾝﾄﾞｳﾀｲﾄﾙを入力します。またはsetﾎﾞﾀﾝを押して、ﾁｪｯｸしたいｳｨﾝﾄﾞｳを選択します。";
    if (a == actions::Exe) return u"ｺﾏﾝﾄﾞ欄に実行したいEXEファイル名を入力します。";
    if (a == actions::PlaySound) return u"ｺﾏﾝﾄﾞ欄に再生したい音声ファイル名を入力します。";
    if (a == actions::End) return u"TOVIRAKを終了します。";
    return u"setﾎﾞﾀﾝを押して、位置を設定します。(Shiftを押しながら離すと、その下のｳｨﾝﾄﾞｳ内の位置になります)";
}

Str forCommand(StrView a, StrView tani) {
    if (a.empty()) return u"動作を設定してください。";
    if (actions::isKeyInput(a)) return u"ｷｰ入力を行う文字を入力します。(詳細はﾍﾙﾌﾟを参照)";
    if (a == actions::Wait) return Str(u"待機する時間を入力します。") + (tani == u"秒" ? u"(秒単位)" : u"(分単位)");
    if (a == actions::WindowActive) return u"ｱｸﾃｨﾌﾞにするｳｨﾝﾄﾞｳﾀｲﾄﾙを入力します。";
    if (a == actions::WindowExists) return u"存在ﾁｪｯｸするするｳｨﾝﾄﾞｳﾀｲﾄﾙを入力します。";
    if (a == actions::WindowAbsent) return u"不在ﾁｪｯｸするｳｨﾝﾄﾞｳﾀｲﾄﾙを入力します。";
    if (a == actions::Exe) return u"実行するEXEﾌｧｲﾙ名を入力します。";
    if (a == actions::PlaySound) return u"再生させたい音声ﾌｧｲﾙ名を入力します。";
    if (a == actions::End) return Str();
    return u"X軸,Y軸座標を入力します。(またはsetボタンを押して、ｸﾘｯｸ場所を指定します。)"
           u"X軸,Y軸,ｳｨﾝﾄﾞｳﾀｲﾄﾙでそのｳｨﾝﾄﾞｳ内の位置になります。";
}

Str forComment() { return u"ｺﾒﾝﾄが入力出来ます。(入力しなくてもかまいません。)"; }

bool isNotCapturable(StrView a) {
    return a.empty() || a == actions::Wait || actions::isKeyInput(a) || a == actions::Exe || a == actions::PlaySound;
}

bool ignoresSpace(StrView a) {
    return isNotCapturable(a) || actions::isWindowAction(a) || a == actions::End;
}

}  // namespace guidance
