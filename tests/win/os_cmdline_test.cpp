// The argument text after the program name, as the program reads its own
// command line.
#include "harness.h"

#include "platform/win32/os_cmdline.h"
#include "platform/win32/os_probe.h"
#include "platform/win32/win32_platform.h"

using win32::argumentsOf;

TEST(OsCommandLine, ProgramNameAndOneBlankAreDropped) {
    EXPECT_EQ(argumentsOf(u"TOVIRAK.exe /RUN a.TVK"), Str(u"/RUN a.TVK"));
    EXPECT_EQ(argumentsOf(u"\"C:\\Program Files\\TOVIRAK\\TOVIRAK.exe\" /NOMSG"), Str(u"/NOMSG"));
    EXPECT_EQ(argumentsOf(u"TOVIRAK.exe"), Str(u""));
    EXPECT_EQ(argumentsOf(u"\"TOVIRAK.exe\""), Str(u""));
    EXPECT_EQ(argumentsOf(u""), Str(u""));
    EXPECT_EQ(argumentsOf(u"TOVIRAK.exe "), Str(u""));
    EXPECT_EQ(argumentsOf(u"TOVIRAK.exe\t/RUN"), Str(u"/RUN"));
}

TEST(OsCommandLine, RestIsKeptExactly) {
    // Only one separating blank goes; further blanks belong to the argument.
    EXPECT_EQ(argumentsOf(u"TOVIRAK.exe   x.TVK  "), Str(u"  x.TVK  "));
    EXPECT_EQ(argumentsOf(u"TOVIRAK.exe \"C:\\My Macros\\日本語.TVK\" /run"),
              Str(u"\"C:\\My Macros\\日本語.TVK\" /run"));
    // A quoted name followed at once by text: nothing separates them.
    EXPECT_EQ(argumentsOf(u"\"TOVIRAK.exe\"/RUN"), Str(u"/RUN"));
    // An unquoted name ends at the first blank, whatever quotes it holds.
    EXPECT_EQ(argumentsOf(u"C:\\\"My Apps\"\\TOVIRAK.exe /RUN"), Str(u"Apps\"\\TOVIRAK.exe /RUN"));
    // An unterminated quote swallows the whole line.
    EXPECT_EQ(argumentsOf(u"\"C:\\TOVIRAK.exe /RUN"), Str(u""));
}

// The real command line of a child program, read through the services.
TEST(OsCommandLine, ChildSeesItsArguments) {
    auto os = win32::makeServices(1, 0);
    Str dir = win32::probe::makeTempFolder(u"tvk_cmd_");
    Str exe = os->programFolder() + u"\\win_tests.exe";
    win32::probe::Process child(u"\"" + exe + u"\" --print-command-line  /RUN \"日本 語.TVK\"", dir);
    long code = child.wait(30000);
    if (code == -1) child.kill();
    EXPECT_EQ(code, 0L);
    std::string got;
    try {
        got = os->readFile(dir + u"\\cmdline.txt");
    } catch (const RtError&) {
    }
    win32::probe::removeTree(dir);
    Str expected = u"--print-command-line  /RUN \"日本 語.TVK\"";
    EXPECT_EQ(Str(reinterpret_cast<const char16_t*>(got.data()), got.size() / 2), expected);
}

// Child side of ChildSeesItsArguments: writes the argument text as UTF-16
// into the current folder.
static int printCommandLine() {
    auto os = win32::makeServices(1, 0);
    Str c = os->commandLine();
    auto f = os->createFile(os->currentFolder() + u"\\cmdline.txt");
    f->write(std::string(reinterpret_cast<const char*>(c.data()), c.size() * 2));
    f->close();
    return 0;
}
[[maybe_unused]] static const bool printCommandLineMode = wt::registerMode("--print-command-line", printCommandLine);
