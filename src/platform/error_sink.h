// The one error exit of a procedure. A failure inside a procedure is a C++
// exception; the procedure catches it at its end and reports "[" + its name +
// "]" + the description to a sink, then returns normally. Parts that only
// need this convention take an ErrorSink, not the window that shows it.
#pragma once

#include <exception>
#include <utility>

#include "platform/text.h"

class ErrorSink {
public:
    // Call inside a catch block: reports the exception being handled under
    // the procedure's name.
    virtual void reportError(StrView procName) = 0;

protected:
    ~ErrorSink() = default;
};

// Runs body under the convention; false when it failed (already reported).
template <class F>
bool guarded(ErrorSink& sink, StrView procName, F&& body) {
    try {
        std::forward<F>(body)();
        return true;
    } catch (const std::exception&) {
        sink.reportError(procName);
        return false;
    }
}
