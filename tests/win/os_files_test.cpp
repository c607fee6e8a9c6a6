// Files through the real services: the document save path (create, flush,
// replace), reading back, and the error numbers the run time reports.
#include "harness.h"

#include "platform/win32/os_probe.h"
#include "platform/win32/win32_platform.h"

namespace {

namespace probe = win32::probe;

struct TempFolder {
    Str path = probe::makeTempFolder(u"tvk_files_");
    ~TempFolder() { probe::removeTree(path); }
    Str operator/(const Str& name) const { return path + u"\\" + name; }
};

std::unique_ptr<os::Services> services() { return win32::makeServices(1, 0); }

}  // namespace

TEST(OsFiles, WriteFlushReplaceAndReadBack) {
    auto os = services();
    TempFolder dir;
    Str target = dir / u"TOVIRAK.TVK";
    Str temp = dir / u"TOVIRAK.TVK.tmp";
    {
        auto f = os->createFile(target);
        f->write("old contents\r\n");
        f->close();
    }
    std::string bytes = "line1\r\n";
    bytes += std::string("\x82\xa0\x00\xff", 4);  // CP932 and binary bytes survive unchanged
    bytes += std::string(100000, 'x');             // more than one read chunk
    {
        auto f = os->createFile(temp);
        f->write(bytes.substr(0, 5));
        f->write(bytes.substr(5));
        f->flush();
        f->close();
        f->close();  // idempotent
    }
    os->replaceFile(temp, target);
    EXPECT_FALSE(os->fileExists(temp));
    EXPECT_TRUE(os->fileExists(target));
    std::string back = os->readFile(target);
    EXPECT_EQ(back.size(), bytes.size());
    EXPECT_TRUE(back == bytes);

    // createFile truncates.
    os->createFile(target)->write("short");
    EXPECT_EQ(os->readFile(target), std::string("short"));
}

TEST(OsFiles, AppendCreatesThenExtends) {
    auto os = services();
    TempFolder dir;
    Str log = dir / u"TOVIRAK_ERROR.LOG";
    os->appendFile(log)->write("one\r\n");
    {
        auto f = os->appendFile(log);
        f->write("two\r\n");
        f->close();
    }
    EXPECT_EQ(os->readFile(log), std::string("one\r\ntwo\r\n"));
}

TEST(OsFiles, ReplaceOverHeldFileRetriesThenFails70) {
    auto os = services();
    TempFolder dir;
    Str target = dir / u"held.TVK";
    Str source = dir / u"new.TVK";
    os->createFile(target)->write("held");
    os->createFile(source)->write("new");
    {
        probe::HeldFile hold(target);  // no delete sharing: cannot be replaced
        int64_t t0 = os->monotonicMs();
        EXPECT_RTERROR(os->replaceFile(source, target), 70);
        int64_t elapsed = os->monotonicMs() - t0;
        // Ten attempts 50 ms apart: the failure comes after the retries.
        EXPECT_TRUE(elapsed >= 400);
        EXPECT_TRUE(elapsed < 5000);
        EXPECT_TRUE(os->fileExists(source));
    }
    EXPECT_EQ(os->readFile(target), std::string("held"));
    // Once the holder lets go, the same call goes through.
    os->replaceFile(source, target);
    EXPECT_EQ(os->readFile(target), std::string("new"));
}

TEST(OsFiles, ErrorNumbers) {
    auto os = services();
    TempFolder dir;
    EXPECT_RTERROR(os->readFile(dir / u"missing.TVK"), 53);
    EXPECT_RTERROR(os->readFile(dir / u"no folder\\missing.TVK"), 53);
    EXPECT_RTERROR(os->createFile(dir / u"no folder\\x.TVK"), 76);
    EXPECT_RTERROR(os->replaceFile(dir / u"a.tmp", dir / u"no folder\\b.TVK"), 53);
    os->createFile(dir / u"a.tmp")->write("a");
    EXPECT_RTERROR(os->replaceFile(dir / u"a.tmp", dir / u"no folder\\b.TVK"), 76);
    EXPECT_RTERROR(os->listFolder(dir / u"no folder"), 76);
    // A folder is not a file.
    EXPECT_FALSE(os->fileExists(dir.path));
    EXPECT_RTERROR(os->createFile(dir.path), 70);
    // Removing what is not there is silent; a held file is not.
    os->removeFile(dir / u"missing.TVK");
    os->createFile(dir / u"held.txt")->write("x");
    {
        probe::HeldFile hold(dir / u"held.txt");
        EXPECT_RTERROR(os->removeFile(dir / u"held.txt"), 70);
    }
    os->removeFile(dir / u"held.txt");
    EXPECT_FALSE(os->fileExists(dir / u"held.txt"));
}

TEST(OsFiles, JapaneseNamesAndFolderListing) {
    auto os = services();
    TempFolder dir;
    Str name = u"マクロ 設定①.TVK";
    os->createFile(dir / name)->write("x");
    EXPECT_TRUE(os->fileExists(dir / name));
    os::DirEntry e;
    EXPECT_TRUE(os->fileInfo(dir / name, e));
    EXPECT_EQ(e.name, name);
    EXPECT_FALSE(e.isDir);
    EXPECT_TRUE(os->fileInfo(dir.path, e));
    EXPECT_TRUE(e.isDir);
    EXPECT_FALSE(os->fileInfo(dir / u"none", e));

    os->createFile(dir / u"b.txt")->write("");
    auto list = os->listFolder(dir.path);
    EXPECT_EQ(list.size(), size_t(2));  // "." and ".." are not listed
    bool sawName = false, sawB = false;
    for (const auto& d : list) {
        sawName = sawName || d.name == name;
        sawB = sawB || d.name == u"b.txt";
    }
    EXPECT_TRUE(sawName);
    EXPECT_TRUE(sawB);
    EXPECT_EQ(os->listFolder(dir.path + u"\\").size(), size_t(2));
}

TEST(OsFiles, FoldersAndDrives) {
    auto os = services();
    Str prog = os->programFolder();
    ASSERT_FALSE(prog.empty());
    EXPECT_TRUE(prog.back() != u'\\');
    EXPECT_TRUE(os->fileExists(prog + u"\\win_tests.exe"));
    Str cur = os->currentFolder();
    EXPECT_FALSE(cur.empty());
    auto drives = os->drives();
    bool sawC = false;
    for (const auto& d : drives) {
        EXPECT_EQ(d.size(), size_t(2));
        sawC = sawC || d == u"c:";
    }
    EXPECT_TRUE(sawC);
}

// Files other programs hold, and files the user made read-only: the run
// time reports "permission denied" (70) for each, and nothing is changed.
TEST(OsFiles, HeldFilesFailWith70) {
    auto os = services();
    TempFolder dir;
    Str doc = dir / u"doc.TVK";
    os->createFile(doc)->write("original");
    {
        probe::HeldFile writer(doc, false);  // another program writing it
        EXPECT_RTERROR(os->readFile(doc), 70);
        EXPECT_RTERROR(os->createFile(doc), 70);
        EXPECT_RTERROR(os->appendFile(doc), 70);
    }
    EXPECT_EQ(os->readFile(doc), std::string("original"));
    // A file where a folder is expected.
    EXPECT_RTERROR(os->listFolder(doc), 76);
}

TEST(OsFiles, ReadOnlyFilesFailWith70) {
    auto os = services();
    TempFolder dir;
    Str doc = dir / u"doc.TVK";
    os->createFile(doc)->write("original");
    ASSERT_TRUE(probe::setReadOnly(doc, true));
    if (probe::writable(doc)) {
        probe::setReadOnly(doc, false);
        SKIP("read-only files are writable here (Wine running as root)");
    }
    EXPECT_RTERROR(os->createFile(doc), 70);
    EXPECT_RTERROR(os->appendFile(doc), 70);
    EXPECT_EQ(os->readFile(doc), std::string("original"));  // reading is fine
    os->createFile(dir / u"new.tmp")->write("new");
    EXPECT_RTERROR(os->replaceFile(dir / u"new.tmp", doc), 70);
    EXPECT_EQ(os->readFile(doc), std::string("original"));
    ASSERT_TRUE(probe::setReadOnly(doc, false));
    os->replaceFile(dir / u"new.tmp", doc);
    EXPECT_EQ(os->readFile(doc), std::string("new"));
}
