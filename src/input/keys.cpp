// Key names and key lists.
#include "input/keys.h"

#include <unordered_map>

namespace keys {

const std::vector<std::pair<Str, int16_t>>& table() {
    static const std::vector<std::pair<Str, int16_t>> t = [] {
        std::vector<std::pair<Str, int16_t>> v = {
            {u"VK_LBUTTON", 1},  {u"VK_RBUTTON", 2},  {u"VK_CANCEL", 3},  {u"VK_MBUTTON", 4},  {u"VK_BACK", 8},
            {u"VK_TAB", 9},      {u"VK_CLEAR", 12},   {u"VK_RETURN", 13}, {u"VK_SHIFT", 16},   {u"VK_CONTROL", 17},
            {u"VK_MENU", 18},    {u"VK_PAUSE", 19},   {u"VK_CAPITAL", 20}, {u"VK_KANA", 21},   {u"VK_KANJI", 25},
            {u"VK_ESCAPE", 27},  {u"VK_CONVERT", 28}, {u"VK_NONCONVERT", 29}, {u"VK_SPACE", 32},
            {u"VK_PRIOR", 33},   {u"VK_NEXT", 34},    {u"VK_END", 35},    {u"VK_HOME", 36},    {u"VK_LEFT", 37},
            {u"VK_UP", 38},      {u"VK_RIGHT", 39},   {u"VK_DOWN", 40},   {u"VK_SELECT", 41},  {u"VK_PRINT", 42},
            {u"VK_EXECUTE", 43}, {u"VK_SNAPSHOT", 44}, {u"VK_INSERT", 45}, {u"VK_DELETE", 46}, {u"VK_HELP", 47},
        };
        for (int i = 0; i <= 9; ++i) v.push_back({u"VK_" + Str(1, char16_t(u'0' + i)), int16_t(48 + i)});
        for (int i = 0; i < 26; ++i) v.push_back({u"VK_" + Str(1, char16_t(u'A' + i)), int16_t(65 + i)});
        for (int i = 0; i <= 9; ++i) v.push_back({u"VK_NUMPAD" + Str(1, char16_t(u'0' + i)), int16_t(96 + i)});
        const std::pair<Str, int16_t> keypad[] = {{u"VK_MULTIPLY", 106}, {u"VK_ADD", 107},      {u"VK_SEPARATOR", 108},
                                                  {u"VK_SUBTRACT", 109}, {u"VK_DECIMAL", 110}, {u"VK_DIVIDE", 111}};
        v.insert(v.end(), std::begin(keypad), std::end(keypad));
        for (int i = 1; i <= 24; ++i) v.push_back({u"VK_F" + toStr((long long)i), int16_t(111 + i)});
        const std::pair<Str, int16_t> rest[] = {
            {u"VK_NUMLOCK", 144}, {u"VK_SCROLL", 145},   {u"VK_LSHIFT", 160}, {u"VK_RSHIFT", 161},
            {u"VK_LCONTROL", 162}, {u"VK_RCONTROL", 163}, {u"VK_LMENU", 164},  {u"VK_RMENU", 165},
            {u"VK_ATTN", 246},    {u"VK_CRSEL", 247},    {u"VK_EXSEL", 248},  {u"VK_EREOF", 249},
            {u"VK_PLAY", 250},    {u"VK_ZOOM", 251},     {u"VK_NONAME", 252}, {u"VK_PA1", 253},
            {u"VK_OEM_CLEAR", 254}};
        v.insert(v.end(), std::begin(rest), std::end(rest));
        return v;
    }();
    return t;
}

int16_t codeOf(StrView upperName) {
    static const std::unordered_map<Str, int16_t> index = [] {
        std::unordered_map<Str, int16_t> m;
        for (auto& [name, code] : table()) m.emplace(name, code);
        return m;
    }();
    auto it = index.find(Str(upperName));
    return it == index.end() ? 0 : it->second;
}

namespace {
// Removes every c from s; true when there was one.
bool takeMark(Str& s, char16_t c) {
    auto n = s.size();
    std::erase(s, c);
    return s.size() != n;
}
}  // namespace

bool parseKeyList(StrView text, KeyArrays& out, Str& unsupported) {
    out = KeyArrays{};
    unsupported.clear();
    if (trim(text).empty()) return true;

    std::vector<StrView> items;
    for (size_t start = 0;;) {
        size_t p = text.find(u',', start);
        items.push_back(text.substr(start, p == StrView::npos ? StrView::npos : p - start));
        if (p == StrView::npos) break;
        start = p + 1;
    }
    size_t n = items.size();
    out.code.assign(n + 1, 0);
    out.wait.assign(n + 1, 0);
    out.shift.assign(n + 1, false);
    out.ctrl.assign(n + 1, false);
    out.alt.assign(n + 1, false);

    for (size_t k = 1; k <= n; ++k) {
        Str typed = trim(items[k - 1]);
        Str work = ucase(typed);
        out.shift[k] = takeMark(work, u'+');
        out.ctrl[k] = takeMark(work, u'^');
        out.alt[k] = takeMark(work, u'%');
        size_t open = work.find(u'(');
        if (open != Str::npos && work.find(u')') != Str::npos) {
            Str hold = work.substr(open + 1);
            std::erase(hold, u')');
            work.resize(open);
            out.wait[k] = clng(val(hold));
        }
        int16_t code = codeOf(work);
        if (code == 0) {
            unsupported = typed;
            return false;
        }
        out.code[k] = code;
    }
    return true;
}

bool isKeyList(StrView text) {
    const size_t p = text.find_first_not_of(u"+^%");
    return p != StrView::npos && text.substr(p, 3) == u"VK_";
}

Str unsupportedKeyMessage(const Str& item) { return u"「" + item + u"」は、サポートされていないキーです。"; }

bool readKeyList(ErrorSink& sink, StrView text, KeyArrays& out, Str& unsupported) {
    bool supported = true;
    unsupported.clear();
    guarded(sink, u"MS_HotKey_StrToArry", [&] { supported = parseKeyList(text, out, unsupported); });
    return supported;
}

}  // namespace keys
