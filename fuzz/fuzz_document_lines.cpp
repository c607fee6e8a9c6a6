// The text form of documents on its own, without a window: decoding,
// line splitting, key lines, step lines, booleans and numbers. Much faster
// than the whole reader, so it reaches far more inputs.
#include <cmath>

#include "core/document_format.h"
#include "fuzz_util.h"

namespace {

void checkLine(StrView line) {
    FUZZ_CHECK(line.find(u'\r') == StrView::npos && line.find(u'\n') == StrView::npos, Str(line));
    if (docfmt::isStepLine(line)) {
        if (docfmt::isBlankLine(line)) return;
        MacroStep s;
        try {
            s = docfmt::cutStepLine(line);
        } catch (const RtError& e) {
            FUZZ_CHECK(e.number == err::InvalidCall, Str(line));
            // Refused only when three fields cannot be found.
            return;
        }
        // The fields come from the line: ZahyoCmd and Comment as they stand,
        // Dousa folded; together they are no longer than the line.
        FUZZ_CHECK(line.find(s.command) != StrView::npos && line.find(s.comment) != StrView::npos, Str(line));
        FUZZ_CHECK(s.command.size() + s.comment.size() + 8 <= line.size() + 2, Str(line));
        FUZZ_CHECK(s.action == toHalfWidth(s.action), Str(line));
        // Put together again as the writer does, the line cuts to the same
        // fields unless a field holds what the format cannot escape.
        const bool plain = s.action.find(u"\",\"") == Str::npos && !endsWith(s.action, u"\",") &&
                           s.command.find(u"\",\"") == Str::npos && !endsWith(s.command, u"\",");
        if (plain) {
            const Str again = u"\"" + s.action + u"\",\"" + s.command + u"\",\"" + s.comment + u"\"";
            FUZZ_CHECK(docfmt::cutStepLine(again) == s, again);
        }
        return;
    }
    docfmt::KeyLine k;
    try {
        k = docfmt::splitKeyLine(line);
    } catch (const RtError& e) {
        FUZZ_CHECK(e.number == err::InvalidCall ? line.find(u'=') == StrView::npos : e.number == err::Overflow,
                   Str(line));
        return;
    }
    FUZZ_CHECK(k.name == trim(k.name) && k.value == trim(k.value), Str(line));
    FUZZ_CHECK(k.name.find(u'(') == Str::npos && k.name.find(u'=') == Str::npos, Str(line));
    FUZZ_CHECK(k.indexed == (line.substr(0, line.find(u'=')).find(u'(') != StrView::npos), Str(line));
    // Values: a boolean is a word or a number, or refused with a type
    // mismatch; a 16-bit number is the rounding of the leading number.
    try {
        const bool b = docfmt::readBool(k.value);
        (void)b;
        FUZZ_CHECK(isNumeric(k.value) || lcase(k.value) == u"true" || lcase(k.value) == u"false", k.value);
    } catch (const RtError& e) {
        FUZZ_CHECK(e.number == err::TypeMismatch || e.number == err::Overflow, k.value);
    }
    const double v = docfmt::readNumber(k.value);
    try {
        const int16_t i = docfmt::readInt16(k.value);
        FUZZ_CHECK(i == roundHalfEven(v), k.value);
    } catch (const RtError& e) {
        FUZZ_CHECK(e.number == err::Overflow && !(roundHalfEven(v) >= -32768 && roundHalfEven(v) <= 32767), k.value);
    }
    // Numbers as written read back as themselves.
    if (std::isfinite(v)) {
        const Str t = docfmt::numberText(v);
        const double back = docfmt::readNumber(t);
        FUZZ_CHECK(back == v || std::fabs(back - v) <= std::fabs(v) * 1e-14 || std::isinf(back), t);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 65536) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Str text = docfmt::decode(bytes);
    size_t pos = 0, lines = 0, consumed = 0;
    StrView line;
    while (docfmt::nextLine(text, pos, line)) {
        FUZZ_CHECK(pos > consumed && pos <= text.size(), text);  // always moves on
        consumed = pos;
        ++lines;
        checkLine(line);
    }
    FUZZ_CHECK(lines <= text.size(), text);
    // What the writer encodes decodes to the same text.
    Str clean;  // without lone surrogates, which UTF-8 cannot carry
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            clean += c;
            clean += text[++i];
        } else if (!(c >= 0xD800 && c <= 0xDFFF)) {
            clean += c;
        }
    }
    // A text starting with the byte-order mark's character would read back
    // without it from a UTF-8 file; that cannot come out of a document.
    if (clean.empty() || clean[0] != 0xFEFF) FUZZ_CHECK(docfmt::decode(docfmt::encode(clean)) == clean, clean);
    return 0;
}
