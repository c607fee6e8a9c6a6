// Saves under failure: every create, write, flush, close and replace call of
// a save is made to fail in turn, then the disk fills at every chunk edge,
// then the target is read-only or held by another program. After each the
// previous document must be byte-identical, no temporary file may be left,
// the failure must be reported, and the document must still save once the
// fault is gone.
#include <map>

#include "app_fixture.h"
#include "core/document_format.h"

namespace {

using Kind = headless::FileFailure::Kind;

const Str kDoc = u"C:\\work\\keep.TVK";
const Str kLog = u"C:\\Program Files\\TOVIRAK\\TOVIRAK_ERROR.LOG";

const char* kindName(Kind k) {
    switch (k) {
    case Kind::Create: return "Create";
    case Kind::Write: return "Write";
    case Kind::Flush: return "Flush";
    case Kind::Close: return "Close";
    case Kind::Replace: return "Replace";
    case Kind::Read: return "Read";
    case Kind::Append: return "Append";
    }
    return "?";
}

class FaultInjection : public AppTest {
protected:
    std::string old;  // the document on disk before each faulty save
    int injected = 0;

    void SetUp() override { start(); }

    void setRow(int32_t r, StrView d, StrView z, StrView c) {
        while (app->document.steps.count() <= r) app->document.steps.grow(1);
        app->document.steps.at(r) = MacroStep{Str(d), Str(z), Str(c)};
    }
    // A document big enough to take several write chunks.
    void bigModel(int32_t rows) {
        for (int32_t r = 1; r <= rows; ++r)
            setRow(r, u"ｷｰ入力", u"VK_A,VK_B", u"長いコメント " + toStr((long long)r) + Str(40, u'x'));
        app->document.steps.grow(1);
    }
    void saveCleanly(const Str& path) {
        p.failures.clear();
        app->macroFile.write(path, MacroFile::Overwrite::Silently);
        ASSERT_EQ(status(), u"書き込み完了！！！");
    }
    bool anyTempFile() const {
        for (auto& [k, v] : p.files)
            if (endsWith(k, u".tmp~")) return true;
        return false;
    }
    // Calls of each kind one clean save of the current model makes.
    std::map<int, int> callsOfOneSave(const Str& path) {
        p.callCounts.clear();
        app->macroFile.write(path, MacroFile::Overwrite::Silently);
        EXPECT_EQ(status(), u"書き込み完了！！！");
        return p.callCounts;
    }
    // After a failed save: the previous bytes, no temporary file, the
    // failure on the status line and in the log, still marked as changed.
    void expectUntouched(const Str& path, const std::string& before, int number, const std::string& what) {
        SCOPED_TRACE(what);
        ++injected;
        EXPECT_TRUE(fileBytes(path) == before) << "the previous document changed";
        EXPECT_FALSE(anyTempFile());
        EXPECT_EQ(status(), u"[MS_WriteFile]" + err::describeNumber(number));
        EXPECT_TRUE(app->document.changed());
        EXPECT_EQ(app->form->mousePointer(), tk::MousePointer::Default);
        const std::string* log = p.file(kLog);
        ASSERT_NE(log, nullptr);
        EXPECT_NE(fromCp932(*log).find(u"[MS_WriteFile]" + err::describeNumber(number)), Str::npos);
        p.files.erase(p.resolve(kLog));
    }
};

TEST_F(FaultInjection, EveryCallOfASaveFailsInTurnAndTheOldDocumentSurvives) {
    bigModel(9000);  // > 256 KB: several write calls
    saveCleanly(kDoc);
    old = fileBytes(kDoc);
    app->document.steps.at(4500).comment = u"changed";
    app->document.markChanged();
    const auto calls = callsOfOneSave(u"C:\\work\\probe.TVK");
    p.files.erase(p.resolve(u"C:\\work\\probe.TVK"));
    ASSERT_GE(calls.at(Kind::Write), 2);
    for (Kind k : {Kind::Create, Kind::Write, Kind::Flush, Kind::Close, Kind::Replace})
        ASSERT_GE(calls.count(k) ? calls.at(k) : 0, 1) << kindName(k);

    const int numbers[] = {err::DiskFull, err::DeviceIO, err::PermissionDenied, err::DiskNotReady};
    int variant = 0;
    for (Kind k : {Kind::Create, Kind::Write, Kind::Flush, Kind::Close, Kind::Replace}) {
        for (int nth = 1; nth <= calls.at(k); ++nth) {
            const int number = numbers[variant++ % 4];
            app->document.setPath(kDoc);
            app->document.markChanged();
            p.failures = {{k, nth, number}};
            p.callCounts.clear();
            app->macroFile.write(kDoc, MacroFile::Overwrite::Silently);
            expectUntouched(kDoc, old, number, std::string(kindName(k)) + " #" + std::to_string(nth));
            EXPECT_EQ(app->document.path(), kDoc);
        }
    }
    // The fault gone, the same save goes through and holds the change.
    saveCleanly(kDoc);
    EXPECT_FALSE(fileBytes(kDoc) == old);
    EXPECT_NE(docfmt::decode(fileBytes(kDoc)).find(u"\"changed\""), Str::npos);
    EXPECT_FALSE(app->document.changed());
    RecordProperty("injected", injected);
}

TEST_F(FaultInjection, AFullDiskAtAnyPointLeavesTheOldDocument) {
    bigModel(6000);
    saveCleanly(kDoc);
    old = fileBytes(kDoc);
    app->document.steps.at(1).comment = u"changed, and a little longer than before";
    app->document.markChanged();
    callsOfOneSave(u"C:\\work\\probe.TVK");
    const size_t size = fileBytes(u"C:\\work\\probe.TVK").size();
    p.files.erase(p.resolve(u"C:\\work\\probe.TVK"));
    app->document.markChanged();
    const size_t chunk = 256 * 1024;
    // No room at all, a byte, either side of each chunk edge, one byte short.
    std::vector<int64_t> room = {0, 1, 4096};
    for (size_t edge = chunk; edge < size; edge += chunk) {
        room.push_back(int64_t(edge) - 1);
        room.push_back(int64_t(edge));
        room.push_back(int64_t(edge) + 1);
    }
    room.push_back(int64_t(size) - 1);
    for (int64_t free : room) {
        p.diskFree = free;
        p.files.erase(p.resolve(kLog));
        app->macroFile.write(kDoc, MacroFile::Overwrite::Silently);
        // The log lives on the same full disk; its own failure is shown in a
        // message box instead (and the status line keeps its text).
        SCOPED_TRACE(free);
        ++injected;
        EXPECT_TRUE(fileBytes(kDoc) == old) << "the previous document changed";
        EXPECT_FALSE(anyTempFile());
        EXPECT_TRUE(app->document.changed());
        ASSERT_FALSE(p.shown.empty());
        EXPECT_EQ(p.shown.back().text, u"MS_DispStatus " + err::describeNumber(err::DiskFull));
        p.shown.clear();
    }
    // Room again: the save succeeds.
    p.diskFree = -1;
    saveCleanly(kDoc);
    EXPECT_FALSE(fileBytes(kDoc) == old);
    RecordProperty("injected", injected);
}

TEST_F(FaultInjection, AReadOnlyOrLockedTargetOrFolderIsReportedAndKept) {
    setRow(1, u"左ｸﾘｯｸ", u"10,20", u"元の文書");
    app->document.steps.grow(1);
    saveCleanly(kDoc);
    old = fileBytes(kDoc);
    app->document.steps.at(1).comment = u"changed";
    app->document.markChanged();

    p.readOnly.insert(kDoc);
    app->macroFile.write(kDoc, MacroFile::Overwrite::Silently);
    expectUntouched(kDoc, old, err::PermissionDenied, "read-only target");
    p.readOnly.clear();

    // Held open by another program (a scanner, an editor) for longer than
    // any retry waits.
    p.locked.insert(kDoc);
    app->macroFile.write(kDoc, MacroFile::Overwrite::Silently);
    expectUntouched(kDoc, old, err::PermissionDenied, "locked target");
    p.locked.clear();

    // A folder that cannot be written: not even the temporary file.
    p.readOnly.insert(u"C:\\work");
    app->macroFile.write(kDoc, MacroFile::Overwrite::Silently);
    expectUntouched(kDoc, old, err::PermissionDenied, "read-only folder");
    p.readOnly.clear();

    // A folder that does not exist, with no previous document: nothing
    // appears anywhere.
    app->macroFile.write(u"C:\\gone\\new.TVK", MacroFile::Overwrite::Silently);
    ++injected;
    EXPECT_EQ(p.file(u"C:\\gone\\new.TVK"), nullptr);
    EXPECT_FALSE(anyTempFile());
    EXPECT_EQ(status(), u"[MS_WriteFile]" + err::describeNumber(err::PathNotFound));

    // Every fault cleared: saved.
    saveCleanly(kDoc);
    EXPECT_NE(docfmt::decode(fileBytes(kDoc)).find(u"\"changed\""), Str::npos);
    RecordProperty("injected", injected);
}

TEST_F(FaultInjection, ANewFileThatFailsLeavesNothingBehind) {
    setRow(1, u"待機", u"1", u"");
    app->document.steps.grow(1);
    const Str fresh = u"C:\\work\\fresh.TVK";
    for (Kind k : {Kind::Create, Kind::Write, Kind::Flush, Kind::Close, Kind::Replace}) {
        SCOPED_TRACE(kindName(k));
        p.failures = {{k, 1, err::DeviceIO}};
        p.callCounts.clear();
        app->macroFile.write(fresh, MacroFile::Overwrite::Silently);
        ++injected;
        EXPECT_EQ(p.file(fresh), nullptr);
        EXPECT_FALSE(anyTempFile());
        EXPECT_EQ(status(), u"[MS_WriteFile]" + err::describeNumber(err::DeviceIO));
        EXPECT_NE(app->document.path(), fresh);
    }
    RecordProperty("injected", injected);
}

TEST_F(FaultInjection, FailingErrorLogOnTopOfAFailingSaveStillKeepsTheDocument) {
    setRow(1, u"左ｸﾘｯｸ", u"1,2", u"x");
    app->document.steps.grow(1);
    saveCleanly(kDoc);
    old = fileBytes(kDoc);
    app->document.markChanged();
    // The replace fails, and so does appending the failure to the log.
    p.failures = {{Kind::Replace, 1, err::PermissionDenied}, {Kind::Append, 1, err::DiskNotReady}};
    p.callCounts.clear();
    app->macroFile.write(kDoc, MacroFile::Overwrite::Silently);
    ++injected;
    EXPECT_TRUE(fileBytes(kDoc) == old) << "the previous document changed";
    EXPECT_FALSE(anyTempFile());
    ASSERT_FALSE(p.shown.empty());
    EXPECT_EQ(p.shown.back().text, u"MS_DispStatus " + err::describeNumber(err::DiskNotReady));
    EXPECT_TRUE(app->document.changed());
    RecordProperty("injected", injected);
}

TEST_F(FaultInjection, TheDefaultDocumentWrittenOnCloseSurvivesAFailure) {
    // Closing writes "TOVIRAK.TVK" in the current folder whatever happens;
    // a failure there must not cost the working state of the last session.
    setRow(1, u"待機", u"5", u"前回の状態");
    app->document.steps.grow(1);
    saveCleanly(u"TOVIRAK.TVK");
    old = fileBytes(u"TOVIRAK.TVK");
    ASSERT_FALSE(old.empty());
    app->document.steps.at(1).comment = u"今回";
    app->document.setChanged(false);  // nothing to ask about
    for (Kind k : {Kind::Create, Kind::Write, Kind::Flush, Kind::Close, Kind::Replace}) {
        SCOPED_TRACE(kindName(k));
        p.failures = {{k, 1, err::DiskFull}};
        p.callCounts.clear();
        bool cancel = false;
        app->queryClose(cancel);
        ++injected;
        EXPECT_TRUE(fileBytes(u"TOVIRAK.TVK") == old) << "the previous state changed";
        EXPECT_FALSE(anyTempFile());
        EXPECT_EQ(status(), u"[MS_WriteFile]" + err::describeNumber(err::DiskFull));
    }
    RecordProperty("injected", injected);
}

}  // namespace
