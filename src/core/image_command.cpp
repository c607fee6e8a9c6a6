#include "core/image_command.h"

ImageCommand parseImageCommand(StrView command) {
    ImageCommand c;
    const size_t first = command.find(u',');
    c.name = trim(command.substr(0, first));
    if (first == StrView::npos) return c;
    StrView rest = command.substr(first + 1);
    const size_t second = rest.find(u',');
    c.hasTolerance = true;
    c.tolerance = Str(rest.substr(0, second));
    if (second == StrView::npos) return c;
    c.anchored = true;
    c.window = Str(rest.substr(second + 1));
    return c;
}

Str imageCommandText(const ImageCommand& c) {
    Str s = c.name;
    if (c.hasTolerance || c.anchored) s += u"," + c.tolerance;
    if (c.anchored) s += u"," + c.window;
    return s;
}

Str imageNameOf(StrView command) { return parseImageCommand(command).name; }
