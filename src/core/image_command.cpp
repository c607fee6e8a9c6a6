#include "core/image_command.h"

#include "input/anchor.h"

ImageCommand parseImageCommand(StrView command) {
    anchor::CommandParts parts = anchor::splitCommand(command);
    ImageCommand c;
    c.name = trim(parts.first);
    c.hasTolerance = parts.count >= 2;
    c.tolerance = std::move(parts.second);
    c.anchored = parts.hasThird();
    c.window = std::move(parts.third);
    return c;
}

Str imageCommandText(const ImageCommand& c) {
    Str s = c.name;
    if (c.hasTolerance || c.anchored) s += u"," + c.tolerance;
    if (c.anchored) s += u"," + c.window;
    return s;
}

Str imageNameOf(StrView command) { return parseImageCommand(command).name; }
