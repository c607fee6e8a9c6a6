#include "core/document_format.h"

namespace docfmt {

namespace {
constexpr StrView kSeparator = u"\",\"";

bool equalsNoCase(StrView a, StrView b) { return a.size() == b.size() && lcase(a) == lcase(b); }

// A field as one line holds it (see singleLine); copied as it is when it
// has no break, which is nearly always.
void appendField(Str& out, StrView field) {
    if (field.find_first_of(u"\r\n") == StrView::npos) out += field;
    else out += singleLine(field);
}
}  // namespace

Str decode(std::string_view bytes) {
    if (bytes.substr(0, Utf8Bom.size()) == Utf8Bom) return fromUtf8(bytes.substr(Utf8Bom.size()));
    // Line by line: CR and LF are never part of a CP932 character, and a
    // stray lead byte at the end of a line, which the code page joins with
    // the next byte, must not take the line end with it.
    Str text;
    text.reserve(bytes.size());
    size_t start = 0;
    for (;;) {
        const size_t end = bytes.find_first_of("\r\n", start);
        appendFromCp932(bytes.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start), text);
        if (end == std::string_view::npos) return text;
        text += char16_t(bytes[end]);
        start = end + 1;
    }
}

bool nextLine(StrView text, size_t& pos, StrView& line) {
    if (pos >= text.size()) return false;
    size_t end = pos;
    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') ++end;
    line = text.substr(pos, end - pos);
    if (end < text.size()) {
        if (text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n')
            end += 2;
        else
            end += 1;
    }
    pos = end;
    return true;
}

bool isBlankLine(StrView line) {
    for (char16_t c : line)
        if (!isBlankChar(c)) return false;
    return true;
}

bool isStepLine(StrView line) { return (!line.empty() && line[0] == u'"') || isBlankLine(line); }

KeyLine splitKeyLine(StrView line) {
    size_t eq = line.find(u'=');
    if (eq == StrView::npos) err::raise(err::InvalidCall);
    KeyLine k;
    StrView key = line.substr(0, eq);
    size_t bracket = key.find(u'(');
    if (bracket != StrView::npos) {
        k.indexed = true;
        k.index = clng(val(key.substr(bracket + 1)));
        key = key.substr(0, bracket);
    }
    k.name = trim(key);
    k.value = trim(line.substr(eq + 1));
    return k;
}

MacroStep cutStepLine(StrView line) {
    // Each search starts after the field's opening quote, so a separator is
    // never taken to overlap it.
    size_t a = line.size() < 2 ? StrView::npos : line.find(kSeparator, 1);
    if (a == StrView::npos) err::raise(err::InvalidCall);
    StrView rest = line.substr(a + 2);
    size_t b = rest.size() < 2 ? StrView::npos : rest.find(kSeparator, 1);
    if (b == StrView::npos) err::raise(err::InvalidCall);
    StrView last = rest.substr(b + 2);
    if (last.size() < 2) err::raise(err::InvalidCall);
    MacroStep s;
    s.action = toHalfWidth(line.substr(1, a - 1));
    s.command = Str(rest.substr(1, b - 1));
    s.comment = Str(last.substr(1, last.size() - 2));
    return s;
}

Str singleLine(StrView text) {
    Str out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            out += u' ';
        } else {
            out += c;
        }
    }
    return out;
}

bool readBool(StrView value) {
    if (equalsNoCase(value, u"True")) return true;
    if (equalsNoCase(value, u"False")) return false;
    if (isNumeric(value)) return cdbl(value) != 0;
    err::raise(err::TypeMismatch);
}

double readNumber(StrView value) { return val(value); }

int16_t readInt16(StrView value) { return cint(val(value)); }

int32_t readClamped(StrView value, int32_t max) {
    const double v = roundHalfEven(val(value));
    if (!(v > 0)) return 0;  // NaN too
    return v >= max ? max : int32_t(v);
}

Str numberText(double v) { return toStr(v); }

Str boolText(bool v) { return v ? Str(u"True") : Str(u"False"); }

Str headerText(const Header& h) {
    Str out;
    auto line = [&](StrView key, StrView value) {
        out += key;
        out += u'=';
        out += value;
        out += u"\r\n";
    };
    line(u"Ver", h.ver);
    line(u"Top", numberText(h.top));
    line(u"Height", numberText(h.height));
    line(u"Left", numberText(h.left));
    line(u"Width", numberText(h.width));
    line(u"KankakuTime", singleLine(h.interval));
    line(u"KankakuTimeTani", h.intervalUnit);
    line(u"WindowTitle", singleLine(h.windowTitle));
    line(u"StartHotKey", singleLine(h.startHotKey));
    line(u"StopHotKey", singleLine(h.stopHotKey));
    line(u"TimerHH", toStr((long long)h.timerHH));
    line(u"TimerMM", toStr((long long)h.timerMM));
    line(u"TimerEnabled", boolText(h.timerEnabled));
    line(u"TimerPCOff", boolText(h.timerPCOff));
    line(u"TopMost", boolText(h.topMost));
    line(u"NotActive", boolText(h.notActive));
    if (h.waitLimit != 0) line(u"WaitLimit", toStr((long long)h.waitLimit));
    return out;
}

Str stepsText(const StepList& steps) {
    const int32_t last = steps.lastNonBlank();
    size_t size = 0;
    for (int32_t r = 1; r <= last; ++r) {
        const MacroStep& s = steps.at(r);
        size += s.action.size() + s.command.size() + s.comment.size() + 10;
    }
    Str out;
    out.reserve(size);
    for (int32_t r = 1; r <= last; ++r) {
        const MacroStep& s = steps.at(r);
        if (!s.blank()) {
            out += u'"';
            appendField(out, s.action);
            out += kSeparator;
            appendField(out, s.command);
            out += kSeparator;
            appendField(out, s.comment);
            out += u'"';
        }
        out += u"\r\n";
    }
    return out;
}

std::string encode(StrView text) {
    bool lossless = true;
    std::string bytes = toCp932(text, &lossless);
    if (lossless) return bytes;
    std::string utf8(Utf8Bom);
    utf8 += toUtf8(text);
    return utf8;
}

}  // namespace docfmt
