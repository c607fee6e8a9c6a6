// What one row will do, told without doing it.
#include "playback/step_preview.h"

#include "core/model.h"
#include "input/delivery.h"
#include "input/keys.h"
#include "input/sendkeys.h"

namespace preview {

namespace {

constexpr uint16_t VK_SHIFT = 16, VK_CONTROL = 17, VK_MENU = 18;
constexpr int ShiftBit = 1, CtrlBit = 2, AltBit = 4;
// A status line holds a couple of lines: longer texts end in "…".
constexpr size_t kMaxKeysShown = 24;
constexpr StrView kArrow = u" → ";

Str modifiers(int bits) {
    Str s;
    if (bits & ShiftBit) s += u"Shift+";
    if (bits & CtrlBit) s += u"Ctrl+";
    if (bits & AltBit) s += u"Alt+";
    return s;
}

int modifierBit(uint16_t vk) {
    return vk == VK_SHIFT ? ShiftBit : vk == VK_CONTROL ? CtrlBit : vk == VK_MENU ? AltBit : 0;
}

Str joined(const std::vector<Str>& keys) {
    Str s;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (i == kMaxKeysShown) {
            s += kArrow;
            s += u"…";
            break;
        }
        if (i) s += kArrow;
        s += keys[i];
    }
    return s;
}

// "OEM_CLEAR" -> "OemClear": the words of a table name.
Str titleCase(StrView name) {
    Str s;
    bool start = true;
    for (char16_t c : name) {
        if (c == u'_') {
            start = true;
            continue;
        }
        s += start ? c : (c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c);
        start = false;
    }
    return s;
}

}  // namespace

Str keyName(uint16_t vk, const LayoutFn& layout) {
    struct Named {
        uint16_t vk;
        StrView name;
    };
    static constexpr Named kNames[] = {
        {3, u"Break"},       {8, u"BackSpace"},  {9, u"Tab"},          {13, u"Enter"},     {16, u"Shift"},
        {17, u"Ctrl"},       {18, u"Alt"},       {20, u"CapsLock"},    {27, u"Esc"},       {32, u"Space"},
        {33, u"PageUp"},     {34, u"PageDown"},  {44, u"PrintScreen"}, {144, u"NumLock"},  {145, u"ScrollLock"},
        {160, u"LShift"},    {161, u"RShift"},   {162, u"LCtrl"},      {163, u"RCtrl"},    {164, u"LAlt"},
        {165, u"RAlt"},      {106, u"Num*"},     {107, u"Num+"},       {108, u"NumSeparator"},
        {109, u"Num-"},      {110, u"Num."},     {111, u"Num/"},
    };
    for (const Named& n : kNames)
        if (n.vk == vk) return Str(n.name);
    if (vk >= 96 && vk <= 105) return u"Num" + Str(1, char16_t(u'0' + (vk - 96)));
    for (const auto& [name, code] : keys::table())
        if (code == vk) return titleCase(StrView(name).substr(3));
    // A key of the layout without a name of its own: the character it types.
    if (layout)
        for (char16_t c = 0x21; c < 0x7F; ++c) {
            const int s = layout(c);
            if (s >= 0 && (s & 0xFF) == vk && (s >> 8) == 0) return Str(1, c);
        }
    return u"VK" + toStr((long long)vk);
}

bool describeKeyList(StrView text, Str& out) {
    KeyArrays k;
    Str bad;
    if (!keys::parseKeyList(text, k, bad)) {
        out = keys::unsupportedKeyMessage(bad);
        return false;
    }
    std::vector<Str> items;
    for (int32_t i = 1; i <= k.last(); ++i) {
        const auto idx = size_t(i);
        const int mods = (k.shift[idx] ? ShiftBit : 0) | (k.ctrl[idx] ? CtrlBit : 0) | (k.alt[idx] ? AltBit : 0);
        Str item = modifiers(mods) + keyName(uint8_t(k.code[idx]), nullptr);
        if (k.wait[idx] > 0) item += u"(" + toStr((long long)k.wait[idx]) + u"ms)";
        items.push_back(item);
    }
    out = joined(items);
    return true;
}

bool describeKeystrokes(StrView text, const LayoutFn& layout, Str& out) {
    std::vector<sendkeys::KeyEvent> events;
    try {
        events = sendkeys::parse(text, layout);
    } catch (const std::exception&) {
        out = sendKeysErrorMessage(currentErrorNumber(), describeCurrentException());
        return false;
    }
    std::vector<Str> items;
    int held = 0;
    // A modifier pressed and released with no key in between is a key too.
    bool alone = false;
    bool highSurrogate = false;
    for (const auto& e : events) {
        if (e.vk == 0) {
            if (e.up) continue;
            // The two halves of a character beyond the basic plane are one item.
            const bool low = e.unit >= 0xDC00 && e.unit <= 0xDFFF;
            if (low && highSurrogate && !items.empty())
                items.back() += e.unit;
            else
                items.push_back(Str(1, e.unit));
            highSurrogate = e.unit >= 0xD800 && e.unit <= 0xDBFF;
            alone = false;
            continue;
        }
        highSurrogate = false;
        if (const int bit = modifierBit(e.vk)) {
            if (!e.up) {
                held |= bit;
                alone = true;
            } else {
                if (alone) {
                    Str m = modifiers(held);
                    m.pop_back();  // the last "+"
                    items.push_back(m);
                }
                held &= ~bit;
                alone = false;
            }
            continue;
        }
        if (!e.up) {
            items.push_back(modifiers(held) + keyName(e.vk, layout));
            alone = false;
        }
    }
    out = joined(items);
    return true;
}

StepPreview previewStep(StrView action, const Str& X, const Str& Y, const Context& ctx) {
    StepPreview p;
    if (actions::isKeyInput(action)) {
        const bool ok = keys::isKeyList(X) ? describeKeyList(X, p.text) : describeKeystrokes(X, ctx.layout, p.text);
        p.failure = !ok;
    } else if (action == actions::Wait) {
        // The wait runs in whole-second slices.
        const int64_t ms = clng(X);
        const int64_t seconds = ms <= 0 ? 0 : (ms + 999) / 1000;
        p.text = toStr((long long)seconds) + u"秒待機します";
    } else if (actions::isWindowAction(action)) {
        p.kind = StepPreview::Kind::Window;
        p.search = X;
    } else if (action == actions::Exe) {
        p.text = X + u" を起動します";
    } else if (action == actions::PlaySound) {
        p.text = X + u" を再生します";
    } else if (actions::isImageAction(action)) {
        // Where it acts is known only by searching (the trial does that).
        p.text = X + u" を探します";
    } else if (action == actions::End) {
        p.text = ctx.powerOff ? u"TOVIRAK.TVK を保存し、PCの電源を切ります" : u"TOVIRAK.TVK を保存して終了します";
    } else if (X == u"-1" && Y == u"-1") {
        p.text = u"現在のカーソル位置で実行します";
    } else {
        p.kind = StepPreview::Kind::Point;
        p.point = {clng(X), clng(Y)};
        const Str at = toStr((long long)p.point.x) + u"," + toStr((long long)p.point.y);
        p.text = action == actions::MouseMove ? at + u" へ移動します" : at + u" で" + Str(action) + u"します";
    }
    return p;
}

}  // namespace preview
