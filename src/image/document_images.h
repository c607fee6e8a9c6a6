// Images held by a macro document: one key line each,
// "Img_<name>=<PNG as base64>", written after the step lines in the order of
// the names' UTF-16 code units. The caps below hold for reading, capture
// and import alike, so the writer never writes what the reader refuses.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "image/image.h"
#include "platform/text.h"

namespace image {

constexpr size_t kMaxImages = 64;                // in one document
constexpr size_t kMaxBase64 = 2 * 1024 * 1024;   // characters of one image's line value
constexpr size_t kMaxNameLength = 32;            // UTF-16 units
inline constexpr char16_t kKeyPrefix[] = u"Img_";

// 1 to 32 units; no "=", "(", ",", '"' (they would cut the key line or the
// command apart), no control characters, no blank at either end.
bool isValidName(StrView name);

// "画像1", "画像2", ...
Str numberedName(int n);

// A picture with the PNG it is stored as. The PNG is kept as read, so a
// document read and written again keeps its bytes.
struct StoredImage {
    Image pixels;
    std::string png;
};

// The key of a key line names an image.
bool isImageKey(StrView key);

// One image key line as the reader has split and trimmed it. Every failure
// is an RtError whose description suits the reader's "n行目 " report.
struct NamedImage {
    Str name;
    StoredImage image;
};
NamedImage parseImageLine(StrView key, StrView value);

// The key line of an image, without the line end.
Str imageLine(const Str& name, const StoredImage& img);

// A picture cut from the screen, stored as PNG. RtError when it is empty,
// larger than the caps, or has no opaque pixel.
StoredImage storeCapture(const Image& img);
// A PNG file taken in. It is decoded and stored anew (what the file held
// besides its pixels is dropped); the same caps and the same refusals.
StoredImage importPng(std::string_view fileBytes);

// The images of one document, by name.
class ImageSet {
public:
    const StoredImage* find(const Str& name) const;
    bool contains(const Str& name) const { return images_.count(name) != 0; }
    size_t size() const { return images_.size(); }
    bool empty() const { return images_.empty(); }
    const std::map<Str, StoredImage>& all() const { return images_; }
    void clear() { images_.clear(); }

    // An image read from a document. RtError when its name is there
    // already or the document holds kMaxImages.
    void addRead(NamedImage img);
    // A new image under the first free name "画像1", "画像2", ...; returns
    // the name. RtError when kMaxImages are held (drop the unused ones
    // first).
    Str addNew(StoredImage img);
    Str firstFreeName() const;
    // Replaces the picture of an existing name or adds one under that name
    // (capturing again on a row that names an image). RtError when the
    // name is not valid or a new one would pass kMaxImages.
    void put(const Str& name, StoredImage img);

    // Drops every image whose name is not in used.
    void keepOnly(const std::set<Str>& used);
    // The key lines of the images named in used, sorted by name.
    std::vector<Str> lines(const std::set<Str>& used) const;

private:
    // std::u16string orders by UTF-16 code units, the order lines are written in.
    std::map<Str, StoredImage> images_;
};

}  // namespace image
