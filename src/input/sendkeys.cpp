// The keystroke sender.
#include "input/sendkeys.h"

#include "input/physical_keys.h"

namespace sendkeys {

namespace {

constexpr uint16_t VK_SHIFT = 16, VK_CONTROL = 17, VK_MENU = 18, VK_RETURN = 13;
constexpr int ShiftBit = 1, CtrlBit = 2, AltBit = 4;

struct Special {
    StrView name;
    uint16_t vk;
};

// Names in braces. Which of them are extended keys is the keyboard's
// business (physical_keys.h), as for every other route.
constexpr Special kSpecial[] = {
    {u"BACKSPACE", 8},  {u"BS", 8},        {u"BKSP", 8},      {u"BREAK", 3},      {u"CAPSLOCK", 20},
    {u"DELETE", 46},    {u"DEL", 46},      {u"DOWN", 40},     {u"END", 35},       {u"ENTER", 13},
    {u"ESC", 27},       {u"HELP", 47},     {u"HOME", 36},     {u"INSERT", 45},    {u"INS", 45},
    {u"LEFT", 37},      {u"NUMLOCK", 144}, {u"PGDN", 34},     {u"PGUP", 33},      {u"PRTSC", 44},
    {u"RIGHT", 39},     {u"SCROLLLOCK", 145}, {u"TAB", 9},    {u"UP", 38},        {u"ADD", 107},
    {u"SUBTRACT", 109}, {u"MULTIPLY", 106}, {u"DIVIDE", 111},
};

const Special* special(StrView upper) {
    for (auto& s : kSpecial)
        if (s.name == upper) return &s;
    return nullptr;
}

// F1..F16: the code, 0 for any other name.
uint16_t functionKey(StrView upper) {
    if (upper.size() < 2 || upper.size() > 3 || upper[0] != u'F') return 0;
    int n = 0;
    for (size_t i = 1; i < upper.size(); ++i) {
        if (upper[i] < u'0' || upper[i] > u'9') return 0;
        n = n * 10 + (upper[i] - u'0');
    }
    if (upper[1] == u'0' || n < 1 || n > 16) return 0;
    return uint16_t(111 + n);
}

[[noreturn]] void malformed() { err::raise(err::InvalidCall); }

class Parser {
public:
    Parser(StrView t, const LayoutFn& layout) : t_(t), layout_(layout) {}

    std::vector<KeyEvent> run() {
        sequence(0, 0, false);
        return std::move(out_);
    }

private:
    StrView t_;
    const LayoutFn& layout_;
    size_t pos_ = 0;
    std::vector<KeyEvent> out_;

    void push(KeyEvent e) {
        if (out_.size() >= kMaxEvents) malformed();
        out_.push_back(e);
    }
    void down(uint16_t vk) { push({vk, 0, false}); }
    void up(uint16_t vk) { push({vk, 0, true}); }

    void pressMods(int bits) {
        if (bits & ShiftBit) down(VK_SHIFT);
        if (bits & CtrlBit) down(VK_CONTROL);
        if (bits & AltBit) down(VK_MENU);
    }
    void releaseMods(int bits) {
        if (bits & AltBit) up(VK_MENU);
        if (bits & CtrlBit) up(VK_CONTROL);
        if (bits & ShiftBit) up(VK_SHIFT);
    }

    void tap(uint16_t vk) {
        down(vk);
        up(vk);
    }

    // A character: as its key with the shift state the layout needs (the
    // modifiers already held count), or as a Unicode character.
    void typeChar(char16_t c, int held) {
        int s = layout_(c);
        bool typable = s >= 0 && (s & 0xFF) != 0xFF && (s >> 8) <= 7;
        if (!typable) {
            push({0, c, false});
            push({0, c, true});
            return;
        }
        int need = (s >> 8) & ~held;
        pressMods(need);
        tap(uint16_t(s & 0xFF));
        releaseMods(need);
    }

    // Items until the end of the text, or until the ")" that closes a group
    // (left for the caller to take).
    void sequence(int depth, int held, bool inGroup) {
        while (pos_ < t_.size()) {
            if (t_[pos_] == u')') {
                if (!inGroup) malformed();
                return;
            }
            item(depth, held);
        }
        if (inGroup) malformed();
    }

    void item(int depth, int held) {
        int mods = 0;
        for (;;) {
            char16_t c = t_[pos_];
            int bit = c == u'+' ? ShiftBit : c == u'^' ? CtrlBit : c == u'%' ? AltBit : 0;
            if (!bit) break;
            mods |= bit;
            if (++pos_ >= t_.size()) malformed();  // a modifier with no key
        }
        int added = mods & ~held;
        pressMods(added);
        held |= mods;
        char16_t c = t_[pos_];
        switch (c) {
            case u'(':
                if (depth + 1 > kMaxDepth) malformed();
                ++pos_;
                sequence(depth + 1, held, true);
                ++pos_;  // the ")"
                break;
            case u')':
            case u'}':
            case u'[':
            case u']':
                malformed();
            case u'{':
                brace(held);
                break;
            case u'~':
                tap(VK_RETURN);
                ++pos_;
                break;
            default:
                typeChar(c, held);
                ++pos_;
                break;
        }
        releaseMods(added);
    }

    // "{NAME}" or "{NAME n}"; the first character after "{" always belongs
    // to the name, so "{}}" and "{{}" name the braces themselves.
    void brace(int held) {
        size_t i = pos_ + 1;
        if (i >= t_.size()) malformed();
        size_t nameStart = i++;
        while (i < t_.size() && t_[i] != u'}' && t_[i] != u' ') ++i;
        if (i >= t_.size()) malformed();
        StrView name = t_.substr(nameStart, i - nameStart);
        long count = 1;
        if (t_[i] == u' ') {
            ++i;
            size_t digits = 0;
            count = 0;
            while (i < t_.size() && t_[i] >= u'0' && t_[i] <= u'9') {
                count = count * 10 + (t_[i] - u'0');
                if (count > kMaxRepeat) malformed();
                ++i;
                ++digits;
            }
            if (digits == 0 || i >= t_.size() || t_[i] != u'}') malformed();
        }
        pos_ = i + 1;

        bool literal = name.size() == 1 ||
                       (name.size() == 2 && name[0] >= 0xD800 && name[0] <= 0xDBFF && name[1] >= 0xDC00 && name[1] <= 0xDFFF);
        uint16_t vk = 0;
        if (!literal) {
            Str upper = ucase(name);
            if (const Special* s = special(upper)) {
                vk = s->vk;
            } else if (!(vk = functionKey(upper))) {
                malformed();
            }
        }
        for (long n = 0; n < count; ++n) {
            if (vk) tap(vk);
            else
                for (char16_t c : name) typeChar(c, held);
        }
    }
};

}  // namespace

std::vector<KeyEvent> parse(StrView text, const LayoutFn& layout) { return Parser(text, layout).run(); }

std::vector<os::KeyInput> toRecords(const std::vector<KeyEvent>& events, os::Services& os) {
    std::vector<os::KeyInput> records;
    records.reserve(events.size());
    for (const KeyEvent& e : events) {
        os::KeyInput r;
        uint32_t up = e.up ? os::k::KEYEVENTF_KEYUP : 0;
        if (e.vk == 0) {
            r.scan = e.unit;
            r.flags = os::k::KEYEVENTF_UNICODE | up;
        } else {
            const keys::PhysicalKey k = keys::physicalKey(e.vk, os);
            r.vk = e.vk;
            r.scan = k.scan;
            r.flags = keys::keyEventFlags(k, e.up);
        }
        records.push_back(r);
    }
    return records;
}

void send(os::Services& os, StrView text, bool wait) {
    auto events = parse(text, [&](char16_t c) { return os.vkKeyScan(c); });
    if (events.empty()) return;
    if (os.inputOnOtherDesktop()) err::raise(err::PermissionDenied);
    auto records = toRecords(events, os);
    if (os.sendInput(records) != records.size()) err::raise(err::PermissionDenied);
}

}  // namespace sendkeys
