// Catching the engine's Exception pointers in tests.
#pragma once

#include <string>

#include "core/Exception.h"

namespace arvel::test {

// The message of the Exception that body throws, which is freed; empty when it throws
// none.
template <typename F>
std::string exceptionText(F&& body) {
    try {
        body();
    } catch (Exception* e) {
        std::string text = e->what();
        delete e;
        return text;
    }
    return "";
}

}  // namespace arvel::test
