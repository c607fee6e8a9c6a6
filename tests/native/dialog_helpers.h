// Finding the controls of a modal form by name, for the scripts that drive
// the program's dialogs the way a user does.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/toolkit.h"

template <class T = tk::Control>
T* control(tk::Form& f, const std::string& name, int index = 0) {
    for (tk::Control* c : f.controls())
        if (c->name() == name && c->index() == index) return static_cast<T*>(c);
    ADD_FAILURE() << "no control " << name << "(" << index << ") on " << f.name();
    return nullptr;
}

// Index of the list item whose text equals s, -1 when none.
inline int itemIndex(tk::ListControl& l, const Str& s) { return l.findExact(s); }
