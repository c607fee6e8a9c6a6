// The document reader, fed arbitrary bytes through the in-memory file layer
// (CP932, or UTF-8 behind a byte-order mark), image key lines included. A
// document it accepts writes out and reads back to the same rows, settings
// and pictures its steps name, and writing that again gives the very same
// bytes; a document it refuses is reported with its
// line number and leaves no file name behind to save the mixture over.
#include <cmath>
#include <map>

#include "core/document_format.h"
#include "fuzz_app.h"
#include "fuzz_util.h"

namespace {

const Str kPath = u"C:\\work\\fuzz.TVK";
const Str kOut1 = u"C:\\work\\rt1.TVK";
const Str kOut2 = u"C:\\work\\rt2.TVK";
const Str kLog = u"C:\\Program Files\\TOVIRAK\\TOVIRAK_ERROR.LOG";

struct Snapshot {
    std::vector<MacroStep> rows;  // 1..last non-blank, blank rows emptied
    // The pictures the steps name: only these are written.
    std::map<Str, image::Image> images;
    Str windowTitle, startKey, stopKey, kankaku, tani;
    int16_t hh = 0, mm = 0;
    bool timer = false, pcOff = false, topMost = false, notActive = false;
    std::vector<int16_t> startCodes, stopCodes;
    friend bool operator==(const Snapshot&, const Snapshot&) = default;
    // Geometry apart: written with 15 significant digits, a fraction that a
    // document brought in may come back a rounding step away.
    double top = 0, left = 0, width = 0, height = 0;
    bool sameGeometry(const Snapshot& o) const {
        auto near = [](double a, double b) { return a == b || std::fabs(a - b) <= std::fabs(a) * 1e-14; };
        return near(top, o.top) && near(left, o.left) && near(width, o.width) && near(height, o.height);
    }
};

Snapshot take(const MainWindow& m) {
    Snapshot s;
    const int32_t last = m.document.steps.lastNonBlank();
    for (int32_t r = 1; r <= last; ++r) {
        const MacroStep& st = m.document.steps.at(r);
        s.rows.push_back(st.blank() ? MacroStep{} : st);
    }
    for (const Str& name : m.document.usedImageNames())
        if (const image::StoredImage* img = m.document.images.find(name)) s.images[name] = img->pixels;
    s.windowTitle = m.document.settings.targetWindowSearch;
    s.startKey = m.document.settings.startKeys;
    s.stopKey = m.document.settings.stopKeys;
    s.kankaku = m.controls.intervalBox->text();
    s.tani = m.controls.unitBox->text();
    s.hh = m.document.settings.timerHours;
    s.mm = m.document.settings.timerMinutes;
    s.timer = m.document.settings.stopTimerEnabled;
    s.pcOff = m.document.settings.powerOff;
    s.topMost = m.document.settings.topMost;
    s.notActive = m.document.settings.stayBehind;
    s.top = m.form->top();
    s.left = m.form->left();
    s.width = m.form->width();
    s.height = m.form->height();
    s.startCodes = m.hotKeys.startKeys();
    s.stopCodes = m.hotKeys.stopKeys();
    return s;
}

// A field that holds the three characters quote, comma, quote (or ends in
// quote, comma) cannot be written faithfully: the format has no escaping.
// Only the half-width folding of Dousa can make such a field out of a line.
bool faithful(const Snapshot& s) {
    for (const MacroStep& st : s.rows)
        for (const Str* f : {&st.action, &st.command})
            if (f->find(u"\",\"") != Str::npos || endsWith(*f, u"\",")) return false;
    return true;
}

size_t countLines(const std::string& bytes) {
    const Str text = docfmt::decode(bytes);
    size_t pos = 0, n = 0;
    StrView line;
    while (docfmt::nextLine(text, pos, line)) ++n;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 256 * 1024) return 0;
    auto& a = fuzz::app();
    MainWindow& m = *a.app;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    a.p.putFile(kPath, bytes);
    m.document.setPath(u"C:\\work\\previous.TVK");
    m.macroFile.read(kPath);
    const Str status = a.status();

    const std::string* logBytes = a.p.file(kLog);
    const Str log = logBytes ? fromCp932(*logBytes) : Str();
    a.p.files.erase(a.p.resolve(kLog));

    if (status != u"読み込み完了！！！") {
        // Refused: "<n>行目 <description>" in the log (the status line may
        // show a later failure of the grid redraw instead, as that follows),
        // n within the document.
        const size_t mark = log.find(u"行目 ");
        FUZZ_CHECK(mark != Str::npos && mark > 18, log);  // after "YY/MM/DD HH:NN:SS "
        const size_t begin = log.rfind(u' ', mark) + 1;
        const double n = val(log.substr(begin, mark - begin));
        FUZZ_CHECK(n >= 1 && n <= double(countLines(bytes)), log);
        FUZZ_CHECK(log.find(u"行目 ", mark + 1) == Str::npos, log);  // it stops at the first
        FUZZ_CHECK(m.document.path().empty() && m.document.changed(), status);
        FUZZ_CHECK(m.document.steps.count() >= 1 && m.document.steps.at(m.document.steps.count()).blank(), status);
        a.forget();
        return 0;
    }
    FUZZ_CHECK(m.document.path() == kPath && !m.document.changed(), status);
    FUZZ_CHECK(m.document.steps.at(m.document.steps.count()) == MacroStep{}, status);  // the empty input row
    Snapshot first = take(m);
    // Dousa of a legacy key line is taken as it stands; a step line folds it
    // to half-width, so that is what a written document gives back.
    bool folded = false;
    for (MacroStep& st : first.rows) {
        Str f = toHalfWidth(st.action);
        folded = folded || f != st.action;
        st.action = std::move(f);
    }

    m.macroFile.write(kOut1, MacroFile::Overwrite::Silently);
    FUZZ_CHECK(a.status() == u"書き込み完了！！！", a.status());
    const std::string written = *a.p.file(kOut1);
    m.macroFile.read(kOut1);
    FUZZ_CHECK(a.status() == u"読み込み完了！！！", a.status());
    const Snapshot second = take(m);
    FUZZ_CHECK(m.document.steps.count() == int32_t(second.rows.size()) + 1, a.status());
    if (faithful(first)) {
        FUZZ_CHECK(first.rows == second.rows, Str(u"rows differ"));
        Snapshot a1 = first, a2 = second;
        a1.top = a1.left = a1.width = a1.height = a2.top = a2.left = a2.width = a2.height = 0;
        FUZZ_CHECK(a1 == a2, Str(u"settings differ"));
        FUZZ_CHECK(first.sameGeometry(second), Str(u"geometry differs"));
    }
    // Written again, it comes out byte for byte the same.
    if (!folded && faithful(first) && first == second) {
        m.macroFile.write(kOut2, MacroFile::Overwrite::Silently);
        FUZZ_CHECK(*a.p.file(kOut2) == written, Str(u"second write differs"));
    }
    a.p.files.erase(a.p.resolve(kOut1));
    a.p.files.erase(a.p.resolve(kOut2));
    a.forget();
    return 0;
}
