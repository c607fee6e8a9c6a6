// The sample macros of samples/ as the program reads them: CP932 with CR LF,
// read without a message, every row passing the check a run makes, Notepad
// looked for by its Japanese title, and the first comment telling what to
// change on an English system, which gives a document just as sound. (The
// Windows-side tests play them.)
#include "app_fixture.h"
#include "input/anchor.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

class SampleTest : public AppTest {
protected:
    void SetUp() override { start(); }
    // Reads the document; the message the reading or the run's check gave,
    // empty when there was none.
    std::string readAndCheck(const Str& name, const std::string& bytes) {
        const Str path = u"C:\\work\\" + name;
        p.putFile(path, bytes);
        p.shown.clear();
        app->macroFile.read(path);
        if (!p.shown.empty()) return toUtf8(p.shown.back().text);
        if (status() != u"読み込み完了！！！") return toUtf8(status());
        if (!app->checkRun().has_value()) return "check: " + (p.shown.empty() ? toUtf8(status()) : toUtf8(p.shown.back().text));
        return std::string();
    }
};

// The window a row's point is anchored to (empty for other rows).
Str clickWindow(const MacroStep& s) {
    return actions::isKeyInput(s.action) ? Str() : anchor::splitCommand(s.command).third;
}

}  // namespace

TEST_F(SampleTest, EverySampleReadsAndPassesTheRunCheckAsWrittenAndAsChangedForEnglish) {
    const std::filesystem::path folder = std::filesystem::path(TOVIRAK_SOURCE_DIR) / "samples";
    int samples = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string file = entry.path().filename().string();
        SCOPED_TRACE(file);
        ++samples;
        const std::string bytes = slurp(entry.path());
        ASSERT_FALSE(bytes.empty());
        for (size_t i = 0; i < bytes.size(); ++i)
            if (bytes[i] == '\n') {
                ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at byte " << i;
            }
        bool lossless = true;
        const Str text = fromCp932(bytes);
        EXPECT_EQ(toCp932(text, &lossless), bytes);
        EXPECT_TRUE(lossless);

        const Str name = fromUtf8(file);
        EXPECT_EQ(readAndCheck(name, bytes), "");
        // Notepad is looked for as Japanese Windows titles it, and nothing
        // looks for the English title.
        bool searches = app->document.settings.targetWindowSearch == u"メモ帳";
        for (int32_t r = 1; r < app->document.steps.count(); ++r) {
            const MacroStep& s = app->document.steps.at(r);
            searches = searches || (actions::isWindowAction(s.action) && s.command == u"メモ帳");
            // A click names Notepad as its window: it clicks nowhere else.
            if (clickWindow(s) != u"") {
                EXPECT_EQ(clickWindow(s), u"メモ帳") << r;
            }
            EXPECT_EQ(instr(s.command, u"Notepad"), 0) << r;
        }
        EXPECT_TRUE(searches);
        EXPECT_GT(instr(app->document.steps.at(1).comment, u"「メモ帳」を「- Notepad」に変える"), 0);

        // The change its first comment asks for on an English system.
        Str english = replaceAll(text, u"WindowTitle=メモ帳\r\n", u"WindowTitle=- Notepad\r\n");
        english = replaceAll(english, u"\",\"メモ帳\",\"", u"\",\"- Notepad\",\"");  // window rows
        english = replaceAll(english, u",メモ帳\",\"", u",- Notepad\",\"");              // clicks in it
        EXPECT_EQ(readAndCheck(name, toCp932(english)), "");
        for (int32_t r = 1; r < app->document.steps.count(); ++r) {
            const MacroStep& s = app->document.steps.at(r);
            if (actions::isWindowAction(s.action)) {
                EXPECT_EQ(s.command, u"- Notepad") << r;
            }
            if (clickWindow(s) != u"") {
                EXPECT_EQ(clickWindow(s), u"- Notepad") << r;
            }
        }
    }
    EXPECT_EQ(samples, 3);
}
