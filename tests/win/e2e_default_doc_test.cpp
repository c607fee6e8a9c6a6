// The default document through the built program: TOVIRAK.exe reads the
// "TOVIRAK.TVK" of its working folder at start and writes it again at close,
// in the program's own form, byte for byte.
#include "harness.h"
#include "program.h"

#include "platform/win32/os_probe.h"
#include "platform/win32/win32_platform.h"

namespace {
namespace probe = win32::probe;


// An older document: legacy row keys, full-width action names, loose
// spelling of booleans, header values with blanks around them, a blank row.
const char16_t* const kInput =
    u"Ver=1.0\r\n"
    u"Top=1500\r\n"
    u"Height=6000\r\n"
    u"Left=1200\r\n"
    u"Width=4500\r\n"
    u"KankakuTime=2.5\r\n"
    u"KankakuTimeTani=2\r\n"
    u"WindowTitle=  メモ帳  \r\n"
    u"StartHotKey=VK_F5\r\n"
    u"StopHotKey=VK_F6\r\n"
    u"TimerHH=-1\r\n"
    u"TimerMM=3\r\n"
    u"TimerEnabled=true\r\n"
    u"TimerPCOff=0\r\n"
    u"TopMost=FALSE\r\n"
    u"NotActive=-1\r\n"
    u"Dousa(1)=左ｸﾘｯｸ\r\n"
    u"X_jiku(1)=100\r\n"
    u"Y_jiku(1)=200\r\n"
    u"Comment(1)=最初の一歩\r\n"
    u"Dousa(2)=ｷｰ入力\r\n"
    u"X_jiku(2)=VK_RETURN\r\n"
    u"Y_jiku(2)=\r\n"
    u"\"キー入力\",\"abc\",\"日本語のコメント、\"引用\", そして\"\r\n"
    u"\"ウィンドウアクティブ\",\"メモ帳\",\"前へ\"\r\n"
    u"\r\n"
    u"\"待機\",\"1.5\",\"\"\r\n"
    u"\r\n";

const char16_t* const kExpected =
    u"Ver=1.0\r\n"
    u"Top=1500\r\n"
    u"Height=6000\r\n"
    u"Left=1200\r\n"
    u"Width=4500\r\n"
    u"KankakuTime=2.5\r\n"
    u"KankakuTimeTani=2\r\n"
    u"WindowTitle=メモ帳\r\n"
    u"StartHotKey=VK_F5\r\n"
    u"StopHotKey=VK_F6\r\n"
    u"TimerHH=-1\r\n"
    u"TimerMM=3\r\n"
    u"TimerEnabled=True\r\n"
    u"TimerPCOff=False\r\n"
    u"TopMost=False\r\n"
    u"NotActive=True\r\n"
    u"\"左ｸﾘｯｸ\",\"100,200\",\"最初の一歩\"\r\n"
    u"\"ｷｰ入力\",\"VK_RETURN\",\"\"\r\n"
    u"\"ｷｰ入力\",\"abc\",\"日本語のコメント、\"引用\", そして\"\r\n"
    u"\"ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ\",\"メモ帳\",\"前へ\"\r\n"
    u"\r\n"
    u"\"待機\",\"1.5\",\"\"\r\n";
}  // namespace

TEST(EndToEnd, DefaultDocumentIsReadAtStartAndRewrittenAtClose) {
    auto os = win32::makeServices(1, 0);
    wt::Program prog(*os, u"tvk_doc_");
    ASSERT_TRUE(os->fileExists(prog.exe()));
    const Str tvk = prog.dir + u"\\TOVIRAK.TVK";
    prog.writeDocument(u"TOVIRAK.TVK", kInput);

    prog.start(u"/NOMSG");
    os::WindowHandle main = prog.waitMainWindow();
    ASSERT_TRUE(main != 0);
    // Read at start: the default document gives no name of its own.
    EXPECT_EQ(os->getWindowText(main), Str(u"TOVIRAK"));
    probe::Rect r = probe::windowRect(main);
    wt::note("window at " + std::to_string(r.left) + "," + std::to_string(r.top) + " size " +
             std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top) + " px, " +
             std::to_string(os->dpi()) + " dpi");

    EXPECT_EQ(prog.closeAndWait(main), 0L);
    ASSERT_TRUE(os->fileExists(tvk));
    const std::string written = os->readFile(tvk);
    const std::string expected = toCp932(kExpected);
    if (!EXPECT_EQ(written, expected)) wt::note("written:\n" + wt::utf8(fromCp932(written)));
    EXPECT_FALSE(os->fileExists(tvk + u".tmp~"));
}
