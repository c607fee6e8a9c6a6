// Reading and writing macro documents.
#include <algorithm>
#include <optional>

#include "core/document_format.h"
#include "core/frm_TOVIRAK.h"

namespace {
constexpr StrView kDefaultDocument = u"TOVIRAK.TVK";
// Chunk size of writes: large enough to be cheap, small enough that a full
// disk is noticed part-way through a long document.
constexpr size_t kWriteChunk = 256 * 1024;
// Largest window size accepted from a document, in pixels; a hostile value
// must not reach the window system as an overflowing number.
constexpr double kMaxWindowPixels = 65535;
}  // namespace

Str frm_TOVIRAK::MS_GetFileName(StrView path) {
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

void frm_TOVIRAK::MS_ReadFile(const Str& path) {
    long long lineNo = 0;
    bool started = false;
    // The window geometry read so far, applied in one move at the end so a
    // document of many geometry lines costs one layout, not one per line.
    std::optional<double> top, height, left, width;
    auto applyGeometry = [&] {
        if (!top && !height && !left && !width) return;
        form->move(left.value_or(form->left()), top.value_or(form->top()), width.value_or(form->width()),
                   height.value_or(form->height()));
    };
    // Brings the grid's scroll range in line with the rows read and shows
    // them from row 1.
    auto showFromTop = [&] {
        MF_ArryAdd(0, false);
        scr_Detail->setValue(1);
        scr_Detail_Scroll();
    };
    bool busy = false;
    try {
        if (!os.fileExists(path)) return;
        busy = true;
        form->setMousePointer(tk::MousePointer::Hourglass);
        statusLine.show(StatusMode::Status, u"読み込み中！！！");
        // The whole file before anything changes: one that cannot be read
        // (locked, no access) leaves the current macro as it was.
        const Str text = docfmt::decode(os.readFile(path));
        started = true;
        resetSteps();

        const double tppX = tk.twipsPerPixelX(), tppY = tk.twipsPerPixelY();
        // A window saved on any monitor comes back there: Top and Left are
        // kept within the desktop of all monitors, not the primary one.
        const os::Rect desktop = os.virtualScreen();
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
                Mstr_FileVer = v;
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
                txt_Kankaku->setText(v);
            } else if (n == u"KankakuTimeTani") {
                cmb_Tani->setListIndex(cmb_Tani->findExact(v == u"2" ? u"分" : u"秒"));
            } else if (n == u"WindowTitle") {
                Mstr_WindowTitle = v;
            } else if (n == u"StartHotKey") {
                Mstr_StartKey = v;
                KeyArrays a;
                MS_HotKey_StrToArry(v, a);
                bas.Gint_StartKey = a.code;
                watchHotKeys();
            } else if (n == u"StopHotKey") {
                Mstr_StopKey = v;
                KeyArrays a;
                MS_HotKey_StrToArry(v, a);
                bas.Gint_StopKey = a.code;
                watchHotKeys();
            } else if (n == u"TimerHH") {
                Mint_TimerHH = docfmt::readInt16(v);
            } else if (n == u"TimerMM") {
                Mint_TimerMM = docfmt::readInt16(v);
            } else if (n == u"TimerEnabled") {
                Mbln_StopTimerEnabled = docfmt::readBool(v);
            } else if (n == u"TimerPCOff") {
                Mbln_PCPowerOff = docfmt::readBool(v);
            } else if (n == u"TopMost") {
                Mbln_TopMost = docfmt::readBool(v);
                MS_TopMost(true);
            } else if (n == u"NotActive") {
                Mbln_NotActive = docfmt::readBool(v);
            } else if (n == u"Dousa") {
                steps.at(row).Dousa = v;
            } else if (n == u"ZahyoCmd" || n == u"X_jiku") {
                steps.at(row).ZahyoCmd = v;
            } else if (n == u"Y_jiku") {
                if (!v.empty()) {
                    MacroStep& s = steps.at(row);
                    s.ZahyoCmd += u',';
                    s.ZahyoCmd += v;
                }
            } else if (n == u"Comment") {
                steps.at(row).Comment = v;
            }
        }

        applyGeometry();
        Mstr_FileName = MS_GetFileName(path) == kDefaultDocument ? Str() : path;
        MS_SetWindowTitle();
        showFromTop();
        Mbln_EditFlg = false;
        form->setMousePointer(tk::MousePointer::Default);
        statusLine.show(StatusMode::Status, u"読み込み完了！！！");
    } catch (const std::exception&) {
        statusLine.show(StatusMode::Error, toStr(lineNo) + u"行目 " + describeCurrentException());
        if (!started) {
            if (busy) form->setMousePointer(tk::MousePointer::Default);
            return;
        }
        // What was read stays, but it is neither that file nor the previous
        // document any more: no name, marked as changed, so that a later
        // save cannot silently put the mixture over either of them.
        try {
            applyGeometry();
            showFromTop();
        } catch (const std::exception&) {
        }
        Mbln_EditFlg = true;
        Mstr_FileName.clear();
        MS_SetWindowTitle();
        form->setMousePointer(tk::MousePointer::Default);
    }
}

// ---------------------------------------------------------------------------
// Writing

void frm_TOVIRAK::MS_WriteFile(const Str& path, int16_t noQuestion) {
    bool busy = false;
    std::unique_ptr<os::OutFile> out;
    Str temp;
    try {
        if (noQuestion == 0 && os.fileExists(path)) {
            if (msgBox(u"上書きしてよろしいですか？\r\n\r\n" + path, tk::mb::YesNo, u"確認") != tk::mb::IdYes) return;
        }
        busy = true;
        form->setMousePointer(tk::MousePointer::Hourglass);
        statusLine.show(StatusMode::Status, u"書き込み中！！！");

        docfmt::Header h;
        h.ver = versionText();
        h.top = form->top();
        h.height = form->height();
        h.left = form->left();
        h.width = form->width();
        h.kankakuTime = txt_Kankaku->text();
        const Str& tani = cmb_Tani->text();
        h.kankakuTimeTani = tani == u"秒" ? Str(u"1") : tani == u"分" ? Str(u"2") : Str();
        h.windowTitle = Mstr_WindowTitle;
        h.startHotKey = Mstr_StartKey;
        h.stopHotKey = Mstr_StopKey;
        h.timerHH = Mint_TimerHH;
        h.timerMM = Mint_TimerMM;
        h.timerEnabled = Mbln_StopTimerEnabled;
        h.timerPCOff = Mbln_PCPowerOff;
        h.topMost = Mbln_TopMost;
        h.notActive = Mbln_NotActive;
        const std::string bytes = docfmt::encode(docfmt::headerText(h) + docfmt::stepsText(steps));

        // The document goes to a temporary file beside the target, which
        // replaces the target only when it is complete: a failure on the way
        // leaves the previous file as it was.
        temp = path + u".tmp~";
        out = os.createFile(temp);
        for (size_t at = 0; at < bytes.size(); at += kWriteChunk)
            out->write(std::string_view(bytes).substr(at, kWriteChunk));
        out->flush();
        out->close();
        out.reset();
        os.replaceFile(temp, path);
        temp.clear();

        Mstr_FileName = MS_GetFileName(path) == kDefaultDocument ? Str() : path;
        MS_SetWindowTitle();
        Mbln_EditFlg = false;
        form->setMousePointer(tk::MousePointer::Default);
        statusLine.show(StatusMode::Status, u"書き込み完了！！！");
    } catch (const std::exception&) {
        statusLine.reportError(u"MS_WriteFile");
        // The name, the title and the changed mark stay as they were.
        out.reset();  // closes silently
        if (!temp.empty()) {
            try {
                os.removeFile(temp);
            } catch (const std::exception&) {
            }
        }
        if (busy) form->setMousePointer(tk::MousePointer::Default);
    }
}
