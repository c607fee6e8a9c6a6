#include "platform/text.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <limits>
#include <new>
#include <stdexcept>

// ---------------------------------------------------------------------------
// Errors

namespace err {

Str describeNumber(int number) {
    switch (number) {
    case InvalidCall: return u"プロシージャの呼び出し、または引数が不正です。";
    case Overflow: return u"オーバーフローしました。";
    case OutOfMemory: return u"メモリが不足しています。";
    case Subscript: return u"インデックスが有効範囲にありません。";
    case DivisionByZero: return u"0 で除算しました。";
    case TypeMismatch: return u"型が一致しません。";
    case BadFileName: return u"ファイル名または番号が不正です。";
    case FileNotFound: return u"ファイルが見つかりません。";
    case DeviceIO: return u"デバイス I/O エラーです。";
    case DiskFull: return u"ディスクの空き容量が不足しています。";
    case PermissionDenied: return u"書き込みできません。";
    case DiskNotReady: return u"ディスクが準備されていません。";
    case PathFileAccess: return u"パス名が無効です。";
    case PathNotFound: return u"パスが見つかりません。";
    case InvalidProperty: return u"プロパティの値が不正です。";
    default: return u"アプリケーション定義またはオブジェクト定義のエラーです。";
    }
}

void raise(int number) { throw RtError(number, describeNumber(number)); }

void raise(int number, const Str& description) { throw RtError(number, description); }

}  // namespace err

// Unknown exceptions get number 0, whose description is the run time's
// generic "application-defined" text.
Str describeCurrentException() {
    std::exception_ptr ep = std::current_exception();
    if (!ep) return err::describeNumber(0);
    try {
        std::rethrow_exception(ep);
    } catch (const RtError& e) {
        return e.description;
    } catch (const std::bad_alloc&) {
        return err::describeNumber(err::OutOfMemory);
    } catch (const std::length_error&) {
        // A string or vector outgrew its limit: to the user that is memory.
        return err::describeNumber(err::OutOfMemory);
    } catch (const std::out_of_range&) {
        return err::describeNumber(err::Subscript);
    } catch (const std::exception& e) {
        return fromUtf8(e.what());
    } catch (...) {
        return err::describeNumber(0);
    }
}

int currentErrorNumber() {
    std::exception_ptr ep = std::current_exception();
    if (!ep) return 0;
    try {
        std::rethrow_exception(ep);
    } catch (const RtError& e) {
        return e.number;
    } catch (const std::bad_alloc&) {
        return err::OutOfMemory;
    } catch (const std::length_error&) {
        return err::OutOfMemory;
    } catch (const std::out_of_range&) {
        return err::Subscript;
    } catch (...) {
        return 0;
    }
}

// ---------------------------------------------------------------------------
// UTF-8

Str fromUtf8(std::string_view s) {
    Str out;
    out.reserve(s.size());
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        const unsigned char b0 = static_cast<unsigned char>(s[i]);
        if (b0 < 0x80) {
            out.push_back(b0);
            ++i;
            continue;
        }
        int need;
        char32_t cp;
        unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the next byte
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            need = 1;
            cp = b0 & 0x1F;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            need = 2;
            cp = b0 & 0x0F;
            if (b0 == 0xE0) lo = 0xA0;  // overlong
            if (b0 == 0xED) hi = 0x9F;  // surrogates
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            need = 3;
            cp = b0 & 0x07;
            if (b0 == 0xF0) lo = 0x90;  // overlong
            if (b0 == 0xF4) hi = 0x8F;  // above U+10FFFF
        } else {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        ++i;
        bool ok = true;
        for (int k = 0; k < need; ++k) {
            if (i >= n) {
                ok = false;
                break;
            }
            const unsigned char b = static_cast<unsigned char>(s[i]);
            if (b < lo || b > hi) {
                ok = false;  // the offending byte starts the next character
                break;
            }
            cp = (cp << 6) | (b & 0x3F);
            ++i;
            lo = 0x80;
            hi = 0xBF;
        }
        if (!ok) {
            out.push_back(0xFFFD);
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string toUtf8(StrView s) {
    std::string out;
    out.reserve(s.size());
    const size_t n = s.size();
    for (size_t i = 0; i < n; ++i) {
        char32_t cp = s[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

// ---------------------------------------------------------------------------
// Number text

namespace {

Str asciiToStr(std::string_view a) { return Str(a.begin(), a.end()); }

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool isExponentMark(char16_t c) { return c == u'E' || c == u'e' || c == u'D' || c == u'd'; }

// Exponents beyond this are equally absurd; saturating keeps the arithmetic
// in range whatever the input.
constexpr long long kExponentCap = 1000000000LL;

// Collects the significant digits of a number as value = sig * 10^exp10.
// Digits past what a double can use are dropped, remembering whether any was
// non-zero so that rounding still comes out right; memory stays bounded for
// arbitrarily long input.
struct DigitAccumulator {
    static constexpr size_t kMaxDigits = 800;  // > 767, the most a double ever needs
    std::string sig;
    long long exp10 = 0;
    bool sticky = false;

    void integerDigit(char16_t c) {
        if (sig.empty() && c == u'0') return;
        if (sig.size() < kMaxDigits) {
            sig.push_back(static_cast<char>(c));
        } else {
            ++exp10;
            if (c != u'0') sticky = true;
        }
    }
    void fractionDigit(char16_t c) {
        if (sig.empty() && c == u'0') {
            --exp10;
            return;
        }
        if (sig.size() < kMaxDigits) {
            sig.push_back(static_cast<char>(c));
            --exp10;
        } else if (c != u'0') {
            sticky = true;
        }
    }

    // The magnitude as a double; +inf when too large, 0 when too small.
    double magnitude(long long exponent) const {
        if (sig.empty()) return 0.0;
        std::string text = sig;
        long long e = exp10 + exponent;
        if (sticky) {
            text.push_back('1');
            --e;
        }
        // Decimal exponent of the leading digit.
        const long long lead = e + static_cast<long long>(text.size()) - 1;
        if (lead > 310) return std::numeric_limits<double>::infinity();
        if (lead < -330) return 0.0;
        text.push_back('e');
        text += std::to_string(e);
        double v = 0.0;
        const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
        if (r.ec == std::errc::result_out_of_range)
            return lead >= 0 ? std::numeric_limits<double>::infinity() : 0.0;
        return v;
    }
};

// Strict numeric text: blanks, sign, digits[.digits], exponent, blanks.
struct NumberParts {
    bool negative = false;
    StrView intDigits;
    StrView fracDigits;
    long long exponent = 0;  // saturated at +-kExponentCap
};

bool isNumberBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::optional<NumberParts> scanNumber(StrView s) {
    size_t i = 0;
    size_t n = s.size();
    while (i < n && isNumberBlank(s[i])) ++i;
    while (n > i && isNumberBlank(s[n - 1])) --n;
    NumberParts p;
    if (i < n && (s[i] == u'+' || s[i] == u'-')) {
        p.negative = s[i] == u'-';
        ++i;
    }
    const size_t intBegin = i;
    while (i < n && isDigit(s[i])) ++i;
    p.intDigits = s.substr(intBegin, i - intBegin);
    if (i < n && s[i] == u'.') {
        ++i;
        const size_t fracBegin = i;
        while (i < n && isDigit(s[i])) ++i;
        p.fracDigits = s.substr(fracBegin, i - fracBegin);
    }
    if (p.intDigits.empty() && p.fracDigits.empty()) return std::nullopt;
    if (i < n && isExponentMark(s[i])) {
        ++i;
        bool expNegative = false;
        if (i < n && (s[i] == u'+' || s[i] == u'-')) {
            expNegative = s[i] == u'-';
            ++i;
        }
        const size_t expBegin = i;
        long long e = 0;
        while (i < n && isDigit(s[i])) {
            e = std::min(kExponentCap, e * 10 + (s[i] - u'0'));
            ++i;
        }
        if (i == expBegin) return std::nullopt;
        p.exponent = expNegative ? -e : e;
    }
    if (i != n) return std::nullopt;
    return p;
}

}  // namespace

bool isNumeric(StrView s) { return scanNumber(s).has_value(); }

double cdbl(StrView s) {
    const auto p = scanNumber(s);
    if (!p) err::raise(err::TypeMismatch);
    DigitAccumulator acc;
    for (char16_t c : p->intDigits) acc.integerDigit(c);
    for (char16_t c : p->fracDigits) acc.fractionDigit(c);
    const double m = acc.magnitude(p->exponent);
    if (std::isinf(m)) err::raise(err::Overflow);
    return p->negative && m != 0.0 ? -m : m;
}

// Classic Val also reads "&H"/"&O" literals; macros never relied on that, so
// those read as 0 here.
double val(StrView s) {
    const size_t n = s.size();
    size_t i = 0;
    auto skipBlanks = [&] {
        while (i < n && (s[i] == u' ' || s[i] == u'\t' || s[i] == u'\n')) ++i;
    };
    skipBlanks();
    bool negative = false;
    if (i < n && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        ++i;
    }
    DigitAccumulator acc;
    bool point = false;
    for (;; ++i) {
        skipBlanks();
        if (i >= n) break;
        const char16_t c = s[i];
        if (isDigit(c)) {
            if (point)
                acc.fractionDigit(c);
            else
                acc.integerDigit(c);
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    long long exponent = 0;
    if (i < n && isExponentMark(s[i])) {
        // An exponent without digits is simply not part of the number.
        size_t j = i + 1;
        auto skip = [&] {
            while (j < n && (s[j] == u' ' || s[j] == u'\t' || s[j] == u'\n')) ++j;
        };
        skip();
        bool expNegative = false;
        if (j < n && (s[j] == u'+' || s[j] == u'-')) {
            expNegative = s[j] == u'-';
            ++j;
        }
        long long e = 0;
        for (;; ++j) {
            skip();
            if (j >= n || !isDigit(s[j])) break;
            e = std::min(kExponentCap, e * 10 + (s[j] - u'0'));
        }
        exponent = expNegative ? -e : e;
    }
    const double m = acc.magnitude(exponent);
    return negative && m != 0.0 ? -m : m;
}

double roundHalfEven(double v) {
    if (!std::isfinite(v)) return v;
    // Beyond 2^52 every double is whole; below it v - floor(v) is exact.
    if (std::fabs(v) >= 4503599627370496.0) return v;
    const double f = std::floor(v);
    const double diff = v - f;
    if (diff < 0.5) return f;
    if (diff > 0.5) return f + 1.0;
    return std::fmod(f, 2.0) == 0.0 ? f : f + 1.0;
}

int16_t cint(double v) {
    const double r = roundHalfEven(v);
    if (!(r >= -32768.0 && r <= 32767.0)) err::raise(err::Overflow);  // NaN fails too
    return static_cast<int16_t>(r);
}

int32_t clng(double v) {
    const double r = roundHalfEven(v);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) err::raise(err::Overflow);
    return static_cast<int32_t>(r);
}

int16_t cint(StrView s) { return cint(cdbl(s)); }
int32_t clng(StrView s) { return clng(cdbl(s)); }

bool Decimal::wholeAfterShift(long places) const {
    if (digits.empty()) return true;
    long long trailingZeros = 0;
    for (auto it = digits.rbegin(); it != digits.rend() && *it == '0'; ++it) ++trailingZeros;
    return static_cast<long long>(places) - scale + trailingZeros >= 0;
}

std::optional<Decimal> parseDecimal(StrView s) {
    const auto p = scanNumber(s);
    if (!p) return std::nullopt;
    Decimal d;
    d.digits.reserve(p->intDigits.size() + p->fracDigits.size());
    for (char16_t c : p->intDigits)
        if (!d.digits.empty() || c != u'0') d.digits.push_back(static_cast<char>(c));
    for (char16_t c : p->fracDigits)
        if (!d.digits.empty() || c != u'0') d.digits.push_back(static_cast<char>(c));
    if (d.digits.empty()) return d;  // zero: no sign, scale 0
    // Leading zeros of the fraction still count towards the scale.
    long long scale = static_cast<long long>(p->fracDigits.size()) - p->exponent;
    size_t keep = d.digits.size();
    while (keep > 0 && d.digits[keep - 1] == '0') --keep;
    scale -= static_cast<long long>(d.digits.size() - keep);
    d.digits.resize(keep);
    // Only reachable with absurd exponents; the sign of the scale is what matters.
    constexpr long long kScaleLimit = LONG_MAX / 2;
    d.scale = static_cast<long>(std::clamp(scale, -kScaleLimit, kScaleLimit));
    d.negative = p->negative;
    return d;
}

// ---------------------------------------------------------------------------
// Number to text

Str toStr(long long v) { return asciiToStr(std::to_string(v)); }

// Like the classic run time: 15 significant digits, no trailing zeros, plain
// notation for 1E-04 <= |v| < 1E+15 and "1.5E+15" / "1E-05" outside it.
Str toStr(double v) {
    if (std::isnan(v)) return u"-1.#IND";
    if (std::isinf(v)) return v < 0 ? u"-1.#INF" : u"1.#INF";
    if (v == 0.0) return u"0";  // also -0
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 14);
    const std::string_view sci(buf, static_cast<size_t>(r.ptr - buf));  // "d.ddddddddddddddde+XX"
    const size_t ePos = sci.find('e');
    std::string digits;
    for (char c : sci.substr(0, ePos))
        if (c != '.') digits.push_back(c);
    int exponent = 0;
    std::from_chars(sci.data() + ePos + 1 + (sci[ePos + 1] == '+' ? 1 : 0), sci.data() + sci.size(), exponent);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string out = v < 0 ? "-" : "";
    if (exponent >= 15 || exponent < -4) {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out.append(digits, 1);
        }
        out += exponent < 0 ? "E-" : "E+";
        const int a = std::abs(exponent);
        if (a < 10) out += '0';
        out += std::to_string(a);
    } else if (exponent >= 0) {
        const size_t intLen = static_cast<size_t>(exponent) + 1;
        if (digits.size() <= intLen) {
            out += digits;
            out.append(intLen - digits.size(), '0');
        } else {
            out.append(digits, 0, intLen);
            out += '.';
            out.append(digits, intLen);
        }
    } else {
        out += "0.";
        out.append(static_cast<size_t>(-exponent - 1), '0');
        out += digits;
    }
    return asciiToStr(out);
}

// ---------------------------------------------------------------------------
// Strings

Str ucase(StrView s) {
    Str out(s);
    for (char16_t& c : out)
        if ((c >= u'a' && c <= u'z') || (c >= 0xFF41 && c <= 0xFF5A)) c = static_cast<char16_t>(c - 0x20);
    return out;
}

Str lcase(StrView s) {
    Str out(s);
    for (char16_t& c : out)
        if ((c >= u'A' && c <= u'Z') || (c >= 0xFF21 && c <= 0xFF3A)) c = static_cast<char16_t>(c + 0x20);
    return out;
}

bool isBlankChar(char16_t c) { return c == 0x0020 || c == 0x3000; }

Str ltrim(StrView s) {
    size_t i = 0;
    while (i < s.size() && isBlankChar(s[i])) ++i;
    return Str(s.substr(i));
}

Str rtrim(StrView s) {
    size_t n = s.size();
    while (n > 0 && isBlankChar(s[n - 1])) --n;
    return Str(s.substr(0, n));
}

Str trim(StrView s) {
    size_t i = 0, n = s.size();
    while (i < n && isBlankChar(s[i])) ++i;
    while (n > i && isBlankChar(s[n - 1])) --n;
    return Str(s.substr(i, n - i));
}

long instr(StrView s, StrView needle, long start) {
    if (start < 1) err::raise(err::InvalidCall);
    const size_t from = static_cast<size_t>(start) - 1;
    if (from > s.size()) return 0;
    if (needle.empty()) return start;
    const size_t pos = s.find(needle, from);
    return pos == StrView::npos ? 0 : static_cast<long>(pos + 1);
}

Str mid(StrView s, long start, long len) {
    if (start < 1) err::raise(err::InvalidCall);
    const size_t from = static_cast<size_t>(start) - 1;
    if (from >= s.size()) return Str();
    const size_t avail = s.size() - from;
    const size_t count = len < 0 ? avail : std::min(avail, static_cast<size_t>(len));
    return Str(s.substr(from, count));
}

Str left(StrView s, long n) {
    if (n < 0) err::raise(err::InvalidCall);
    return Str(s.substr(0, std::min(s.size(), static_cast<size_t>(n))));
}

Str right(StrView s, long n) {
    if (n < 0) err::raise(err::InvalidCall);
    const size_t count = std::min(s.size(), static_cast<size_t>(n));
    return Str(s.substr(s.size() - count));
}

Str replaceAll(StrView s, StrView from, StrView to) {
    if (from.empty()) return Str(s);
    Str out;
    size_t pos = 0;
    for (;;) {
        const size_t hit = s.find(from, pos);
        if (hit == StrView::npos) break;
        out.append(s.substr(pos, hit - pos));
        out.append(to);
        pos = hit + from.size();
    }
    out.append(s.substr(pos));
    return out;
}

bool startsWith(StrView s, StrView prefix) { return s.substr(0, prefix.size()) == prefix; }

bool endsWith(StrView s, StrView suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

// ---------------------------------------------------------------------------
// Half-width folding

namespace {

// U+30A1..U+30FC: half-width base (0 = no half-width form) and mark
// (0, or 1 for the voiced mark U+FF9E, 2 for the semi-voiced U+FF9F).
struct KanaFold {
    char16_t base;
    unsigned char mark;
};
constexpr char16_t kKanaFirst = 0x30A1;
constexpr KanaFold kKana[] = {
    {0xFF67, 0}, {0xFF71, 0}, {0xFF68, 0}, {0xFF72, 0}, {0xFF69, 0}, {0xFF73, 0},  // ァアィイゥウ
    {0xFF6A, 0}, {0xFF74, 0}, {0xFF6B, 0}, {0xFF75, 0},                            // ェエォオ
    {0xFF76, 0}, {0xFF76, 1}, {0xFF77, 0}, {0xFF77, 1}, {0xFF78, 0}, {0xFF78, 1},  // カガキギクグ
    {0xFF79, 0}, {0xFF79, 1}, {0xFF7A, 0}, {0xFF7A, 1},                            // ケゲコゴ
    {0xFF7B, 0}, {0xFF7B, 1}, {0xFF7C, 0}, {0xFF7C, 1}, {0xFF7D, 0}, {0xFF7D, 1},  // サザシジスズ
    {0xFF7E, 0}, {0xFF7E, 1}, {0xFF7F, 0}, {0xFF7F, 1},                            // セゼソゾ
    {0xFF80, 0}, {0xFF80, 1}, {0xFF81, 0}, {0xFF81, 1}, {0xFF6F, 0}, {0xFF82, 0},  // タダチヂッツ
    {0xFF82, 1}, {0xFF83, 0}, {0xFF83, 1}, {0xFF84, 0}, {0xFF84, 1},               // ヅテデトド
    {0xFF85, 0}, {0xFF86, 0}, {0xFF87, 0}, {0xFF88, 0}, {0xFF89, 0},               // ナニヌネノ
    {0xFF8A, 0}, {0xFF8A, 1}, {0xFF8A, 2}, {0xFF8B, 0}, {0xFF8B, 1}, {0xFF8B, 2},  // ハバパヒビピ
    {0xFF8C, 0}, {0xFF8C, 1}, {0xFF8C, 2}, {0xFF8D, 0}, {0xFF8D, 1}, {0xFF8D, 2},  // フブプヘベペ
    {0xFF8E, 0}, {0xFF8E, 1}, {0xFF8E, 2},                                         // ホボポ
    {0xFF8F, 0}, {0xFF90, 0}, {0xFF91, 0}, {0xFF92, 0}, {0xFF93, 0},               // マミムメモ
    {0xFF6C, 0}, {0xFF94, 0}, {0xFF6D, 0}, {0xFF95, 0}, {0xFF6E, 0}, {0xFF96, 0},  // ャヤュユョヨ
    {0xFF97, 0}, {0xFF98, 0}, {0xFF99, 0}, {0xFF9A, 0}, {0xFF9B, 0},               // ラリルレロ
    {0, 0},      {0xFF9C, 0}, {0, 0},      {0, 0},      {0xFF66, 0}, {0xFF9D, 0},  // ヮワヰヱヲン
    {0xFF73, 1}, {0, 0},      {0, 0},      {0xFF9C, 1}, {0, 0},      {0, 0},       // ヴヵヶヷヸヹ
    {0xFF66, 1}, {0xFF65, 0}, {0xFF70, 0},                                         // ヺ・ー
};
static_assert(sizeof kKana / sizeof kKana[0] == 0x30FC - 0x30A1 + 1);

char16_t foldPunctuation(char16_t c) {
    switch (c) {
    case 0x3000: return u' ';
    case 0x3001: return 0xFF64;  // 、
    case 0x3002: return 0xFF61;  // 。
    case 0x300C: return 0xFF62;  // 「
    case 0x300D: return 0xFF63;  // 」
    case 0x309B: return 0xFF9E;  // ゛
    case 0x309C: return 0xFF9F;  // ゜
    default: return 0;
    }
}

}  // namespace

Str toHalfWidth(StrView s) {
    Str out;
    out.reserve(s.size());
    for (char16_t c : s) {
        if (c >= 0xFF01 && c <= 0xFF5E) {
            out.push_back(static_cast<char16_t>(c - 0xFF01 + 0x21));
        } else if (c >= kKanaFirst && c <= 0x30FC && kKana[c - kKanaFirst].base != 0) {
            const KanaFold& k = kKana[c - kKanaFirst];
            out.push_back(k.base);
            if (k.mark == 1) out.push_back(0xFF9E);
            if (k.mark == 2) out.push_back(0xFF9F);
        } else if (const char16_t p = foldPunctuation(c)) {
            out.push_back(p);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// ---------------------------------------------------------------------------
// Dates

namespace {

long long floorDiv(long long a, long long b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Days since 1970-01-01 of a proleptic Gregorian date (month 1..12).
long long daysFromCivil(long long y, long long m, long long d) {
    y -= m <= 2;
    const long long era = floorDiv(y, 400);
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(long long z, long long& y, long long& m, long long& d) {
    z += 719468;
    const long long era = floorDiv(z, 146097);
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = yoe + era * 400 + (m <= 2);
}

const long long kDayOne = daysFromCivil(1, 1, 1);

Str twoDigits(long long v) {
    Str out;
    if (v < 0) {
        out.push_back(u'-');
        v = -v;
    }
    if (v < 10) out.push_back(u'0');
    out += toStr(v);
    return out;
}

}  // namespace

// Fields out of their usual range carry over (month 13 is January of the
// next year, second 60 the next minute), so callers may add to any field.
long long DateTime::serial() const {
    const long long months = static_cast<long long>(month) - 1;
    const long long y = year + floorDiv(months, 12);
    const long long m = months - floorDiv(months, 12) * 12 + 1;
    const long long days = daysFromCivil(y, m, 1) + (day - 1) - kDayOne;
    return days * 86400 + static_cast<long long>(hour) * 3600 + static_cast<long long>(minute) * 60 + second;
}

DateTime DateTime::fromSerial(long long s) {
    const long long days = floorDiv(s, 86400);
    long long rem = s - days * 86400;
    long long y, m, d;
    civilFromDays(days + kDayOne, y, m, d);
    DateTime t;
    t.year = static_cast<int>(y);
    t.month = static_cast<int>(m);
    t.day = static_cast<int>(d);
    t.hour = static_cast<int>(rem / 3600);
    rem %= 3600;
    t.minute = static_cast<int>(rem / 60);
    t.second = static_cast<int>(rem % 60);
    return t;
}

Str formatDateTime(const DateTime& t) {
    const long long yy = ((t.year % 100) + 100) % 100;
    return twoDigits(yy) + u"/" + twoDigits(t.month) + u"/" + twoDigits(t.day) + u" " + twoDigits(t.hour) + u":" +
           twoDigits(t.minute) + u":" + twoDigits(t.second);
}
