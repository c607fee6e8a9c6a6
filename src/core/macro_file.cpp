// Reading and writing macro documents.
#include "core/macro_file.h"

#include <algorithm>
#include <optional>

#include "core/document_format.h"

namespace {
// Chunk size of writes: large enough to be cheap, small enough that a full
// disk is noticed part-way through a long document.
constexpr size_t kWriteChunk = 256 * 1024;
// Largest window size accepted from a document, in pixels; a hostile value
// must not reach the window system as an overflowing number.
constexpr double kMaxWindowPixels = 65535;
}  // namespace

Str programVersion(os::Services& os) {
    return toStr((long long)os.versionMajor()) + u"." + toStr((long long)os.versionMinor());
}

Str MacroFile::fileName(StrView path) {
    Str s(path);
    for (;;) {
        auto p = s.find(u'\\');
        if (p != Str::npos) {
            s = s.substr(p + 1);
            continue;
        }
        p = s.find(u':');
        if (p != Str::npos) {
            s = s.substr(p + 1);
            continue;
        }
        return s;
    }
}

// ---------------------------------------------------------------------------
// Reading

// Makes row r exist below the trailing empty row (the model grows by whole
// rows at the end, amortised, with no redraw per row).
static void ensureRow(StepList& steps, int32_t r) {
    if (r >= steps.count()) steps.grow(r - steps.count() + 1);
}

void MacroFile::read(const Str& path) {
    long long lineNo = 0;
    bool started = false;
    // The window geometry read so far, applied in one move at the end so a
    // document of many geometry lines costs one layout, not one per line.
    std::optional<double> top, height, left, width;
    auto applyGeometry = [&] {
        if (!top && !height && !left && !width) return;
        window_.move(left.value_or(window_.left()), top.value_or(window_.top()), width.value_or(window_.width()),
                     height.value_or(window_.height()));
    };
    StepList& steps = document_.steps;
    DocumentSettings& settings = document_.settings;
    bool busy = false;
    try {
        if (!os_.fileExists(path)) return;
        busy = true;
        window_.setMousePointer(tk::MousePointer::Hourglass);
        status_.show(StatusMode::Status, u"読み込み中！！！");
        // The whole file before anything changes: one that cannot be read
        // (locked, no access) leaves the current macro as it was.
        const Str text = docfmt::decode(os_.readFile(path));
        started = true;
        // A document without the key has no limit.
        settings.waitLimit = 0;
        steps.reset();
        view_.stepsCleared();

        tk::Backend& tk = window_.backend();
        const double tppX = tk.twipsPerPixelX(), tppY = tk.twipsPerPixelY();
        // A window saved on any monitor comes back there: Top and Left are
        // kept within the desktop of all monitors, not the primary one.
        const os::Rect desktop = os_.virtualScreen();
        int32_t row = 0;
        size_t pos = 0;
        StrView line;
        while (docfmt::nextLine(text, pos, line)) {
            ++lineNo;
            if (docfmt::isStepLine(line)) {
                ++row;
                ensureRow(steps, row);
                if (!docfmt::isBlankLine(line)) steps.at(row) = docfmt::cutStepLine(line);
                continue;
            }
            docfmt::KeyLine k = docfmt::splitKeyLine(line);
            if (k.indexed) {
                // A legacy row index may name at most the row after the
                // trailing empty row; the model then grows so that an empty
                // row still follows it.
                if (k.index < 1 || k.index > steps.count() + 1) err::raise(err::Subscript);
                row = k.index;
                ensureRow(steps, row);
            }
            const Str& n = k.name;
            const Str& v = k.value;
            // Row keys before any row (no index, no step line yet) name the
            // unused row 0: nothing to store, and no reason to refuse the file.
            const bool rowKey = n == u"Dousa" || n == u"ZahyoCmd" || n == u"X_jiku" || n == u"Y_jiku" || n == u"Comment";
            if (rowKey && row == 0) continue;
            if (n == u"Ver") {
                document_.version = v;
            } else if (n == u"Top") {
                double t = docfmt::readNumber(v);
                top = t >= desktop.top * tppY && t < desktop.bottom * tppY ? t : 0;
            } else if (n == u"Height") {
                double h = docfmt::readNumber(v);
                if (h >= 0) height = std::min(h, kMaxWindowPixels * tppY);
            } else if (n == u"Left") {
                double l = docfmt::readNumber(v);
                left = l >= desktop.left * tppX && l < desktop.right * tppX ? l : 0;
            } else if (n == u"Width") {
                double w = docfmt::readNumber(v);
                if (w >= 0) width = std::min(w, kMaxWindowPixels * tppX);
            } else if (n == u"KankakuTime") {
                document_.interval = v;
                view_.settingRead(DocumentSetting::Interval);
            } else if (n == u"KankakuTimeTani") {
                document_.intervalUnit = v == u"2" ? u"分" : u"秒";
                view_.settingRead(DocumentSetting::IntervalUnit);
            } else if (n == u"WindowTitle") {
                settings.targetWindowSearch = v;
            } else if (n == u"StartHotKey") {
                settings.startKeys = v;
                view_.settingRead(DocumentSetting::StartKeys);
            } else if (n == u"StopHotKey") {
                settings.stopKeys = v;
                view_.settingRead(DocumentSetting::StopKeys);
            } else if (n == u"TimerHH") {
                settings.timerHours = docfmt::readInt16(v);
            } else if (n == u"TimerMM") {
                settings.timerMinutes = docfmt::readInt16(v);
            } else if (n == u"TimerEnabled") {
                settings.stopTimerEnabled = docfmt::readBool(v);
            } else if (n == u"TimerPCOff") {
                settings.powerOff = docfmt::readBool(v);
            } else if (n == u"TopMost") {
                settings.topMost = docfmt::readBool(v);
                view_.settingRead(DocumentSetting::TopMost);
            } else if (n == u"NotActive") {
                settings.stayBehind = docfmt::readBool(v);
            } else if (n == u"WaitLimit") {
                settings.waitLimit = docfmt::readClamped(v, DocumentSettings::MaxWaitLimit);
            } else if (n == u"Dousa") {
                steps.at(row).action = v;
            } else if (n == u"ZahyoCmd" || n == u"X_jiku") {
                steps.at(row).command = v;
            } else if (n == u"Y_jiku") {
                if (!v.empty()) {
                    MacroStep& s = steps.at(row);
                    s.command += u',';
                    s.command += v;
                }
            } else if (n == u"Comment") {
                steps.at(row).comment = v;
            }
        }

        applyGeometry();
        document_.setPath(fileName(path) == WorkingState ? Str() : path);
        view_.stepsRead();
        document_.setChanged(false);
        window_.setMousePointer(tk::MousePointer::Default);
        status_.show(StatusMode::Status, u"読み込み完了！！！");
    } catch (const std::exception&) {
        status_.show(StatusMode::Error, toStr(lineNo) + u"行目 " + describeCurrentException());
        if (!started) {
            if (busy) window_.setMousePointer(tk::MousePointer::Default);
            return;
        }
        // What was read stays, but it is neither that file nor the previous
        // document any more: no name, marked as changed, so that a later
        // save cannot silently put the mixture over either of them.
        try {
            applyGeometry();
            view_.stepsRead();
        } catch (const std::exception&) {
        }
        document_.markChanged();
        document_.setPath(Str());
        window_.setMousePointer(tk::MousePointer::Default);
    }
}

// ---------------------------------------------------------------------------
// Writing

void MacroFile::write(const Str& path, Overwrite overwrite) { save(path, overwrite, false); }

void MacroFile::writeCopy(const Str& path) { save(path, Overwrite::Silently, true); }

void MacroFile::save(const Str& path, Overwrite overwrite, bool copy) {
    bool busy = false;
    std::unique_ptr<os::OutFile> out;
    Str temp;
    try {
        if (overwrite == Overwrite::Ask && os_.fileExists(path)) {
            if (window_.backend().messageBox(u"上書きしてよろしいですか？\r\n\r\n" + path, tk::mb::YesNo, u"確認") !=
                tk::mb::IdYes)
                return;
        }
        busy = true;
        window_.setMousePointer(tk::MousePointer::Hourglass);
        status_.show(StatusMode::Status, u"書き込み中！！！");

        const DocumentSettings& settings = document_.settings;
        docfmt::Header h;
        h.ver = programVersion(os_);
        h.top = window_.top();
        h.height = window_.height();
        h.left = window_.left();
        h.width = window_.width();
        h.interval = document_.interval;
        const Str& tani = document_.intervalUnit;
        h.intervalUnit = tani == u"秒" ? Str(u"1") : tani == u"分" ? Str(u"2") : Str();
        h.windowTitle = settings.targetWindowSearch;
        h.startHotKey = settings.startKeys;
        h.stopHotKey = settings.stopKeys;
        h.timerHH = settings.timerHours;
        h.timerMM = settings.timerMinutes;
        h.timerEnabled = settings.stopTimerEnabled;
        h.timerPCOff = settings.powerOff;
        h.topMost = settings.topMost;
        h.notActive = settings.stayBehind;
        h.waitLimit = settings.waitLimit;
        const std::string bytes = docfmt::encode(docfmt::headerText(h) + docfmt::stepsText(document_.steps));

        // The document goes to a temporary file beside the target, which
        // replaces the target only when it is complete: a failure on the way
        // leaves the previous file as it was.
        temp = path + u".tmp~";
        out = os_.createFile(temp);
        for (size_t at = 0; at < bytes.size(); at += kWriteChunk)
            out->write(std::string_view(bytes).substr(at, kWriteChunk));
        out->flush();
        out->close();
        out.reset();
        os_.replaceFile(temp, path);
        temp.clear();

        if (!copy) {
            document_.setPath(fileName(path) == WorkingState ? Str() : path);
            document_.setChanged(false);
        }
        window_.setMousePointer(tk::MousePointer::Default);
        status_.show(StatusMode::Status, u"書き込み完了！！！");
    } catch (const std::exception&) {
        status_.reportError(u"MS_WriteFile");
        // The name, the title and the changed mark stay as they were.
        out.reset();  // closes silently
        if (!temp.empty()) {
            try {
                os_.removeFile(temp);
            } catch (const std::exception&) {
            }
        }
        if (busy) window_.setMousePointer(tk::MousePointer::Default);
    }
}
