#include "ToolMain.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace arvel::content {

bool parseWholeNumber(const char* text, long low, long high, int& value) {
    char* end = nullptr;
    const long number = std::strtol(text, &end, 10);
    if (*end != '\0' || number < low || number > high) return false;
    value = static_cast<int>(number);
    return true;
}

int writeOutput(const char* program, const char* output, const std::function<bool()>& write) {
    try {
        if (!write()) {
            std::fprintf(stderr, "%s: cannot write %s\n", program, output);
            return 1;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", program, error.what());
        return 1;
    }
    return 0;
}

}  // namespace arvel::content
