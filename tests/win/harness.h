// A small test harness for the Windows-side tests that run under Wine.
// Tests register themselves with TEST(group, name); the runner prints one
// line per test and a final "N passed, M failed" line, and exits non-zero
// when any test failed. Arguments filter the tests by substring of
// "group.name" ("=group.name" for exactly one); "--list" prints the names.
#pragma once

#include <cstdint>
#include <exception>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/text.h"

namespace wt {

using TestFn = void (*)();
bool registerTest(const char* group, const char* name, TestFn fn);

// A helper mode of the test program: when the first argument equals flag,
// the program runs fn instead of the tests and exits with its result. Tests
// start the program itself as a child this way.
using ModeFn = int (*)();
bool registerMode(const char* flag, ModeFn fn);

// Thrown by the ASSERT_ macros (after reporting) to leave the current test.
struct AbortTest {};
// Thrown by SKIP(): the test counts as skipped, neither passed nor failed.
struct SkipTest {
    std::string why;
};

void fail(const char* file, int line, const std::string& message);
// Informational line under the current test (diagnostics for a failure hunt).
void note(const std::string& message);

std::string utf8(StrView s);  // self-contained, so the harness needs no library

// Printable form of a value for failure messages.
inline std::string show(const Str& s) { return "u\"" + utf8(s) + "\""; }
inline std::string show(const char16_t* s) { return show(Str(s)); }
inline std::string show(const std::string& s) { return "\"" + s + "\""; }
inline std::string show(const char* s) { return show(std::string(s)); }
inline std::string show(bool b) { return b ? "true" : "false"; }
inline std::string show(std::nullptr_t) { return "nullptr"; }
template <typename T>
std::string show(const T& v) {
    if constexpr (std::is_enum_v<T>) {
        return std::to_string(static_cast<long long>(v));
    } else if constexpr (std::is_same_v<T, char16_t> || std::is_same_v<T, char>) {
        return std::to_string(static_cast<unsigned>(v));
    } else if constexpr (requires(std::ostream& o) { o << v; }) {
        std::ostringstream o;
        o << v;
        return o.str();
    } else {
        return "<value>";
    }
}

template <typename A, typename B>
bool checkEq(const A& a, const B& b, const char* ea, const char* eb, const char* file, int line) {
    if (a == b) return true;
    fail(file, line, std::string(ea) + " == " + eb + "\n      left:  " + show(a) + "\n      right: " + show(b));
    return false;
}

// Runs expr expecting RtError number; reports otherwise.
template <typename F>
bool checkRtError(F&& f, int number, const char* expr, const char* file, int line) {
    try {
        f();
    } catch (const RtError& e) {
        if (e.number == number) return true;
        fail(file, line, std::string(expr) + " raised error " + std::to_string(e.number) + " (" + utf8(e.description) +
                             "), expected " + std::to_string(number));
        return false;
    } catch (const std::exception& e) {
        fail(file, line, std::string(expr) + " threw " + e.what() + ", expected error " + std::to_string(number));
        return false;
    }
    fail(file, line, std::string(expr) + " did not fail, expected error " + std::to_string(number));
    return false;
}

}  // namespace wt

#define WT_CAT2(a, b) a##b
#define WT_CAT(a, b) WT_CAT2(a, b)

#define TEST(group, name)                                                                    \
    static void WT_CAT(wt_test_, WT_CAT(group, WT_CAT(_, name)))();                          \
    [[maybe_unused]] static const bool WT_CAT(wt_reg_, WT_CAT(group, WT_CAT(_, name))) =     \
        ::wt::registerTest(#group, #name, &WT_CAT(wt_test_, WT_CAT(group, WT_CAT(_, name)))); \
    static void WT_CAT(wt_test_, WT_CAT(group, WT_CAT(_, name)))()

#define EXPECT_TRUE(cond) \
    ((cond) ? true : (::wt::fail(__FILE__, __LINE__, "expected true: " #cond), false))
#define EXPECT_FALSE(cond) \
    (!(cond) ? true : (::wt::fail(__FILE__, __LINE__, "expected false: " #cond), false))
#define EXPECT_EQ(a, b) ::wt::checkEq((a), (b), #a, #b, __FILE__, __LINE__)
#define EXPECT_RTERROR(expr, number) \
    ::wt::checkRtError([&] { (void)(expr); }, (number), #expr, __FILE__, __LINE__)

#define ASSERT_TRUE(cond) \
    do { if (!EXPECT_TRUE(cond)) throw ::wt::AbortTest{}; } while (0)
#define ASSERT_FALSE(cond) \
    do { if (!EXPECT_FALSE(cond)) throw ::wt::AbortTest{}; } while (0)
#define ASSERT_EQ(a, b) \
    do { if (!EXPECT_EQ(a, b)) throw ::wt::AbortTest{}; } while (0)
#define ASSERT_RTERROR(expr, number) \
    do { if (!EXPECT_RTERROR(expr, number)) throw ::wt::AbortTest{}; } while (0)

#define SKIP(why) throw ::wt::SkipTest{why}
