// The text form of a macro document, without any window or file: decoding
// the bytes into lines, taking key and step lines apart, reading numbers and
// booleans, and building and encoding the lines to write.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/model.h"
#include "platform/text.h"

namespace docfmt {

inline constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

// Text of a document: UTF-8 when the bytes start with the UTF-8 byte-order
// mark (the mark is dropped), CP932 otherwise.
Str decode(std::string_view bytes);

// The next line of text from pos on. CR LF, a lone LF and a lone CR each end
// a line; a last line without an ending counts when it is not empty.
// Returns false at the end of the text.
bool nextLine(StrView text, size_t& pos, StrView& line);

// Empty or blanks only.
bool isBlankLine(StrView line);
// A step line begins with a double quote or is blank; every other line is a
// key line.
bool isStepLine(StrView line);

// A key line taken apart: name and value trimmed; a key such as "Dousa(3)"
// gives the name "Dousa" and the row index 3.
struct KeyLine {
    Str name;
    Str value;
    bool indexed = false;
    int32_t index = 0;
};
// RtError 5 when the line has no "="; RtError 6 when the index is too large.
KeyLine splitKeyLine(StrView line);

// The three fields of a non-blank step line, cut at the three characters
// quote, comma, quote; Dousa folded to half-width, the other two as they
// are. RtError 5 when the line holds fewer than three fields.
MacroStep cutStepLine(StrView line);

// The text as one line of a document can hold it: every line break (CR LF,
// a lone CR or a lone LF) becomes one space. Applied where text enters the
// model and again when writing, since a break would end the line early.
Str singleLine(StrView text);

// "True"/"False" in any case, or a number (0 false, else true); anything
// else, the empty text included, is RtError 13.
bool readBool(StrView value);
// The leading decimal number of the value (0 when none).
double readNumber(StrView value);
// The leading number rounded half to even into 16 bits; RtError 6 outside.
int16_t readInt16(StrView value);
// The leading number rounded half to even and brought into 0..max; never
// fails (a value without a number is 0).
int32_t readClamped(StrView value, int32_t max);

// Geometry and other numbers as written: "." as decimal point, no grouping,
// no fraction for whole values.
Str numberText(double v);
Str boolText(bool v);

// Everything a document holds besides its steps, as written.
struct Header {
    Str ver;
    double top = 0, height = 0, left = 0, width = 0;
    Str interval;
    Str intervalUnit;  // "1", "2" or empty
    Str windowTitle;
    Str startHotKey;
    Str stopHotKey;
    int16_t timerHH = 0;
    int16_t timerMM = 0;
    bool timerEnabled = false;
    bool timerPCOff = false;
    bool topMost = false;
    bool notActive = false;
    int32_t waitLimit = 0;
};

// The sixteen key lines, then "WaitLimit" when it is not 0 (documents
// without a limit stay as older versions wrote them), each ended by CR LF.
Str headerText(const Header& h);
// The step lines: rows 1 to the last non-blank one (never the trailing empty
// row); a blank row becomes an empty line.
Str stepsText(const StepList& steps);

// Bytes of a document text: CP932 when every character has a CP932 form,
// otherwise UTF-8 behind a byte-order mark, so that nothing turns into "?".
std::string encode(StrView text);

}  // namespace docfmt
