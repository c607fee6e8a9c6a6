// Lenient number recognition and the rounding conversions: whatever the
// text, the helpers agree with each other and never crash.
#include <cmath>
#include <cstring>
#include <limits>

#include "fuzz_util.h"

namespace {

// Runs f; returns the RtError number it raised, 0 when it returned.
template <class F>
int errorOf(F&& f) {
    try {
        f();
    } catch (const RtError& e) {
        return e.number;
    }
    return 0;
}

void checkRounding(double v) {
    const double r = roundHalfEven(v);
    if (!std::isfinite(v)) {
        FUZZ_CHECK(errorOf([&] { (void)cint(v); }) == err::Overflow, Str());
        FUZZ_CHECK(errorOf([&] { (void)clng(v); }) == err::Overflow, Str());
        return;
    }
    FUZZ_CHECK(r == std::floor(r), toStr(v));
    FUZZ_CHECK(std::fabs(r - v) <= 0.5, toStr(v));
    if (std::fabs(r - v) == 0.5) FUZZ_CHECK(std::fmod(r, 2.0) == 0.0, toStr(v));
    int16_t i16 = 0;
    const int e16 = errorOf([&] { i16 = cint(v); });
    if (r >= -32768.0 && r <= 32767.0)
        FUZZ_CHECK(e16 == 0 && i16 == r, toStr(v));
    else
        FUZZ_CHECK(e16 == err::Overflow, toStr(v));
    int32_t i32 = 0;
    const int e32 = errorOf([&] { i32 = clng(v); });
    if (r >= -2147483648.0 && r <= 2147483647.0)
        FUZZ_CHECK(e32 == 0 && i32 == r, toStr(v));
    else
        FUZZ_CHECK(e32 == err::Overflow, toStr(v));

    // The printed form of a number reads back as (nearly) the same number.
    const Str printed = toStr(v);
    FUZZ_CHECK(isNumeric(printed), printed);
    double back = 0;
    if (errorOf([&] { back = cdbl(printed); }) == err::Overflow) {
        // 15 digits of the very largest doubles round up past the range.
        FUZZ_CHECK(std::fabs(v) > 1.79769313486231e308, printed);
        return;
    }
    FUZZ_CHECK(back == v || std::fabs(back - v) <= std::fabs(v) * 1e-14, printed);
}

void checkText(const Str& s) {
    const bool numeric = isNumeric(s);
    const auto dec = parseDecimal(s);
    FUZZ_CHECK(numeric == dec.has_value(), s);

    double d = 0;
    const int ed = errorOf([&] { d = cdbl(s); });
    const double v = val(s);  // never fails
    if (!numeric) {
        FUZZ_CHECK(ed == err::TypeMismatch, s);
    } else {
        FUZZ_CHECK(ed == 0 || ed == err::Overflow, s);
        if (ed == err::Overflow) {
            FUZZ_CHECK(std::isinf(v), s);
            FUZZ_CHECK(!dec->isZero(), s);
        } else {
            FUZZ_CHECK(std::isfinite(d), s);
            // A strictly numeric text has nothing after its number, so the
            // lenient reading gives the same value.
            FUZZ_CHECK(v == d, s);
            if (dec->isZero()) FUZZ_CHECK(d == 0.0, s);
            if (d != 0.0) FUZZ_CHECK((d < 0) == dec->negative, s);
            if (dec->wholeAfterShift(0)) FUZZ_CHECK(d == std::floor(d), s);
        }
        // The digits are normalised: no leading or trailing zeros.
        if (!dec->digits.empty()) {
            FUZZ_CHECK(dec->digits.front() != '0' && dec->digits.back() != '0', s);
            for (char c : dec->digits) FUZZ_CHECK(c >= '0' && c <= '9', s);
        }
    }
    FUZZ_CHECK(!std::isnan(v), s);

    // cint/clng of a text: the rounding of cdbl, or its failure.
    int16_t i16 = 0;
    const int e16 = errorOf([&] { i16 = cint(StrView(s)); });
    int32_t i32 = 0;
    const int e32 = errorOf([&] { i32 = clng(StrView(s)); });
    if (ed != 0) {
        FUZZ_CHECK(e16 == ed && e32 == ed, s);
    } else {
        const double r = roundHalfEven(d);
        FUZZ_CHECK(e16 == 0 ? i16 == r : (e16 == err::Overflow && !(r >= -32768.0 && r <= 32767.0)), s);
        FUZZ_CHECK(e32 == 0 ? i32 == r : (e32 == err::Overflow && !(r >= -2147483648.0 && r <= 2147483647.0)), s);
        checkRounding(d);
    }
    if (std::isfinite(v)) checkRounding(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;  // the helpers are linear; long inputs only slow the search
    if (size == 8) {
        double v;
        std::memcpy(&v, data, 8);
        checkRounding(v);
    }
    checkText(fuzz::asText(data, size));
    return 0;
}
