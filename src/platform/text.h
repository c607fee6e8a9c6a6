// Text type and the string, number and date helpers the whole program uses.
// Characters are counted in UTF-16 code units on every build, so positions
// and lengths match what users see in the editor on Windows.
#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using Str = std::u16string;
using StrView = std::u16string_view;

// ---------------------------------------------------------------------------
// Run-time failures. Every failure inside a procedure is one of these (or a
// std::exception translated by describe()); the procedure's error exit turns
// it into "[name]" + description.
struct RtError : std::exception {
    int number = 0;
    Str description;
    RtError(int n, Str d) : number(n), description(std::move(d)) {}
    const char* what() const noexcept override { return "RtError"; }
};

namespace err {
// Error numbers follow the classic BASIC run-time numbering so that messages
// and the keystroke sender's "error 5 / error 70" keep their meaning.
enum : int {
    InvalidCall = 5,
    Overflow = 6,
    OutOfMemory = 7,
    Subscript = 9,
    DivisionByZero = 11,
    TypeMismatch = 13,
    BadFileName = 52,
    FileNotFound = 53,
    DeviceIO = 57,
    DiskFull = 61,
    PermissionDenied = 70,
    DiskNotReady = 71,
    PathFileAccess = 75,
    PathNotFound = 76,
    InvalidProperty = 380,
};
// The Japanese description the run time shows for an error number.
Str describeNumber(int number);
[[noreturn]] void raise(int number);                       // standard description
[[noreturn]] void raise(int number, const Str& description);
}  // namespace err

// Description of the exception being handled (call inside a catch block).
Str describeCurrentException();
// Number of the exception being handled (RtError::number, else 0).
int currentErrorNumber();

// ---------------------------------------------------------------------------
// UTF-8 <-> UTF-16 (for source literals, file names on Linux, test output).
Str fromUtf8(std::string_view s);
std::string toUtf8(StrView s);  // lone surrogates become U+FFFD

// Decimal text of integers, as the run time prints them.
Str toStr(long long v);
// Run-time CStr of a Double: shortest text of up to 15 significant digits,
// no trailing zeros, "E+nn"/"E-nn" for very large or small magnitudes.
Str toStr(double v);

// ---------------------------------------------------------------------------
// String helpers (1-based positions like the run time where named so).
Str ucase(StrView s);          // ASCII and full-width Latin letters
Str lcase(StrView s);
bool isBlankChar(char16_t c);  // U+0020 and the ideographic space U+3000
Str trim(StrView s);
Str ltrim(StrView s);
Str rtrim(StrView s);
// InStr: 1-based position of needle in s at or after start (1-based), 0 if none.
// An empty needle yields start when start <= len+1. start < 1: InvalidCall.
long instr(StrView s, StrView needle, long start = 1);
// Mid$: from 1-based start, at most len units (len < 0: to the end).
// start < 1: InvalidCall; start past the end: empty.
Str mid(StrView s, long start, long len = -1);
// n larger than the text: the whole text; n < 0: InvalidCall.
Str left(StrView s, long n);
Str right(StrView s, long n);
Str replaceAll(StrView s, StrView from, StrView to);
bool startsWith(StrView s, StrView prefix);
bool endsWith(StrView s, StrView suffix);

// ---------------------------------------------------------------------------
// Numbers with the run time's semantics.
// IsNumeric: blanks at both ends, optional sign, digits with an optional
// decimal point (at least one digit), optional exponent (E or D, optional
// sign, digits). Full-width digits are not numeric.
bool isNumeric(StrView s);
// CDbl of a numeric text; TypeMismatch when not numeric, Overflow when out
// of the double range.
double cdbl(StrView s);
// Val: value of the leading number; blanks anywhere are skipped, reading
// stops at the first character that cannot continue the number; 0 if none.
double val(StrView s);
// Round half to even, then range check (Overflow).
int16_t cint(double v);
int32_t clng(double v);
int16_t cint(StrView s);   // cdbl then cint
int32_t clng(StrView s);
double roundHalfEven(double v);

// Exact decimal view of a numeric text: value = digits * 10^-scale (sign
// separate). Used where the run time compared decimal values exactly.
struct Decimal {
    bool negative = false;
    std::string digits;  // without leading zeros; "" means zero
    long scale = 0;      // number of digits after the decimal point (may be < 0)
    // True when value * 10^places is a whole number.
    bool wholeAfterShift(long places) const;
    bool isZero() const { return digits.empty(); }
};
std::optional<Decimal> parseDecimal(StrView s);  // same grammar as isNumeric

// ---------------------------------------------------------------------------
// CP932 (Shift-JIS, Microsoft variant) codec, table driven, identical on
// every build whatever the system locale, byte for byte what Windows writes
// and reads.
// Encoding: UTF-16 units without a CP932 form (a surrogate pair is two)
// become "?" and clear *lossless.
std::string toCp932(StrView s, bool* lossless = nullptr);
bool fitsCp932(StrView s);
// Decoding: a lead byte takes the next byte unless it is NUL; undefined
// pairs and single bytes become U+30FB, as Windows does.
Str fromCp932(std::string_view bytes);
void appendFromCp932(std::string_view bytes, Str& out);
// Number of CP932 bytes of s (a double-byte character counts 2).
long cp932Length(StrView s);

// Folding to half-width: full-width ASCII to ASCII, the ideographic space to
// a space, katakana (and its punctuation) to half-width katakana with voiced
// marks split into base and mark. Other characters are unchanged.
Str toHalfWidth(StrView s);

// ---------------------------------------------------------------------------
// Local date and time.
struct DateTime {
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
    // Seconds since 0001-01-01 00:00:00 (proleptic Gregorian).
    long long serial() const;
    static DateTime fromSerial(long long s);
    DateTime addSeconds(long long s) const { return fromSerial(serial() + s); }
    friend bool operator==(const DateTime&, const DateTime&) = default;
};
// "YY/MM/DD HH:NN:SS"
Str formatDateTime(const DateTime& t);
