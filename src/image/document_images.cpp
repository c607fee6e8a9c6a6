#include "image/document_images.h"

#include "image/base64.h"
#include "image/png.h"

namespace image {

namespace {

constexpr StrView kPrefix(kKeyPrefix);

[[noreturn]] void refuse(const Str& why) { err::raise(err::InvalidCall, why); }

Str quoted(const Str& name) { return u"画像「" + name + u"」"; }

[[noreturn]] void refuseName() { refuse(u"画像の名前が正しくありません（1～32文字、= ( , \" と前後の空白は使えません）"); }

// Checks what every stored image must meet; PNG is the bytes of img.
void checkStorable(const Image& img, const std::string& png) {
    if (!hasOpaquePixel(img)) refuse(u"画像に不透明なピクセルがありません");
    if ((png.size() + 2) / 3 * 4 > kMaxBase64) refuse(u"画像のデータが大きすぎます（2MBまで）");
}

}  // namespace

bool isValidName(StrView name) {
    if (name.empty() || name.size() > kMaxNameLength) return false;
    if (isBlankChar(name.front()) || isBlankChar(name.back())) return false;
    for (char16_t c : name)
        if (c == u'=' || c == u'(' || c == u',' || c == u'"' || c < 0x20 || c == 0x7F) return false;
    return true;
}

Str numberedName(int n) { return u"画像" + toStr((long long)n); }

bool isImageKey(StrView key) { return startsWith(key, kPrefix); }

NamedImage parseImageLine(StrView key, StrView value) {
    NamedImage out;
    out.name = Str(key.substr(std::min(key.size(), kPrefix.size())));
    if (!isImageKey(key) || !isValidName(out.name)) refuseName();
    // The cap before anything is decoded.
    if (value.size() > kMaxBase64) refuse(quoted(out.name) + u"のデータが大きすぎます（2MBまで）");
    std::string ascii;
    ascii.reserve(value.size());
    for (char16_t c : value) {
        if (c > 0x7F) refuse(quoted(out.name) + u"のデータが壊れています");
        ascii += char(c);
    }
    auto png = base64Decode(ascii);
    if (!png || png->empty()) refuse(quoted(out.name) + u"のデータが壊れています");
    try {
        out.image.pixels = decodePng(*png);
    } catch (const RtError& e) {
        refuse(quoted(out.name) + u"：" + e.description);
    }
    out.image.png = std::move(*png);
    return out;
}

Str imageLine(const Str& name, const StoredImage& img) {
    const std::string text = base64Encode(img.png);
    Str line = Str(kPrefix) + name + u"=";
    line.append(text.begin(), text.end());
    return line;
}

StoredImage storeCapture(const Image& img) {
    if (img.empty()) refuse(u"画像がありません");
    StoredImage out{img, encodePng(img)};
    checkStorable(out.pixels, out.png);
    return out;
}

StoredImage importPng(std::string_view fileBytes) { return storeCapture(decodePng(fileBytes)); }

const StoredImage* ImageSet::find(const Str& name) const {
    auto it = images_.find(name);
    return it == images_.end() ? nullptr : &it->second;
}

void ImageSet::addRead(NamedImage img) {
    if (contains(img.name)) refuse(quoted(img.name) + u"が2つあります");
    if (images_.size() >= kMaxImages) refuse(u"画像が多すぎます（64個まで）");
    images_.emplace(std::move(img.name), std::move(img.image));
}

Str ImageSet::firstFreeName() const {
    for (int n = 1;; ++n)
        if (Str name = numberedName(n); !contains(name)) return name;
}

Str ImageSet::addNew(StoredImage img) {
    Str name = firstFreeName();
    put(name, std::move(img));
    return name;
}

void ImageSet::put(const Str& name, StoredImage img) {
    if (!isValidName(name)) refuseName();
    if (!contains(name) && images_.size() >= kMaxImages) refuse(u"画像が多すぎます（64個まで）");
    images_[name] = std::move(img);
}

void ImageSet::keepOnly(const std::set<Str>& used) {
    std::erase_if(images_, [&](const auto& entry) { return used.count(entry.first) == 0; });
}

std::vector<Str> ImageSet::lines(const std::set<Str>& used) const {
    std::vector<Str> out;
    for (const auto& [name, img] : images_)
        if (used.count(name)) out.push_back(imageLine(name, img));
    return out;
}

}  // namespace image
