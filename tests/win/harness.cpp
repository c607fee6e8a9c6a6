// Runner of the Windows-side tests (see harness.h).
#include "harness.h"

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace wt {
namespace {

struct Test {
    const char* group;
    const char* name;
    TestFn fn;
};

std::vector<Test>& tests() {
    static std::vector<Test> all;
    return all;
}

struct Mode {
    const char* flag;
    ModeFn fn;
};

std::vector<Mode>& modes() {
    static std::vector<Mode> all;
    return all;
}

int g_failuresInTest = 0;

void out(const std::string& s) {
    std::fwrite(s.data(), 1, s.size(), stdout);
    std::fflush(stdout);
}

}  // namespace

bool registerTest(const char* group, const char* name, TestFn fn) {
    tests().push_back({group, name, fn});
    return true;
}

bool registerMode(const char* flag, ModeFn fn) {
    modes().push_back({flag, fn});
    return true;
}

void fail(const char* file, int line, const std::string& message) {
    ++g_failuresInTest;
    std::string f = file;
    auto slash = f.find_last_of("/\\");
    if (slash != std::string::npos) f = f.substr(slash + 1);
    out("    " + f + ":" + std::to_string(line) + ": " + message + "\n");
}

void note(const std::string& message) { out("    note: " + message + "\n"); }

std::string utf8(StrView s) {
    std::string r;
    for (size_t i = 0; i < s.size(); ++i) {
        uint32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            r += char(c);
        } else if (c < 0x800) {
            r += char(0xC0 | (c >> 6));
            r += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            r += char(0xE0 | (c >> 12));
            r += char(0x80 | ((c >> 6) & 0x3F));
            r += char(0x80 | (c & 0x3F));
        } else {
            r += char(0xF0 | (c >> 18));
            r += char(0x80 | ((c >> 12) & 0x3F));
            r += char(0x80 | ((c >> 6) & 0x3F));
            r += char(0x80 | (c & 0x3F));
        }
    }
    return r;
}

}  // namespace wt

int wmain(int argc, wchar_t** argv) {
    using namespace wt;
    if (argc > 1) {
        std::string first = utf8(std::u16string(reinterpret_cast<const char16_t*>(argv[1])));
        for (const Mode& m : modes()) {
            if (first != m.flag) continue;
            try {
                return m.fn();
            } catch (const RtError& e) {
                out("mode " + first + ": error " + std::to_string(e.number) + ": " + utf8(e.description) + "\n");
            } catch (const std::exception& e) {
                out("mode " + first + ": " + e.what() + "\n");
            }
            return 2;
        }
    }
    std::vector<std::string> filters;
    bool listOnly = false;
    for (int i = 1; i < argc; ++i) {
        std::u16string a(reinterpret_cast<const char16_t*>(argv[i]));
        std::string s = utf8(a);
        if (s == "--list")
            listOnly = true;
        else
            filters.push_back(s);
    }
    int passed = 0, failed = 0, skipped = 0;
    std::vector<std::string> failedNames;
    for (const Test& t : tests()) {
        std::string full = std::string(t.group) + "." + t.name;
        if (!filters.empty()) {
            bool any = false;
            for (const auto& f : filters)
                any = any || (f[0] == '=' ? full == f.substr(1) : full.find(f) != std::string::npos);
            if (!any) continue;
        }
        if (listOnly) {
            out(full + "\n");
            continue;
        }
        out("[ RUN  ] " + full + "\n");
        g_failuresInTest = 0;
        std::string skipWhy;
        bool skippedThis = false;
        auto t0 = std::chrono::steady_clock::now();
        try {
            t.fn();
        } catch (const AbortTest&) {
        } catch (const SkipTest& s) {
            skippedThis = true;
            skipWhy = s.why;
        } catch (const RtError& e) {
            fail("(test)", 0, "uncaught error " + std::to_string(e.number) + ": " + utf8(e.description));
        } catch (const std::exception& e) {
            fail("(test)", 0, std::string("uncaught exception: ") + e.what());
        } catch (...) {
            fail("(test)", 0, "uncaught unknown exception");
        }
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
        std::string time = " (" + std::to_string(ms) + " ms)\n";
        if (skippedThis && g_failuresInTest == 0) {
            ++skipped;
            out("[ SKIP ] " + full + ": " + skipWhy + time);
        } else if (g_failuresInTest == 0) {
            ++passed;
            out("[  OK  ] " + full + time);
        } else {
            ++failed;
            failedNames.push_back(full);
            out("[ FAIL ] " + full + time);
        }
    }
    if (listOnly) return 0;
    for (const auto& n : failedNames) out("failed: " + n + "\n");
    out(std::to_string(passed) + " passed, " + std::to_string(failed) + " failed" +
        (skipped ? ", " + std::to_string(skipped) + " skipped" : std::string()) + "\n");
    return failed == 0 ? 0 : 1;
}
